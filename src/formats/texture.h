// JPEG texture loader.
#pragma once

#include <cstdint>
#include <cstdio>
#include <jpeglib.h>

struct PixelBlock {
  int32_t rowBytes;
  int32_t width;
  int32_t height;
  unsigned char* pixels;
};

extern uint32_t g_textures[23];

// True on failure, false on success.
bool loadTexture(const char* path, int slot);
PixelBlock* decodeJpegFile(const char* path);
void readJpegPixels(jpeg_decompress_struct* decoder, PixelBlock* block);
