// A GoogleTest fixture with a 640x480 offscreen GL context made current, and the reads of GL
// state and pixels that checks make (free functions too, for tests that make their own context).
#pragma once

#include <GL/gl.h>
#include <gtest/gtest.h>

#include "platform/gl/offscreen.h"

#include <array>
#include <initializer_list>
#include <vector>

// Skips a test that needs an offscreen OpenGL context where there is none; with CI=true it
// fails instead, so a CI machine that lost its context cannot pass by skipping every GL test.
#define KS_REQUIRE_OFFSCREEN(width, height)                                        \
  do {                                                                             \
    if (!offscreenCreate(width, height)) {                                         \
      if (glContextRequired()) FAIL() << "no offscreen OpenGL context (CI=true)"; \
      GTEST_SKIP() << "no offscreen OpenGL context on this machine";               \
    }                                                                              \
  } while (0)
bool glContextRequired();

// With a context current: one integer, four integers (GL_VIEWPORT), four floats
// (GL_CURRENT_COLOR) or a matrix (GL_MODELVIEW_MATRIX) of GL state.
GLint glInteger(GLenum name);
std::array<int, 4> glIntegers4(GLenum name);
std::array<float, 4> glFloats4(GLenum name);
std::array<double, 16> glMatrix(GLenum name);
// The pixel at (x, y) in window coordinates (origin at the lower left, as glReadPixels).
std::array<int, 3> glPixel(int x, int y);
// Expects each listed pixel (GL's origin, lower left) in its colour.
struct PixelIs {
  int x, y;
  std::array<int, 3> rgb;
};
void expectPixels(std::initializer_list<PixelIs> pixels);
// The whole offscreen frame, top row first, tightly packed RGB.
std::vector<unsigned char> glFrame();
// Expects the capabilities `on` enabled and `off` disabled; a failure names the capability.
void expectEnabled(std::initializer_list<GLenum> on, std::initializer_list<GLenum> off);
// Expects the blend function (GL_BLEND_SRC, GL_BLEND_DST).
void expectBlendFunc(GLint source, GLint destination);
// The polygons that `draw` sends through culling, each a list of vertices: window x, y, depth
// and the RGBA colour. Read in feedback mode into a buffer of `floats` (a token other than a
// polygon, or more than the buffer holds, fails the test).
typedef std::array<float, 7> FeedbackVertex;
std::vector<std::vector<FeedbackVertex>> feedbackPolygons(void (*draw)(void*), void* with, size_t floats);
template <typename Draw>
std::vector<std::vector<FeedbackVertex>> feedbackPolygons(Draw draw, size_t floats = 1 << 20) {
  return feedbackPolygons([](void* d) { (*static_cast<Draw*>(d))(); }, &draw, floats);
}
// Expects two matrices equal element by element within `tolerance`.
void expectMatrixNear(const std::array<double, 16>& got, const std::array<double, 16>& want, double tolerance);
// Where the point (x, y, z) lands in window coordinates under the current matrices and
// viewport (GL's origin at the lower left); false where it does not project.
bool windowPointOf(double x, double y, double z, double* windowX, double* windowY);
// Expects a rectangle (of any type with x, y, width and height) to be (x, y, width, height).
template <typename Rect>
void expectRect(const Rect& r, int x, int y, int width, int height) {
  EXPECT_EQ((std::array<int, 4>{r.x, r.y, r.width, r.height}), (std::array<int, 4>{x, y, width, height}));
}

// Use: derive a fixture and put its own start state in prepare(), which runs once the context
// is current (and not when the test is skipped for the lack of one).
class GlTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  virtual void prepare() {}

  // The frame driver's projection: fovY degrees, aspect 4/3, near 0.1, far farPlane; then an
  // identity modelview.
  void loadProjection(double fovY, double farPlane) const;
  GLint integer(GLenum name) const { return glInteger(name); }
  std::array<int, 3> pixel(int x, int y) const { return glPixel(x, y); }
  std::vector<unsigned char> frame() const { return glFrame(); }
  // Writes the current frame as a PNG (for looking at it while writing a test).
  void savePng(const char* path) const;
};
