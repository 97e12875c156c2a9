// The picture and its presentation on the web (picture_webgl.h).
// Supports: a picture of any size from 16x16 to the context's limits, the 4:3 picture in the
// largest centred rectangle of it (the native picture scaling's rounding: viewports' edges
// scaled and rounded, line widths scaled by the picture's width over 640), fast-forward
// without drawing, the copy onto the canvas (4:3 with bars as the native presentation fits
// it, or stretched), the read of the pixels, a wait for the drawing, the count of the work
// handed to WebGL, the loading bitmap at the picture's scale.
// Does not support: more than one picture or context.
// Depends on webgl_device.cpp and the batch of gl_immediate.cpp.
#include "platform/webgl/picture_webgl.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/gl/picture_fit.h"
#include "platform/webgl/gl_context.h"

using namespace webgl;

bool webglPictureInit(std::string* why) {
  std::string reason;
  if (!deviceInit(&reason) || !devicePictureSize(g.pictureWidth, g.pictureHeight, &reason)) {
    std::fprintf(stderr, "webgl: %s\n", reason.c_str());
    if (why) *why = reason;
    return false;
  }
  g.ready = true;
  stateChanged();
  return true;
}

bool webglPictureSize(int width, int height) {
  int largest = std::min(16384, deviceMaxRenderbufferSize() > 0 ? deviceMaxRenderbufferSize() : 16384);
  if (width < 16 || height < 16 || width > largest || height > largest) {
    std::fprintf(stderr, "webgl: a %dx%d picture cannot be drawn (16 to %d pixels a side)\n", width, height, largest);
    return false;
  }
  flushBatch();
  if (g.ready) {
    std::string reason;
    if (!devicePictureSize(width, height, &reason)) {
      std::fprintf(stderr, "webgl: %s\n", reason.c_str());
      devicePictureSize(g.pictureWidth, g.pictureHeight, &reason);
      return false;
    }
  }
  g.pictureWidth = width;
  g.pictureHeight = height;
  const PictureRect picture = pictureFitFramebuffer(width, height);
  g.pictureRect[0] = picture.x;
  g.pictureRect[1] = picture.y;
  g.pictureRect[2] = picture.width;
  g.pictureRect[3] = picture.height;
  g.scaled = width != 640 || height != 480;
  stateChanged();
  return true;
}

int webglPictureWidth() { return g.pictureWidth; }
int webglPictureHeight() { return g.pictureHeight; }

void webglPictureDiscard(bool discard) {
  flushBatch();
  g.discard = discard;
}

void webglPicturePresent(int canvasWidth, int canvasHeight, bool fill) {
  flushBatch();
  if (!g.ready || canvasWidth <= 0 || canvasHeight <= 0) return;
  int to[4] = {0, 0, canvasWidth, canvasHeight};
  if (!fill) {
    const PictureRect fit = presentFitRect(g.pictureRect[2], g.pictureRect[3], canvasWidth, canvasHeight, false);
    to[0] = fit.x, to[1] = fit.y, to[2] = fit.width, to[3] = fit.height;
  }
  devicePresent(canvasWidth, canvasHeight, g.pictureRect, to);
}

void webglPictureRead(unsigned char* rgba) {
  flushBatch();
  const size_t row = size_t(g.pictureWidth) * 4;
  if (!g.ready) {
    std::memset(rgba, 0, row * g.pictureHeight);
    return;
  }
  std::vector<unsigned char> bottomUp(row * g.pictureHeight);
  deviceRead(bottomUp.data());
  for (int y = 0; y < g.pictureHeight; ++y) {
    unsigned char* out = rgba + size_t(y) * row;
    std::memcpy(out, bottomUp.data() + size_t(g.pictureHeight - 1 - y) * row, row);
    for (size_t x = 3; x < row; x += 4) out[x] = 255;
  }
}

void webglPictureSync() {
  flushBatch();
  if (g.ready) deviceSync();
}

void webglPictureWork(int* draws, double* bytes) {
  uint32_t count = 0;
  deviceWork(&count, bytes);
  *draws = int(count);
}

void webglPictureDrawPixels(int x, int y, int width, int height, const unsigned char* rgb, int rowPixels) {
  flushBatch();
  if (!g.ready || g.discard || width <= 0 || height <= 0) return;
  // As glRasterPos2i(x, 480 - y) under a 640x480 orthographic view and glPixelZoom(s, -s):
  // the window position through the (scaled) viewport, each pixel s framebuffer pixels wide.
  const double sx = double(g.pictureRect[2]) / 640.0, sy = double(g.pictureRect[3]) / 480.0;
  const double zoom = sx;
  const double left = g.pictureRect[0] + x * sx;
  const double top = g.pictureRect[1] + (480 - y) * sy;
  const float to[4] = {float(left), float(top - height * zoom), float(left + width * zoom), float(top)};
  deviceDrawPixels(to, width, height, rgb, rowPixels > 0 ? rowPixels : width);
}
