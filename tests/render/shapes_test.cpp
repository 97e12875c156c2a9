#include "render/shapes.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>
#include <functional>
#include <string>

#include "render/render_util.h"
#include "support/gl_fixture.h"

namespace {

class ShapesTest : public GlTest {
 protected:
  // Corner pixels of the frame: top-left, top-right, bottom-left, bottom-right.
  std::array<Rgb, 4> corners() const { return {pixel(20, 460), pixel(620, 460), pixel(20, 20), pixel(620, 20)}; }
};

struct FaceCase {
  const char* name;
  std::function<void()> plain;
  std::function<void(float)> tiled;
  float angle, ax, ay;      // rotation that turns the face's front side to the viewer
  std::array<Rgb, 4> seen;  // top-left, top-right, bottom-left, bottom-right
};

// Every face spans -1..1 in its plane, so the orthographic view is covered exactly.
std::vector<FaceCase> faces() {
  return {
      {"front", [] { drawFrontFace(-1, 1, 0, 2, 2); }, [](float r) { drawFrontFaceTiled(-1, 1, 0, 2, 2, r); },
       0, 0, 1, {kBlue, kYellow, kRed, kGreen}},
      {"back", [] { drawBackFace(-1, 1, 0, 2, 2); }, [](float r) { drawBackFaceTiled(-1, 1, 0, 2, 2, r); },
       180, 0, 1, {kYellow, kBlue, kGreen, kRed}},
      {"right", [] { drawRightFace(0, 1, 1, 2, 2); }, [](float r) { drawRightFaceTiled(0, 1, 1, 2, 2, r); },
       -90, 0, 1, {kBlue, kYellow, kRed, kGreen}},
      {"left", [] { drawLeftFace(0, 1, 1, 2, 2); }, [](float r) { drawLeftFaceTiled(0, 1, 1, 2, 2, r); },
       90, 0, 1, {kYellow, kBlue, kGreen, kRed}},
      {"top", [] { drawTopFace(-1, 0, 1, 2, 2); }, [](float r) { drawTopFaceTiled(-1, 0, 1, 2, 2, r); },
       90, 1, 0, {kBlue, kYellow, kRed, kGreen}},
      {"bottom", [] { drawBottomFace(-1, 0, 1, 2, 2); }, [](float r) { drawBottomFaceTiled(-1, 0, 1, 2, 2, r); },
       -90, 1, 0, {kRed, kGreen, kBlue, kYellow}},
  };
}

// Draws one face from its front side with back-face culling, starting from either winding.
void drawSeenFromFront(const FaceCase& face, const std::function<void()>& draw, GLenum windingBefore,
                       bool fromBehind) {
  glClear(GL_COLOR_BUFFER_BIT);
  orthoView();
  glRotatef(face.angle + (fromBehind ? 180.0f : 0.0f), face.ax, face.ay, 0);
  glEnable(GL_CULL_FACE);
  glCullFace(GL_BACK);
  glFrontFace(windingBefore);
  draw();
}

}  // namespace

// Seen from its front side each face shows the picture as the vertex table lays it out
// (bottom row of the picture at the upper edge; back, left and bottom mirrored); seen from
// behind it is culled, whatever winding was current before.
TEST_F(ShapesTest, FacesShowTheirPictureFromTheFrontAndAreCulledFromBehind) {
  makeCornerTexture(0);
  for (const FaceCase& face : faces()) {
    for (GLenum before : {GL_CW, GL_CCW}) {
      SCOPED_TRACE(std::string(face.name) + (before == GL_CW ? " after CW" : " after CCW"));
      drawSeenFromFront(face, face.plain, before, false);
      EXPECT_EQ(corners(), face.seen);
      drawSeenFromFront(face, face.plain, before, true);
      EXPECT_EQ(pixel(320, 240), kBlack);
      EXPECT_EQ(pixel(20, 460), kBlack);
    }
  }
}

