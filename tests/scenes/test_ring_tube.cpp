// Ring tube flight: the camera's bounce and wobble, the matrix it leaves, and the picture down
// the tube.
#include <GL/gl.h>
#include <GL/glu.h>

#include <array>
#include <cmath>
#include <vector>

#include "scenes/ring_tube.h"
#include "scenes/scenes.h"
#include "support/gl_fixture.h"
#include "timeline/frame.h"

namespace {

class RingTubeTest : public GlTest {
 protected:
  void prepare() override {
    // The projection the timeline leaves for this scene.
    loadProjection(45.0, 1000.0);
    glEnable(GL_DEPTH_TEST);
    glColor3f(1.0f, 1.0f, 1.0f);
  }

  void frameCall() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    drawRingTubeScene();
  }
};

TEST_F(RingTubeTest, CameraBouncesBetweenMinusOneAndNinetyWithPeriod182) {
  std::vector<double> used;
  for (int call = 0; call < 182 * 2 + 20; call++) {
    used.push_back(g_tubeCameraZ);
    glLoadIdentity();
    drawRingTubeScene();
  }
  // Calls 1-12 fly backwards from 10 to -1.
  for (int i = 0; i < 12; i++) EXPECT_DOUBLE_EQ(used[i], 10.0 - i) << "call " << i + 1;
  EXPECT_DOUBLE_EQ(used[12], 0.0);
  // Each bound is used for exactly one frame per period.
  int lows = 0, highs = 0;
  for (int i = 11; i < 11 + 182; i++) {
    EXPECT_GE(used[i], -1.0);
    EXPECT_LE(used[i], 90.0);
    if (used[i] == -1.0) lows++;
    if (used[i] == 90.0) highs++;
  }
  EXPECT_EQ(lows, 1);
  EXPECT_EQ(highs, 1);
  EXPECT_DOUBLE_EQ(used[11 + 91], 90.0);
  EXPECT_DOUBLE_EQ(used[11 + 92], 89.0);
  for (size_t i = 0; i + 182 < used.size(); i++) EXPECT_DOUBLE_EQ(used[i + 182], used[i]) << i;
}

TEST_F(RingTubeTest, EyeWobblesOneFrameLateAndLeavesCameraTurnedAboutMinusX) {
  // First call: whatever the shared eye held.
  g_eyeX = 3.0;
  g_eyeY = -2.0;
  glLoadIdentity();
  drawRingTubeScene();
  std::array<double, 16> left = glMatrix(GL_MODELVIEW_MATRIX);
  glLoadIdentity();
  gluLookAt(3.0, -2.0, 10.0, 0.0, 0.0, 12.0, 0.0, 1.0, 0.0);
  glRotatef(90.0f, -1.0f, 0.0f, 0.0f);
  expectMatrixNear(left, glMatrix(GL_MODELVIEW_MATRIX), 1e-4);
  // The wobble written for the next call, at phase 0 and then phase 1.
  EXPECT_DOUBLE_EQ(g_eyeX, 0.0);
  EXPECT_DOUBLE_EQ(g_eyeY, 0.5);
  glLoadIdentity();
  drawRingTubeScene();
  EXPECT_NEAR(g_eyeX, std::sin(0.1) * 0.5, 1e-12);
  EXPECT_NEAR(g_eyeY, std::cos(0.1) * 0.5, 1e-12);
  EXPECT_DOUBLE_EQ(g_tubePhase, 2.0);
  // The eye stays well inside the circle of rods.
  for (int i = 0; i < 70; i++) {
    glLoadIdentity();
    drawRingTubeScene();
    EXPECT_NEAR(std::hypot(g_eyeX, g_eyeY), 0.5, 1e-12);
  }
}

TEST_F(RingTubeTest, LooksDownTheTubeThroughTheRings) {
  g_eyeX = 0.0;
  g_eyeY = 0.5;
  frameCall();
  savePng("ring_tube_first_call.png");
  // Down the axis the tube is open to its far end at z 100: the cleared background shows there.
  glLoadIdentity();
  gluLookAt(0.0, 0.5, 10.0, 0.0, 0.0, 12.0, 0.0, 1.0, 0.0);
  double wx, wy;
  ASSERT_TRUE(windowPointOf(0.0, 0.0, 100.0, &wx, &wy));
  std::array<int, 3> end = pixel(static_cast<int>(wx), static_cast<int>(wy));
  EXPECT_EQ(end[0] + end[1] + end[2], 0) << "at " << wx << ", " << wy;
  // A ring's inner hole is only 1.1 wide: a little beside the axis the view meets the tube.
  ASSERT_TRUE(windowPointOf(0.0, -1.0, 60.0, &wx, &wy));
  std::array<int, 3> wall = pixel(static_cast<int>(wx), static_cast<int>(wy));
  EXPECT_GT(wall[0], 100) << "at " << wx << ", " << wy;
  // Off the axis the view is filled by rings and rods in the current colour (white, untextured).
  int lit = 0;
  for (int x = 0; x < 640; x += 8) {
    std::array<int, 3> top = pixel(x, 470);
    std::array<int, 3> bottom = pixel(x, 10);
    if (top[0] > 100) lit++;
    if (bottom[0] > 100) lit++;
  }
  EXPECT_GT(lit, 100) << "the edges of the frame should be mostly tube";
}

}  // namespace
