// GDI objects shared by the platform backends: device contexts, bitmaps and fonts.
// A handle (HDC, HGDIOBJ) is a pointer to one of these records.
// Use: gdi_objects.cpp makes and selects them, gdi_bitmap*.cpp load and copy bitmaps,
// wgl_font.cpp turns fonts into outlines, window.cpp owns the window's own DC.
#pragma once

#include <string>
#include <vector>

#include "platform/win32.h"

struct GdiObject {
  enum Kind { kBitmap, kFont } kind;
  explicit GdiObject(Kind k) : kind(k) {}
  virtual ~GdiObject() = default;
};

// A bitmap loaded by LoadImageA: tightly packed RGB rows, top row first.
struct GdiBitmap : GdiObject {
  GdiBitmap() : GdiObject(kBitmap) {}
  int width = 0;
  int height = 0;
  std::vector<unsigned char> rgb;
};

// A logical font as CreateFontA describes it; glyphs are made from it by wglUseFontOutlinesA.
struct GdiFont : GdiObject {
  GdiFont() : GdiObject(kFont) {}
  int height = 0;
  int width = 0;
  int weight = 0;
  bool italic = false;
  std::string faceName;
};

// A device context: a window's own one (GetDC) or a memory one (CreateCompatibleDC).
struct GdiDc {
  HWND window = nullptr;  // null for a memory DC
  GdiBitmap* bitmap = nullptr;
  GdiFont* font = nullptr;
};

inline GdiDc* toDc(HDC hdc) { return reinterpret_cast<GdiDc*>(hdc); }
inline HDC toHdc(GdiDc* dc) { return reinterpret_cast<HDC>(dc); }
inline GdiObject* toObject(HGDIOBJ object) { return reinterpret_cast<GdiObject*>(object); }
inline HGDIOBJ toHandle(GdiObject* object) { return reinterpret_cast<HGDIOBJ>(object); }

// The largest bitmap LoadImageA makes.
const int kBitmapMaxSide = 16384;
const int kBitmapMaxPixels = 16 * 1024 * 1024;

// The platform's part of the bitmap (gdi_bitmap_linux.cpp, gdi_bitmap_web.cpp).
// Decodes a bitmap file whose header gdi_bitmap.cpp has checked into `bitmap`; false if it
// cannot be read.
bool decodeBitmapFile(const char* name, GdiBitmap* bitmap);
// Copies `width` x `height` RGB pixels (top row first) to the window with their top-left corner
// at window pixel (x, y), at once and leaving every GL state as it was.
void blitRgbToScreen(int x, int y, int width, int height, const unsigned char* rgb, int rowPixels);
