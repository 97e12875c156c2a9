#include "scenes/grid_room.h"

#include <cmath>

#include "app/assets.h"
#include "formats/model3ds.h"
#include "formats/texture.h"
#include "render/model_render.h"
#include "render/shapes.h"
#include "scenes/scenes.h"
#include "timeline/frame.h"

#include <GL/gl.h>

float g_gridRoomPhase = 0.0f;

// One horizontal quad at height y, reaching from z towards +z (unlike the box faces).
void drawFloorQuad(double x, double y, double z, double width, double depth, int slot, double repeatS,
                   double repeatT) {
  glBindTexture(GL_TEXTURE_2D, g_textures[slot]);
  glFrontFace(GL_CW);
  glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex3f((float)x, (float)y, (float)z);
    glTexCoord2f(0.0f, (float)repeatT);
    glVertex3f((float)x, (float)y, (float)(z + depth));
    glTexCoord2f((float)repeatS, (float)repeatT);
    glVertex3f((float)(x + width), (float)y, (float)(z + depth));
    glTexCoord2f((float)repeatS, 0.0f);
    glVertex3f((float)(x + width), (float)y, (float)z);
  glEnd();
}

// The hall seen through the frame driver's camera; the eye written here is used next frame.
void drawGridRoomScene() {
  g_eyeX = sin(g_gridRoomPhase * 0.008) * 600.0;
  g_eyeZ = cos(g_gridRoomPhase * 0.01) * 800.0;

  glEnable(GL_TEXTURE_2D);
  glEnable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);

  // Hall: walls TEX_BOARD, ceiling and floor TEX_FLARA; leaves the winding clockwise.
  drawBox(-1000.0f, 500.0f, 1000.0f, 2000.0f, 1000.0f, 2000.0f, TEX_FLARA, TEX_BOARD);

  glEnable(GL_DEPTH_TEST);
  glEnable(GL_CULL_FACE);

  // Two mirrored models, one above the other; the transforms are undone by their inverses.
  glScalef(8.0f, 5.0f, 8.0f);
  glTranslatef(25.0f, 25.0f, -40.0f);
  enableSphereMap(TEX_SCIANA);
  drawModel(g_gridModel, TEX_SCIANA);
  glTranslatef(-25.0f, -25.0f, 40.0f);
  glTranslatef(0.0f, -20.0f, 0.0f);
  glTranslatef(25.0f, 0.0f, -40.0f);
  drawModel(g_gridModel, TEX_SCIANA);
  glTranslatef(-25.0f, 0.0f, 40.0f);
  glTranslatef(0.0f, 20.0f, 0.0f);
  glScalef(0.125f, 0.2f, 0.125f);

  // Additive mirrored floor sheet, in the colour and texturing the last model object left.
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  glDisable(GL_CULL_FACE);
  enableSphereMap(TEX_BOARD);
  drawFloorQuad(-1100.0, -180.0, -1100.0, 2200.0, 2200.0, TEX_BOARD, 10.0, 10.0);

  glColor3f(1.0f, 1.0f, 1.0f);
  glDisable(GL_BLEND);
  disableSphereMap();

  g_gridRoomPhase += 2.0f;
}
