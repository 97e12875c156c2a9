// The loading bitmap in the browser: the file decoded by the browser's own image decoder
// (createImageBitmap on the file's bytes, waited for through Asyncify) and handed to the GL
// stand-in, which copies it into the picture; the picture is then shown at once.
// Supports: every bitmap the browser decodes (paletted, 16/24/32-bit, bitfields, run-length,
// top-down). Does not support: a decoded size other than the header's (no bitmap).
// Depends on the browser (createImageBitmap, a 2D canvas for the pixels), the GL stand-in's
// picture and the canvas backend.
#include <emscripten.h>

#include <cstdio>
#include <vector>

#include "platform/webgl/picture_webgl.h"
#include "platform/winapi/canvas_backend_web.h"
#include "platform/winapi/gdi_objects.h"

// Decodes the bytes; 1 with the size, the pixels kept for ksTakeDecodedRgb; 0 with the reason
// on standard error.
EM_ASYNC_JS(int, ksDecodeImage, (const char* name, const unsigned char* bytes, int length, int* width, int* height), {
  var file = UTF8ToString(name);
  try {
    var blob = new Blob([HEAPU8.slice(bytes, bytes + length)], {type: "image/bmp"});
    var bitmap = await createImageBitmap(blob, {premultiplyAlpha: 'none', colorSpaceConversion: 'none'});
    var canvas = document.createElement('canvas');
    canvas.width = bitmap.width;
    canvas.height = bitmap.height;
    var context = canvas.getContext('2d');
    context.drawImage(bitmap, 0, 0);
    Module.ksDecoded = context.getImageData(0, 0, bitmap.width, bitmap.height).data;
    HEAP32[width >> 2] = bitmap.width;
    HEAP32[height >> 2] = bitmap.height;
    bitmap.close();
    return 1;
  } catch (error) {
    err('LoadImageA: ' + file + ' does not decode in this browser (' + error.message + ')');
    return 0;
  }
});

// The decoded pixels as tightly packed RGB, top row first.
EM_JS(void, ksTakeDecodedRgb, (unsigned char* rgb), {
  var rgba = Module.ksDecoded;
  Module.ksDecoded = null;
  for (var i = 0, j = 0; i < rgba.length; i += 4, j += 3) {
    HEAPU8[rgb + j] = rgba[i];
    HEAPU8[rgb + j + 1] = rgba[i + 1];
    HEAPU8[rgb + j + 2] = rgba[i + 2];
  }
});

bool decodeBitmapFile(const char* name, GdiBitmap* bitmap) {
  std::FILE* file = std::fopen(name, "rb");
  if (!file) return false;
  std::vector<unsigned char> bytes;
  unsigned char chunk[65536];
  for (size_t got; (got = std::fread(chunk, 1, sizeof chunk, file)) > 0;) bytes.insert(bytes.end(), chunk, chunk + got);
  std::fclose(file);
  int width = 0, height = 0;
  if (!ksDecodeImage(name, bytes.data(), static_cast<int>(bytes.size()), &width, &height)) return false;
  if (width <= 0 || height <= 0 || width > kBitmapMaxSide || height > kBitmapMaxSide ||
      static_cast<int64_t>(width) * height > kBitmapMaxPixels) {
    std::fprintf(stderr, "LoadImageA: %s decodes to %d x %d pixels; not loaded\n", name, width, height);
    return false;
  }
  bitmap->width = width;
  bitmap->height = height;
  bitmap->rgb.resize(static_cast<size_t>(width) * height * 3);
  ksTakeDecodedRgb(bitmap->rgb.data());
  return true;
}

// The picture is shown at once and stays until the next frame: the browser puts it on the
// screen before the show goes on loading.
void blitRgbToScreen(int x, int y, int width, int height, const unsigned char* rgb, int rowPixels) {
  webglPictureDrawPixels(x, y, width, height, rgb, rowPixels);
  canvasPresentNow();
}
