#include "render/model_render.h"

#include <GL/gl.h>

#include <cstring>
#include <set>

#include "render/render_util.h"
#include "support/gl_fixture.h"

namespace {

// One triangle covering most of the view, normal +z, every vertex with the same texture
// coordinate (a single texel of the test picture).
struct TriangleObject {
  float vertices[9] = {-0.9f, -0.9f, 0, 0.9f, -0.9f, 0, 0.0f, 0.9f, 0};
  float normals[9] = {0, 0, 1, 0, 0, 1, 0, 0, 1};
  float texCoords[6] = {0.1f, 0.1f, 0.1f, 0.1f, 0.1f, 0.1f};
  Face face = {{0, 1, 2}};

  ModelObject object(bool hasTexture, int materialId, bool withTexCoords) {
    ModelObject o = {};
    o.vertexCount = 3;
    o.faceCount = 1;
    o.texCoordCount = withTexCoords ? 3 : 0;
    o.materialId = materialId;
    o.hasTexture = hasTexture;
    std::strcpy(o.name, "tri");
    o.vertices = vertices;
    o.normals = normals;
    o.texCoords = withTexCoords ? texCoords : nullptr;
    o.faces = &face;
    return o;
  }
};

Model modelOf(std::vector<ModelObject> objects, std::vector<Material> materials) {
  Model model;
  model.objectCount = (int32_t)objects.size();
  model.materialCount = (int32_t)materials.size();
  model.objects = objects;
  model.materials = materials;
  return model;
}

Material material(uint8_t r, uint8_t g, uint8_t b) {
  Material m = {};
  std::strcpy(m.name, "paint");
  m.color[0] = r;
  m.color[1] = g;
  m.color[2] = b;
  return m;
}

class ModelRenderTest : public GlTest {
 protected:
  void prepare() override {
    makeCornerTexture(5);
    glDisable(GL_TEXTURE_2D);
    glColor3ub(10, 20, 30);
    orthoView();
  }
  std::array<GLfloat, 4> color() const { return glFloats4(GL_CURRENT_COLOR); }
  GLuint boundTexture() const {
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    return bound;
  }
  // Distinct colours inside the triangle's middle area.
  std::set<Rgb> coloursInside() const {
    std::set<Rgb> seen;
    for (int x = 250; x <= 390; x += 10)
      for (int y = 120; y <= 300; y += 10) seen.insert(pixel(x, y));
    return seen;
  }
  TriangleObject geometry;
};

}  // namespace

// A textured object: texturing on, white, the slot's picture at the model's coordinates.
TEST_F(ModelRenderTest, TexturedObjectDrawsTheSlotPictureWhite) {
  glBindTexture(GL_TEXTURE_2D, 0);
  drawModel(modelOf({geometry.object(true, 0, true)}, {material(200, 0, 0)}), 5);
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
  EXPECT_EQ(boundTexture(), g_textures[5]);
  EXPECT_EQ(color(), (std::array<GLfloat, 4>{1, 1, 1, 1}));
  EXPECT_EQ(coloursInside(), std::set<Rgb>{kRed});  // texel (0.1, 0.1): top-left of the picture
}

// With the sphere map on, generated coordinates replace the model's own (and a textured
// object without coordinates still reflects); switching it off brings them back.
TEST_F(ModelRenderTest, SphereMapReplacesTheModelsCoordinates) {
  enableSphereMap(5);
  expectEnabled({GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T}, {GL_TEXTURE_2D});
  GLint mode = 0;
  glGetTexGeniv(GL_T, GL_TEXTURE_GEN_MODE, &mode);
  EXPECT_EQ(mode, GL_SPHERE_MAP);
  EXPECT_EQ(boundTexture(), g_textures[5]);

  drawModel(modelOf({geometry.object(true, -1, true)}, {}), 5);
  EXPECT_GE(coloursInside().size(), 3u);

  glClear(GL_COLOR_BUFFER_BIT);
  drawModel(modelOf({geometry.object(true, -1, false)}, {}), 5);
  EXPECT_GE(coloursInside().size(), 3u);

  disableSphereMap();
  expectEnabled({}, {GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T});
  EXPECT_EQ(boundTexture(), g_textures[5]);
  glClear(GL_COLOR_BUFFER_BIT);
  drawModel(modelOf({geometry.object(true, -1, true)}, {}), 5);
  EXPECT_EQ(coloursInside(), std::set<Rgb>{kRed});
}

// An untextured object is drawn untextured in its material's colour, and that state stays
// for what is drawn next; with materialId -1 it is white.
TEST_F(ModelRenderTest, UntexturedObjectsUseTheirMaterialColourOrWhite) {
  glEnable(GL_TEXTURE_2D);
  drawModel(modelOf({geometry.object(true, 0, true), geometry.object(false, 1, true)},
                    {material(200, 0, 0), material(0, 128, 255)}),
            5);
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
  EXPECT_EQ(pixel(320, 200), (Rgb{0, 128, 255}));
  std::array<GLfloat, 4> c = color();
  EXPECT_FLOAT_EQ(c[1], 128 / 255.0f);
  EXPECT_FLOAT_EQ(c[2], 1.0f);

  glColor3ub(10, 20, 30);
  glEnable(GL_TEXTURE_2D);
  drawModel(modelOf({geometry.object(false, -1, false)}, {material(200, 0, 0)}), 5);
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
  EXPECT_EQ(pixel(320, 200), kWhite);
  EXPECT_EQ(color(), (std::array<GLfloat, 4>{1, 1, 1, 1}));

  // Without any material the colour stays white whatever the id says.
  drawModel(modelOf({geometry.object(false, 0, false)}, {}), 5);
  EXPECT_EQ(pixel(320, 200), kWhite);
}

TEST_F(ModelRenderTest, EmptyModelOrMismatchedCountsDrawNothingBeyondTheLists) {
  drawModel(modelOf({}, {}), 5);
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
  EXPECT_EQ(color()[0], 10 / 255.0f);

  // A count larger than the object list and a material id past the materials draw only
  // what exists (white for the unknown material).
  Model model = modelOf({geometry.object(false, 7, false)}, {material(200, 0, 0)});
  model.objectCount = 5;
  drawModel(model, 5);
  EXPECT_EQ(pixel(320, 200), kWhite);
}
