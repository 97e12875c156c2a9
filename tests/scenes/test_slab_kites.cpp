// Flipping slab and kite star: the flip's timing, what each phase draws (read back through
// GL feedback), the kite bounds and the number of flowers per frame.
#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>
#include <vector>

#include "app/assets.h"
#include "app/music.h"
#include "scenes/scenes.h"
#include "scenes/slab_kites.h"
#include "support/gl_fixture.h"
#include "timeline/frame.h"

namespace {

struct PhaseCounts {
  int slab = 0, cubes = 0, kites = 0;
};

// Sorts a frame's polygons: the cubes are the dim green-blue ones; the white ones near the eye
// are the slab (about 4 units away), the far white ones (86 units and more) the kites.
PhaseCounts classify(const std::vector<std::vector<FeedbackVertex>>& polygons) {
  PhaseCounts counts;
  for (const std::vector<FeedbackVertex>& p : polygons) {
    const FeedbackVertex& c = p.back();  // the colour: r, g, b at 3, 4, 5
    float minDepth = 2.0f;
    for (const FeedbackVertex& v : p) minDepth = std::fmin(minDepth, v[2]);
    if (std::fabs(c[3] - 0.1f) < 0.01f && std::fabs(c[4] - 0.5f) < 0.01f && std::fabs(c[5] - 0.4f) < 0.01f)
      counts.cubes++;
    else if (c[3] > 0.99f && minDepth < 0.99f)
      counts.slab++;
    else if (c[3] > 0.99f)
      counts.kites++;
  }
  return counts;
}

class SlabKitesTest : public GlTest {
 protected:
  void prepare() override {
    projection(45.0);
    glEnable(GL_TEXTURE_2D);
  }

  void projection(double fovY) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(fovY, 4.0 / 3.0, 0.1f, 2500.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
  }

  // The scene as the frame driver calls it once the slide-in has come to rest.
  void frameAt(double t) {
    g_musicTime = t;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    gluLookAt(0.0, 0.0, g_eyeZ, 0.0, 0.0, -5.0, 0.0, 1.0, 0.0);
    drawSlabAndKites(TEX_DEATH);
    glEnable(GL_DEPTH_TEST);
  }
};

TEST_F(SlabKitesTest, FlipStartsAfterSeventySecondsAndEndsAtOneEightyAfterEighteenFrames) {
  frameAt(65.04);
  EXPECT_DOUBLE_EQ(g_eyeZ, 3.5);  // for the next frame's camera
  frameAt(70.0);                  // strictly after 70 s only
  EXPECT_DOUBLE_EQ(g_slabAngle, 0.0);
  for (int frame = 1; frame <= 30; frame++) {
    frameAt(70.0 + 0.04 * frame);
    ASSERT_DOUBLE_EQ(g_slabAngle, frame <= 18 ? 10.0 * frame : 180.0) << "frame " << frame;
  }
  EXPECT_DOUBLE_EQ(g_slabFlipStep, 0.0);
}

TEST_F(SlabKitesTest, SlabUpToOneSeventyAndCubesWithTheStarFromOneSixty) {
  // Angle 0 before the flip, then 10, 20, ..., 180 and 180 again.
  for (int frame = 0; frame <= 19; frame++) {
    double angleBefore = g_slabAngle;
    PhaseCounts counts = classify(feedbackPolygons([&] { frameAt(frame == 0 ? 66.0 : 70.0 + 0.04 * frame); }, 4 << 20));
    double angle = g_slabAngle;
    SCOPED_TRACE(testing::Message() << "angle " << angle << " (was " << angleBefore << ")");
    if (angle < 180.0)
      EXPECT_GT(counts.slab, 0);
    else
      EXPECT_EQ(counts.slab, 0);
    if (angle >= 160.0) {
      EXPECT_GT(counts.cubes, 0);
      EXPECT_GT(counts.kites, 1000);
    } else {
      EXPECT_EQ(counts.cubes, 0);
      EXPECT_EQ(counts.kites, 0);
    }
  }
  EXPECT_DOUBLE_EQ(g_cubeSpin, 3.0 * 4);  // the frames at 160, 170, 180 and 180
}

TEST_F(SlabKitesTest, StarIsTwelveArmsOfThirteenFlowersOfThirtySixKites) {
  // A wide view takes in the whole star, which spans about +-55 units at 86 to 130 deep.
  projection(120.0);
  auto kites = feedbackPolygons([] { drawKiteSwarm(); }, 4 << 20);
  // Unclipped quads may come back whole or as two triangles: count them by their corners.
  size_t triangles = 0;
  for (const auto& p : kites) triangles += p.size() - 2;
  EXPECT_EQ(triangles, 2u * 12u * 13u * 36u);
  // The kite values moved once per flower.
  EXPECT_NEAR(g_flowerSpin, 156 * 0.006, 1e-4);
  EXPECT_NEAR(g_kiteHeight, 2.0 + 156 * 0.002, 1e-4);
  EXPECT_NEAR(g_kiteReach, 0.1 + 156 * 0.001, 1e-4);
  EXPECT_NEAR(g_kiteHalfBase, 2.0 - 156 * 0.001, 1e-4);
  // Drawn in eye space whatever the caller's matrix was: a shifted camera changes nothing.
  glLoadIdentity();
  glTranslatef(100.0f, 0.0f, 0.0f);
  g_flowerSpin = 0.0f;
  g_kiteReach = 0.1f;
  g_kiteHalfBase = 2.0f;
  g_kiteHeight = 2.0f;
  auto again = feedbackPolygons([] { drawKiteSwarm(); }, 4 << 20);
  ASSERT_EQ(again.size(), kites.size());
  for (size_t i = 0; i < kites.size(); i += 97) EXPECT_EQ(again[i], kites[i]) << "kite " << i;
}

TEST_F(SlabKitesTest, KiteReachAndHeightPassTheirBoundsByAtMostOneStep) {
  glViewport(0, 0, 1, 1);
  float maxReach = g_kiteReach, minReach = g_kiteReach, maxHeight = g_kiteHeight, minHeight = g_kiteHeight;
  int reachTurns = 0;
  float lastStep = g_kiteReachStep;
  for (int flower = 0; flower < 30000 && reachTurns < 2; flower++) {
    glLoadIdentity();
    drawKiteFlower();
    if (g_kiteReachStep != lastStep) reachTurns++;
    lastStep = g_kiteReachStep;
    maxReach = std::fmax(maxReach, g_kiteReach);
    minReach = std::fmin(minReach, g_kiteReach);
    maxHeight = std::fmax(maxHeight, g_kiteHeight);
    minHeight = std::fmin(minHeight, g_kiteHeight);
    ASSERT_NEAR(g_kiteReach + g_kiteHalfBase, 2.1f, 5e-3) << "flower " << flower;
  }
  ASSERT_EQ(reachTurns, 2);
  EXPECT_GT(maxReach, 10.001f);
  EXPECT_LE(maxReach, 10.002f + 1e-4f);
  EXPECT_LT(minReach, -1.001f);
  EXPECT_GE(minReach, -1.002f - 1e-4f);
  EXPECT_GT(maxHeight, 5.01f);
  EXPECT_LE(maxHeight, 5.012f + 1e-4f);
  EXPECT_LT(minHeight, 0.55f);
  EXPECT_GE(minHeight, 0.548f - 1e-4f);
  // Past the bound the base has narrowed through zero: its corners are mirrored.
  EXPECT_LT(2.1f - maxReach, 0.0f);
}

}  // namespace
