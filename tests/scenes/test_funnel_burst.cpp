// Funnel burst: 57 funnels a frame (the loop includes 360), the radius bounce with its one-step
// overshoot, the additive look and the state left behind.
#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>
#include <vector>

#include "app/assets.h"
#include "render/render_util.h"
#include "render/shapes.h"
#include "scenes/funnel_burst.h"
#include "scenes/scenes.h"
#include "support/gl_fixture.h"

namespace {

class FunnelBurstTest : public GlTest {
 protected:
  void prepare() override {
    loadProjection(45.0, 1000.0);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
  }

  // Triangles that `draw` sends, counted through feedback under a projection that takes in
  // everything within 60 units of the origin, so nothing is clipped.
  template <typename Draw>
  static long trianglesOf(Draw draw) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-60.0, 60.0, -60.0, 60.0, -100.0, 100.0);
    glMatrixMode(GL_MODELVIEW);
    long triangles = 0;
    for (const auto& polygon : feedbackPolygons(draw, 1 << 22)) triangles += long(polygon.size()) - 2;
    return triangles;
  }
};

TEST_F(FunnelBurstTest, NineteenStepsOfThreeFunnels) {
  long one = trianglesOf([] {
    glLoadIdentity();
    drawCylinder(10.0, 5.0, 20.0, 20, 20);
  });
  ASSERT_GT(one, 0);
  long burst = trianglesOf([] { drawFunnelBurst(); });
  EXPECT_EQ(burst, 57 * one);
  EXPECT_FLOAT_EQ(g_burstSpin, 1.0f);
}

TEST_F(FunnelBurstTest, RadiusPassesItsBoundsByAtMostOneStepThenTurns) {
  glViewport(0, 0, 8, 6);
  std::vector<float> radii;
  for (int f = 0; f < 102; f++) {
    drawFunnelBurst();
    radii.push_back(g_burstRadius);
  }
  // Up from 10 by 0.1 a frame: about 20.00004 after 100 frames, then down again.
  EXPECT_NEAR(radii[99], 20.00004f, 1e-4f);
  EXPECT_GT(radii[99], 20.0f);
  EXPECT_LT(radii[100], radii[99]);
  EXPECT_LT(radii[101], radii[100]);
  EXPECT_FLOAT_EQ(g_burstSpin, 102.0f);
  // Near the lower bound: below 2 by less than one step, then up again.
  g_burstRadius = 2.25f;
  float minRadius = g_burstRadius;
  for (int f = 0; f < 6; f++) {
    drawFunnelBurst();
    minRadius = std::fmin(minRadius, g_burstRadius);
  }
  EXPECT_LT(minRadius, 2.0f);
  EXPECT_GE(minRadius, 1.9f);
  EXPECT_GT(g_burstRadius, minRadius);
}

TEST_F(FunnelBurstTest, FunnelsAddUpAndLeaveBlendingOffDepthOn) {
  makeTexture(TEX_QUENTA, 1, 1, {{40, 20, 10}});
  glColor3f(1.0f, 1.0f, 1.0f);
  glDisable(GL_CULL_FACE);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  drawFunnelBurst();
  // Where many funnel walls overlap the dim picture adds up far beyond one layer.
  int brightest = 0;
  for (int y = 0; y < 480; y += 4)
    for (int x = 0; x < 640; x += 4) brightest = std::max(brightest, pixel(x, y)[0]);
  EXPECT_GE(brightest, 40 * 4);
  expectEnabled({GL_DEPTH_TEST}, {GL_BLEND});
  expectBlendFunc(GL_ONE, GL_ONE);
  EXPECT_EQ(static_cast<GLuint>(integer(GL_TEXTURE_BINDING_2D)), g_textures[TEX_QUENTA]);
}

}  // namespace
