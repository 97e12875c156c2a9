// Title board: the board camera's rise, the title's growth from its centre, the backdrop's
// two rises with their different stop tests, the state left, and the multiplied title picture.
#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "app/assets.h"
#include "formats/texture.h"
#include "render/render_util.h"
#include "scenes/scenes.h"
#include "scenes/title_board.h"
#include "support/gl_fixture.h"
#include "timeline/frame.h"

namespace {

class TitleBoardTest : public GlTest {
 protected:
  void prepare() override {
    loadProjection(45.0, 1000.0);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
  }

  // One solid-colour texture per slot; the title is pure red, everything else white.
  void makeTextures() {
    for (int slot = 0; slot < TEXTURE_SLOT_COUNT; slot++) makeTexture(slot, 1, 1, {slot == TEX_TITLE ? kRed : kWhite});
  }

  void frameCall() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    drawTitleBoardScene(0, 0, 640, 480);
  }
};

TEST_F(TitleBoardTest, BoardCameraRisesAndTitleOpensFromItsCentre) {
  for (int call = 1; call <= 420; call++) {
    EXPECT_DOUBLE_EQ(g_boardLookY, std::min(3.0 * (call - 1), 630.0)) << "call " << call;
    EXPECT_FLOAT_EQ(g_boardEyeY, std::min(2.0f * (call - 1), 670.0f)) << "call " << call;
    frameCall();
    if (call == 210 || call == 211) EXPECT_EQ(g_boardLookRise, call == 210 ? 3.0f : 0.0f);
    if (call == 335 || call == 336) EXPECT_EQ(g_boardEyeRise, call == 335 ? 2.0f : 0.0f);
    float width = call < 336 ? 0.0f : std::min(2.0f * (call - 335), 48.0f);
    EXPECT_FLOAT_EQ(g_titleWidth, width) << "call " << call;
    EXPECT_FLOAT_EQ(g_titleLeft + 0.5f * g_titleWidth, 66.0f) << "call " << call;
  }
  // The test against 47.1 comes before the step, so the width ends at 48: x 42..90.
  EXPECT_FLOAT_EQ(g_titleLeft, 42.0f);
  EXPECT_FLOAT_EQ(g_titleWidth, 48.0f);
  // The eye circles at radius 130 from the second call.
  EXPECT_NEAR(std::hypot(g_boardEyeX, g_boardEyeZ), 130.0, 1e-3);
}

TEST_F(TitleBoardTest, BackdropCentreStopsAtItsBoundAndEyeOnlyPastIt) {
  // Start both so that the rises land exactly on their bounds.
  g_centerY = 1250.0 - 2 * 6.5;
  g_eyeY = 1290.0 - 2 * 5.5;
  std::vector<double> centres, eyes;
  for (int i = 0; i < 6; i++) {
    frameCall();
    centres.push_back(g_centerY);
    eyes.push_back(g_eyeY);
  }
  // The centre test is >= : it stops on 1250.
  EXPECT_EQ(centres, (std::vector<double>{1243.5, 1250.0, 1250.0, 1250.0, 1250.0, 1250.0}));
  // The eye test is strict: 1290 rises once more.
  EXPECT_EQ(eyes, (std::vector<double>{1284.5, 1290.0, 1295.5, 1295.5, 1295.5, 1295.5}));
  // The eye circles with x radius 170 and z radius 160.
  double a = 5 * 0.04;
  EXPECT_NEAR(g_eyeX, std::sin(a) * 170.0, 1e-9);
  EXPECT_NEAR(g_eyeZ, std::cos(a) * 160.0, 1e-9);
  EXPECT_DOUBLE_EQ(g_funnelPhase, 6.0);
}

TEST_F(TitleBoardTest, LeavesMultiplyBlendOffAndTitleBound) {
  makeTextures();
  glDisable(GL_DEPTH_TEST);
  glLoadIdentity();
  drawTitleBoardScene(0, 0, 320, 240);
  EXPECT_EQ(glIntegers4(GL_VIEWPORT), (std::array<int, 4>{0, 0, 320, 240}));
  expectMatrixNear(glMatrix(GL_MODELVIEW_MATRIX), {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}, 1e-12);
  expectEnabled({GL_DEPTH_TEST}, {GL_BLEND, GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T});
  expectBlendFunc(GL_DST_COLOR, GL_ZERO);
  EXPECT_EQ(static_cast<GLuint>(integer(GL_TEXTURE_BINDING_2D)), g_textures[TEX_TITLE]);
  // No model drew, so the colour is still the backdrop's lilac.
  std::array<float, 4> colour = glFloats4(GL_CURRENT_COLOR);
  for (int c = 0; c < 3; c++) EXPECT_NEAR(colour[c], (std::array<int, 3>{220, 210, 245})[c] / 255.0, 1e-3) << c;
}

TEST_F(TitleBoardTest, OpenTitleMultipliesOntoTheGlow) {
  makeTextures();
  for (int call = 1; call < 380; call++) frameCall();
  // Where the last call's board camera puts the title's centre and a point above the frame.
  float eyeX = g_boardEyeX, eyeY = g_boardEyeY, eyeZ = g_boardEyeZ;
  double lookY = g_boardLookY;
  frameCall();
  savePng("title_board_open.png");
  glLoadIdentity();
  gluLookAt(eyeX, eyeY, eyeZ, 0.0, lookY, -10.0, 0.0, 1.0, 0.0);
  glScalef(2.5f, 0.75f, 2.5f);
  glTranslatef(-60.0f, 0.0f, -50.0f);
  double wx, wy;
  ASSERT_TRUE(windowPointOf(66.0, 859.5, 47.5, &wx, &wy));
  ASSERT_GT(wx, 0);
  ASSERT_LT(wx, 640);
  ASSERT_GT(wy, 0);
  ASSERT_LT(wy, 480);
  std::array<int, 3> title = pixel(static_cast<int>(wx), static_cast<int>(wy));
  // Red picture times the glow: the glow's red stays, green and blue are multiplied away.
  EXPECT_GT(title[0], 30);
  EXPECT_EQ(title[1] + title[2], 0);
  // Just beside the frame the glow shows untouched.
  ASSERT_TRUE(windowPointOf(93.0, 859.5, 47.5, &wx, &wy));
  ASSERT_GT(wx, 0);
  ASSERT_LT(wx, 640);
  std::array<int, 3> beside = pixel(static_cast<int>(wx), static_cast<int>(wy));
  EXPECT_GT(beside[1], 150) << "at " << wx << ", " << wy;
  EXPECT_GT(beside[2], 150);
}

}  // namespace
