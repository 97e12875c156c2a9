// Opening scene: the pulse windows, the cage's end frame, the angle steps and the first picture.
#include <GL/gl.h>
#include <GL/glu.h>

#include <array>
#include <cmath>

#include "app/music.h"
#include "scenes/opening.h"
#include "scenes/scenes.h"
#include "app/app.h"
#include "support/window_start.h"

namespace {

class OpeningTest : public WindowStartTest {
 protected:
  // Scale of the cage frame left behind: the length of the matrix's first column.
  static double leftScale() {
    std::array<double, 16> m = glMatrix(GL_MODELVIEW_MATRIX);
    return std::sqrt(m[0] * m[0] + m[1] * m[1] + m[2] * m[2]);
  }
};

TEST_F(OpeningTest, FirstCallLeavesTheLastRodFrameOnTheCageCorner) {
  g_musicTime = 1.0;
  drawOpeningScene();
  // All angles 0: the cage is square in front of the eye at depth 4; rod 12 starts at the
  // corner (1, -1, -1) and runs to (1, 1, -1).
  GLdouble m[16];
  glGetDoublev(GL_MODELVIEW_MATRIX, m);
  auto apply = [&](double x, double y, double z, double out[3]) {
    for (int r = 0; r < 3; r++) out[r] = m[r] * x + m[4 + r] * y + m[8 + r] * z + m[12 + r];
  };
  double start[3], end[3];
  apply(0, 0, 0, start);
  apply(0, 0, 2, end);
  const double wantStart[3] = {1.0, -1.0, -5.0}, wantEnd[3] = {1.0, 1.0, -5.0};
  for (int r = 0; r < 3; r++) {
    EXPECT_NEAR(start[r], wantStart[r], 1e-5) << r;
    EXPECT_NEAR(end[r], wantEnd[r], 1e-5) << r;
  }

  expectEnabled({GL_DEPTH_TEST}, {GL_BLEND, GL_TEXTURE_GEN_S});
  EXPECT_EQ(glIntegers4(GL_VIEWPORT)[2], 640);
}

TEST_F(OpeningTest, PulsesScaleTheCageOnlyInsideTheirOpenWindows) {
  struct Case {
    double t;
    double scale;  // of the cage frame (box pulse times cage pulse)
  };
  const Case cases[] = {
      {18.6, 1.5},  {18.85, 1.5}, {26.8, 1.5}, {7.3, 0.6},  {8.5, 0.6},  {9.2, 0.6},
      {20.1, 0.6},  {20.7, 0.6},  {18.57, 1.0}, {18.67, 1.0}, {18.8, 1.0}, {18.9, 1.0},
      {7.0, 1.0},   {7.6, 1.0},   {9.4, 1.0},  {9.6, 1.0},  {9.7, 1.0},  {9.9, 1.0},
      {26.6, 1.0},  {27.0, 1.0},  {12.0, 1.0},
  };
  for (const Case& c : cases) {
    g_musicTime = c.t;
    glLoadIdentity();
    drawOpeningScene();
    EXPECT_NEAR(leftScale(), c.scale, 1e-4) << "t = " << c.t;
  }
}

TEST_F(OpeningTest, StretchPulsesLengthenOneAxisOfTheCage) {
  // At 9.5 s the cage is stretched along y, at 9.8 s along z: the last rod (along the cage's
  // local y after its turns) is then twice as long in eye space at 9.5 s.
  auto rodLength = [&](double t) {
    g_musicTime = t;
    glLoadIdentity();
    drawOpeningScene();
    std::array<double, 16> m = glMatrix(GL_MODELVIEW_MATRIX);
    return 2.0 * std::sqrt(m[8] * m[8] + m[9] * m[9] + m[10] * m[10]);
  };
  double plain = rodLength(12.0);
  double alongY = rodLength(9.5);
  EXPECT_NEAR(plain, 2.0, 1e-4);
  EXPECT_GT(alongY, 2.2) << "the cage is stretched by 2 along y while it tumbles";
}

}  // namespace
