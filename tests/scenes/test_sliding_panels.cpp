// Sliding panels: re-initialisation window, the 11/12/13 s appearances, the 15 and 15.5 s speed
// changes, and what the panels do to the picture under them.
#include <GL/gl.h>
#include <GL/glu.h>

#include "app/assets.h"
#include "app/music.h"
#include "formats/texture.h"
#include "render/render_util.h"
#include "scenes/scenes.h"
#include "scenes/sliding_panels.h"
#include "app/app.h"
#include "support/window_start.h"

namespace {

class SlidingPanelsTest : public WindowStartTest {
 protected:
  void prepare() override {
    WindowStartTest::prepare();
    // One dark-grey 1x1 picture for all three panel slots: a drawn panel multiplies the white
    // background down to 64.
    makeTexture(TEX_REL, 1, 1, {Rgb{64, 64, 64}});
    g_textures[TEX_ASLI] = g_textures[TEX_KVT] = g_textures[TEX_REL];
  }

  // Draws one call over a white picture and reports which bands were darkened
  // (top, middle, bottom sampled at the screen centre column).
  std::array<bool, 3> callAt(double t) {
    g_musicTime = t;
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glColor3f(1.0f, 1.0f, 1.0f);
    drawSlidingPanels();
    return {pixel(320, 420)[0] == 64, pixel(320, 240)[0] == 64, pixel(320, 60)[0] == 64};
  }
};

TEST_F(SlidingPanelsTest, PanelsAppearAtElevenTwelveAndThirteenSeconds) {
  EXPECT_EQ(callAt(3.0), (std::array<bool, 3>{false, false, false}));
  EXPECT_EQ(g_topPanel.slot, 0) << "fields stay zero until 5 s";
  EXPECT_EQ(callAt(5.0), (std::array<bool, 3>{false, false, false}));
  EXPECT_EQ(g_topPanel.width, 0.0f) << "5.0 itself does not initialise";
  EXPECT_EQ(callAt(10.96), (std::array<bool, 3>{false, false, false}));
  EXPECT_EQ((std::array<int, 3>{g_topPanel.slot, g_middlePanel.slot, g_bottomPanel.slot}),
            (std::array<int, 3>{TEX_REL, TEX_ASLI, TEX_KVT}));
  EXPECT_FLOAT_EQ(g_middlePanel.y, 0.8f);
  EXPECT_EQ(callAt(11.0), (std::array<bool, 3>{true, false, false}));
  EXPECT_EQ(callAt(11.96), (std::array<bool, 3>{true, false, false}));
  EXPECT_EQ(callAt(12.0), (std::array<bool, 3>{true, true, false}));
  EXPECT_EQ(callAt(13.0), (std::array<bool, 3>{true, true, true}));
  savePng("panels_13s.png");
  EXPECT_EQ(callAt(15.0), (std::array<bool, 3>{true, true, true}));
  // Stationary so far: the multiplied band keeps to x -2..2 (screen 88..552).
  EXPECT_EQ(pixel(100, 420)[0], 64);
  EXPECT_EQ(pixel(75, 420)[0], 255);
  EXPECT_FLOAT_EQ(g_topPanel.offset, 0.0f);

  // The depth test is switched off for the panels and back on afterwards.
  expectEnabled({GL_DEPTH_TEST}, {GL_BLEND});
  expectBlendFunc(GL_DST_COLOR, GL_ZERO);
}

TEST_F(SlidingPanelsTest, OffsetsDriftAfterFifteenAndSlideOffAfterFifteenAndAHalf) {
  callAt(10.0);
  callAt(15.0);
  EXPECT_FLOAT_EQ(g_topPanel.speed, 0.0f);
  callAt(15.5);
  EXPECT_FLOAT_EQ(g_topPanel.speed, 0.1f);
  EXPECT_FLOAT_EQ(g_middlePanel.speed, -0.1f);
  EXPECT_FLOAT_EQ(g_bottomPanel.speed, 0.1f);
  EXPECT_FLOAT_EQ(g_topPanel.offset, 0.1f);
  callAt(15.54);
  EXPECT_FLOAT_EQ(g_topPanel.speed, -0.65f);
  EXPECT_FLOAT_EQ(g_middlePanel.speed, 0.65f);
  EXPECT_NEAR(g_topPanel.offset, 0.1f - 0.65f, 1e-6f);
  EXPECT_NEAR(g_middlePanel.offset, -0.1f + 0.65f, 1e-6f);
  // Ten more frames: the top band has left towards the left, the middle one to the right.
  for (int i = 0; i < 10; i++) callAt(16.0);
  std::array<bool, 3> bands = callAt(16.0);
  EXPECT_EQ(bands, (std::array<bool, 3>{false, false, false}));
  EXPECT_LT(g_topPanel.offset, -6.0f);
  EXPECT_GT(g_middlePanel.offset, 6.0f);
  // Nothing resets them later in the opening.
  callAt(27.9);
  EXPECT_LT(g_topPanel.offset, -7.0f);
}

}  // namespace
