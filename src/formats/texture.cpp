// JPEG texture loader: decodes a file with libjpeg into an RGB pixel block and uploads it as a
// mipmapped 2D texture. Damaged data ends the process through the library's standard error
// manager (message on standard error, exit status 1).
#include "formats/texture.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstdlib>
#include <filesystem>

uint32_t g_textures[23] = {};

// The file being decoded. The library's error exit ends the process with a message that names
// no file; this names it after that message, on the way out.
static const char* g_decoding = nullptr;
static void nameFileBeingDecoded() {
  std::error_code error;
  if (g_decoding)
    std::fprintf(stderr, "Kelvo Strand: the error above came while reading %s\n",
                 std::filesystem::absolute(g_decoding, error).string().c_str());
}

PixelBlock* decodeJpegFile(const char* path) {
  FILE* file = std::fopen(path, "rb");
  if (!file) return nullptr;

  jpeg_decompress_struct decoder;
  jpeg_error_mgr errorManager;
  decoder.err = jpeg_std_error(&errorManager);
  jpeg_create_decompress(&decoder);
  jpeg_stdio_src(&decoder, file);

  static bool named = std::atexit(nameFileBeingDecoded) == 0;
  (void)named;
  PixelBlock* block = new PixelBlock();
  g_decoding = path;
  readJpegPixels(&decoder, block);
  g_decoding = nullptr;

  jpeg_destroy_decompress(&decoder);
  std::fclose(file);

  // A picture that cannot be delivered as RGB (CMYK, two components), or that is too large
  // for a texture, is not loaded.
  if (!block->pixels) {
    if (block->width > 0) {
      GLint largest = 0;
      glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
      std::fprintf(stderr, "%s: %d x %d pixels, more than this OpenGL's largest texture (%d)\n", path,
                   block->width, block->height, largest);
    }
    delete block;
    return nullptr;
  }
  return block;
}

void readJpegPixels(jpeg_decompress_struct* decoder, PixelBlock* block) {
  jpeg_read_header(decoder, TRUE);
  // A picture larger than this OpenGL's textures could never be uploaded: refuse it before
  // anything of its claimed size is allocated (the header alone can claim 65535 x 65535).
  GLint largest = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
  if (largest <= 0 || decoder->image_width > JDIMENSION(largest) || decoder->image_height > JDIMENSION(largest)) {
    block->width = int32_t(decoder->image_width);
    block->height = int32_t(decoder->image_height);
    return;
  }
  // Greyscale pictures are expanded to RGB by the library; the upload reads 3 bytes a pixel.
  if (decoder->jpeg_color_space == JCS_GRAYSCALE) decoder->out_color_space = JCS_RGB;
  if (decoder->out_color_space != JCS_RGB) return;

  jpeg_start_decompress(decoder);
  if (decoder->output_components != 3) {
    jpeg_abort_decompress(decoder);
    return;
  }

  block->rowBytes = int32_t(decoder->output_components * decoder->output_width);
  block->width = int32_t(decoder->output_width);
  block->height = int32_t(decoder->output_height);

  unsigned char* pixels =
      static_cast<unsigned char*>(std::malloc(size_t(block->height) * size_t(block->rowBytes)));
  JSAMPROW* rows = static_cast<JSAMPROW*>(std::malloc(sizeof(JSAMPROW) * size_t(block->height)));
  if (!pixels || !rows) {
    std::free(rows);
    std::free(pixels);
    jpeg_abort_decompress(decoder);
    return;
  }
  for (int i = 0; i < block->height; i++) rows[i] = pixels + size_t(i) * size_t(block->rowBytes);

  while (decoder->output_scanline < decoder->output_height) {
    JDIMENSION done = decoder->output_scanline;
    jpeg_read_scanlines(decoder, rows + done, decoder->output_height - done);
  }

  std::free(rows);
  jpeg_finish_decompress(decoder);
  block->pixels = pixels;
}

bool loadTexture(const char* path, int slot) {
  PixelBlock* block = decodeJpegFile(path);
  if (!block) return true;

  glGenTextures(1, &g_textures[slot]);
  glBindTexture(GL_TEXTURE_2D, g_textures[slot]);
  // Rows are tightly packed: upload with byte alignment whatever the width, then put the
  // unpack alignment back as it was.
  GLint alignment = 4;
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  gluBuild2DMipmaps(GL_TEXTURE_2D, 3, block->width, block->height, GL_RGB, GL_UNSIGNED_BYTE,
                    block->pixels);
  glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);

  if (block->pixels) std::free(block->pixels);
  delete block;
  return false;
}
