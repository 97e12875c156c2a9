// Tunnel top panel: when the segments jump, and what the camera sees inside and outside them.
#include <GL/gl.h>
#include <GL/glu.h>

#include <array>
#include <initializer_list>

#include "scenes/scenes.h"
#include "scenes/tunnel_panel.h"
#include "app/app.h"
#include "support/window_start.h"

namespace {

class TunnelPanelTest : public WindowStartTest {
 protected:
  void prepare() override {
    WindowStartTest::prepare();
    glColor3f(1.0f, 1.0f, 1.0f);
  }

  // Expects the red of each listed pixel full (lit) or zero.
  void expectLit(std::initializer_list<std::array<int, 3>> pixels) const {
    for (const std::array<int, 3>& p : pixels) EXPECT_EQ(pixel(p[0], p[1])[0], p[2] ? 255 : 0) << p[0] << "," << p[1];
  }

  void frameCall() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    drawTunnelPanelScene();
  }
};

TEST_F(TunnelPanelTest, SegmentsLeapfrogOnCalls31And89And146And203) {
  EXPECT_FLOAT_EQ(g_tunnel.size, 2.0f);
  EXPECT_FLOAT_EQ(g_tunnel.length, 200.0f);
  int jumpsB[2] = {}, jumpsA[2] = {};
  int nB = 0, nA = 0;
  for (int call = 1; call <= 210; call++) {
    float a = g_tunnel.zA, b = g_tunnel.zB;
    glLoadIdentity();
    drawTunnelPanelScene();
    if (g_tunnel.zB != b && nB < 2) jumpsB[nB++] = call;
    if (g_tunnel.zA != a && nA < 2) jumpsA[nA++] = call;
    // A jump puts the moved segment directly behind the other.
    if (g_tunnel.zB != b) { EXPECT_FLOAT_EQ(g_tunnel.zB, g_tunnel.zA - 200.0f); }
    if (g_tunnel.zA != a) { EXPECT_FLOAT_EQ(g_tunnel.zA, g_tunnel.zB - 200.0f); }
  }
  EXPECT_EQ((std::array<int, 4>{jumpsB[0], jumpsA[0], jumpsB[1], jumpsA[1]}), (std::array<int, 4>{31, 89, 146, 203}));
  EXPECT_FLOAT_EQ(g_tunnel.zA, -805.0f);
  EXPECT_FLOAT_EQ(g_tunnel.zB, -605.0f);
  EXPECT_FLOAT_EQ(g_tunnelCameraZ, -3.5f * 210);
}

TEST_F(TunnelPanelTest, EmptyOutsideTheTunnelThenLinedAroundTheCamera) {
  frameCall();
  frameCall();
  // Calls 1 and 2: the camera is in front of both segments and looks away from them.
  std::vector<unsigned char> rgb = frame();
  for (size_t i = 0; i < rgb.size(); i++) ASSERT_EQ(rgb[i], 0) << "byte " << i;
  frameCall();
  // Call 3 (camera at -7): just inside segment A, whose near end is 2 units ahead; only the
  // ends of the side walls reach into the picture.
  expectLit({{634, 240, 1}, {5, 240, 1}, {320, 240, 0}});
  for (int call = 4; call <= 10; call++) frameCall();
  savePng("tunnel_call10.png");
  // Call 10 (camera at -31.5): the walls line the picture up to the opening 26.5 units ahead,
  // which shows as a small black square in the middle.
  expectLit({{5, 240, 1}, {634, 240, 1}, {320, 5, 1}, {320, 474, 1}, {320, 240, 0}, {330, 250, 0}, {360, 240, 1}});
}

}  // namespace
