// Clock hall: the clock's pinned local time and the frame it leaves scaled and shifted by the
// printed width, the start-up tables and their wrap rules, the wall panels' alternation seen
// in the picture, the lift and cube bounds, and the state left behind.
#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>
#include <cstdlib>
#include <ctime>

#include "app/app.h"
#include "app/assets.h"
#include "platform/winapi/gdi_objects.h"
#include "platform/time/virtual_time.h"
#include "platform/wall_clock.h"
#include "render/render_util.h"
#include "render/text.h"
#include "scenes/clock_hall.h"
#include "scenes/figure.h"
#include "scenes/scenes.h"
#include "support/gl_fixture.h"

namespace {

class ClockHallTest : public GlTest {
 protected:
  void prepare() override {
    initStageTables();
    loadProjection(45.0, 1000.0);
    glEnable(GL_TEXTURE_2D);
  }

  // One frame under the camera (eye, centre) as the frame driver sets it.
  void frame(double ex, double ey, double ez, double cx, double cy, double cz) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    gluLookAt(ex, ey, ez, cx, cy, cz, 0.0, 1.0, 0.0);
    drawClockHallScene();
  }
  void frame() { frame(0.0, 0.0, 0.0, 0.0, 0.0, -1.0); }

  static float advance(const char* text) { return textAdvance(text); }

  // The printed advance that the frame left behind, read from the matrix at the end of a frame
  // drawn with the identity camera and the wheel at 0: the steps after the clock text leave a
  // net shift of (8.9, 50, -95) inside the frame scaled by 0.9 about x = 5 and shifted by three
  // times the advance.
  static float leftAdvance() {
    GLfloat m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    EXPECT_NEAR(m[0], 0.9f, 1e-4f);   // 3 x 0.3, not 1
    EXPECT_NEAR(m[5], 0.9f, 1e-4f);
    EXPECT_NEAR(m[10], 1.0f, 1e-4f);
    EXPECT_NEAR(m[13], 0.9f * (50.0f - 42.0f) + 42.0f, 1e-3f);
    EXPECT_NEAR(m[14], -95.0f, 1e-3f);
    return (m[12] - 5.0f - 0.9f * (8.9f - 5.0f)) / 3.0f;
  }
};

// The local time of day as HHMMSS in one number.
int localTime() {
  int h = -1, m = -1, s = -1;
  readLocalTime(&h, &m, &s);
  return h * 10000 + m * 100 + s;
}

TEST(WallClockTest, PinnedTimeOfDayIsReadInTheLocalZone) {
  setenv("KS_FIXED_TIME", "09:05:07", 1);
  setenv("TZ", "UTC", 1);
  tzset();
  EXPECT_EQ(localTime(), 90507);
  // The reading is one instant: another zone shows it at its own local time.
  setenv("TZ", "JST-9", 1);
  tzset();
  EXPECT_EQ(localTime(), 180507);
  // In virtual-time runs the pinned clock runs with the music.
  virtualTimeEnable();
  virtualTimeSetMs(125900);
  EXPECT_EQ(localTime(), 180712);
}

TEST(WallClockTest, MidnightReadsAsZeros) {
  setenv("KS_FIXED_TIME", "00:00:00", 1);
  EXPECT_EQ(localTime(), 0);
}

TEST(WallClockTest, MalformedValueIsReportedAndTheRealClockRead) {
  // Each value in a fresh child process: the variable is read once, on the first reading.
  for (const char* bad : {"24:00:00", "9:60:00", "12:00", "12:00:00x", "-1:00:00", "noon"}) {
    EXPECT_EXIT(
        {
          setenv("KS_FIXED_TIME", bad, 1);
          time_t before = time(nullptr);
          time_t read = wallClockTime(nullptr);
          std::exit(read >= before && read <= time(nullptr) ? 0 : 1);
        },
        testing::ExitedWithCode(0), "not HH:MM:SS")
        << bad;
  }
}

// Capture and bench pin a default time of day; KS_FIXED_TIME, when set and valid, still wins.
TEST(WallClockTest, DefaultPinAppliesOnlyWithoutAValidVariable) {
  setenv("TZ", "UTC", 1);
  tzset();
  unsetenv("KS_FIXED_TIME");
  wallClockPinUnlessSet("12:34:56");
  EXPECT_EQ(localTime(), 123456);
  setenv("KS_FIXED_TIME", "09:05:07", 1);
  wallClockPinUnlessSet("12:34:56");
  EXPECT_EQ(localTime(), 90507);
  setenv("KS_FIXED_TIME", "noon", 1);
  wallClockPinUnlessSet("12:34:56");
  EXPECT_EQ(localTime(), 123456);
}

TEST_F(ClockHallTest, ClockTextLeavesTheHallScaledAndShiftedByThreeTimesItsWidth) {
  g_hdc = toHdc(new GdiDc());
  createOutlineFont();
  setenv("KS_FIXED_TIME", "09:05:07", 1);
  virtualTimeEnable();
  virtualTimeSetMs(0);
  frame();
  ASSERT_GT(advance("9:5:7"), 1.0f);
  EXPECT_NEAR(leftAdvance(), advance("9:5:7"), 1e-3f);  // no leading zeros
  // Three seconds later the seconds have two digits: the whole hall jumps along +x.
  g_wheelAngle = 0.0f;
  virtualTimeSetMs(3000);
  frame();
  EXPECT_NEAR(leftAdvance(), advance("9:5:10"), 1e-3f);
  EXPECT_GT(advance("9:5:10"), advance("9:5:7"));
}

