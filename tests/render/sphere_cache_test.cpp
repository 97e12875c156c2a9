#include "render/sphere_cache.h"

#include <GL/gl.h>

#include <vector>

#include "render/render_util.h"
#include "support/gl_fixture.h"

namespace {

class SphereCacheTest : public GlTest {};

std::vector<ShapeListEntry*> sphereChain() {
  std::vector<ShapeListEntry*> chain;
  for (ShapeListEntry* entry = g_shapeLists[10]; entry; entry = entry->next) chain.push_back(entry);
  return chain;
}

}  // namespace

// The first call with a new radius records the list and draws at once; later calls replay it
// to the same picture.
TEST_F(SphereCacheTest, FirstCallDrawsAndLaterCallsReplayTheSamePicture) {
  glDisable(GL_TEXTURE_2D);
  orthoView(2, 1.5);
  drawSolidSphere(1.0);
  std::vector<unsigned char> first = frame();
  EXPECT_EQ(pixel(320, 240), kWhite);
  EXPECT_EQ(pixel(320 + 150, 240), kWhite);  // x 0.94
  EXPECT_EQ(pixel(320 + 170, 240), kBlack);  // x 1.06
  ASSERT_EQ(sphereChain().size(), 1u);
  EXPECT_TRUE(glIsList(sphereChain()[0]->listName));

  for (int i = 0; i < 5; i++) {
    glClear(GL_COLOR_BUFFER_BIT);
    drawSolidSphere(1.0);
  }
  EXPECT_TRUE(frame() == first);
  std::vector<ShapeListEntry*> chain = sphereChain();
  ASSERT_EQ(chain.size(), 1u);
  EXPECT_EQ(chain[0]->paramCount, 1);
  EXPECT_EQ(chain[0]->params[0], 1.0);
}

// Radii are compared exactly: the float 0.3 widened to double and the double 0.3 are two
// entries; the newest heads the chain and each distinct radius has its own list.
TEST_F(SphereCacheTest, OneEntryPerDistinctRadiusNewestFirst) {
  drawSolidSphere(0.3f);
  drawSolidSphere(550);
  drawSolidSphere(0.3);
  drawSolidSphere(0.3f);
  drawSolidSphere(550);
  std::vector<ShapeListEntry*> chain = sphereChain();
  ASSERT_EQ(chain.size(), 3u);
  EXPECT_EQ(chain[0]->params[0], 0.3);
  EXPECT_EQ(chain[1]->params[0], 550.0);
  EXPECT_EQ(chain[2]->params[0], (double)0.3f);
  EXPECT_NE(chain[0]->listName, chain[2]->listName);
  EXPECT_NE(chain[1]->listName, chain[2]->listName);
  for (int kind = 0; kind < 16; kind++)
    if (kind != 10) {
      EXPECT_EQ(g_shapeLists[kind], nullptr);
    }

  double wanted[1] = {550.0};
  EXPECT_EQ(findShapeList(10, wanted, 1), chain[1]->listName);
  double unknown[1] = {551.0};
  EXPECT_EQ(findShapeList(10, unknown, 1), 0u);
  EXPECT_EQ(findShapeList(3, wanted, 1), 0u);
}

TEST(ParamsEqual, ComparesOnlyTheFirstCountValuesExactly) {
  double a[3] = {1.0, 2.0, 3.0};
  double b[3] = {1.0, 2.0, 4.0};
  EXPECT_TRUE(paramsEqual(a, b, 2));
  EXPECT_FALSE(paramsEqual(a, b, 3));
  EXPECT_TRUE(paramsEqual(a, b, 0));
  EXPECT_TRUE(paramsEqual(a, b, -1));
  double c[1] = {0.3};
  double d[1] = {0.3f};
  EXPECT_FALSE(paramsEqual(c, d, 1));
}
