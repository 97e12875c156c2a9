// Tower side panel: the camera programme (rise, then the shrinking orbit radius) and what the
// panel leaves behind.
#include <GL/gl.h>
#include <GL/glu.h>

#include "scenes/scenes.h"
#include "scenes/tower_panel.h"
#include "support/gl_fixture.h"

namespace {

class TowerPanelTest : public GlTest {
 protected:
  void SetUp() override {
    GlTest::SetUp();
    if (IsSkipped()) return;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, 640.0 / 480.0, 0.1f, 2500.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
  }
};

TEST_F(TowerPanelTest, CameraRisesForOneHundredFiftySixCallsThenOrbitShrinksToMinusTwentyAndAHalf) {
  int riseStoppedOn = 0, radiusSettledOn = 0;
  for (int call = 1; call <= 300; call++) {
    float radiusBefore = g_towerOrbitRadius;
    drawTowerPanelScene();
    if (!riseStoppedOn && g_towerRise == 0.0f) riseStoppedOn = call;
    if (!radiusSettledOn && g_towerOrbitRadius == -20.5f) radiusSettledOn = call;
    if (call <= 157) EXPECT_FLOAT_EQ(g_towerOrbitRadius, 20.0f) << "call " << call;
    if (call == 158) EXPECT_FLOAT_EQ(g_towerOrbitRadius, 19.5f);
    if (call > 238) EXPECT_FLOAT_EQ(g_towerOrbitRadius, radiusBefore) << "call " << call;
  }
  EXPECT_EQ(riseStoppedOn, 157);
  EXPECT_EQ(radiusSettledOn, 238);
  EXPECT_NEAR(g_towerEyeY, 2.8f, 1e-3f);
  EXPECT_FLOAT_EQ(g_towerOrbitRadius, -20.5f);
  EXPECT_FLOAT_EQ(g_towerPhase, 1500.0f);
  EXPECT_FLOAT_EQ(g_towerSpin, 1500.0f);
}

TEST_F(TowerPanelTest, LeavesIdentityAndItsState) {
  glViewport(320, 0, 320, 480);
  glDisable(GL_CULL_FACE);
  drawTowerPanelScene();
  savePng("tower_first.png");
  GLdouble m[16];
  glGetDoublev(GL_MODELVIEW_MATRIX, m);
  EXPECT_DOUBLE_EQ(m[0], 1.0);
  EXPECT_DOUBLE_EQ(m[13], 0.0);
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
  EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_GEN_S));
  GLfloat c[4];
  glGetFloatv(GL_CURRENT_COLOR, c);
  EXPECT_FLOAT_EQ(c[0], 0.2f);
  EXPECT_FLOAT_EQ(c[3], 0.8f);
}

TEST_F(TowerPanelTest, OrbitingViewShowsTheTowerBelowTheCube) {
  // Past the rise (eye at height 2.8 looking at (0, -5, 0)) the tower fills the lower middle
  // of the panel in its tint, and the top of the panel shows the additive cube or the cones.
  glViewport(0, 0, 640, 480);
  for (int call = 0; call < 200; call++) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    drawTowerPanelScene();
  }
  savePng("tower_200.png");
  std::array<int, 3> lower = pixel(320, 40);
  EXPECT_EQ(lower[0], 51) << "tower colour 0.2";
  EXPECT_EQ(lower[1], 204);
}

}  // namespace
