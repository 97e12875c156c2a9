// PNG files of captured frames (png_writer_linux.cpp).
// Use: writePng(path, pixels, ...) from any thread; each call writes one whole file.
#pragma once

// Writes an 8-bit RGB PNG of `pixels`, `pixelBytes` bytes a pixel (3: R, G, B; 4: R, G, B and an
// unused byte), rows top first or, with `bottomUp`, bottom first. Fast compression, lossless.
// Thread-safe. False (reason on stderr) on failure.
bool writePng(const char* path, const unsigned char* pixels, int width, int height, int pixelBytes, bool bottomUp);