TEST_F(ShapesTest, TiledFacesRepeatThePicture) {
  makeCornerTexture(0);
  for (const FaceCase& face : faces()) {
    SCOPED_TRACE(face.name);
    // Repeat 1 draws exactly like the plain face and leaves the same winding.
    drawSeenFromFront(face, face.plain, GL_CW, false);
    std::vector<unsigned char> plainFrame = frame();
    GLint plainWinding = integer(GL_FRONT_FACE);
    drawSeenFromFront(face, [&] { face.tiled(1); }, GL_CCW, false);
    EXPECT_TRUE(frame() == plainFrame);
    EXPECT_EQ(integer(GL_FRONT_FACE), plainWinding);

    // Repeat 4: 4 copies along each edge, so every 80 px across (60 px down) the texel
    // column (row) changes, and the corners are as for the plain face.
    drawSeenFromFront(face, [&] { face.tiled(4); }, GL_CW, false);
    EXPECT_EQ(corners(), face.seen);
    for (int cell = 0; cell < 8; cell++) {
      EXPECT_EQ(pixel(40 + 80 * cell, 450), cell % 2 == 0 ? face.seen[0] : face.seen[1]) << "column " << cell;
      EXPECT_EQ(pixel(20, 450 - 60 * cell), cell % 2 == 0 ? face.seen[0] : face.seen[2]) << "row " << cell;
    }
  }
}

// The box fills exactly its region, sides with one texture and top/bottom with the other,
// and leaves the top/bottom texture bound and the winding at GL_CW.
TEST_F(ShapesTest, BoxExtentsTexturesAndStateLeft) {
  makeTexture(1, 1, 1, {kRed});    // top and bottom
  makeTexture(2, 1, 1, {kGreen});  // sides
  // 4 world units a pixel: x -1280..1280, y -960..960.
  orthoView(1280, 960, 5000);
  glFrontFace(GL_CCW);
  drawBox(-1000, 500, 1000, 2000, 1000, 2000, 1, 2);
  // Seen from +z the front side face (green) covers x -1000..1000, y -500..500.
  // Pixel 70 is x -1000..-996, 569 is 996..1000, 115 is y -500..-496.
  expectPixels({{320, 240, kGreen}, {70, 240, kGreen}, {69, 240, kBlack}, {569, 240, kGreen}, {570, 240, kBlack},
                {320, 115, kGreen}, {320, 114, kBlack}, {320, 364, kGreen}, {320, 365, kBlack}});
  EXPECT_EQ((GLuint)integer(GL_TEXTURE_BINDING_2D), g_textures[1]);
  EXPECT_EQ(integer(GL_FRONT_FACE), GL_CW);

  // Seen from above (+y), 5 units a pixel vertically, it spans z -1000..1000 (px 40..440)
  // and shows the top texture.
  glClear(GL_COLOR_BUFFER_BIT);
  orthoView(1600, 1200, 5000);
  glRotatef(90, 1, 0, 0);
  drawBox(-1000, 500, 1000, 2000, 1000, 2000, 1, 2);
  expectPixels({{320, 240, kRed}, {320, 438, kRed}, {320, 442, kBlack}, {320, 42, kRed}, {320, 38, kBlack}});
}

