// The offscreen context: the buffers the live window gets (8-bit RGB, depth of at least the
// 16 bits the show asks for), so captured frames look like the live show.
#include "platform/gl/offscreen.h"

#include <GL/gl.h>

#include "support/gl_fixture.h"

namespace {

class OffscreenTest : public GlTest {};

TEST_F(OffscreenTest, BuffersAreEightBitRgbWithDepth) {
  EXPECT_EQ(integer(GL_RED_BITS), 8);
  EXPECT_EQ(integer(GL_GREEN_BITS), 8);
  EXPECT_EQ(integer(GL_BLUE_BITS), 8);
  EXPECT_EQ(integer(GL_ALPHA_BITS), 0);
  EXPECT_GE(integer(GL_DEPTH_BITS), 16);
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
  for (int layer = 0; layer < 3; ++layer) glRectf(-1.0f, -1.0f, 1.0f, 1.0f);
  glFinish();
  EXPECT_EQ(pixel(320, 240), (std::array<int, 3>{192, 192, 192}));
}

}  // namespace
