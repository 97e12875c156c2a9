#include "scenes/tunnel_panel.h"

#include "app/assets.h"
#include "formats/texture.h"
#include "scenes/scenes.h"

#include <GL/gl.h>
#include <GL/glu.h>

TunnelSegments g_tunnel(2.0f, 200.0f, -1.0f, 1.0f, -5.0f);
float g_tunnelCameraZ = 0.0f;

TunnelSegments::TunnelSegments(float size, float length, float x, float y, float z)
    : size(size), length(length), x(x), y(y), zA(z), zB(z) {}

void TunnelSegments::drawSegmentA() { drawSegment(zA); }

void TunnelSegments::drawSegmentB() { drawSegment(zB); }

// Four walls of a square tube from z back to z - length, the picture stretched once over each.
void TunnelSegments::drawSegment(float z) {
  const float s = size;
  const float l = length;
  glFrontFace(GL_CW);
  glBindTexture(GL_TEXTURE_2D, g_textures[TEX_GOLEM]);
  glBegin(GL_QUADS);
    // Left wall.
    glTexCoord2f(0.0f, 0.0f); glVertex3f(x, y, z);
    glTexCoord2f(0.0f, 1.0f); glVertex3f(x, y, z - l);
    glTexCoord2f(1.0f, 1.0f); glVertex3f(x, y - s, z - l);
    glTexCoord2f(1.0f, 0.0f); glVertex3f(x, y - s, z);
    // Ceiling.
    glTexCoord2f(0.0f, 0.0f); glVertex3f(x, y, z);
    glTexCoord2f(1.0f, 0.0f); glVertex3f(x + s, y, z);
    glTexCoord2f(1.0f, 1.0f); glVertex3f(x + s, y, z - l);
    glTexCoord2f(0.0f, 1.0f); glVertex3f(x, y, z - l);
    // Right wall.
    glTexCoord2f(0.0f, 0.0f); glVertex3f(x + s, y, z);
    glTexCoord2f(1.0f, 0.0f); glVertex3f(x + s, y - s, z);
    glTexCoord2f(1.0f, 1.0f); glVertex3f(x + s, y - s, z - l);
    glTexCoord2f(0.0f, 1.0f); glVertex3f(x + s, y, z - l);
    // Floor.
    glTexCoord2f(0.0f, 0.0f); glVertex3f(x, y - s, z);
    glTexCoord2f(1.0f, 0.0f); glVertex3f(x, y - s, z - l);
    glTexCoord2f(1.0f, 1.0f); glVertex3f(x + s, y - s, z - l);
    glTexCoord2f(0.0f, 1.0f); glVertex3f(x + s, y - s, z);
  glEnd();
}

// The camera backs along -z looking the way it came; a segment the camera has passed the middle
// of moves to just behind the other one, so the tunnel never ends behind it.
void drawTunnelPanelScene() {
  const float cz = g_tunnelCameraZ;
  gluLookAt(0.0, 0.0, cz, 0.0, 0.0, cz + 10.0, 0.0, 1.0, 0.0);

  g_tunnel.drawSegmentB();
  g_tunnel.drawSegmentA();
  if (g_tunnel.zA - 0.5f * g_tunnel.length >= cz) {
    g_tunnel.zB = g_tunnel.zA - g_tunnel.length;
    g_tunnel.drawSegmentB();
  }
  if (g_tunnel.zB - 0.5f * g_tunnel.length >= cz) {
    g_tunnel.zA = g_tunnel.zB - g_tunnel.length;
    g_tunnel.drawSegmentA();
  }

  g_tunnelCameraZ -= 3.5f;
}
