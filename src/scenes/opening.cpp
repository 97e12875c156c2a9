#include "scenes/opening.h"

#include "app/assets.h"
#include "app/music.h"
#include "formats/texture.h"
#include "render/model_render.h"
#include "render/shapes.h"
#include "render/sphere_cache.h"
#include "scenes/scenes.h"

#include <GL/gl.h>

double g_tileSpin = 0.0;
float g_boxAngleX = 0.0f;
float g_boxAngleY = 0.0f;
float g_boxAngleZ = 0.0f;

// A lilac wall of 19 x 14 tumbling cubes added onto the picture, then the caged box in front.
void drawOpeningScene() {
  glViewport(0, 0, 640, 480);
  glLoadIdentity();
  glTranslatef(0.0f, 0.0f, -10.0f);

  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  glBindTexture(GL_TEXTURE_2D, g_textures[TEX_WALL]);

  // Columns by repeated float addition of 1.1: -10, -8.9, ... about 9.8.
  for (float x = -10.0f; x < 10.0f; x += 1.1) {
    for (float y = 7.0f; y > -7.0f; y -= 1.0f) {
      glTranslatef(x, y, 0.0f);
      glColor4f(0.8f, 0.6f, 0.8f, 1.0f);
      glRotatef((float)(-2.0 * g_tileSpin), 1.0f, 0.0f, 1.0f);
      glRotatef((float)g_tileSpin, 1.0f, 1.0f, 0.0f);
      drawBox(-0.5f, 0.5f, 0.5f, 1.0f, 1.0f, 1.0f, TEX_WALL, TEX_WALL);
      glRotatef((float)-g_tileSpin, 1.0f, 1.0f, 0.0f);
      glRotatef((float)(2.0 * g_tileSpin), 1.0f, 0.0f, 1.0f);
      glTranslatef(-x, -y, 0.0f);
    }
  }

  glDisable(GL_BLEND);
  glTranslatef(0.0f, 0.0f, 10.0f);
  glColor3f(1.0f, 1.0f, 1.0f);

  glLoadIdentity();
  glTranslatef(0.0f, 0.0f, -4.0f);
  drawCagedBox();

  g_tileSpin += 1.0;
}

// The spinning box, then its cage in a frame that keeps a residual tilt: the inverse rotations
// are applied in the same x, y, z order, not reversed, and the cage tumbles because of it.
void drawCagedBox() {
  if ((g_musicTime > 18.57 && g_musicTime < 18.67) || (g_musicTime > 18.8 && g_musicTime < 18.9))
    glScalef(1.5f, 1.5f, 1.5f);

  glRotatef(g_boxAngleX, 1.0f, 0.0f, 0.0f);
  glRotatef(g_boxAngleY, 0.0f, 1.0f, 0.0f);
  glRotatef(g_boxAngleZ, 0.0f, 0.0f, 1.0f);
  drawBox(-0.5f, 0.5f, 0.5f, 1.0f, 1.0f, 1.0f, TEX_GOLEM, TEX_GOLEM);
  glRotatef(-g_boxAngleX, 1.0f, 0.0f, 0.0f);
  glRotatef(-g_boxAngleY, 0.0f, 1.0f, 0.0f);
  glRotatef(-g_boxAngleZ, 0.0f, 0.0f, 1.0f);

  drawSphereCage();

  g_boxAngleY += 1.0f;
  g_boxAngleX += 2.0f;
  g_boxAngleZ += 0.9;
}

// Eight mirrored spheres on the corners of a cube of side 2 and twelve rods on its edges,
// reached by cumulative transforms that are never undone.
void drawSphereCage() {
  const double t = g_musicTime;
  if ((t > 7.0 && t < 7.6) || (t > 8.2 && t < 8.8) || (t > 9.1 && t < 9.3) || (t > 20.0 && t < 20.3) ||
      (t > 20.6 && t < 20.8))
    glScalef(0.6f, 0.6f, 0.6f);
  if (t > 9.4 && t < 9.6) glScalef(1.0f, 2.0f, 1.0f);
  if (t > 9.7 && t < 9.9) glScalef(1.0f, 1.0f, 2.0f);
  if (t > 26.6 && t < 27.0) glScalef(1.5f, 1.5f, 1.5f);

  enableSphereMap(TEX_GOLEM);

  // Corner spheres.
  const float radius = 0.3f;
  glTranslatef(-1.0f, 1.0f, 1.0f);
  drawSolidSphere(radius);
  glTranslatef(2.0f, 0.0f, 0.0f);
  drawSolidSphere(radius);
  glTranslatef(0.0f, -2.0f, 0.0f);
  drawSolidSphere(radius);
  glTranslatef(-2.0f, 0.0f, 0.0f);
  drawSolidSphere(radius);
  glTranslatef(0.0f, 0.0f, -2.0f);
  drawSolidSphere(radius);
  glTranslatef(2.0f, 0.0f, 0.0f);
  drawSolidSphere(radius);
  glTranslatef(0.0f, 2.0f, 0.0f);
  drawSolidSphere(radius);
  glTranslatef(-2.0f, 0.0f, 0.0f);
  drawSolidSphere(radius);

  // Edge rods, three from each of the corners (-1,1,-1), (1,1,1), (-1,-1,1), (1,-1,-1).
  drawCylinder(0.2, 0.2, 2.0, 20, 20);
  glRotatef(90.0f, 0.0f, 1.0f, 0.0f);
  drawCylinder(0.2, 0.2, 2.0, 20, 20);
  glRotatef(90.0f, 1.0f, 0.0f, 0.0f);
  drawCylinder(0.2, 0.2, 2.0, 20, 20);

  glTranslatef(-2.0f, 2.0f, 0.0f);
  drawCylinder(0.2, 0.2, 2.0, 20, 20);
  glRotatef(90.0f, 0.0f, 1.0f, 0.0f);
  drawCylinder(0.2, 0.2, 2.0, 20, 20);
  glRotatef(90.0f, 1.0f, 0.0f, 0.0f);
  drawCylinder(0.2, 0.2, 2.0, 20, 20);

  glTranslatef(-2.0f, 0.0f, 2.0f);
  glRotatef(120.0f, 1.0f, 1.0f, 1.0f);
  drawCylinder(0.2, 0.2, 2.0, 20, 20);
  glRotatef(90.0f, 0.0f, 1.0f, 0.0f);
  drawCylinder(0.2, 0.2, 2.0, 20, 20);
  glRotatef(90.0f, 1.0f, 0.0f, 0.0f);
  drawCylinder(0.2, 0.2, 2.0, 20, 20);

  glTranslatef(0.0f, 2.0f, 2.0f);
  glRotatef(90.0f, 1.0f, 0.0f, 0.0f);
  glRotatef(-90.0f, 0.0f, 0.0f, 1.0f);
  drawCylinder(0.2, 0.2, 2.0, 20, 20);
  glRotatef(90.0f, 0.0f, 1.0f, 0.0f);
  drawCylinder(0.2, 0.2, 2.0, 20, 20);
  glRotatef(90.0f, 1.0f, 0.0f, 0.0f);
  drawCylinder(0.2, 0.2, 2.0, 20, 20);

  disableSphereMap();
}
