// Real frames of the first act, drawn by the frame driver with the generated content loaded:
// the opening under its white fade, and the three name panels multiplied over the wall.
#include <GL/gl.h>
#include <GL/glu.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/app.h"
#include "app/assets.h"
#include "app/music.h"
#include "platform/fsound.h"
#include "platform/time/virtual_time.h"
#include "support/window_start.h"
#include "timeline/frame.h"

namespace {

class FramePictureTest : public WindowStartTest {
 protected:
  void prepare() override {
    const char* build = std::getenv("KS_BUILD_DIR");
    struct stat info;
    if (!build || chdir(build) != 0 || stat("data/wall.jpg", &info) != 0)
      GTEST_SKIP() << "no generated data directory (build the content target)";
    WindowStartTest::prepare();
    loadAssets();
    playMusicOnVirtualTime();
  }

  static void frameAt(int ms) {
    virtualTimeSetMs(ms);
    renderFrame();
  }

  // Mean brightness and the share of near-black pixels in a rectangle (window coordinates).
  void measure(int x0, int y0, int x1, int y1, double* mean, double* blackShare) const {
    std::vector<unsigned char> rgb = frame();  // top row first
    double sum = 0.0;
    int black = 0, count = 0;
    for (int y = y0; y < y1; y++)
      for (int x = x0; x < x1; x++) {
        const unsigned char* p = &rgb[((479 - y) * 640 + x) * 3];
        sum += (p[0] + p[1] + p[2]) / 3.0;
        if (p[0] < 24 && p[1] < 24 && p[2] < 24) black++;
        count++;
      }
    *mean = sum / count;
    *blackShare = (double)black / count;
  }
};

TEST_F(FramePictureTest, OpeningFadesInFromWhiteWithinTheFirstSecond) {
  frameAt(0);
  frameAt(40);
  frameAt(80);
  frameAt(120);  // first opening frame: the fade adds full white under the wall
  savePng("first_act_0120ms.png");
  // The wall shows beside the cage (left of x 60); the opaque cage and box cover the fade.
  double firstMean, firstBlack;
  measure(0, 0, 60, 480, &firstMean, &firstBlack);
  EXPECT_GT(firstMean, 250.0);
  double boxMean, boxBlack;
  measure(300, 220, 340, 260, &boxMean, &boxBlack);
  EXPECT_LT(boxMean, 200.0) << "the box is drawn over the white, not under it";
  for (int ms = 160; ms <= 1200; ms += 40) frameAt(ms);
  savePng("first_act_1200ms.png");
  double laterMean, laterBlack;
  measure(0, 0, 60, 480, &laterMean, &laterBlack);
  EXPECT_LT(laterMean, firstMean - 40.0) << "the fade is gone after 25 frames";
}

TEST_F(FramePictureTest, NamePanelsMultiplyTheirDarkLettersOverTheOpening) {
  for (int ms = 0; ms <= 1000; ms += 40) frameAt(ms);
  frameAt(10960);
  double bandMean, bandBlack, sideMean, sideBlack;
  measure(100, 330, 540, 470, &bandMean, &bandBlack);
  EXPECT_LT(bandBlack, 0.05) << "before 11 s no panel is drawn";
  frameAt(14000);
  savePng("first_act_14000ms.png");
  // Inside each band (x -2..2 at depth 5: pixels 88..552) the letters are black; beside the
  // panels the wall and the cage show unchanged.
  for (int band : {400, 240, 80}) {
    measure(100, band - 60, 540, band + 60, &bandMean, &bandBlack);
    EXPECT_GT(bandBlack, 0.08) << "band at y " << band;
  }
  measure(0, 0, 80, 480, &sideMean, &sideBlack);
  EXPECT_LT(sideBlack, 0.03);
  EXPECT_GT(sideMean, 40.0);
}

}  // namespace