TEST_F(ClockHallTest, TablesMoveEveryFrameAndWrapAfterTheirFiguresAreDrawn) {
  frame();
  // Table A: +1 per frame.
  for (int i = 0; i < 10; i++) EXPECT_FLOAT_EQ(g_stageTableA[i], 50.0f * i + 1.0f);
  // Table B: +0.5; the entry at -40 reaches -39.5 and is set to -500 on the first frame.
  EXPECT_DOUBLE_EQ(g_stageTableB[0], -500.0);
  for (int i = 1; i < 10; i++) EXPECT_DOUBLE_EQ(g_stageTableB[i], -40.0 - 50.0 * i + 0.5);
  // Table C: -0.5; the entry at -500 passes -500 and is set to -40 on the first frame.
  EXPECT_DOUBLE_EQ(g_stageTableC[0], -40.0);
  for (int i = 1; i < 5; i++) EXPECT_DOUBLE_EQ(g_stageTableC[i], 100.0 * i - 500.0 - 0.5);
  // Thirty figures per frame, each moving the swing phase on.
  EXPECT_NEAR(g_figurePhase, 30 * 0.05f, 1e-4f);

  // Upper bounds are strict: 500 stays, 501 wraps to 0; the conveyor likewise at 400.
  g_stageTableA[8] = 499.0f;
  g_stageTableA[9] = 500.0f;
  g_conveyorZ = 398.5f;
  frame();
  EXPECT_FLOAT_EQ(g_stageTableA[8], 500.0f);
  EXPECT_FLOAT_EQ(g_stageTableA[9], 0.0f);
  EXPECT_FLOAT_EQ(g_conveyorZ, 400.0f);
  frame();
  EXPECT_FLOAT_EQ(g_stageTableA[8], 0.0f);
  EXPECT_FLOAT_EQ(g_conveyorZ, -550.0f);
  EXPECT_DOUBLE_EQ(g_stageTableB[0], -499.0);
  EXPECT_DOUBLE_EQ(g_stageTableC[0], -41.0);
}

TEST_F(ClockHallTest, WallPanelsAlternateBoardAndQuentaFromTheFrontEveryFrame) {
  makeTexture(TEX_BOARD, 1, 1, {kRed});
  makeTexture(TEX_QUENTA, 1, 1, {kBlue});
  // Look at the right wall from x = 11 (stage x 11.1 in the frame that step 4 leaves scaled
  // by 0.9 about x = 5), orthographic, so picture x runs along the hall (stage z -550 to 50).
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(-300.0, 300.0, -10.0, 10.0, 0.0, 10.0);
  glMatrixMode(GL_MODELVIEW);
  glDisable(GL_BLEND);
  for (int pass = 0; pass < 2; pass++) {
    const float panelY = 0.9f * (-55.0f - 42.0f) + 42.0f;
    frame(11.0, panelY, -250.0, 12.0, panelY, -250.0);
    for (int k = 0; k < 8; k++) {
      float z = -57.5f - 50.0f * k;
      int x = static_cast<int>((z + 250.0f + 300.0f) / 600.0f * 640.0f);
      EXPECT_EQ(pixel(x, 240), k % 2 == 0 ? kRed : kBlue) << "panel " << k << " pass " << pass;
    }
    EXPECT_EQ(g_panelSlot, TEX_QUENTA);
  }
}

TEST_F(ClockHallTest, LiftAndCubesPassTheirBoundsByAtMostOneStep) {
  glViewport(0, 0, 8, 6);
  // Cubes from their start: up to 24 and back below 0.
  float maxSlide = 0.0f, minSlide = 0.0f;
  for (int f = 0; f < 130; f++) {
    frame();
    maxSlide = std::fmax(maxSlide, g_cubeSlideOffset);
    minSlide = std::fmin(minSlide, g_cubeSlideOffset);
  }
  EXPECT_GT(maxSlide, 24.0f);
  EXPECT_LE(maxSlide, 24.4f + 1e-4f);
  EXPECT_LT(minSlide, 0.0f);
  EXPECT_GE(minSlide, -0.4f - 1e-4f);
  // The lift goes down from 98 first; near each bound it turns after passing it once.
  EXPECT_NEAR(g_liftY, 98.0f - 130 * 0.2f, 1e-2f);
  g_liftY = -89.7f;
  float minLift = g_liftY;
  for (int f = 0; f < 6; f++) {
    frame();
    minLift = std::fmin(minLift, g_liftY);
  }
  EXPECT_LT(minLift, -90.0f);
  EXPECT_GE(minLift, -90.2f - 1e-4f);
  EXPECT_GT(g_liftY, minLift);  // on its way up again
  g_liftY = 99.7f;
  float maxLift = g_liftY;
  for (int f = 0; f < 6; f++) {
    frame();
    maxLift = std::fmax(maxLift, g_liftY);
  }
  EXPECT_GT(maxLift, 100.0f);
  EXPECT_LE(maxLift, 100.2f + 1e-4f);
  EXPECT_LT(g_liftY, maxLift);
}

// What the hall leaves is what the next frame's scenes start from (the burst draws before it).
TEST_F(ClockHallTest, LeavesDepthOnCullingAndTexGenOffAndWhite) {
  frame();
  expectEnabled({GL_DEPTH_TEST}, {GL_CULL_FACE, GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T});
  std::array<float, 4> color = glFloats4(GL_CURRENT_COLOR);
  EXPECT_EQ(color[0] + color[1] + color[2], 3.0f);
  EXPECT_EQ(integer(GL_FRONT_FACE), GL_CW);
}

}  // namespace
