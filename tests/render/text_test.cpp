#include "render/text.h"

#include <GL/gl.h>

#include <string>

#include "platform/winapi/gdi_objects.h"
#include "render/render_util.h"
#include "support/gl_fixture.h"

// The window's device context, which the application shell provides in the program.
HDC g_hdc = nullptr;

namespace {

class TextTest : public GlTest {
 protected:
  void prepare() override {
    g_hdc = toHdc(new GdiDc());
    createOutlineFont();
    glDisable(GL_TEXTURE_2D);
  }
  float modelviewX() const {
    GLfloat m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    return m[12];
  }
  bool anyLit() const {
    for (unsigned char c : frame())
      if (c) return true;
    return false;
  }
  // An "O" on a cleared frame, seen from +z or (turned half round) from -z.
  static void printO(bool fromBehind) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    orthoView(0.6, 0.45, 1.0);
    if (fromBehind) glRotatef(180, 0, 1, 0);
    glTranslatef(-0.35f, -0.3f, 0);
    printText("O");
  }
  static float depthAt(int x, int y) {
    float depth = 0;
    glReadPixels(x, y, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    return depth;
  }
  float advance(unsigned char c) const { return g_glyphMetrics[c].gmfCellIncX; }
};

}  // namespace

// Glyphs are in em units: capitals stand on the base line and are less than one unit high.
TEST_F(TextTest, GlyphsAreInEmUnitsWithMetrics) {
  EXPECT_NE(g_fontBase, 0u);
  const GLYPHMETRICSFLOAT& h = g_glyphMetrics['H'];
  EXPECT_GT(h.gmfBlackBoxY, 0.55f);
  EXPECT_LT(h.gmfBlackBoxY, 0.8f);
  EXPECT_NEAR(h.gmfptGlyphOrigin.y - h.gmfBlackBoxY, 0.0f, 0.02f);
  EXPECT_GT(h.gmfCellIncX, 0.3f);
  EXPECT_EQ(h.gmfCellIncY, 0.0f);
  EXPECT_GT(advance('W'), advance('i'));
  EXPECT_GT(advance(' '), 0.0f);
  EXPECT_EQ(g_glyphMetrics[' '].gmfBlackBoxX, 0.0f);
}

// Every glyph polygon is wound clockwise seen from outside the glyph (the clock hall prints
// with culling on under glFrontFace(GL_CW)): with back faces culled, the front cap (z 0) is what
// shows from +z and the back cap (z -0.2) what shows from -z; the counter of an O stays open.
TEST_F(TextTest, GlyphsAreExtrudedSolidsWithOpenCounters) {
  glEnable(GL_CULL_FACE);
  glCullFace(GL_BACK);
  glFrontFace(GL_CW);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LESS);
  printO(false);
  EXPECT_NE(pixel(200, 240), kBlack) << "left side of the ring";
  EXPECT_EQ(pixel(320, 240), kBlack) << "the counter";
  EXPECT_NEAR(depthAt(200, 240), 0.5f, 0.01f) << "front cap at z 0 (orthographic depth (1 - z) / 2)";

  // From behind: the back cap shows the same (mirrored) outline, at local z -0.2, which the
  // half turn brings to z +0.2.
  printO(true);
  EXPECT_TRUE(anyLit());
  EXPECT_EQ(pixel(320, 240), kBlack);
  EXPECT_NE(pixel(440, 240), kBlack) << "the ring, mirrored";
  EXPECT_NEAR(depthAt(440, 240), 0.4f, 0.01f) << "back cap";

  // Under the other winding each side shows the far cap instead: from +z the one at z -0.2.
  glFrontFace(GL_CCW);
  printO(false);
  EXPECT_NEAR(depthAt(200, 240), 0.6f, 0.01f) << "from +z only the back cap is left";
  printO(true);
  EXPECT_NEAR(depthAt(440, 240), 0.5f, 0.01f) << "from -z only the front cap is left";
  glFrontFace(GL_CW);
  glDisable(GL_DEPTH_TEST);

  // Side walls seen edge-on from +x: with culling and a light at the viewer, the walls that
  // survive culling are lit, so their normals point outwards too.
  glClear(GL_COLOR_BUFFER_BIT);
  orthoView(0.6, 0.45, 2);
  GLfloat towardViewer[4] = {0, 0, 1, 0};
  glLightfv(GL_LIGHT0, GL_POSITION, towardViewer);
  glEnable(GL_LIGHT0);
  glEnable(GL_LIGHTING);
  glRotatef(-90, 0, 1, 0);  // +x towards the viewer
  glTranslatef(0, -0.3f, 0);
  printText("I");
  int bright = 0;
  for (int y = 100; y < 400; y++)
    for (int x = 0; x < 640; x++)
      if (pixel(x, y)[0] > 150) bright++;
  EXPECT_GT(bright, 1000);
  glDisable(GL_LIGHTING);
}

