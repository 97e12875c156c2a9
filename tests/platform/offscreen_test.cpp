// The offscreen context: the buffers the live window gets (8-bit RGB, depth of at least the
// 16 bits the show asks for), so captured frames look like the live show.
#include "platform/gl/offscreen.h"

#include <GL/gl.h>

#include "support/gl_fixture.h"

namespace {

class OffscreenTest : public GlTest {};

TEST_F(OffscreenTest, BuffersAreEightBitRgbWithDepth) {
  GLint red = 0, green = 0, blue = 0, alpha = -1, depth = 0;
  glGetIntegerv(GL_RED_BITS, &red);
  glGetIntegerv(GL_GREEN_BITS, &green);
  glGetIntegerv(GL_BLUE_BITS, &blue);
  glGetIntegerv(GL_ALPHA_BITS, &alpha);
  glGetIntegerv(GL_DEPTH_BITS, &depth);
  EXPECT_EQ(red, 8);
  EXPECT_EQ(green, 8);
  EXPECT_EQ(blue, 8);
  EXPECT_EQ(alpha, 0);
  EXPECT_GE(depth, 16);
  EXPECT_EQ(offscreenWidth(), 640);
  EXPECT_EQ(offscreenHeight(), 480);
}

// Additive layers round to 8 bits at every step, as in the live window: three layers of 0.25
// give 3 x 64 = 192 (a 10-bit buffer would give 191 once read back).
TEST_F(OffscreenTest, AdditiveLayersRoundPerLayerToEightBits) {
  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  glEnable(GL_BLEND);
  glBlendFunc(GL_ONE, GL_ONE);
  glColor3f(0.25f, 0.25f, 0.25f);
  for (int layer = 0; layer < 3; ++layer) {
    glBegin(GL_QUADS);
      glVertex2f(-1.0f, -1.0f);
      glVertex2f(1.0f, -1.0f);
      glVertex2f(1.0f, 1.0f);
      glVertex2f(-1.0f, 1.0f);
    glEnd();
  }
  glFinish();
  auto rgb = pixel(320, 240);
  EXPECT_EQ(rgb[0], 192);
  EXPECT_EQ(rgb[1], 192);
  EXPECT_EQ(rgb[2], 192);
}

}  // namespace
