// Walking figure: its extent, the limbs' swing (absolute, opposite for arms and legs, read back
// through GL feedback in an orthographic view) and which picture each body part shows.
#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "app/assets.h"
#include "render/render_util.h"
#include "scenes/figure.h"
#include "scenes/scenes.h"
#include "support/gl_fixture.h"

namespace {

struct Vertex {
  float x, y, z;
};

// The figure's vertices in object space: drawn in feedback mode under glOrtho(-20, 20) on every
// axis, window coordinates map straight back.
std::vector<Vertex> figureVertices(float size, int* polygons = nullptr) {
  glViewport(0, 0, 640, 480);
  orthoView(20.0, 20.0, 20.0);
  glDisable(GL_CULL_FACE);
  auto polygonList = feedbackPolygons([size] { drawFigure(0.0f, 0.0f, 0.0f, size); });
  EXPECT_FALSE(polygonList.empty());
  std::vector<Vertex> vertices;
  int count = 0;
  for (const auto& polygon : polygonList) {
    for (const auto& p : polygon)
      vertices.push_back({p[0] / 640.0f * 40.0f - 20.0f, p[1] / 480.0f * 40.0f - 20.0f, -(p[2] * 2.0f - 1.0f) * 20.0f});
    count += int(polygon.size()) - 2;
  }
  if (polygons) *polygons = count;
  return vertices;
}

// The z values found among the vertices that lie at height y within the x range.
std::vector<float> zAt(const std::vector<Vertex>& vertices, float y, float xMin, float xMax) {
  std::vector<float> zs;
  for (const Vertex& v : vertices)
    if (std::fabs(v.y - y) < 0.01f && v.x > xMin - 0.01f && v.x < xMax + 0.01f) {
      bool seen = false;
      for (float z : zs) seen = seen || std::fabs(z - v.z) < 0.01f;
      if (!seen) zs.push_back(v.z);
    }
  std::sort(zs.begin(), zs.end());
  return zs;
}

// Expects the two depths found at a limb's end (within 1e-3).
void expectNear(const std::vector<float>& got, std::array<float, 2> want) {
  ASSERT_EQ(got.size(), 2u);
  EXPECT_NEAR(got[0], want[0], 1e-3f);
  EXPECT_NEAR(got[1], want[1], 1e-3f);
}

typedef GlTest FigureTest;

TEST_F(FigureTest, SizeSixStandsSevenPointEightTallWithStraightLimbsOnTheFirstCall) {
  int triangles = 0;
  std::vector<Vertex> vertices = figureVertices(6.0f, &triangles);
  EXPECT_FLOAT_EQ(g_figurePhase, 0.05f);
  // 32 four-cornered faces, two five-cornered torso sides and the eight-cornered chest quads.
  EXPECT_EQ(triangles, 31 * 2 + 2 * 3 + 2 * 2);
  float top = -100.0f, bottom = 100.0f;
  for (const Vertex& v : vertices) {
    top = std::max(top, v.y);
    bottom = std::min(bottom, v.y);
  }
  EXPECT_NEAR(top, 0.75f, 1e-3f);
  EXPECT_NEAR(bottom, -7.05f, 1e-3f);
  EXPECT_NEAR(top - bottom, 7.8f, 1e-3f);
  // w = 0: the hands and soles end where the limbs start, at their unswung depths.
  std::vector<float> hands = zAt(vertices, -3.3f, -1.575f, -0.825f);
  expectNear(hands, {-0.75f, -0.25f});
  EXPECT_EQ(zAt(vertices, -3.3f, 0.825f, 1.575f), hands);
  std::vector<float> soles = zAt(vertices, -7.05f, -0.6f, -0.3f);
  expectNear(soles, {-0.525f, 0.525f});
  EXPECT_EQ(zAt(vertices, -7.05f, 0.3f, 0.6f), soles);
}

TEST_F(FigureTest, SwingMovesLimbEndsByTheSameAbsoluteAmountAtAnySize) {
  for (float s : {6.0f, 12.0f}) {
    SCOPED_TRACE(testing::Message() << "size " << s);
    g_figurePhase = 1.5707964f;  // w = sin(pi/2) = 1
    std::vector<Vertex> v = figureVertices(s);
    float handY = -0.55f * s, soleY = -0.925f * s - 1.5f;
    // Arm on the -x side forwards by w, on the +x side backwards; the legs the other way.
    expectNear(zAt(v, handY, -0.2625f * s, -0.1375f * s), {-0.125f * s + 1.0f, 0.125f * s + 1.0f - 1.0f});
    expectNear(zAt(v, handY, 0.1375f * s, 0.2625f * s), {-0.125f * s - 1.0f, 0.125f * s - 1.0f - 1.0f});
    expectNear(zAt(v, soleY, -0.1f * s, -0.05f * s), {-0.0875f * s - 1.0f, 0.0875f * s - 1.0f});
    expectNear(zAt(v, soleY, 0.05f * s, 0.1f * s), {-0.0875f * s + 1.0f, 0.0875f * s + 1.0f});
  }
}

TEST_F(FigureTest, EachPartShowsItsOwnPictureAndBothArmBottomsTheBackPicture) {
  makeTexture(TEX_TWARZ, 1, 1, {kRed});
  makeTexture(TEX_PLECY, 1, 1, {kGreen});
  makeTexture(TEX_BRZUCH, 1, 1, {kBlue});
  makeTexture(TEX_REKA, 1, 1, {kYellow});
  makeTexture(TEX_NOGA, 1, 1, {kWhite});
  glEnable(GL_DEPTH_TEST);
  glColor3f(1.0f, 1.0f, 1.0f);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(-4.0, 4.0, -8.0, 1.0, -20.0, 20.0);
  glMatrixMode(GL_MODELVIEW);
  // From the front (+z): face, belly, arm fronts, leg fronts. The arms reach back 1 unit, so
  // their fronts lie behind the chest line but beside the torso.
  // The window pixel of the eye-space point (x, y) in this view, expected in `rgb`.
  auto at = [](float x, float y, Rgb rgb) {
    return PixelIs{int((x + 4.0f) / 8.0f * 640.0f), int((y + 8.0f) / 9.0f * 480.0f), rgb};
  };
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glLoadIdentity();
  g_figurePhase = 0.0f;
  drawFigure(0.0f, 0.0f, 0.0f, 6.0f);
  // Face, belly, arm and leg.
  expectPixels({at(0.0f, 0.3f, kRed), at(0.0f, -2.5f, kBlue), at(1.2f, -2.0f, kYellow), at(-0.4f, -5.0f, kWhite)});
  // From below (looking up +y; object z becomes picture y): both arm bottoms show the back
  // picture.
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glLoadIdentity();
  glRotatef(-90.0f, 1.0f, 0.0f, 0.0f);
  g_figurePhase = 0.0f;
  drawFigure(0.0f, 0.0f, 0.0f, 6.0f);
  expectPixels({at(-1.2f, -0.5f, kGreen), at(1.2f, -0.5f, kGreen)});
  EXPECT_EQ(static_cast<GLuint>(integer(GL_TEXTURE_BINDING_2D)), g_textures[TEX_NOGA]);
  EXPECT_EQ(integer(GL_FRONT_FACE), GL_CCW);
}

}  // namespace