// Perspective views of a box with culling on: from outside the faces turned to the viewer
// show (top and front, not back and bottom); from inside nothing does.
TEST_F(ShapesTest, BoxCullingFromOutsideAndInside) {
  makeTexture(1, 1, 1, {kRed});    // top and bottom
  makeTexture(2, 1, 1, {kGreen});  // sides
  glEnable(GL_CULL_FACE);
  glCullFace(GL_BACK);
  for (GLenum before : {GL_CW, GL_CCW}) {
    glClear(GL_COLOR_BUFFER_BIT);
    loadProjection(45, 20000);
    gluLookAt(0, 3000, 5000, 0, 0, 0, 0, 1, 0);
    glFrontFace(before);
    drawBox(-1000, 500, 1000, 2000, 1000, 2000, 1, 2);
    // Scan the centre column: the top (red) lies above the front (green), with nothing
    // of the back or bottom faces in between.
    int firstLit = -1, lastLit = -1;
    for (int y = 0; y < 480; y++) {
      if (pixel(320, y) != kBlack) {
        if (firstLit < 0) firstLit = y;
        lastLit = y;
      }
    }
    ASSERT_GE(firstLit, 0);
    EXPECT_EQ(pixel(320, firstLit + 2), kGreen) << "lowest part of the silhouette is the front face";
    EXPECT_EQ(pixel(320, lastLit - 2), kRed) << "highest part of the silhouette is the top face";

    // From the centre of the box, looking in any direction: every face is culled.
    for (float turn : {0.0f, 90.0f, 180.0f, 270.0f}) {
      glClear(GL_COLOR_BUFFER_BIT);
      glLoadIdentity();
      glRotatef(30, 1, 0, 0);
      glRotatef(turn, 0, 1, 0);
      glFrontFace(before);
      drawBox(-1000, 500, 1000, 2000, 1000, 2000, 1, 2);
      std::vector<unsigned char> rgb = frame();
      bool anyLit = false;
      for (unsigned char c : rgb) anyLit |= c != 0;
      EXPECT_FALSE(anyLit) << "turned " << turn;
    }
  }
}

// From below only the base faces the viewer, from above only the four sides (each with the
// apex, the point nearest the viewer); the winding is left at GL_CCW.
TEST_F(ShapesTest, PyramidFacesPointOutwardAndItLeavesCcw) {
  glEnable(GL_CULL_FACE);
  glCullFace(GL_BACK);
  orthoView(2, 1.5);
  glRotatef(-90, 1, 0, 0);  // -y towards the viewer
  auto fromBelow = feedbackPolygons([] { drawPyramid(0, 1, 0, 2, 2); });
  ASSERT_FALSE(fromBelow.empty());
  float baseDepth = fromBelow[0][0][2];
  for (const auto& polygon : fromBelow)
    for (const auto& v : polygon) EXPECT_FLOAT_EQ(v[2], baseDepth) << "only the base plane";
  EXPECT_EQ(integer(GL_FRONT_FACE), GL_CCW);

  orthoView(2, 1.5);
  glRotatef(90, 1, 0, 0);  // +y towards the viewer
  auto fromAbove = feedbackPolygons([] { drawPyramid(0, 1, 0, 2, 2); });
  EXPECT_EQ(fromAbove.size(), 4u);
  for (const auto& polygon : fromAbove) {
    bool hasApex = false;
    for (const auto& v : polygon) hasApex |= std::abs(v[0] - 320) < 0.01f && std::abs(v[1] - 240) < 0.01f;
    EXPECT_TRUE(hasApex);
  }
}

// The fourth corner is B minus the x offset, plus the y and z offsets; the quad is CW-front.
TEST_F(ShapesTest, CornerQuadFourthVertexRule) {
  makeCornerTexture(0);
  orthoView();
  glEnable(GL_CULL_FACE);
  glCullFace(GL_BACK);
  glFrontFace(GL_CCW);
  // A (-0.5, 0.5), V2 = A + (1, 0), B (0.5, -0.5), V4 = (0.5 - 1, -0.5 + 0, 0 + 0).
  drawQuadFromCorners(-0.5f, 0.5f, 0, 0.5f, -0.5f, 0, 1.0f, 1.0f, 0, 0, 0, 0);
  EXPECT_EQ(integer(GL_FRONT_FACE), GL_CW);
  // A square -0.5..0.5; x -0.45, 0.45 are px 176, 464, y 0.45, -0.45 are px 348, 132.
  EXPECT_EQ(pixel(176, 348), kBlue);    // near A: texture (0, 1), the picture's bottom row
  EXPECT_EQ(pixel(464, 348), kYellow);  // near V2: (1, 1)
  EXPECT_EQ(pixel(464, 132), kGreen);   // near B: (1, 0)
  EXPECT_EQ(pixel(176, 132), kRed);     // near V4: (0, 0), the picture's top row
  EXPECT_EQ(pixel(560, 132), kBlack);   // an added x offset would reach x 1.5

  // With y and z offsets for V4: (0.5 - 1, -0.5 + 0.3, 0 + 0.2) lifts the lower left corner.
  glClear(GL_COLOR_BUFFER_BIT);
  drawQuadFromCorners(-0.5f, 0.5f, 0, 0.5f, -0.5f, 0, 1.0f, 1.0f, 0, 0.3f, 0, 0.2f);
  EXPECT_EQ(pixel(170, 150), kBlack);   // (-0.47, -0.37) is below the lifted edge
  EXPECT_NE(pixel(170, 216), kBlack);   // (-0.47, -0.1) is inside
}

