// Title board: three additive sphere-mapped cones spiral past the shared camera; over them, after
// a depth clear, a camera circles and rises to a framed board on a platform where the title
// picture opens from its centre, multiplied onto the glow behind it.
#include "scenes/title_board.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>

#include "app/assets.h"
#include "formats/model3ds.h"
#include "formats/texture.h"
#include "render/model_render.h"
#include "render/shapes.h"
#include "scenes/scenes.h"
#include "timeline/frame.h"

double g_funnelPhase = 0.0;
float g_funnelCenterRise = 6.5f;
float g_funnelEyeRise = 5.5f;

float g_boardPhase = 0.0f;
float g_boardEyeX = 0.0f, g_boardEyeZ = 0.0f;
float g_boardEyeY = 0.0f;
float g_boardEyeRise = 2.0f;
double g_boardLookY = 0.0;
float g_boardLookRise = 3.0f;
float g_titleWidth = 0.0f;
float g_titleGrow = 2.0f;
float g_titleLeft = 66.0f;

void drawTitleBoard() {
  glLoadIdentity();
  gluLookAt(g_boardEyeX, g_boardEyeY, g_boardEyeZ, 0.0, g_boardLookY, -10.0, 0.0, 1.0, 0.0);

  if (g_boardLookY >= 630.0) g_boardLookRise = 0.0f;
  g_boardLookY += g_boardLookRise;

  // Circle at radius 130, for the next call.
  double b = g_boardPhase * 0.02;
  g_boardEyeX = sin(b) * 130.0;
  g_boardEyeZ = cos(b) * 130.0;

  // Once the eye is up at the board, the title opens from its centre (x 66) to x 42..90.
  if (g_boardEyeY >= 670.0f) {
    g_boardEyeRise = 0.0f;
    if (g_titleWidth >= 47.1) g_titleGrow = 0.0f;
    g_titleWidth += g_titleGrow;
    g_titleLeft -= 0.5f * g_titleGrow;
  }
  g_boardEyeY += g_boardEyeRise;

  glScalef(2.5f, 0.75f, 2.5f);
  glTranslatef(-60.0f, 0.0f, -50.0f);

  // Platform and the frame of thin bars, in the backdrop's lilac with blending off.
  drawBox(41.0f, 800.0f, 73.0f, 50.0f, 2.0f, 50.0f, TEX_STEP, TEX_STEP);      // platform
  drawBox(41.0f, 900.0f, 48.0f, 50.0f, 1.0f, 1.0f, TEX_SCIANA, TEX_SCIANA);   // top bar
  drawBox(41.0f, 899.0f, 48.0f, 1.0f, 100.0f, 1.0f, TEX_SCIANA, TEX_SCIANA);  // left post
  drawBox(90.0f, 899.0f, 48.0f, 1.0f, 100.0f, 1.0f, TEX_SCIANA, TEX_SCIANA);  // right post
  drawBox(42.0f, 820.0f, 48.0f, 49.0f, 1.0f, 1.0f, TEX_SCIANA, TEX_SCIANA);   // bottom bar

  drawModel(g_kratkaModel, TEX_FLARA);

  // Title picture, multiplied onto what is already in the frame buffer, in the colour and
  // texturing state that drawModel left.
  glBindTexture(GL_TEXTURE_2D, g_textures[TEX_TITLE]);
  glEnable(GL_BLEND);
  glDisable(GL_DEPTH_TEST);
  glBlendFunc(GL_DST_COLOR, GL_ZERO);
  drawFrontFace(g_titleLeft, 899.5f, 47.5f, g_titleWidth, 80.0f);

  glEnable(GL_DEPTH_TEST);
  glDisable(GL_BLEND);

  g_boardPhase += 1.0f;
  glLoadIdentity();
}

void drawTitleBoardScene(int x, int y, int width, int height) {
  // Backdrop, from the shared camera of the previous call.
  gluLookAt(g_eyeX, g_eyeY, g_eyeZ, 0.0, g_centerY, -1.0, 0.0, 1.0, 0.0);
  glViewport(x, y, width, height);
  glEnable(GL_DEPTH_TEST);

  if (g_centerY >= 1250.0) g_funnelCenterRise = 0.0f;
  g_centerY += g_funnelCenterRise;

  glTranslatef(50.0f, -30.0f, 150.0f);

  if (g_eyeY > 1290.0) g_funnelEyeRise = 0.0f;  // strict, unlike the centre's test
  g_eyeY += g_funnelEyeRise;

  double a = g_funnelPhase * 0.04;
  g_eyeX = sin(a) * 170.0;
  g_eyeZ = cos(a) * 160.0;

  // Scales the backdrop by (2, 1.75, 1) about (50, -30, 150).
  glScalef(2.0f, 1.75f, 1.0f);
  glTranslatef(-50.0f, 30.0f, -150.0f);

  glColor3ub(220, 210, 245);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  enableSphereMap(TEX_TLO);

  // Cone 1: apex at y 1500, radius 500 at y 0.
  glRotatef(4.0 * g_funnelPhase, 0.0f, 1.0f, 0.0f);
  glTranslatef(0.0f, 1500.0f, 0.0f);
  glRotatef(90.0f, 1.0f, 0.0f, 0.0f);
  drawCylinder(500.0, 0.0, 1500.0, 20, 20);
  glRotatef(-90.0f, 1.0f, 0.0f, 0.0f);
  glTranslatef(0.0f, -1500.0f, 0.0f);
  glRotatef(-4.0 * g_funnelPhase, 0.0f, 1.0f, 0.0f);

  // Cone 2: apex at y 1400, radius 400 at y -100.
  glRotatef(-g_funnelPhase, 0.0f, 1.0f, 0.0f);
  glTranslatef(0.0f, 1400.0f, 0.0f);
  glRotatef(90.0f, 1.0f, 0.0f, 0.0f);
  drawCylinder(400.0, 0.0, 1500.0, 20, 20);
  glRotatef(-90.0f, 1.0f, 0.0f, 0.0f);
  glTranslatef(0.0f, -1400.0f, 0.0f);
  glRotatef(g_funnelPhase, 0.0f, 1.0f, 0.0f);

  // Cone 3: radius 400 at y -100, apex at y -600 (with cone 2 a spindle).
  glRotatef(-g_funnelPhase, 0.0f, 1.0f, 0.0f);
  glTranslatef(0.0f, -100.0f, 0.0f);
  glRotatef(90.0f, 1.0f, 0.0f, 0.0f);
  drawCylinder(0.0, 400.0, 500.0, 20, 20);
  glRotatef(-90.0f, 1.0f, 0.0f, 0.0f);
  glTranslatef(0.0f, 100.0f, 0.0f);
  glRotatef(g_funnelPhase, 0.0f, 1.0f, 0.0f);

  disableSphereMap();
  glDisable(GL_BLEND);

  g_funnelPhase += 1.0;

  // Board pass over the backdrop: depth cleared, colour kept.
  glClear(GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
  glLoadIdentity();
  glEnable(GL_DEPTH_TEST);
  drawTitleBoard();
}
