// Screen overlays: the white fade's lifetime and left state, and the rosette's one shared
// animation with its bouncing shape.
#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>

#include "app/assets.h"
#include "app/app.h"
#include "support/window_start.h"
#include "timeline/overlays.h"

namespace {

class OverlayTest : public WindowStartTest {
 protected:
  void prepare() override {
    WindowStartTest::prepare();
    glClearColor(0.0f, 0.0f, 0.0f, 0.5f);
  }
};

TEST_F(OverlayTest, WhiteFadeFullOnFirstCallAndGoneFromTheTwentySixth) {
  std::array<int, 3> first = {}, mid = {}, last25 = {}, call26 = {}, corner = {};
  for (int call = 1; call <= 30; call++) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    drawWhiteFade(0.04);
    if (call == 1) first = pixel(320, 240), corner = pixel(0, 479);
    if (call == 13) mid = pixel(320, 240);
    if (call == 25) last25 = pixel(320, 240);
    if (call == 26) call26 = pixel(320, 240);
  }
  EXPECT_EQ(first, (std::array<int, 3>{255, 255, 255}));
  EXPECT_EQ(corner, (std::array<int, 3>{255, 255, 255})) << "the quad covers the whole view";
  EXPECT_NEAR(mid[0], 133, 2);  // alpha 1 - 12 * 0.04 = 0.52
  EXPECT_NEAR(last25[0], 10, 2);  // alpha 0.04
  EXPECT_EQ(call26, (std::array<int, 3>{0, 0, 0}));
  EXPECT_DOUBLE_EQ(g_fadeFrame, 30.0);
}

TEST_F(OverlayTest, RosetteCallsWithDifferentSlotsShareOneAnimation) {
  drawRosetteOverlay(TEX_BOARD);
  drawRosetteOverlay(TEX_GOLEM);
  drawRosetteOverlay(TEX_QUENTA);
  EXPECT_FLOAT_EQ(g_rosetteOrbit, 3.0f);
  EXPECT_FLOAT_EQ(g_rosetteSpin, 3.0f);
  // The eye of the last call is the orbit at counter 2.
  EXPECT_FLOAT_EQ(g_rosetteEyeX, (float)(20.0 * sin(0.02)));
  EXPECT_FLOAT_EQ(g_rosetteEyeZ, (float)(19.0 * cos(0.02)));
  EXPECT_NEAR(g_rosetteP, 1.4 + 3 * 0.6, 1e-12);
}

TEST_F(OverlayTest, RosetteShapeParametersBounceAfterPassingTheirBounds) {
  for (int call = 1; call <= 10; call++) drawRosetteOverlay(TEX_QUENTA);
  // P rises by 0.6 to 7.4, which is past 7, so its step has turned.
  EXPECT_NEAR(g_rosetteP, 7.4, 1e-9);
  EXPECT_DOUBLE_EQ(g_rosetteStepP, -0.6);
  drawRosetteOverlay(TEX_QUENTA);
  EXPECT_NEAR(g_rosetteP, 6.8, 1e-9);

  // Run on: each parameter passes its bounds by less than one step before it turns.
  // (A tiny viewport keeps the draws cheap; the shape does not depend on it.)
  glViewport(0, 0, 8, 8);
  double minP = 1e9, maxP = -1e9, minQ = 1e9, maxQ = -1e9, minR = 1e9, maxR = -1e9;
  for (int call = 0; call < 2000; call++) {
    drawRosetteOverlay(TEX_QUENTA);
    minP = std::fmin(minP, g_rosetteP), maxP = std::fmax(maxP, g_rosetteP);
    minQ = std::fmin(minQ, g_rosetteQ), maxQ = std::fmax(maxQ, g_rosetteQ);
    minR = std::fmin(minR, g_rosetteR), maxR = std::fmax(maxR, g_rosetteR);
  }
  EXPECT_TRUE(maxP > 7.0 && maxP <= 7.6 && minP < -5.5 && minP >= -6.1) << minP << " " << maxP;
  EXPECT_TRUE(maxQ > 6.5 && maxQ <= 6.535 && minQ < -3.1 && minQ >= -3.135) << minQ << " " << maxQ;
  EXPECT_TRUE(maxR > 6.0 && maxR <= 6.23 && minR <= -5.0 && minR >= -5.23) << minR << " " << maxR;
}

TEST_F(OverlayTest, RosetteAddsLightAndLeavesItsMatrixAndState) {
  glEnable(GL_CULL_FACE);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  drawRosetteOverlay(TEX_QUENTA);
  savePng("rosette.png");

  // Untextured (no pictures loaded), the quads add grey 0.4 where they overlap the centre.
  std::vector<unsigned char> rgb = frame();
  int lit = 0;
  for (size_t i = 0; i < rgb.size(); i += 3)
    if (rgb[i] > 0) lit++;
  EXPECT_GT(lit, 1000);
  std::array<int, 3> centre = pixel(320, 240);
  EXPECT_GE(centre[0], 102) << "at least one quad adds 0.4 at the centre";
  EXPECT_EQ(centre[0], centre[1]);

  expectEnabled({GL_DEPTH_TEST}, {GL_BLEND, GL_CULL_FACE});
  expectBlendFunc(GL_ONE, GL_ONE);
  EXPECT_EQ(integer(GL_FRONT_FACE), GL_CW);
  EXPECT_FLOAT_EQ(glFloats4(GL_CURRENT_COLOR)[0], 1.0f);

  // The matrix stays at the look-at times the rotations: on the first call (spin 0) that is
  // the look-at from (0, 0, 19) times a half turn about (1, 1, 1) (12780 degrees in all).
  std::array<double, 16> left = glMatrix(GL_MODELVIEW_MATRIX);
  glLoadIdentity();
  gluLookAt(0.0, 0.0, 19.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
  glRotatef(180.0f, 1.0f, 1.0f, 1.0f);
  expectMatrixNear(left, glMatrix(GL_MODELVIEW_MATRIX), 1e-3);
}

}  // namespace
