// Water-ceiling room: a closed 200 x 40 x 200 room with furniture, a tiled water sheet under the
// ceiling, two additive sphere-mapped tubes and a glowing stack of pentagonal cones whose layers
// twist against each other. The camera swings through the room on three frequencies.
#include "scenes/water_room.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>

#include "app/assets.h"
#include "formats/texture.h"
#include "render/model_render.h"
#include "render/shapes.h"
#include "scenes/scenes.h"
#include "timeline/frame.h"

float g_waterRoomPhase = 0.0f;
float g_coneStackSpin = 0.0f;

// Seven layers of four funnels; the spin is applied once but undone once per layer, so layer k
// stands turned by (1 - k) x spin.
void drawConeStack(int slot) {
  float spin = g_coneStackSpin;

  glDisable(GL_CULL_FACE);
  glBindTexture(GL_TEXTURE_2D, g_textures[slot]);
  glEnable(GL_BLEND);
  glDisable(GL_DEPTH_TEST);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);

  glRotatef(spin, 0.0f, 1.0f, 0.0f);
  for (int k = 0; k < 7; k++) {
    glTranslatef(0.0f, -5 * k, 0.0f);
    for (int j = 0; j < 4; j++) {
      glRotatef(90 * j, 0.0f, 1.0f, 0.0f);
      drawCylinder(20.0, 5.0, 50.0, 5, 5);
      glRotatef(-90 * j, 0.0f, 1.0f, 0.0f);
    }
    glTranslatef(0.0f, 5 * k, 0.0f);
    glRotatef(-spin, 0.0f, 1.0f, 0.0f);
  }

  g_coneStackSpin += 1.0f;
  glEnable(GL_DEPTH_TEST);
}

