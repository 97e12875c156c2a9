// Ring tube flight: a tube of rods and flat rings in TEX_TLO along +z; the camera flies back and
// forth along its axis on a small wobble, always looking towards +z.
#include "scenes/ring_tube.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>

#include "app/assets.h"
#include "formats/texture.h"
#include "render/shapes.h"
#include "scenes/scenes.h"
#include "timeline/frame.h"

double g_tubePhase = 0.0;
double g_tubeCameraZ = 10.0;
double g_tubeCameraStep = 1.0;

// Draws the tube along +z from z = 0: 13 rods 0.5 rad apart and a ring every 1.5 units.
void drawRingTube(float length, double radius) {
  glBindTexture(GL_TEXTURE_2D, g_textures[TEX_TLO]);
  glRotatef(90.0f, 1.0f, 0.0f, 0.0f);

  // Rods: a = 0, 0.5, ... 6.0; the last gap (6.0 back to 0) is narrower.
  float a = 0.0f;
  do {
    glTranslatef(sin(a) * radius, cos(a) * radius, 0.0f);
    drawCylinder(0.2, 0.2, length, 6, 6);
    glTranslatef(-sin(a) * radius, -cos(a) * radius, 0.0f);
    a += 0.5f;
  } while (a < 6.283f);

  glBindTexture(GL_TEXTURE_2D, g_textures[TEX_TLO]);

  // Rings in the planes z = h.
  if (length > 0.0f) {
    float h = 0.0f;
    do {
      glTranslatef(0.0f, 0.0f, h);
      drawPartialDisk(radius, radius + 0.5, 20, 20, 10.0, 360.0);
      glTranslatef(0.0f, 0.0f, -h);
      h += 1.5f;
    } while (h < length);
  }

  glRotatef(-90.0f, 1.0f, 0.0f, 0.0f);
}

void drawRingTubeScene() {
  gluLookAt(g_eyeX, g_eyeY, g_tubeCameraZ, 0.0, 0.0, g_tubeCameraZ + 2.0, 0.0, 1.0, 0.0);

  // Wobble on a circle of radius 0.5, used as the eye of the next frame.
  double a = g_tubePhase * 0.1;
  g_eyeX = sin(a) * 0.5;
  g_eyeY = cos(a) * 0.5;

  // Bounce between -1 and 90 (each bound is used for one frame).
  if (g_tubeCameraZ >= 90.0 || g_tubeCameraZ <= -1.0) g_tubeCameraStep = -g_tubeCameraStep;
  g_tubeCameraZ -= g_tubeCameraStep;

  // Cancels the tube's own first rotation: rods and rings lie along world z.
  glRotatef(90.0f, -1.0f, 0.0f, 0.0f);
  drawRingTube(100.0f, 1.1);

  g_tubePhase += 1.0;
}
