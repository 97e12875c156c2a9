// Font files in the browser: the page ships one metric-compatible serif family, Liberation
// Serif (fonts/ beside the page, with its licence), and every logical font is served by the face
// of it that fontconfig would pick on Linux: bold from a weight of 600 (FW_SEMIBOLD) up, italic
// when asked for. The four faces exist, so nothing is synthesised.
// The face is read from fonts/ in the module's file system; where the page has not put it there,
// it is fetched from the site the first time (the run waits for it, through Asyncify).
// Does not support: other families (the face name is not looked at), faces beyond the four.
// Depends on Emscripten's file system and emscripten_wget.
#include "platform/winapi/font_file.h"

#include <emscripten.h>
#include <sys/stat.h>

#include <cstdio>

bool fontFileFor(const GdiFont& font, FontFile* out) {
  bool bold = font.weight >= 600;
  const char* style = bold ? (font.italic ? "BoldItalic" : "Bold") : (font.italic ? "Italic" : "Regular");
  std::string name = std::string("fonts/LiberationSerif-") + style + ".ttf";
  std::string path = "/" + name;
  struct stat info;
  if (stat(path.c_str(), &info) != 0) {
    emscripten_wget(name.c_str(), path.c_str());
    if (stat(path.c_str(), &info) != 0) {
      std::fprintf(stderr, "kelvo-strand: %s could not be fetched: the lettering is not drawn\n", name.c_str());
      return false;
    }
  }
  out->path = path;
  out->index = 0;
  return true;
}
