#include "scenes/sliding_panels.h"

#include "app/assets.h"
#include "app/music.h"
#include "formats/texture.h"
#include "render/shapes.h"
#include "scenes/scenes.h"

#include <GL/gl.h>

SlidingPanel g_topPanel = {};
SlidingPanel g_middlePanel = {};
SlidingPanel g_bottomPanel = {};

// One panel, shifted by its offset, multiplying the picture under it by its texture.
void drawSlidingPanel(const SlidingPanel& panel) {
  glTranslatef(panel.offset, 0.0f, 0.0f);
  glEnable(GL_BLEND);
  glBlendFunc(GL_DST_COLOR, GL_ZERO);
  glBindTexture(GL_TEXTURE_2D, g_textures[panel.slot]);
  drawFrontFace(panel.x, panel.y, panel.z, panel.width, panel.height);
  glDisable(GL_BLEND);
  glTranslatef(-panel.offset, 0.0f, 0.0f);
}

// Panels appear at 11, 12 and 13 s, drift from 15 s and slide off from 15.5 s.
void drawSlidingPanels() {
  const double t = g_musicTime;
  if (t > 5.0 && t < 11.0) {
    g_topPanel = {-2.0f, 2.2f, -5.0f, 0.0f, 0.0f, TEX_REL, 4.0f, 1.5f};
    g_middlePanel = {-2.0f, 0.8f, -5.0f, 0.0f, 0.0f, TEX_ASLI, 4.0f, 1.5f};
    g_bottomPanel = {-2.0f, -0.6f, -5.0f, 0.0f, 0.0f, TEX_KVT, 4.0f, 1.5f};
  }

  glLoadIdentity();
  glDisable(GL_DEPTH_TEST);

  if (t >= 11.0) {
    if (t > 15.0) {
      g_topPanel.speed = 0.1f;
      g_middlePanel.speed = -0.1f;
      g_bottomPanel.speed = 0.1f;
      if (t > 15.5) {
        g_topPanel.speed = -0.65f;
        g_middlePanel.speed = 0.65f;
        g_bottomPanel.speed = -0.65f;
      }
    }
    // Offsets advance from 11 s on, whether or not the panel is drawn yet.
    g_topPanel.offset += g_topPanel.speed;
    g_middlePanel.offset += g_middlePanel.speed;
    g_bottomPanel.offset += g_bottomPanel.speed;

    drawSlidingPanel(g_topPanel);
    if (t >= 12.0) drawSlidingPanel(g_middlePanel);
    if (t >= 13.0) drawSlidingPanel(g_bottomPanel);
  }

  glEnable(GL_DEPTH_TEST);
}
