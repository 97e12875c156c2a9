// Grid model room: the eye it writes for the next frame, the matrix and state it leaves, and the
// direction of its floor quad.
#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>

#include "scenes/grid_room.h"
#include "scenes/scenes.h"
#include "app/app.h"
#include "support/window_start.h"
#include "timeline/frame.h"

namespace {

class GridRoomTest : public WindowStartTest {
 protected:
  // What the frame driver does around the scene.
  void frameCall() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    gluLookAt(g_eyeX, 0.0, g_eyeZ, 0.5 * g_eyeZ, 0.0, g_eyeX, 0.0, 1.0, 0.0);
    glEnable(GL_DEPTH_TEST);
    drawGridRoomScene();
  }
};

TEST_F(GridRoomTest, EyeIsWrittenFromThePhaseBeforeItsStepForTheNextFrame) {
  // The first call's view used the start-up eye (0, 0); the call writes the eye of phase 0.
  frameCall();
  EXPECT_DOUBLE_EQ(g_eyeX, 0.0);
  EXPECT_DOUBLE_EQ(g_eyeZ, 800.0);
  EXPECT_FLOAT_EQ(g_gridRoomPhase, 2.0f);
  frameCall();
  EXPECT_DOUBLE_EQ(g_eyeX, sin(2.0f * 0.008) * 600.0);
  EXPECT_DOUBLE_EQ(g_eyeZ, cos(2.0f * 0.01) * 800.0);
}

TEST_F(GridRoomTest, LeavesTheCameraMatrixAndItsState) {
  g_eyeX = 100.0;
  g_eyeZ = 300.0;
  glColor3f(0.3f, 0.3f, 0.3f);
  glEnable(GL_BLEND);
  glLoadIdentity();
  gluLookAt(g_eyeX, 0.0, g_eyeZ, 0.5 * g_eyeZ, 0.0, g_eyeX, 0.0, 1.0, 0.0);
  std::array<double, 16> entry = glMatrix(GL_MODELVIEW_MATRIX);
  drawGridRoomScene();
  expectMatrixNear(glMatrix(GL_MODELVIEW_MATRIX), entry, 1e-3);

  expectEnabled({GL_DEPTH_TEST}, {GL_CULL_FACE, GL_BLEND, GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T});
  expectBlendFunc(GL_SRC_ALPHA, GL_ONE);
  EXPECT_EQ(integer(GL_FRONT_FACE), GL_CW);
  EXPECT_FLOAT_EQ(glFloats4(GL_CURRENT_COLOR)[0], 1.0f);
}

TEST_F(GridRoomTest, FloorQuadReachesTowardsPlusZWithItsRepeat) {
  // Seen from above, looking down -y, a quad from z = -1 reaching 2 towards +z covers the
  // centre and its lower half (towards +z, the bottom of the screen).
  glLoadIdentity();
  gluLookAt(0.0, 10.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, -1.0);
  glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glDisable(GL_TEXTURE_2D);
  glColor3f(1.0f, 1.0f, 1.0f);
  drawFloorQuad(-1.0, 0.0, 0.0, 2.0, 2.0, 0, 10.0, 10.0);
  EXPECT_EQ(pixel(320, 200)[0], 255) << "z = +0.5 is covered";
  EXPECT_EQ(pixel(320, 300)[0], 0) << "z = -0.5 is not";
  EXPECT_EQ(integer(GL_FRONT_FACE), GL_CW);
}

}  // namespace
