// The font file behind a logical font: which file (and face in it) serves a CreateFontA
// request, and what the outline code must synthesise because that face lacks it.
// Use: wglUseFontOutlinesA (wgl_font.cpp) asks fontFileFor for the font selected in the DC.
// Served by font_file_linux.cpp (fontconfig: the installed face closest to the request, a
// "Times New Roman" request finding a metric-compatible serif) and font_file_web.cpp (the
// page's own copy of that serif family).
#pragma once

#include <string>

#include "platform/winapi/gdi_objects.h"

struct FontFile {
  std::string path;
  int index = 0;          // the face within the file
  bool embolden = false;  // a weight the face lacks: embolden its outlines
  // A slant the face lacks: this matrix applied to its outlines (xx xy / yx yy).
  bool hasMatrix = false;
  double xx = 1, xy = 0, yx = 0, yy = 1;
};

// False, with the reason on standard error where there is one to give, when no file serves it.
bool fontFileFor(const GdiFont& font, FontFile* out);
