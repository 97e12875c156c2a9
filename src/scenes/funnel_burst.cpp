// Funnel burst (126-130 s).
#include "scenes/funnel_burst.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include "app/assets.h"
#include "formats/texture.h"
#include "render/shapes.h"
#include "scenes/scenes.h"

float g_burstSpin = 0.0f;
float g_burstRadius = 10.0f;
float g_burstStep = 0.1f;

void drawFunnelBurst() {
  const float a = g_burstSpin;

  glLoadIdentity();
  gluLookAt(0.0, 0.0, 20.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
  glBindTexture(GL_TEXTURE_2D, g_textures[TEX_QUENTA]);
  glEnable(GL_BLEND);
  glDisable(GL_DEPTH_TEST);
  glBlendFunc(GL_ONE, GL_ONE);

  // Tumble of the whole burst.
  glRotatef(4.0f * a, 0.0f, 1.0f, 1.0f);
  glRotatef(a, 1.0f, 0.0f, 0.0f);
  glRotatef(5.0f * a, 0.0f, 0.0f, 1.0f);

  // Nineteen steps (360 included) of three funnels; the rotations accumulate.
  for (int k = 0; k <= 360; k += 20) {
    glRotatef(k, 0.0f, 0.0f, 1.0f);
    drawCylinder(10.0, g_burstRadius * 0.5, 20.0, 20, 20);
    glRotatef(k, 0.0f, 1.0f, 0.0f);
    drawCylinder(10.0, g_burstRadius * 0.5, 20.0, 20, 20);
    glRotatef(k, 1.0f, 0.0f, 0.0f);
    drawCylinder(10.0, g_burstRadius * 0.5, 20.0, 20, 20);
  }

  // The bound is tested before the step, so the radius passes it by up to one step.
  if (g_burstRadius > 20.0 || g_burstRadius < 2.0) g_burstStep = -g_burstStep;
  g_burstRadius += g_burstStep;
  g_burstSpin += 1.0f;

  glDisable(GL_BLEND);
  glEnable(GL_DEPTH_TEST);
}
