// The loading bitmap: LoadImageA from a .bmp file and BitBlt from a memory DC to the window.
// Supports: Windows bitmap files whose header passes the checks below, decoded by the
// platform's reader (gdi_bitmap_linux.cpp: SDL2's, gdi_bitmap_web.cpp: the browser's);
// SRCCOPY to the window's own DC, clipped to the bitmap, copied by the same file's
// blitRgbToScreen.
// Does not support: resources, other image types, raster operations but SRCCOPY, blits into
// memory DCs, bitmaps of more than 16384 pixels a side or 16 million pixels, uncompressed
// bitmaps whose pixels the file does not hold (no bitmap: the header is checked before
// anything of its size is allocated). Depends on the platform's reader and copy.
#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "platform/winapi/backend.h"
#include "platform/winapi/gdi_objects.h"

namespace {
uint32_t littleEndian(const unsigned char* bytes, int count) {
  uint32_t value = 0;
  for (int i = count - 1; i >= 0; --i) value = value << 8 | bytes[i];
  return value;
}

// Reads the file and info headers and says whether the bitmap they describe is one to load:
// a sensible size, and for uncompressed pixels, all of them inside the file.
bool bitmapHeaderFits(const char* name) {
  std::FILE* file = std::fopen(name, "rb");
  if (!file) return false;
  unsigned char header[14 + 40] = {};
  size_t got = std::fread(header, 1, sizeof header, file);
  std::fseek(file, 0, SEEK_END);
  long fileSize = std::ftell(file);
  std::fclose(file);
  if (got < 14 + 12 || header[0] != 'B' || header[1] != 'M' || fileSize <= 0) return false;
  uint32_t pixelsAt = littleEndian(header + 10, 4);
  uint32_t infoSize = littleEndian(header + 14, 4);
  int64_t width, height, bitsPerPixel, compression = 0;
  if (infoSize == 12) {  // the old core header: 16-bit sizes
    width = littleEndian(header + 18, 2);
    height = littleEndian(header + 20, 2);
    bitsPerPixel = littleEndian(header + 24, 2);
  } else {
    if (infoSize < 40 || got < 14 + 40) return false;
    width = static_cast<int32_t>(littleEndian(header + 18, 4));
    height = static_cast<int32_t>(littleEndian(header + 22, 4));
    bitsPerPixel = littleEndian(header + 28, 2);
    compression = littleEndian(header + 30, 4);
  }
  if (height < 0) height = -height;  // top-down rows
  if (width <= 0 || height <= 0 || width > kBitmapMaxSide || height > kBitmapMaxSide ||
      width * height > kBitmapMaxPixels)
    return false;
  const uint32_t kRgb = 0, kBitfields = 3;
  if (compression == kRgb || compression == kBitfields) {
    int64_t rowBytes = (width * bitsPerPixel + 31) / 32 * 4;
    if (bitsPerPixel <= 0 || pixelsAt + rowBytes * height > fileSize) return false;
  }
  return true;
}
}  // namespace

HANDLE LoadImageA(HINSTANCE, LPCSTR name, UINT type, int, int, UINT load) {
  if (!name || type != IMAGE_BITMAP || !(load & LR_LOADFROMFILE)) return nullptr;
  if (!bitmapHeaderFits(name)) {
    if (std::FILE* file = std::fopen(name, "rb")) {
      std::fclose(file);
      std::fprintf(stderr, "LoadImageA: %s is damaged or too large a bitmap; not loaded\n", name);
    }
    return nullptr;
  }
  GdiBitmap* bitmap = new GdiBitmap();
  if (!decodeBitmapFile(name, bitmap)) {
    delete bitmap;
    return nullptr;
  }
  return toHandle(bitmap);
}

BOOL BitBlt(HDC destination, int x, int y, int width, int height, HDC source, int sourceX, int sourceY, DWORD rop) {
  GdiDc* to = toDc(destination);
  GdiDc* from = toDc(source);
  if (!to || !from || rop != SRCCOPY || !platformWindowAlive(to->window)) return FALSE;
  GdiBitmap* bitmap = from->bitmap;
  if (!bitmap) return FALSE;
  // Only the part of the source rectangle that lies inside the bitmap is copied.
  int right = std::min(sourceX + width, bitmap->width);
  int bottom = std::min(sourceY + height, bitmap->height);
  if (sourceX < 0 || sourceY < 0 || right <= sourceX || bottom <= sourceY) return FALSE;
  blitRgbToScreen(x, y, right - sourceX, bottom - sourceY,
                  &bitmap->rgb[(static_cast<size_t>(sourceY) * bitmap->width + sourceX) * 3], bitmap->width);
  return TRUE;
}
