// Tower side panel: the camera programme (rise, then the shrinking orbit radius) and what the
// panel leaves behind.
#include <GL/gl.h>
#include <GL/glu.h>

#include "scenes/scenes.h"
#include "scenes/tower_panel.h"
#include "app/app.h"
#include "support/window_start.h"

namespace {

class TowerPanelTest : public WindowStartTest {};

TEST_F(TowerPanelTest, CameraRisesForOneHundredFiftySixCallsThenOrbitShrinksToMinusTwentyAndAHalf) {
  int riseStoppedOn = 0, radiusSettledOn = 0;
  for (int call = 1; call <= 300; call++) {
    float radiusBefore = g_towerOrbitRadius;
    drawTowerPanelScene();
    if (!riseStoppedOn && g_towerRise == 0.0f) riseStoppedOn = call;
    if (!radiusSettledOn && g_towerOrbitRadius == -20.5f) radiusSettledOn = call;
    if (call <= 157) { EXPECT_FLOAT_EQ(g_towerOrbitRadius, 20.0f) << "call " << call; }
    if (call == 158) { EXPECT_FLOAT_EQ(g_towerOrbitRadius, 19.5f); }
    if (call > 238) { EXPECT_FLOAT_EQ(g_towerOrbitRadius, radiusBefore) << "call " << call; }
  }
  EXPECT_EQ(riseStoppedOn, 157);
  EXPECT_EQ(radiusSettledOn, 238);
  EXPECT_NEAR(g_towerEyeY, 2.8f, 1e-3f);
  EXPECT_FLOAT_EQ(g_towerOrbitRadius, -20.5f);
  EXPECT_FLOAT_EQ(g_towerPhase, 1500.0f);
  EXPECT_FLOAT_EQ(g_towerSpin, 1500.0f);
}

}  // namespace
