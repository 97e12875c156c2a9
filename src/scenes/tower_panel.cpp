#include "scenes/tower_panel.h"

#include <cmath>

#include "app/assets.h"
#include "render/model_render.h"
#include "render/shapes.h"
#include "scenes/scenes.h"

#include <GL/gl.h>
#include <GL/glu.h>

float g_towerPhase = 0.0f;
float g_towerSpin = 0.0f;
float g_towerEyeY = -200.0f;
float g_towerRise = 1.3f;
float g_towerOrbitRadius = 20.0f;
float g_towerOrbitShrink = 0.0f;

void drawTowerPanelScene() {
  glLoadIdentity();
  glColor3f(1.0f, 1.0f, 1.0f);

  // Orbit with the radius of before this call's camera programme.
  double a = g_towerPhase * 0.01;
  double eyeX = sin(a) * g_towerOrbitRadius;
  double eyeZ = cos(a) * 25.0;

  // Rise to height 2, then shrink the x radius through 0 to -20.5 and hold it there.
  if (g_towerOrbitRadius < -20.0f) g_towerOrbitShrink = 0.0f;
  g_towerOrbitRadius -= g_towerOrbitShrink;
  if (g_towerEyeY >= 2.0f) {
    g_towerRise = 0.0f;
    g_towerOrbitShrink = 0.5f;
  }
  g_towerEyeY += g_towerRise;

  gluLookAt(eyeX, g_towerEyeY, eyeZ, 0.0, -5.0, 0.0, 0.0, 1.0, 0.0);

  // Two additive mirrored cones, apex up, behind everything.
  glEnable(GL_BLEND);
  glDisable(GL_DEPTH_TEST);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  glColor3f(0.5f, 0.8f, 0.8f);
  float offset = (float)((g_towerEyeY + 700.0) - (6.0 * eyeX + eyeZ));
  glTranslatef(0.0f, offset, 0.0f);
  glRotatef(90.0f, 1.0f, 0.0f, 0.0f);
  disableSphereMap();
  enableSphereMap(TEX_TEREN);
  glRotatef((float)(-0.42 * g_towerSpin), 0.0f, 0.0f, 1.0f);
  drawCylinder(40.0, 0.0, 1000.0, 20, 20);
  glRotatef((float)(0.42 * g_towerSpin), 0.0f, 0.0f, 1.0f);
  drawCylinder(50.0, 0.0, 1000.0, 20, 20);
  glRotatef(-90.0f, 1.0f, 0.0f, 0.0f);
  glDisable(GL_BLEND);
  glTranslatef(0.0f, -offset, 0.0f);
  disableSphereMap();

  float bob = (float)sin(g_towerPhase * 0.15);

  // Hovering cube, additive and without depth test, so the tower can cover it.
  glDisable(GL_CULL_FACE);
  glEnable(GL_BLEND);
  glDisable(GL_DEPTH_TEST);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  glRotatef(g_towerSpin, 0.0f, 1.0f, 0.0f);
  drawBox(-2.5f, bob + 5.5f, 2.5f, 5.0f, 5.0f, 5.0f, TEX_DEATH, TEX_DEATH);
  glRotatef(-g_towerSpin, 0.0f, 1.0f, 0.0f);

  // Tower: y from -205 up to -5.
  glDisable(GL_BLEND);
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_CULL_FACE);
  glColor3f(0.2f, 0.8f, 0.8f);
  drawBox(-10.0f, -5.0f, 10.0f, 20.0f, 200.0f, 20.0f, TEX_BUILD, TEX_BUILD);

  // Mirrored sheet just above the tower top; the translation stays for the shadow.
  glTranslatef(0.0f, -4.9f, 0.0f);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  enableSphereMap(TEX_TEREN);
  drawTopFace(-10.0f, 0.0f, 10.0f, 20.0f, 20.0f);
  disableSphereMap();

  // Flat additive shadow of the cube, widest when the cube is lowest.
  glScalef(1.0f - bob, 0.01f, 1.0f - bob);
  glColor4f(0.2f, 0.8f, 0.8f, 0.8f);
  glRotatef(g_towerSpin, 0.0f, 1.0f, 0.0f);
  drawBox(-2.5f, 2.5f, 2.5f, 5.0f, 5.0f, 5.0f, TEX_DEATH, TEX_DEATH);

  glDisable(GL_BLEND);
  glLoadIdentity();

  g_towerSpin += 5.0f;
  g_towerPhase += 5.0f;
}
