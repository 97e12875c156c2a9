// Frame driver: the schedule's boundaries, the viewport slide of the split screen, the clock
// hall's camera path, shrinking viewport and projection, and the bouncing field of view.
#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>
#include <vector>

#include "app/app.h"
#include "app/music.h"
#include "platform/fsound.h"
#include "platform/time/virtual_time.h"
#include "scenes/funnel_burst.h"
#include "scenes/grid_room.h"
#include "scenes/opening.h"
#include "scenes/tower_panel.h"
#include "scenes/tunnel_panel.h"
#include "support/window_start.h"
#include "timeline/frame.h"
#include "timeline/overlays.h"

namespace {

class FrameTest : public WindowStartTest {
 protected:
  void prepare() override {
    WindowStartTest::prepare();
    playMusicOnVirtualTime();
  }

  static void frameAt(double seconds) {
    virtualTimeSetMs((int)std::lround(seconds * 1000.0));
    renderFrame();
  }

  static std::array<int, 4> viewport() { return glIntegers4(GL_VIEWPORT); }
  // The second diagonal entry of the projection: 1 / tan(fovY / 2).
  static double projectionScale() {
    GLdouble p[16];
    glGetDoublev(GL_PROJECTION_MATRIX, p);
    return p[5];
  }

  bool allBlack() const {
    std::vector<unsigned char> rgb = frame();
    for (unsigned char c : rgb)
      if (c != 0) return false;
    return true;
  }
};

TEST_F(FrameTest, UpToATenthOfASecondTheFrameIsOnlyCleared) {
  for (double t : {0.0, 0.1}) {
    frameAt(t);
    EXPECT_TRUE(allBlack()) << t;
  }
  EXPECT_DOUBLE_EQ(g_musicTime, 0.1);
  EXPECT_DOUBLE_EQ(g_fadeFrame, 0.0);
  EXPECT_DOUBLE_EQ(g_tileSpin, 0.0);
  // The first opening frame: the fade's full white under the additive wall and the white box.
  frameAt(0.101);
  EXPECT_DOUBLE_EQ(g_fadeFrame, 1.0);
  EXPECT_DOUBLE_EQ(g_tileSpin, 1.0);
  expectPixels({{320, 240, {255, 255, 255}}, {5, 5, {255, 255, 255}}});
}

TEST_F(FrameTest, OpeningStopsBeforeTwentyEightAndTheModelRoomStartsAtIt) {
  frameAt(27.99);
  EXPECT_DOUBLE_EQ(g_tileSpin, 1.0);
  EXPECT_FLOAT_EQ(g_gridRoomPhase, 0.0f);
  frameAt(28.0);
  EXPECT_DOUBLE_EQ(g_tileSpin, 1.0) << "the opening's upper bound is strict";
  EXPECT_FLOAT_EQ(g_gridRoomPhase, 2.0f);
  EXPECT_FLOAT_EQ(g_rosetteOrbit, 0.0f);
  EXPECT_EQ(viewport(), (std::array<int, 4>{0, 0, 640, 480}));
  // The rosette joins the model room after 33.5 s, once per frame.
  frameAt(33.5);
  EXPECT_FLOAT_EQ(g_rosetteOrbit, 0.0f);
  frameAt(33.54);
  EXPECT_FLOAT_EQ(g_rosetteOrbit, 1.0f);
  // Up to 36.5 s the room fills the window; no panel runs.
  frameAt(36.5);
  EXPECT_FLOAT_EQ(g_mainViewWidth, 640.0f);
  EXPECT_FLOAT_EQ(g_towerPhase, 0.0f);
  EXPECT_FLOAT_EQ(g_rosetteOrbit, 2.0f);
}

TEST_F(FrameTest, SplitScreenSlidesTheSidePanelThenTheTopPanelIntoPlace) {
  int widthDoneOn = 0, heightDoneOn = 0, tunnelFirstOn = 0;
  double t = 36.54;
  for (int frame = 1; frame <= 120; frame++, t += 0.04) {
    float cameraZ = g_tunnelCameraZ;
    frameAt(t);
    if (!widthDoneOn && g_mainViewWidth <= 320.0f) widthDoneOn = frame;
    if (!heightDoneOn && g_mainViewHeight <= 240.0f) heightDoneOn = frame;
    if (!tunnelFirstOn && g_tunnelCameraZ != cameraZ) tunnelFirstOn = frame;
    if (frame == 1) { EXPECT_FLOAT_EQ(g_mainViewWidth, 635.0f); }
  }
  EXPECT_EQ(widthDoneOn, 64);
  EXPECT_EQ(tunnelFirstOn, 64) << "the top panel starts on the frame the side panel arrives";
  EXPECT_EQ(heightDoneOn, 64 + 47);
  EXPECT_FLOAT_EQ(g_mainViewWidth, 320.0f);
  EXPECT_FLOAT_EQ(g_mainViewHeight, 240.0f);
  EXPECT_FLOAT_EQ(g_mainViewStepX, 0.0f);
  EXPECT_FLOAT_EQ(g_mainViewStepY, 0.0f);
  // The model room is drawn last, in the lower-left quarter.
  EXPECT_EQ(viewport(), (std::array<int, 4>{0, 0, 320, 240}));
  // Calls: the tower panel every frame, the tunnel from frame 64, the rosette over each panel
  // and over the room.
  EXPECT_FLOAT_EQ(g_towerPhase, 120 * 5.0f);
  EXPECT_FLOAT_EQ(g_tunnelCameraZ, -3.5f * (120 - 63));
  EXPECT_FLOAT_EQ(g_rosetteOrbit, 120.0f + (120 - 63) + 120.0f);
  savePng("split_screen.png");
}

TEST_F(FrameTest, SlabBlockRunsOverTheSplitScreenAndSlidesInOverFiftyFrames) {
  frameAt(65.0);
  EXPECT_FLOAT_EQ(g_slideX, -50.0f) << "65 itself is outside the window";
  float phase = g_gridRoomPhase;
  frameAt(65.04);
  EXPECT_FLOAT_EQ(g_slideX, -49.0f);
  EXPECT_FLOAT_EQ(g_gridRoomPhase, phase + 2.0f) << "the model room still runs before it";
  for (int i = 0; i < 49; i++) frameAt(69.5);
  EXPECT_FLOAT_EQ(g_slideX, 0.0f);
  EXPECT_FLOAT_EQ(g_slideStep, 1.0f);
  frameAt(69.54);
  EXPECT_FLOAT_EQ(g_slideStep, 0.0f);
  EXPECT_FLOAT_EQ(g_slideX, 0.0f);
  EXPECT_FLOAT_EQ(g_gridRoomPhase, phase + 2.0f) << "after 69 s the model room stops";
}

TEST_F(FrameTest, CameraFliesOrbitsAndKeepsStillAtExactlyNinetySix) {
  frameAt(90.0);
  EXPECT_DOUBLE_EQ(g_flyDistance, 0.0);
  frameAt(90.04);
  frameAt(90.08);
  EXPECT_DOUBLE_EQ(g_eyeZ, -2.0);
  EXPECT_DOUBLE_EQ(g_centerZ, -12.0);
  EXPECT_DOUBLE_EQ(g_eyeX, 14.0);
  EXPECT_DOUBLE_EQ(g_flyDistance, 4.0);
  // The projection of the clock hall: g_fovY, 4/3, near 0.1, far 1000.
  EXPECT_NEAR(projectionScale(), 1.0 / std::tan(22.5 * M_PI / 180.0), 1e-5);
  EXPECT_NEAR(glMatrix(GL_PROJECTION_MATRIX)[10], -(1000.0 + 0.1) / (1000.0 - 0.1), 1e-5);

  const double eyeZ = g_eyeZ, fly = g_flyDistance;
  frameAt(96.0);
  EXPECT_DOUBLE_EQ(g_eyeZ, eyeZ);
  EXPECT_DOUBLE_EQ(g_flyDistance, fly);
  EXPECT_DOUBLE_EQ(g_cameraCounter, 0.0);

  frameAt(96.04);
  frameAt(96.08);
  // Orbit about (13, 40, -250) at counter 1.
  EXPECT_DOUBLE_EQ(g_eyeY, 20.0 * cos(0.07) + 40.0);
  EXPECT_DOUBLE_EQ(g_eyeZ, 21.0 * sin(0.07) - 250.0);
  EXPECT_DOUBLE_EQ(g_centerY, 45.0);
  EXPECT_DOUBLE_EQ(g_flyDistance, 0.0);
  EXPECT_DOUBLE_EQ(g_cameraCounter, 2.0);

  // At 100 s the eye moves 2.5 along +z per frame.
  frameAt(100.0);
  double z1 = g_eyeZ;
  frameAt(100.04);
  EXPECT_DOUBLE_EQ(g_eyeZ - z1, 2.5);
  EXPECT_DOUBLE_EQ(g_centerZ, g_eyeZ - 5.0);
  EXPECT_DOUBLE_EQ(g_eyeY, -0.2);
  EXPECT_DOUBLE_EQ(g_eyeX, 5.0);
}

TEST_F(FrameTest, ZoomWidensToOneHundredFiftyWobblesAndIsHeldAtFortyFiveFromOneHundredFive) {
  std::vector<double> fov;
  double t = 103.52;
  for (int i = 0; i < 60; i++, t += 0.02) {
    frameAt(t);
    fov.push_back(g_fovY);
  }
  EXPECT_DOUBLE_EQ(fov[0], 47.0);
  EXPECT_DOUBLE_EQ(fov[1], 49.0);
  double maxFov = 0.0;
  for (double f : fov) maxFov = std::fmax(maxFov, f);
  EXPECT_DOUBLE_EQ(maxFov, 151.0) << "passes 150 by one step, then alternates about it";
  EXPECT_DOUBLE_EQ(fov[58] + fov[59], 300.0);
  for (double t : {105.0, 105.36, 105.4}) {
    frameAt(t);
    EXPECT_DOUBLE_EQ(g_fovY, t < 105.4 ? 45.0 : 47.0) << t;
  }
}

TEST_F(FrameTest, DescentJoltsAndShakeAfterOneHundredEight) {
  g_fovY = 120.0;
  frameAt(108.04);
  EXPECT_DOUBLE_EQ(g_fovY, 45.0);
  EXPECT_DOUBLE_EQ(g_eyeY, 90.0);
  EXPECT_DOUBLE_EQ(g_eyeX, 17.0);
  EXPECT_DOUBLE_EQ(g_descentCounter, 1.0);
  EXPECT_DOUBLE_EQ(g_eyeZ, -0.4 - 1.0);
  EXPECT_DOUBLE_EQ(g_centerZ, g_eyeZ - 10.0);
  frameAt(108.08);
  EXPECT_DOUBLE_EQ(g_eyeY, 89.0);
  EXPECT_DOUBLE_EQ(g_eyeZ, -0.8 - 1.0);

  // From 110.7 s one unit per frame, with a jolt of -21 inside 110.7-110.8.
  frameAt(110.6);
  double z = g_eyeZ;
  frameAt(110.7);
  EXPECT_DOUBLE_EQ(g_eyeZ, z - 21.0 - 1.0);
  z = g_eyeZ;
  frameAt(110.9);
  EXPECT_DOUBLE_EQ(g_eyeZ, z - 1.0);
  z = g_eyeZ;
  frameAt(111.5);
  EXPECT_DOUBLE_EQ(g_eyeZ, z + 19.0 - 1.0);

  // The shake: the counter is zeroed in 119.0-119.2, then grows by 15 per frame up to 180.
  frameAt(119.1);
  EXPECT_DOUBLE_EQ(g_cameraCounter, 0.0);
  for (int i = 0; i < 15; i++) frameAt(119.5);
  EXPECT_DOUBLE_EQ(g_cameraCounter, 180.0);
  EXPECT_DOUBLE_EQ(g_shakeStep, 0.0);
  EXPECT_DOUBLE_EQ(g_centerX, g_eyeX + 2.0 * sin(180.0));

  // After 120.6 s two units per frame.
  frameAt(121.0);
  z = g_eyeZ;
  frameAt(121.04);
  EXPECT_DOUBLE_EQ(g_eyeZ, z - 2.0);
}

TEST_F(FrameTest, ClockViewportShrinksSixTimesThenTheFullViewportReturns) {
  std::vector<std::array<int, 4>> seen;
  double t = 127.52;
  for (int i = 0; i < 9; i++, t += 0.04) {
    frameAt(t);
    seen.push_back(viewport());
  }
  // Full, shrunk by (45, 35) a frame, and after the seventh shrink made the height negative,
  // block 5's full viewport again.
  std::vector<std::array<int, 4>> want;
  for (int i = 0; i < 9; i++)
    want.push_back(i == 0 || i > 6 ? std::array<int, 4>{0, 0, 640, 480}
                                   : std::array<int, 4>{45 * i, 35 * i, 640 - 90 * i, 480 - 70 * i});
  EXPECT_EQ(seen, want);
  EXPECT_FLOAT_EQ(g_clockViewHeight, 480.0f - 9 * 70.0f);
}

TEST_F(FrameTest, FunnelBurstRunsUpToAndIncludingOneHundredThirty) {
  frameAt(126.0);
  float spin = g_burstSpin;
  frameAt(126.04);
  EXPECT_NE(g_burstSpin, spin);
  spin = g_burstSpin;
  frameAt(130.0);
  EXPECT_NE(g_burstSpin, spin) << "130 itself belongs to the burst too";
  spin = g_burstSpin;
  frameAt(130.04);
  EXPECT_EQ(g_burstSpin, spin);
}

TEST_F(FrameTest, FieldOfViewBouncesAfterOneHundredSeventySixAndCreditsResetIt) {
  frameAt(176.0);
  EXPECT_FLOAT_EQ(g_bounceFov, 100.0f);
  float lo = 1e9f, hi = -1e9f;
  for (int i = 0; i < 200; i++) {
    frameAt(180.0);
    EXPECT_DOUBLE_EQ(g_fovY, (double)g_bounceFov);
    lo = std::fmin(lo, g_bounceFov);
    hi = std::fmax(hi, g_bounceFov);
  }
  EXPECT_TRUE(hi > 120.0f && hi < 121.3f) << hi;
  EXPECT_TRUE(lo < 90.0f && lo > 88.7f) << lo;
  EXPECT_NEAR(projectionScale(), 1.0 / std::tan(g_fovY * 0.5 * M_PI / 180.0), 1e-4);
  frameAt(193.04);
  EXPECT_DOUBLE_EQ(g_fovY, 45.0);
  EXPECT_NEAR(projectionScale(), 1.0 / std::tan(22.5 * M_PI / 180.0), 1e-5);
}

}  // namespace
