// A GoogleTest fixture with a 640x480 offscreen GL context made current, and pixel reads.
#pragma once

#include <GL/gl.h>
#include <gtest/gtest.h>

#include "platform/gl/offscreen.h"

#include <array>
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
  // One integer of GL state (glGetIntegerv).
  GLint integer(GLenum name) const;
  // Pixel at (x, y) in window coordinates (origin at the lower left, as glReadPixels).
  std::array<int, 3> pixel(int x, int y) const;
  // The whole frame, top row first, tightly packed RGB.
  std::vector<unsigned char> frame() const;
  // Writes the current frame as a PNG (for looking at it while writing a test).
  void savePng(const char* path) const;
};
