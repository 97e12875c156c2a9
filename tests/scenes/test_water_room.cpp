// Water-ceiling room: the camera stays in the room, the cone stack's per-layer turn, the glow
// drawn through the walls, and the state the scene leaves.
#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <array>
#include <cmath>

#include "app/assets.h"
#include "formats/texture.h"
#include "render/render_util.h"
#include "scenes/scenes.h"
#include "scenes/water_room.h"
#include "support/gl_fixture.h"
#include "timeline/frame.h"

namespace {

class WaterRoomTest : public GlTest {
 protected:
  void prepare() override {
    loadProjection(100.0, 1000.0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glColor3f(1.0f, 1.0f, 1.0f);
  }

  void frameCall() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    drawWaterRoomScene();
  }
};

TEST_F(WaterRoomTest, CameraStaysInsideTheRoom) {
  frameCall();
  EXPECT_EQ((std::array<double, 3>{g_eyeX, g_eyeY, g_eyeZ}), (std::array<double, 3>{0.0, 0.0, 80.0}));
  double maxX = 0, maxY = 0, maxZ = 0;
  for (int call = 0; call < 300; call++) {
    glLoadIdentity();
    drawWaterRoomScene();
    maxX = std::max(maxX, std::fabs(g_eyeX));
    maxY = std::max(maxY, std::fabs(g_eyeY));
    maxZ = std::max(maxZ, std::fabs(g_eyeZ));
  }
  // Well inside the walls at 100 and the ceiling and floor at 20, and the path does use its range.
  EXPECT_LE(maxX, 70.0);
  EXPECT_GT(maxX, 69.0);
  EXPECT_LE(maxY, 4.0);
  EXPECT_GT(maxY, 3.9);
  EXPECT_LE(maxZ, 80.0);
  EXPECT_GT(maxZ, 79.0);
  EXPECT_FLOAT_EQ(g_waterRoomPhase, 301 * 2.5f);
}

TEST_F(WaterRoomTest, ConeStackTurnsOnceForwardAndOncePerLayerBack) {
  g_coneStackSpin = 10.0f;
  glLoadIdentity();
  drawConeStack(TEX_TEREN);
  // One turn by S before the layers and one by -S after each of seven layers: -6 S in all.
  std::array<double, 16> left = glMatrix(GL_MODELVIEW_MATRIX);
  glLoadIdentity();
  glRotatef(-60.0f, 0.0f, 1.0f, 0.0f);
  expectMatrixNear(left, glMatrix(GL_MODELVIEW_MATRIX), 1e-5);
  EXPECT_FLOAT_EQ(g_coneStackSpin, 11.0f);
  expectEnabled({GL_DEPTH_TEST, GL_BLEND}, {GL_CULL_FACE});
}

TEST_F(WaterRoomTest, ConeLayersTwistAgainstEachOther) {
  // Seen from above, with the spin at 0 every layer's funnels line up on the axes; at 45 the top
  // layer is turned forward, the second stands still and the lower ones turn back.
  orthoView(60, 45, 100);
  glRotatef(90.0f, 1.0f, 0.0f, 0.0f);  // look down -y
  g_coneStackSpin = 0.0f;
  glClear(GL_COLOR_BUFFER_BIT);
  drawConeStack(TEX_TEREN);
  savePng("cone_stack_spin0.png");
  // Along a diagonal nothing is drawn when every layer lies on the axes.
  EXPECT_EQ(pixel(320 + 150, 240 + 150), kBlack);
  EXPECT_GT(pixel(320 + 200, 240)[0], 0);

  g_coneStackSpin = 45.0f;
  glLoadIdentity();
  glRotatef(90.0f, 1.0f, 0.0f, 0.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  drawConeStack(TEX_TEREN);
  savePng("cone_stack_spin45.png");
  // Layers 0 and 2 now stand at +-45 degrees: the diagonal is lit; layer 1 (and 3) still lie on
  // the axes.
  EXPECT_GT(pixel(320 + 150, 240 + 150)[0], 0);
  EXPECT_GT(pixel(320 + 200, 240)[0], 0);
}

TEST_F(WaterRoomTest, ConeStackGlowsOverTheRoomAndStateIsLeft) {
  for (int slot = 0; slot < TEXTURE_SLOT_COUNT; slot++) makeTexture(slot, 1, 1, {Rgb{60, 60, 60}});
  frameCall();
  savePng("water_room_first.png");
  // From (0, 0, 80) the cone stack stands in the middle behind the plates and slabs: it glows
  // (blue-green, additive) over the grey room at the centre of the picture.
  std::array<int, 3> centre = pixel(320, 240);
  EXPECT_GT(centre[2], 60 + 20);
  EXPECT_GT(centre[2], centre[0]);

  expectEnabled({GL_DEPTH_TEST}, {GL_BLEND, GL_CULL_FACE, GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T});
  expectBlendFunc(GL_SRC_ALPHA, GL_ONE);
  EXPECT_EQ(static_cast<GLuint>(integer(GL_TEXTURE_BINDING_2D)), g_textures[TEX_TEREN]);
  std::array<float, 4> colour = glFloats4(GL_CURRENT_COLOR);
  EXPECT_EQ((std::array<float, 3>{colour[0], colour[1], colour[2]}), (std::array<float, 3>{1.0f, 1.0f, 1.0f}));
  // The depth buffer is cleared for whatever follows.
  float depth = 0.0f;
  glReadPixels(320, 240, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
  EXPECT_FLOAT_EQ(depth, 1.0f);
}

}  // namespace