TEST_F(ShapesTest, SlantedQuadBindsItsSlotAndKeepsTheWinding) {
  makeCornerTexture(3);
  makeTexture(4, 1, 1, {kWhite});
  orthoView();
  glFrontFace(GL_CCW);
  // V1 (-0.5, 0.5), V2 (0, 1), V3 (0, -0.5), V4 (-1, -0.5): the bottom edge centred under x
  drawSlantedQuad(-0.5f, 0.5f, 0, 0.5, 0.5, 1.0, 3);
  EXPECT_EQ((GLuint)integer(GL_TEXTURE_BINDING_2D), g_textures[3]);
  EXPECT_EQ(integer(GL_FRONT_FACE), GL_CCW);
  EXPECT_EQ(pixel(288, 444), kYellow);  // (-0.1, 0.85) under V2: texture near (1, 1)
  EXPECT_EQ(pixel(128, 432), kBlack);   // (-0.6, 0.8) above the slanted top edge
  EXPECT_EQ(pixel(352, 240), kBlack);   // (0.1, 0) right of V2 and V3
  EXPECT_EQ(pixel(32, 132), kRed);      // (-0.9, -0.45) near V4: texture (0, 0), the picture's top row
}

// drawCylinder's first radius is the far end's: (40, 0, 1000) is a cone with its point at
// the origin, widening to radius 40 at z 1000.
TEST_F(ShapesTest, CylinderArgumentOrderMakesAConeFromTheOrigin) {
  glDisable(GL_TEXTURE_2D);
  // Look from +x: z runs across the frame (z 0 at the left edge, 1000 at the right), y up.
  orthoView(520, 60, 100);
  glTranslatef(-500, 0, 0);
  glRotatef(90, 0, 1, 0);  // world z runs to the right
  drawCylinder(40, 0, 1000, 20, 20);
  // 1040 units over 640 px; 120 units over 480 px (4 px a unit).
  auto px = [](double z) { return (int)((z + 20) * 640 / 1040); };
  auto py = [](double y) { return (int)((y + 60) * 4); };
  EXPECT_NE(pixel(px(950), py(30)), kBlack);  // radius 38 there
  EXPECT_EQ(pixel(px(100), py(30)), kBlack);  // radius 4 there
  EXPECT_NE(pixel(px(100), py(2)), kBlack);
  EXPECT_EQ(pixel(px(-10), py(0)), kBlack);   // nothing before the point
  EXPECT_EQ(pixel(px(1010), py(0)), kBlack);  // nothing beyond z 1000
}

TEST_F(ShapesTest, QuadricShapesSendNormalsAndTextureCoordinates) {
  makeCornerTexture(0);
  orthoView(2, 1.5);
  // A half disk, sweep 180 from 0 degrees (GLU: from +y clockwise towards +x): right half.
  drawPartialDisk(0.5, 1.0, 16, 2, 0, 180);
  EXPECT_NE(pixel(320 + 120, 240), kBlack);  // (0.75, 0)
  EXPECT_EQ(pixel(320 - 120, 240), kBlack);  // (-0.75, 0)
  EXPECT_EQ(pixel(320, 240), kBlack);        // the hole
  GLfloat normal[4] = {};
  glGetFloatv(GL_CURRENT_NORMAL, normal);
  EXPECT_FLOAT_EQ(normal[2], 1.0f);
  GLfloat texCoord[4] = {-1, -1, -1, -1};
  glGetFloatv(GL_CURRENT_TEXTURE_COORDS, texCoord);
  EXPECT_GE(texCoord[0], 0.0f);
  EXPECT_LE(texCoord[0], 1.0f);
}
