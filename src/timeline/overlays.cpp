#include "timeline/overlays.h"

#include <cmath>

#include "formats/texture.h"
#include "render/shapes.h"

#include <GL/gl.h>
#include <GL/glu.h>

double g_fadeFrame = 0.0;

float g_rosetteOrbit = 0.0f;
float g_rosetteEyeX = 0.0f, g_rosetteEyeZ = 0.0f;
float g_rosetteSpin = 0.0f;
float g_rosetteSpinStep = 1.0f;
double g_rosetteP = 1.4;
double g_rosetteStepP = 0.6;
double g_rosetteQ = 0.8;
float g_rosetteStepQ = 0.034f;
float g_rosetteR = 0.45f;
float g_rosetteStepR = 0.22f;

// A full-screen white quad, added on top of the picture, that loses `rate` of its opacity per call.
void drawWhiteFade(double rate) {
  glLoadIdentity();
  glDisable(GL_TEXTURE_2D);
  glEnable(GL_BLEND);
  glDisable(GL_DEPTH_TEST);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  // Below zero the alpha is clamped by GL and the quad adds nothing.
  glColor4f(1.0f, 1.0f, 1.0f, (float)(1.0 - g_fadeFrame * rate));
  drawFrontFace(-5.0f, 5.0f, -0.5f, 10.0f, 10.0f);
  glEnable(GL_DEPTH_TEST);
  glDisable(GL_BLEND);
  glEnable(GL_TEXTURE_2D);
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  g_fadeFrame += 1.0;
}

// 72 additive textured quads turned step by step about (1, 1, 1), seen from a slow orbit.
// One animation shared by every call, whatever the slot; leaves its rotations on the modelview.
void drawRosetteOverlay(int slot) {
  glLoadIdentity();
  glColor3f(0.4f, 0.4f, 0.4f);

  double angle = g_rosetteOrbit * 0.01;
  g_rosetteEyeX = (float)(20.0 * sin(angle));
  g_rosetteEyeZ = (float)(19.0 * cos(angle));
  g_rosetteOrbit += 1.0f;
  gluLookAt(g_rosetteEyeX, 0.0, g_rosetteEyeZ, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);

  glBindTexture(GL_TEXTURE_2D, g_textures[slot]);
  glDisable(GL_CULL_FACE);
  glDisable(GL_DEPTH_TEST);
  glBlendFunc(GL_ONE, GL_ONE);
  glEnable(GL_BLEND);

  float s = g_rosetteSpin;
  glRotatef(4.0f * s, 1.0f, 0.0f, 0.0f);
  glRotatef(2.0f * s, 0.0f, 1.0f, 0.0f);
  glRotatef(2.0f * s, 0.0f, 0.0f, 1.0f);
  glRotatef((float)(2.1 * s), 1.0f, 0.0f, 1.0f);

  glBindTexture(GL_TEXTURE_2D, g_textures[slot]);

  float p = (float)g_rosetteP;
  float q = (float)g_rosetteQ;
  float r = g_rosetteR;
  for (int i = 0; i < 360; i += 5) {
    glRotatef((float)i, 1.0f, 1.0f, 1.0f);  // cumulative: no push or pop
    drawQuadFromCorners(-p, -r, -r, -q, -q, -p, p, r, r, q, q, p);
  }

  // Shape parameters bounce: step first, then turn once past a bound.
  g_rosetteP += g_rosetteStepP;
  g_rosetteQ += g_rosetteStepQ;
  g_rosetteR += g_rosetteStepR;
  if (g_rosetteR <= -5.0f || g_rosetteR > 6.0f) g_rosetteStepR = -g_rosetteStepR;
  if (g_rosetteQ > 6.5 || g_rosetteQ < -3.1) g_rosetteStepQ = -g_rosetteStepQ;
  if (g_rosetteP > 7.0 || g_rosetteP < -5.5) g_rosetteStepP = -g_rosetteStepP;

  glDisable(GL_BLEND);
  glEnable(GL_DEPTH_TEST);
  g_rosetteSpin += g_rosetteSpinStep;
  glColor3f(1.0f, 1.0f, 1.0f);
}
