// Picture scaling: the show's viewports and line widths mapped onto a framebuffer of any size.
// Supports: any framebuffer from 16x16 to 16384x16384; the 4:3 picture at the largest size that
// fits, centred, with black bars kept by the scissor box; viewports (edges scaled and rounded),
// line widths (the default one included) and the loading bitmap's pixel zoom (pictureScale).
// Does not support: point sizes, scissor boxes, pixel copies or reads set by the show in window
// pixels (the show uses none of them). Depends on the linker wrapping glViewport and glLineWidth
// for every program that links the platform layer (CMakeLists.txt), and on libGL's entry points.
#include "platform/gl/picture_scale.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

extern "C" {
void __real_glViewport(GLint x, GLint y, GLsizei width, GLsizei height);
void __real_glLineWidth(GLfloat width);
void __wrap_glViewport(GLint x, GLint y, GLsizei width, GLsizei height);
void __wrap_glLineWidth(GLfloat width);
}

namespace {
const int kWindowWidth = 640;
const int kWindowHeight = 480;
int g_framebufferWidth = kWindowWidth;
int g_framebufferHeight = kWindowHeight;
PictureRect g_picture;
bool g_scaled = false;

// The edge at window coordinate `window` of an axis `windowSize` long, in framebuffer pixels.
int mapEdge(int window, int windowSize, int pictureOffset, int pictureSize) {
  return pictureOffset + static_cast<int>(std::lround(static_cast<double>(window) * pictureSize / windowSize));
}
}  // namespace

bool pictureScaleSetTarget(int framebufferWidth, int framebufferHeight) {
  if (framebufferWidth == 0 && framebufferHeight == 0) {
    framebufferWidth = kWindowWidth;
    framebufferHeight = kWindowHeight;
  }
  if (framebufferWidth < 16 || framebufferHeight < 16 || framebufferWidth > 16384 || framebufferHeight > 16384)
    return false;
  g_framebufferWidth = framebufferWidth;
  g_framebufferHeight = framebufferHeight;
  g_picture = pictureFitFramebuffer(framebufferWidth, framebufferHeight);
  g_scaled = framebufferWidth != kWindowWidth || framebufferHeight != kWindowHeight;
  return true;
}

PictureRect pictureRect() { return g_picture; }
int pictureFramebufferWidth() { return g_framebufferWidth; }
int pictureFramebufferHeight() { return g_framebufferHeight; }
float pictureScale() { return static_cast<float>(g_picture.width) / kWindowWidth; }
bool pictureScaled() { return g_scaled; }

PictureRect pictureMapWindowRect(int x, int y, int width, int height) {
  PictureRect mapped;
  mapped.x = mapEdge(x, kWindowWidth, g_picture.x, g_picture.width);
  mapped.y = mapEdge(y, kWindowHeight, g_picture.y, g_picture.height);
  mapped.width = mapEdge(x + width, kWindowWidth, g_picture.x, g_picture.width) - mapped.x;
  mapped.height = mapEdge(y + height, kWindowHeight, g_picture.y, g_picture.height) - mapped.y;
  return mapped;
}

void pictureScaleApply() {
  if (!g_scaled) return;
  glDisable(GL_SCISSOR_TEST);
  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  __real_glLineWidth(pictureScale());
  pictureScaleRestoreScissor();
}

void pictureScaleRestoreScissor() {
  bool padded = g_picture.width != g_framebufferWidth || g_picture.height != g_framebufferHeight;
  if (g_scaled && padded) {
    glScissor(g_picture.x, g_picture.y, g_picture.width, g_picture.height);
    glEnable(GL_SCISSOR_TEST);
  } else {
    glDisable(GL_SCISSOR_TEST);
    glScissor(0, 0, g_framebufferWidth, g_framebufferHeight);
  }
}

void pictureScaleDiscard(bool discard) {
  if (!discard) {
    pictureScaleRestoreScissor();
    return;
  }
  glScissor(0, 0, 0, 0);
  glEnable(GL_SCISSOR_TEST);
}

void __wrap_glViewport(GLint x, GLint y, GLsizei width, GLsizei height) {
  // A negative size is GL's error either way; it is passed on as given.
  if (!g_scaled || width < 0 || height < 0) {
    __real_glViewport(x, y, width, height);
    return;
  }
  PictureRect mapped = pictureMapWindowRect(x, y, width, height);
  __real_glViewport(mapped.x, mapped.y, mapped.width, mapped.height);
}

void __wrap_glLineWidth(GLfloat width) { __real_glLineWidth(g_scaled ? width * pictureScale() : width); }
