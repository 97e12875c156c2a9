// Clock hall (90-128.5 s), flown through by the frame driver's camera.
#include "scenes/clock_hall.h"

// The Win32 subset comes before the GL header, which only defines APIENTRY when it is unset.
#include "app/app.h"

#include <GL/gl.h>

#include "app/assets.h"
#include "formats/texture.h"
#include "platform/wall_clock.h"
#include "render/model_render.h"
#include "render/shapes.h"
#include "render/sphere_cache.h"
#include "render/text.h"
#include "scenes/scenes.h"
#include "scenes/stage.h"

float g_liftY = g_stageY - 2.0f;
float g_liftStep = 0.2f;
float g_conveyorZ = g_stageZ - g_stageDepth - 50.0;
float g_cubeSlideOffset = 0.0f;
float g_cubeSlideStep = 0.4f;
float g_beamX = 0.0f;
float g_wheelAngle = 0.0f;
int g_panelSlot = TEX_QUENTA;

void readLocalTime(int* hours, int* minutes, int* seconds) {
  time_t now;
  wallClockTime(&now);
  const struct tm* local = wallClockLocalTime(&now);
  // A clock reading that has no local time shows as midnight rather than crashing the show.
  *hours = local ? local->tm_hour : 0;
  *minutes = local ? local->tm_min : 0;
  *seconds = local ? local->tm_sec : 0;
}

void drawCart(float a, float b, float c, float d, float e, float f) {
  // Roof.
  glFrontFace(GL_CW);
  glBindTexture(GL_TEXTURE_2D, g_textures[TEX_PLECY]);
  glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 1.0f); glVertex3f(a - 0.2 * d, b, c - e / 2);
    glTexCoord2f(1.0f, 1.0f); glVertex3f(a + 0.2 * d, b, c - e / 2);
    glTexCoord2f(1.0f, 0.0f); glVertex3f(a + 0.2 * d, b, c + e / 2);
    glTexCoord2f(0.0f, 0.0f); glVertex3f(a - 0.2 * d, b, c + e / 2);
  glEnd();

  // Cabin sides and rear wall.
  glBindTexture(GL_TEXTURE_2D, g_textures[TEX_PLECY]);
  drawFrontFace(a - 0.2 * d, b, c + e / 2, 0.4 * d, f);
  drawBackFace(a - 0.2 * d, b, c - e / 2, 0.4 * d, f);
  drawLeftFace(a - 0.2 * d, b, c + e / 2, f, e);

  // Sloping nose.
  glBindTexture(GL_TEXTURE_2D, g_textures[TEX_PLECY]);
  drawQuadFromCorners(a + 0.2 * d, b, c - e / 2, a + 0.7 * d, b - f, c + e / 2, 0.5 * d, 0.5 * d, -f, f,
                      0.0f, 0.0f);

  // The nose's two side triangles (the first still wound clockwise).
  glBindTexture(GL_TEXTURE_2D, g_textures[TEX_PLECY]);
  glBegin(GL_TRIANGLES);
    glTexCoord2f(0.0f, 1.0f); glVertex3f(a + 0.2 * d, b, c + e / 2);
    glTexCoord2f(1.0f, 0.0f); glVertex3f(a + 0.7 * d, b - f, c + e / 2);
    glTexCoord2f(0.0f, 0.0f); glVertex3f(a + 0.2 * d, b - f, c + e / 2);
  glEnd();
  glFrontFace(GL_CCW);
  glBegin(GL_TRIANGLES);
    glTexCoord2f(0.0f, 1.0f); glVertex3f(a + 0.2 * d, b, c - e / 2);
    glTexCoord2f(1.0f, 0.0f); glVertex3f(a + 0.7 * d, b - f, c - e / 2);
    glTexCoord2f(0.0f, 0.0f); glVertex3f(a + 0.2 * d, b - f, c - e / 2);
  glEnd();

  // Low rear block and floor.
  drawBox(a - 0.6 * d, b - 0.3 * f, c + e / 2, 0.4 * d, 0.7 * f, e, TEX_PLECY, TEX_PLECY);
  drawBottomFace(a - 0.6 * d, b - f - 0.01, c + e / 2, 1.3 * d, e);
}

