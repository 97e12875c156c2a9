// PNG output for captured frames. Depends on libpng's simplified writing interface.
#include <png.h>

#include <cstdio>

#include "platform/win32_backend.h"

bool writePng(const char* path, const unsigned char* rgb, int width, int height) {
  png_image image = {};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_RGB;
  if (png_image_write_to_file(&image, path, 0, rgb, width * 3, nullptr)) return true;
  std::fprintf(stderr, "capture: could not write %s: %s\n", path, image.message);
  return false;
}