// printText leaves the modelview advanced by the drawn glyphs, so a second call continues
// where the first ended.
TEST_F(TextTest, ConsecutiveCallsAdvanceTheModelview) {
  orthoView(4, 3);
  glTranslatef(-3.5f, 0, 0);
  printText("%d:%d", 12, 5);
  float expected = -3.5f + advance('1') + advance('2') + advance(':') + advance('5');
  EXPECT_NEAR(modelviewX(), expected, 1e-5);
  printText("%s", "AB");
  expected += advance('A') + advance('B');
  EXPECT_NEAR(modelviewX(), expected, 1e-5);
  EXPECT_TRUE(anyLit());

  // The list base is restored.
  EXPECT_EQ(integer(GL_LIST_BASE), 0);
}

TEST_F(TextTest, NullEmptyAndCode255DrawNothingAndDoNotAdvance) {
  orthoView(2, 1.5);
  printText(nullptr);
  printText("%s", "");
  printText("\xff\xff");
  EXPECT_EQ(modelviewX(), 0.0f);
  EXPECT_FALSE(anyLit());
  // The code below it is a real glyph that does advance.
  printText("\xfe");
  EXPECT_GT(modelviewX(), 0.0f);
}

// A text longer than the buffer is cut at 255 characters instead of overrunning it.
TEST_F(TextTest, LongTextIsCutAt255Characters) {
  orthoView(400, 300);
  std::string longText(1000, 'x');
  printText("%s%s", longText.c_str(), "yyyy");
  EXPECT_NEAR(modelviewX(), 255 * advance('x'), 1e-3);

  glLoadIdentity();
  std::string exact(254, 'x');
  printText("%sy", exact.c_str());
  EXPECT_NEAR(modelviewX(), 254 * advance('x') + advance('y'), 1e-3);
}

TEST_F(TextTest, DeletingTheFontFreesItsLists) {
  EXPECT_TRUE(glIsList(g_fontBase + 'A'));
  deleteOutlineFont();
  EXPECT_FALSE(glIsList(g_fontBase + 'A'));
  EXPECT_FALSE(glIsList(g_fontBase));
}

// The font backend: the width argument stretches glyphs horizontally in proportion (width
// 0 keeps the face's own proportions), the height in em units stays.
TEST_F(TextTest, FontWidthStretchesGlyphsHorizontally) {
  GLYPHMETRICSFLOAT natural[256], nine[256], eighteen[256];
  int widths[3] = {0, 9, 18};
  GLYPHMETRICSFLOAT* results[3] = {natural, nine, eighteen};
  GdiDc* dc = toDc(g_hdc);
  for (int i = 0; i < 3; i++) {
    HFONT font = CreateFontA(-14, widths[i], 0, 0, FW_HEAVY, TRUE, FALSE, FALSE, DEFAULT_CHARSET, OUT_TT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DRAFT_QUALITY, 0, "Times New Roman");
    SelectObject(g_hdc, font);
    GLuint base = glGenLists(256);
    EXPECT_TRUE(wglUseFontOutlinesA(g_hdc, 0, 255, base, 0.1f, 0.2f, WGL_FONT_POLYGONS, results[i]));
    glDeleteLists(base, 256);
  }
  EXPECT_NEAR(eighteen['H'].gmfCellIncX, 2 * nine['H'].gmfCellIncX, 1e-4);
  EXPECT_NEAR(eighteen['H'].gmfBlackBoxX, 2 * nine['H'].gmfBlackBoxX, 1e-3);
  EXPECT_NEAR(eighteen['H'].gmfBlackBoxY, natural['H'].gmfBlackBoxY, 1e-4);
  EXPECT_NE(nine['H'].gmfCellIncX, natural['H'].gmfCellIncX);
  // The show's own font is the width-9 one.
  EXPECT_EQ(g_glyphMetrics['H'].gmfCellIncX, nine['H'].gmfCellIncX);

  // No font selected: nothing is built and the call says so.
  dc->font = nullptr;
  GLuint base = glGenLists(1);
  EXPECT_FALSE(wglUseFontOutlinesA(g_hdc, 'A', 1, base, 0.1f, 0.2f, WGL_FONT_POLYGONS, nullptr));
}

// Curves are flattened within the chordal deviation: a finer deviation cuts the O's curves
// into more segments, so its list draws more polygons.
TEST_F(TextTest, FinerDeviationFlattensCurvesIntoMoreSegments) {
  auto wallQuads = [](float deviation) {
    GLuint base = glGenLists(256);
    wglUseFontOutlinesA(g_hdc, 'O', 1, base, deviation, 0.2f, WGL_FONT_POLYGONS, nullptr);
    // The polygons of the list (front and back triangles, wall quads).
    int polygons = int(feedbackPolygons([base] { glCallList(base); }).size());
    glDeleteLists(base, 256);
    return polygons;
  };
  orthoView(2, 1.5);
  int coarse = wallQuads(0.1f);
  int fine = wallQuads(0.002f);
  EXPECT_GT(coarse, 20);
  EXPECT_GT(fine, coarse * 3 / 2);
}