void drawClockHallScene() {
  const float X = g_stageX, Y = g_stageY, Z = g_stageZ;
  const double W = g_stageWidth, H = g_stageHeight, D = g_stageDepth;
  int hours, minutes, seconds;

  // 1.
  glEnable(GL_DEPTH_TEST);
  glColor3f(1.0f, 1.0f, 1.0f);
  glDisable(GL_CULL_FACE);

  // 2. Sky: a sphere-mapped sphere around everything, seen from inside.
  enableSphereMap(TEX_QUENTA);
  drawSolidSphere(550.0);
  disableSphereMap();

  // 3.
  glEnable(GL_CULL_FACE);

  // 4. Clock text, 0.2 in front of the board. The frame is not restored: the text's advance
  // and the 0.3 (not 1/3) leave everything after this scaled by 0.9 and shifted along +x.
  glTranslatef(5.0f, Y - 58, -Z - 249.8);
  readLocalTime(&hours, &minutes, &seconds);
  glScalef(3.0f, 3.0f, 1.0f);
  glDisable(GL_TEXTURE_2D);
  glColor3f(1.0f, 1.0f, 1.0f);
  printText("%d:%d:%d", hours, minutes, seconds);
  glEnable(GL_TEXTURE_2D);
  glScalef(0.3f, 0.3f, 1.0f);
  glTranslatef(-5.0f, 58 - Y, Z + 249.8);

  // 5. Side walls.
  drawTiledBox(X, Y, Z, 1, H, D, TEX_SCIANA, TEX_SCIANA, 1, 10);
  drawTiledBox(X + W, Y, Z, 1, H, D, TEX_SCIANA, TEX_SCIANA, 1, 10);

  // 6. Floor.
  glBindTexture(GL_TEXTURE_2D, g_textures[TEX_WALL]);
  drawTopFaceTiled(X, Y - H, Z, W, D, 5);

  // 7. Right ledge.
  drawTiledBox(X + 15, Y - 170, Z, 15, 1, 500, TEX_FLARA, TEX_FLARA, 5, 10);

  // 8. Clock board.
  drawBox(X + 5, Y - 50, Z - D * 0.5, 20, 15, 1, TEX_ZEGAR, TEX_ZEGAR);

  // 9. Two bars across the hall behind the board.
  drawBox(X, Y - 51, Z - 251, 31.01f, 1, 0.1f, TEX_ZEGAR, TEX_ZEGAR);
  drawBox(X, Y - 63, Z - 251, 31.01f, 1, 0.1f, TEX_ZEGAR, TEX_ZEGAR);

  // 10. Back wall, left half only.
  drawBox(X, Y, Z - D, W * 0.5, H, 1, TEX_SCIANA, TEX_SCIANA);

  // 11. Left platforms.
  drawTiledBox(X, Y - 100, Z - 40, 15, 2, D, TEX_FLARA, TEX_FLARA, 10, 5);
  drawTiledBox(X, Y - 115, Z - 40, 15, 2, D, TEX_FLARA, TEX_FLARA, 10, 5);

  // 12. Right-wall panels; an even count makes every frame start with TEX_BOARD.
  for (int c = 0; c <= 350; c += 50) {
    g_panelSlot = (g_panelSlot == TEX_QUENTA) ? TEX_BOARD : TEX_QUENTA;
    drawBox(X + W - 2, Y - 150, Z - 50 - c, 2, 10, 15, g_panelSlot, g_panelSlot);
  }

  // 13. Lifts in counter-motion; the bound is tested before the step.
  drawBox(2, g_liftY, Z - D + 4, 5, 20, 5, TEX_ASLI, TEX_KVT);
  drawBox(9, -g_liftY, Z - D + 4, 5, 20, 5, TEX_ASLI, TEX_ASLI);
  if (g_liftY > Y || g_liftY < Y - H + 10) g_liftStep = -g_liftStep;
  g_liftY -= g_liftStep;

  // 14. Figures walking towards the viewer; an entry wraps after both its figures are drawn.
  for (int i = 0; i < 10; i++) {
    drawFigure(-4, Y - 108, g_stageTableB[i], 6);
    drawFigure(3, Y - 163, g_stageTableB[i] + 35, 6);
    g_stageTableB[i] += 0.5;
    if (g_stageTableB[i] > Z - 40) g_stageTableB[i] = -500.0;
  }

  // 15. Figures walking away, turned by 180 degrees.
  glRotatef(180.0f, 0.0f, 1.0f, 0.0f);
  for (int i = 0; i < 5; i++) {
    drawFigure(9.5f, Y - 108, -g_stageTableC[i], 6);
    drawFigure(-9.5f, Y - 163, -g_stageTableC[i] - 20, 6);
    g_stageTableC[i] -= 0.5;
    if (g_stageTableC[i] < -500.0) g_stageTableC[i] = Z - 40;
  }

  // 16. Local (a, b, c) now lies at stage (c, b, -a).
  glRotatef(-180.0f, 0.0f, 1.0f, 0.0f);
  glRotatef(90.0f, 0.0f, 1.0f, 0.0f);

  // 17. Carts of the upper and lower rows.
  for (int i = 0; i < 10; i++) {
    drawCart(g_stageTableA[i], Y - 20, X + 20, 6, 4, 3);
    drawCart(g_stageTableA[i], Y - H + 10, X + 10, 7, 5, 4);
  }

  // 18.
  glRotatef(-90.0f, 0.0f, 1.0f, 0.0f);
  for (int i = 0; i < 10; i++) {
    g_stageTableA[i] += 1.0f;
    if (g_stageTableA[i] > Z + D) g_stageTableA[i] = 0.0f;
  }

  // 19. Conveyor carts; local (a, b, c) lies at stage (-c, b, a).
  glRotatef(-90.0f, 0.0f, 1.0f, 0.0f);
  for (int c = 0; c <= 480; c += 80) {
    drawCart(g_conveyorZ - c, Y - 10, X + 20, 5, 3, 2);
  }
  g_conveyorZ += 1.5f;
  glRotatef(90.0f, 0.0f, 1.0f, 0.0f);
  if (g_conveyorZ > 400) g_conveyorZ = -550.0f;

  // 20. Second lower row, from the entries already advanced this frame.
  glRotatef(90.0f, 0.0f, 1.0f, 0.0f);
  for (int i = 0; i < 10; i += 2) {
    drawCart(g_stageTableA[i] + 20, Y - H + 10, X + 20, 7, 5, 4);
  }
  glRotatef(-90.0f, 0.0f, 1.0f, 0.0f);

  // 21.
  drawBox(11, 2, Z, 4, 4, 2, TEX_STEP, TEX_STEP);

  // 22. Floor-level pipe along the hall.
  glTranslatef(13.0f, 0.0f, -D);
  glBindTexture(GL_TEXTURE_2D, g_textures[TEX_FLARA]);
  drawCylinder(2, 2, D, 20, 20);
  glTranslatef(-13.0f, 0.0f, D);

  // 23. Cross tube.
  glBindTexture(GL_TEXTURE_2D, g_textures[TEX_STEP]);
  glTranslatef(X, 10.0f, -Z - 200);
  glRotatef(90.0f, 0.0f, 1.0f, 0.0f);
  drawCylinder(5, 5, W, 10, 10);
  glRotatef(-90.0f, 0.0f, 1.0f, 0.0f);
  glTranslatef(-X, -10.0f, Z + 200);

  // 24. Water slab.
  drawTiledBox(X, Y - H * 0.35, Z - 350, W, 5, 20, TEX_WATER, TEX_WATER, 5, 5);

  // 25. Sliding cubes passing each other; stepped first, then tested.
  drawBox(g_cubeSlideOffset + X + 1, Y - H * 0.32, Z - 350, 5, 5, 5, TEX_WALL, TEX_WALL);
  drawBox(X + W - 5 - g_cubeSlideOffset, Y - H * 0.32, Z - 360, 5, 5, 5, TEX_WALL, TEX_WALL);
  g_cubeSlideOffset += g_cubeSlideStep;
  if (g_cubeSlideOffset > W - 6 || g_cubeSlideOffset < 0) g_cubeSlideStep = -g_cubeSlideStep;

  // 26. Two pyramids on their sides, tips pointing at each other.
  glBindTexture(GL_TEXTURE_2D, g_textures[TEX_GOLEM]);
  glRotatef(-90.0f, 0.0f, 0.0f, 1.0f);
  drawPyramid(-(Y - 40), X + W * 0.2, Z - D * 0.55, 7, 5);
  glRotatef(90.0f, 0.0f, 0.0f, 1.0f);
  glRotatef(90.0f, 0.0f, 0.0f, 1.0f);
  drawPyramid(Y - 40, -(X + W * 0.85), Z - D * 0.55, 7, 5);
  glRotatef(-90.0f, 0.0f, 0.0f, 1.0f);

  // 27. Yellow beam between the pyramid tips.
  enableSphereMap(TEX_STEP);
  glColor3f(1.0f, 1.0f, 0.0f);
  glBegin(GL_LINE_STRIP);
    glVertex3f(X + g_beamX, Y - 40, Z - D * 0.55);
    glVertex3f(X + g_beamX + W * 0.2, Y - 40, Z - D * 0.55);
  glEnd();
  g_beamX += 2.0f;
  if (g_beamX > W) g_beamX = 0.0f;
  disableSphereMap();
  glColor3f(1.0f, 1.0f, 1.0f);

  // 28. Front lintel.
  drawBox(X, Y - H * 0.6, Z, W, 10, 5, TEX_STEP, TEX_STEP);

  // 29. Rear pipe across the hall.
  glBindTexture(GL_TEXTURE_2D, g_textures[TEX_FLARA]);
  glTranslatef(-W * 0.5, 0.0f, Z - 450);
  glRotatef(90.0f, 0.0f, 1.0f, 0.0f);
  drawCylinder(5, 5, W, 10, 10);

  // 30. Ceiling beams, still in the rotated frame; the shifts accumulate.
  glTranslatef(50.0f, Y, 0.0f);
  for (int n = 0; n >= -65; n -= 5) {
    glTranslatef(n, 0.0f, 0.0f);
    drawCylinder(2, 2, W, 4, 4);
  }

  // 31.
  glRotatef(-90.0f, 0.0f, 1.0f, 0.0f);
  glDisable(GL_CULL_FACE);

  // 32. Paddle crosses on a rotating hub.
  glTranslatef(1.0f, -50.0f, -50.0f);
  glRotatef(g_wheelAngle, 1.0f, 0.0f, 0.0f);
  glRotatef(90.0f, 0.0f, 1.0f, 0.0f);
  drawCylinder(7, 7, W, 20, 20);
  glRotatef(-90.0f, 0.0f, 1.0f, 0.0f);
  drawBox(0, 0, 0, 7.01f, 42, 7.01f, TEX_FLARA, TEX_FLARA);
  drawBox(0, 0, 0, 7, -35, 7, TEX_FLARA, TEX_FLARA);
  drawBox(0, 0, 0, 7, 7, 42, TEX_FLARA, TEX_FLARA);
  drawBox(0, 0, 0, 7, 7, -35, TEX_FLARA, TEX_FLARA);
  glTranslatef(W - 7.1, 0.0f, 0.0f);
  drawBox(-0.01f, 0, 0, 7, 42, 7, TEX_FLARA, TEX_FLARA);
  drawBox(0, 0, 0, 7, -35, 7, TEX_FLARA, TEX_FLARA);
  drawBox(0, 0, 0, 7, 7, 42, TEX_FLARA, TEX_FLARA);
  drawBox(0, 0, 0, 7, 7, -35, TEX_FLARA, TEX_FLARA);
  glRotatef(-g_wheelAngle, 1.0f, 0.0f, 0.0f);

  // 33.
  g_wheelAngle += 1.0f;
}
