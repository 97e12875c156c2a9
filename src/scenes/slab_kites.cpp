// Flipping slab and kite star (65-90 s).
#include "scenes/slab_kites.h"

#include <GL/gl.h>

#include <cmath>

#include "app/assets.h"
#include "app/music.h"
#include "render/shapes.h"
#include "scenes/scenes.h"
#include "timeline/frame.h"

double g_slabAngle = 0.0;
double g_slabFlipStep = 10.0;
double g_cubeSpin = 0.0;
float g_flowerSpin = 0.0f;
float g_kiteReach = 0.1f;
float g_kiteHalfBase = 2.0f;
float g_kiteHeight = 2.0f;
float g_kiteReachStep = 0.001f;
float g_kiteHeightStep = 0.002f;

void drawSlabAndKites(int slot) {
  glColor3f(1.0f, 1.0f, 1.0f);
  g_eyeZ = 3.5;  // seen by the camera of the next frame
  glDisable(GL_BLEND);

  // The flip starts strictly after 70 s and stops for good once the angle has reached 180.
  if (g_musicTime > 70.0) {
    if (g_slabAngle >= 180.0) g_slabFlipStep = 0.0;
    g_slabAngle += g_slabFlipStep;
  }
  glRotatef(g_slabAngle, 1.0f, 1.0f, 0.0f);

  // The slab, upside down, until it has turned fully away.
  if (g_slabAngle < 180.0) {
    glRotatef(180.0f, 0.0f, 0.0f, 1.0f);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    drawBox(-2.0f, 2.0f, -0.25f, 4.0f, 4.0f, 0.5f, slot, slot);
    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
    glRotatef(-180.0f, 0.0f, 0.0f, 1.0f);
  }

  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);

  // Counter-rotating glow cubes and the kite star, from the last two slab frames on.
  if (g_slabAngle >= 160.0) {
    glColor3f(0.1f, 0.5f, 0.4f);
    glRotatef(g_cubeSpin, 1.0f, 1.0f, 1.0f);
    drawBox(-2.0f, 2.0f, 2.0f, 4.0f, 4.0f, 4.0f, slot, slot);  // inner cube
    glRotatef(-3.0 * g_cubeSpin, 1.0f, 1.0f, 1.0f);
    drawBox(-3.0f, 3.0f, 3.0f, 6.0f, 6.0f, 6.0f, slot, slot);  // outer cube
    glRotatef(3.0 * g_cubeSpin, 1.0f, 1.0f, 1.0f);
    glRotatef(-g_cubeSpin, 1.0f, 1.0f, 1.0f);
    glColor3f(1.0f, 1.0f, 1.0f);
    g_cubeSpin += 3.0;
    drawKiteSwarm();
  }

  glDisable(GL_BLEND);
  glDisable(GL_STENCIL_TEST);
}

// Twelve arms of thirteen flowers each, in eye space.
void drawKiteSwarm() {
  for (float c = 0.0f; c < 360.0f; c += 30.0f) {
    glLoadIdentity();
    glRotatef(c, 0.0f, 0.0f, 1.0f);
    for (float e = 0.0f; e < 6.283; e += 0.5f) {
      float x = 2.0 * std::sin(e);
      float y = 2.0 * std::cos(e);
      glTranslatef(x, y, -80.0f);
      drawKiteFlower();
      glTranslatef(-x, -y, 80.0f);
    }
  }
}

// One flower of 36 kites fanned about (1, 1, 1). Its transforms are left in place, so each
// flower of an arm stands on the one before it.
void drawKiteFlower() {
  glTranslatef(0.0f, 0.0f, -10.0f);
  glRotatef(g_flowerSpin, 1.0f, 1.0f, 1.0f);

  // Bounds are tested before the step, so a value passes its bound by up to one step.
  if (g_kiteReach > 10.001 || g_kiteReach < -1.001) g_kiteReachStep = -g_kiteReachStep;
  if (g_kiteHeight > 5.01 || g_kiteHeight < 0.55) g_kiteHeightStep = -g_kiteHeightStep;
  g_kiteReach += g_kiteReachStep;
  g_kiteHalfBase -= g_kiteReachStep;
  g_kiteHeight += g_kiteHeightStep;

  glEnable(GL_BLEND);
  glBlendFunc(GL_ONE, GL_ONE);
  glDisable(GL_DEPTH_TEST);

  for (int k = 0; k <= 350; k += 10) {
    glRotatef(k, 1.0f, 1.0f, 1.0f);
    drawSlantedQuad(0.0f, 0.0f, 0.0f, g_kiteReach, g_kiteHalfBase, g_kiteHeight, TEX_QUENTA);
  }

  g_flowerSpin += 0.006;
}