void drawWaterRoomScene() {
  float q = g_waterRoomPhase;

  glLoadIdentity();

  // Camera: computed here and used at once.
  g_eyeX = sin(q * 0.06) * 70.0;
  g_eyeZ = cos(q * 0.025) * 80.0;
  g_eyeY = sin(q * 0.01) * 4.0;
  gluLookAt(g_eyeX, g_eyeY, g_eyeZ, 0.0, 0.0, 0.2, 0.0, 1.0, 0.0);

  // Opaque furniture.
  drawBox(70.0f, 10.0f, 70.0f, 20.0f, 30.0f, 20.0f, TEX_CREDIT, TEX_CREDIT);  // box A
  drawBox(70.0f, 10.0f, -50.0f, 20.0f, 30.0f, 40.0f, TEX_WALL, TEX_WALL);     // box B

  // Ceiling beams at x -90, -60, ... 60.
  float beamX = -90.0f;
  do {
    drawBox(beamX, 19.8f, 60.0f, 5.0f, 1.0f, 120.0f, TEX_FLARA, TEX_FLARA);
    beamX += 30.0f;
  } while (beamX < 90.0f);

  // Planks leaning from the wall at z 100, at x offsets -25, 0, 25, 50, 75.
  float plankX = -25.0f;
  do {
    glTranslatef(plankX, 0.0f, 100.0f);
    glRotatef(-45.0f, 1.0f, 0.0f, 0.0f);
    drawBox(-5.0f, 30.0f, 0.5f, 10.0f, 40.0f, 1.0f, TEX_FLARA, TEX_FLARA);
    glRotatef(45.0f, 1.0f, 0.0f, 0.0f);
    glTranslatef(-plankX, 0.0f, -100.0f);
    plankX += 25.0f;
  } while (plankX < 90.0f);

  drawBox(-23.0f, 20.0f, 25.0f, 46.0f, 1.0f, 50.0f, TEX_WALL, TEX_WALL);       // upper slab
  drawBox(-23.0f, -19.0f, 25.0f, 46.0f, 1.0f, 50.0f, TEX_WALL, TEX_WALL);      // lower slab
  drawBox(-6.0f, 19.0f, 6.0f, 12.0f, 1.0f, 12.0f, TEX_ZEGAR, TEX_ZEGAR);       // upper plate
  drawBox(-6.0f, -18.0f, 6.0f, 12.0f, 1.0f, 12.0f, TEX_ZEGAR, TEX_ZEGAR);      // lower plate
  drawBox(30.0f, -10.0f, 33.0f, 5.0f, 10.0f, 5.0f, TEX_TLO, TEX_TLO);          // pillar 1
  drawBox(-30.0f, -10.0f, 33.0f, 5.0f, 10.0f, 5.0f, TEX_TLO, TEX_TLO);         // pillar 2
  drawBox(-30.0f, -10.0f, -27.0f, 5.0f, 10.0f, 5.0f, TEX_TLO, TEX_TLO);        // pillar 3
  drawBox(30.0f, -10.0f, -27.0f, 5.0f, 10.0f, 5.0f, TEX_TLO, TEX_TLO);         // pillar 4

  // Square of sphere-mapped rods at height -12, corners (-28, -30) and (32, 30).
  enableSphereMap(TEX_FLARA);
  glTranslatef(-28.0f, -12.0f, -30.0f);
  drawCylinder(1.0, 1.0, 60.0, 20, 20);
  glRotatef(90.0f, 0.0f, 1.0f, 0.0f);
  drawCylinder(1.0, 1.0, 60.0, 20, 20);
  glRotatef(-90.0f, 0.0f, 1.0f, 0.0f);
  glTranslatef(60.0f, 0.0f, 0.0f);
  drawCylinder(1.0, 1.0, 60.0, 20, 20);
  glRotatef(-90.0f, 0.0f, 1.0f, 0.0f);
  glTranslatef(60.0f, 0.0f, 0.0f);
  drawCylinder(1.0, 1.0, 60.0, 20, 20);
  glTranslatef(-60.0f, 0.0f, 0.0f);
  glRotatef(90.0f, 0.0f, 1.0f, 0.0f);
  glTranslatef(-60.0f, 0.0f, 0.0f);
  glTranslatef(28.0f, 12.0f, 30.0f);
  disableSphereMap();

  // The room itself and the water sheet just under its ceiling.
  drawTiledBox(-100.0f, 20.0f, 100.0f, 200.0f, 40.0f, 200.0f, TEX_SCIANA, TEX_STEP, 15.0f, 1.0f);
  glBindTexture(GL_TEXTURE_2D, g_textures[TEX_WATER]);
  drawBottomFaceTiled(-100.0f, 19.9f, 100.0f, 200.0f, 200.0f, 10.0f);

  // Glowing parts: additive and without depth test, so they shine through the room.
  glBindTexture(GL_TEXTURE_2D, g_textures[TEX_GOLEM]);
  enableSphereMap(TEX_GOLEM);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  glDisable(GL_DEPTH_TEST);

  // Two tubes along +z at x -90, heights -10 and 10.
  glTranslatef(-90.0f, -10.0f, -100.0f);
  drawCylinder(5.0, 5.0, 240.0, 20, 20);
  glTranslatef(0.0f, 20.0f, 0.0f);
  drawCylinder(5.0, 5.0, 240.0, 20, 20);
  glTranslatef(0.0f, -20.0f, 0.0f);
  glTranslatef(90.0f, 10.0f, 100.0f);

  // Cone stack, reflecting TEX_TEREN; the scale is not undone.
  glScalef(0.4f, 0.5f, 0.3f);
  glTranslatef(0.0f, 10.0f, 0.0f);
  glColor3f(0.2f, 0.6f, 0.8f);
  drawConeStack(TEX_TEREN);
  glColor3f(1.0f, 1.0f, 1.0f);
  glTranslatef(0.0f, -10.0f, 0.0f);

  disableSphereMap();
  glEnable(GL_DEPTH_TEST);
  glDisable(GL_BLEND);
  glClear(GL_DEPTH_BUFFER_BIT);

  g_waterRoomPhase += 2.5f;
}
