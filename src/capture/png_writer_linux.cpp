// PNG output for captured frames. Supports: 8-bit RGB files from RGB or RGBX pixels, rows top
// first or bottom first, at zlib's fastest level (captures write thousands of frames, and the
// files stay lossless). Safe to call from several threads at once (one libpng state a call).
// Depends on libpng's low-level writing interface and zlib.
#include <png.h>
#include <zlib.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

#include "capture/png_writer.h"

namespace {
// libpng reports errors through this and a longjmp back to the writer.
void pngError(png_structp png, png_const_charp message) {
  auto* why = static_cast<char*>(png_get_error_ptr(png));
  std::snprintf(why, 256, "%s", message);
  png_longjmp(png, 1);
}
void pngWarning(png_structp, png_const_charp) {}
}  // namespace

bool writePng(const char* path, const unsigned char* pixels, int width, int height, int pixelBytes, bool bottomUp) {
  FILE* file = std::fopen(path, "wb");
  if (!file) {
    std::fprintf(stderr, "capture: could not write %s: %s\n", path, std::strerror(errno));
    return false;
  }
  std::vector<char> buffer(1 << 18);
  std::setvbuf(file, buffer.data(), _IOFBF, buffer.size());
  std::vector<png_const_bytep> rows(static_cast<size_t>(height));
  const size_t rowBytes = static_cast<size_t>(width) * pixelBytes;
  for (int y = 0; y < height; ++y)
    rows[static_cast<size_t>(y)] = pixels + static_cast<size_t>(bottomUp ? height - 1 - y : y) * rowBytes;

  char why[256] = "";
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, why, pngError, pngWarning);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  bool ok = false;
  if (png && info) {
    if (setjmp(png_jmpbuf(png)) == 0) {
      png_init_io(png, file);
      png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                   PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
      // One filter for every row and run-length matching: files 15% bigger than libpng's
      // defaults (level 6, adaptive filters) give, in a sixth of the time.
      png_set_compression_level(png, 1);
      png_set_compression_strategy(png, Z_RLE);
      png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_UP);
      png_write_info(png, info);
      if (pixelBytes == 4) png_set_filler(png, 0, PNG_FILLER_AFTER);  // drops the unused byte
      png_write_rows(png, const_cast<png_bytepp>(rows.data()), static_cast<png_uint_32>(height));
      png_write_end(png, info);
      ok = true;
    }
  } else {
    std::snprintf(why, sizeof(why), "out of memory");
  }
  png_destroy_write_struct(png ? &png : nullptr, info ? &info : nullptr);
  if (std::fclose(file) != 0 && ok) {
    std::snprintf(why, sizeof(why), "%s", std::strerror(errno));
    ok = false;
  }
  if (!ok) std::fprintf(stderr, "capture: could not write %s: %s\n", path, why);
  return ok;
}
