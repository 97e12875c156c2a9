// Credits scroll: the scroll and sway steps, every line starting at x -8, the handles swaying
// while the other pieces stay, flat untextured text over a filled depth buffer, and the state
// left behind.
#include <GL/gl.h>
#include <GL/glu.h>

#include <array>
#include <cmath>
#include <cstring>
#include <vector>

#include "app/app.h"
#include "platform/winapi/gdi_objects.h"
#include "render/render_util.h"
#include "render/text.h"
#include "scenes/credits.h"
#include "scenes/scenes.h"
#include "support/gl_fixture.h"

namespace {

class CreditsTest : public GlTest {
 protected:
  void prepare() override {
    g_hdc = toHdc(new GdiDc());
    createOutlineFont();
    // What the timeline sets before the credits.
    loadProjection(45.0, 1000.0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_TEXTURE_2D);
  }

  static float advance(const char* text) { return textAdvance(text); }

  // Draws one call with the scroll chosen so that the first line's base line is at `scroll`.
  void drawAt(float scroll) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    g_creditsScroll = scroll - 0.03f;
    drawCreditsScene();
  }

  // Window row of a point at height y and depth 15 straight ahead.
  static int row(float y) { return static_cast<int>(240.0 + y / (15.0 * std::tan(22.5 * M_PI / 180.0)) * 240.0); }
  static int column(float x) {
    return static_cast<int>(320.0 + x / (15.0 * std::tan(22.5 * M_PI / 180.0) * 4.0 / 3.0) * 320.0);
  }

  // Leftmost lit column in the rows of a line whose base line is at height y.
  int leftmostLit(float y) const {
    std::vector<unsigned char> rgb = frame();  // top row first
    int best = 640;
    for (int r = row(y - 0.1f); r <= row(y + 0.6f); r++) {
      const unsigned char* line = &rgb[(479 - r) * 640 * 3];
      for (int x = 0; x < best; x++)
        if (line[x * 3] | line[x * 3 + 1] | line[x * 3 + 2]) {
          best = x;
          break;
        }
    }
    return best;
  }
};

TEST_F(CreditsTest, ScrollAndSwayStepBeforeDrawingAndStateIsLeft) {
  glDisable(GL_TEXTURE_2D);
  drawCreditsScene();
  EXPECT_FLOAT_EQ(g_creditsScroll, -6.97f);
  EXPECT_FLOAT_EQ(g_creditsWobblePhase, 0.4f);
  EXPECT_FLOAT_EQ(g_creditsWobble, std::sin(0.4f));
  // The last line's advance is left on the matrix, from the scrolled origin.
  std::array<double, 16> m = glMatrix(GL_MODELVIEW_MATRIX);
  EXPECT_NEAR(m[12], advance("note: Thanks to Halvard for his 'Golem'"), 1e-4);
  EXPECT_NEAR(m[13], -6.97f, 1e-5);
  EXPECT_NEAR(m[14], 0.0f, 1e-5);
  std::array<float, 4> colour = glFloats4(GL_CURRENT_COLOR);
  EXPECT_FLOAT_EQ(colour[0], 1.0f);
  EXPECT_FLOAT_EQ(colour[2], 1.0f);
  expectEnabled({GL_TEXTURE_2D, GL_DEPTH_TEST}, {GL_TEXTURE_GEN_S});
  // On the first call the text sits at the bottom edge: at most the tips of the first line's
  // tallest letters reach into the lowest rows.
  glClear(GL_COLOR_BUFFER_BIT);
  g_creditsScroll = -7.0f;
  drawCreditsScene();
  std::vector<unsigned char> first = frame();  // top row first
  int lit = 0;
  for (size_t i = 0; i < first.size(); i++)
    if (first[i]) {
      lit++;
      EXPECT_GE(i / (640 * 3), 475u) << "lit above the bottom rows";
    }
  EXPECT_LT(lit, 300);
  // Some 25 frames later the first line has risen well into view.
  for (int i = 0; i < 25; i++) {
    glClear(GL_COLOR_BUFFER_BIT);
    drawCreditsScene();
  }
  lit = 0;
  for (unsigned char c : frame()) lit += c != 0;
  EXPECT_GT(lit, 3000);
}

