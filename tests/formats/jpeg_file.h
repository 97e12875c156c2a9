// Writes small JPEG files for the texture loader's tests.
#pragma once

#include <jpeglib.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

// `components` 3 (RGB), 1 (greyscale) or 4 (CMYK); `sample(x, y, c)` gives each sample.
inline bool writeJpeg(const std::string& path, int width, int height, int components,
                      const std::function<unsigned char(int, int, int)>& sample) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  jpeg_compress_struct encoder;
  jpeg_error_mgr errors;
  encoder.err = jpeg_std_error(&errors);
  jpeg_create_compress(&encoder);
  jpeg_stdio_dest(&encoder, file);
  encoder.image_width = JDIMENSION(width);
  encoder.image_height = JDIMENSION(height);
  encoder.input_components = components;
  encoder.in_color_space = components == 3 ? JCS_RGB : components == 1 ? JCS_GRAYSCALE : JCS_CMYK;
  jpeg_set_defaults(&encoder);
  jpeg_set_quality(&encoder, 100, TRUE);
  jpeg_start_compress(&encoder, TRUE);
  std::vector<unsigned char> row(size_t(width) * size_t(components));
  for (int y = 0; y < height; y++) {
    for (int x = 0; x < width; x++)
      for (int c = 0; c < components; c++) row[size_t(x * components + c)] = sample(x, y, c);
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&encoder, rows, 1);
  }
  jpeg_finish_compress(&encoder);
  jpeg_destroy_compress(&encoder);
  return std::fclose(file) == 0;
}