TEST_F(CreditsTest, EveryLineStartsAtMinusEightWhateverTheLineAbove) {
  drawAt(4.0f);
  savePng("credits_all_lines.png");
  // Base lines at 4, 2, 0, -2 and -5, all five lines on screen.
  int starts[5] = {leftmostLit(4.0f), leftmostLit(2.0f), leftmostLit(0.0f), leftmostLit(-2.0f),
                   leftmostLit(-5.0f)};
  for (int start : starts) {
    EXPECT_NEAR(start, column(-8.0f), 4);
    EXPECT_NEAR(start, starts[0], 3);
  }
}

TEST_F(CreditsTest, HandlesSwayWhileTheirNeighboursStay) {
  // Same scroll, two sway phases: sin(0.4) > 0 and, eight calls later, sin(3.6) < 0.
  drawAt(0.0f);
  std::vector<unsigned char> near = frame();
  for (int i = 0; i < 7; i++) drawAt(0.0f);
  drawAt(0.0f);
  ASSERT_LT(g_creditsWobble, -0.4f);
  std::vector<unsigned char> far = frame();
  // Line 2 (base line -2): its first piece, handle and third piece, by their x extents.
  float handleStart = -7.8f + advance("code:  Orvin '");
  float handleEnd = handleStart + advance(" Rel Otanu");
  float thirdStart = -7.6f + advance("code:  Orvin '") + advance(" Rel Otanu");
  auto differs = [&](int x0, int x1) {
    int count = 0;
    for (int r = row(-2.3f); r <= row(-1.2f); r++)
      for (int x = std::max(x0, 0); x < std::min(x1, 640); x++)
        for (int c = 0; c < 3; c++) {
          size_t i = (479 - r) * 640 * 3 + x * 3 + c;
          count += near[i] != far[i];
        }
    return count;
  };
  EXPECT_EQ(differs(column(-8.5f), column(handleStart - 0.3f)), 0) << "the first piece stays";
  EXPECT_GT(differs(column(handleStart + 0.3f), column(handleEnd - 0.3f)), 50) << "the handle sways";
  EXPECT_EQ(differs(column(thirdStart + 0.3f), 640), 0) << "the third piece stays";
}

TEST_F(CreditsTest, TextIsFlatBlueGreyOverEverything) {
  // A red texture bound and enabled, and the depth buffer filled close to the eye.
  makeTexture(0, 1, 1, {kRed});
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
  glBegin(GL_QUADS);
  glVertex3f(-1, -1, -0.5f);
  glVertex3f(1, -1, -0.5f);
  glVertex3f(1, 1, -0.5f);
  glVertex3f(-1, 1, -0.5f);
  glEnd();
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  g_creditsScroll = 4.0f - 0.03f;
  drawCreditsScene();
  int text = 0, other = 0;
  std::vector<unsigned char> rgbFrame = frame();
  for (size_t i = 0; i < rgbFrame.size(); i += 3) {
    if (!(rgbFrame[i] | rgbFrame[i + 1] | rgbFrame[i + 2])) continue;
    if (std::abs(rgbFrame[i] - 153) <= 1 && std::abs(rgbFrame[i + 1] - 166) <= 1 &&
        std::abs(rgbFrame[i + 2] - 179) <= 1)
      text++;
    else
      other++;
  }
  EXPECT_GT(text, 2000);
  EXPECT_EQ(other, 0);
}

TEST_F(CreditsTest, PieceTextIsNeverReadAsAFormat) {
  glLoadIdentity();
  printCreditPiece("50% of %s", 0.0f, 0.0f, 0.0f, false);
  EXPECT_NEAR(glMatrix(GL_MODELVIEW_MATRIX)[12], advance("50% of %s"), 1e-4);
}

}  // namespace
