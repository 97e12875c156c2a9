#include "render/shapes.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include "formats/texture.h"

// Each face is one quad anchored at its corner with the largest y, the largest z and the
// smallest x. The vertex order is counter-clockwise seen from +z, +x or +y; the winding set
// before the quad picks which side is the front, so a box built from the six faces has every
// front side pointing outwards. A plain face shows its picture once: the tiled face with a
// repeat of 1.

void drawFrontFace(float x, float y, float z, float width, float height) {
  drawFrontFaceTiled(x, y, z, width, height, 1.0f);
}

void drawBackFace(float x, float y, float z, float width, float height) {
  drawBackFaceTiled(x, y, z, width, height, 1.0f);
}

void drawRightFace(float x, float y, float z, float height, float depth) {
  drawRightFaceTiled(x, y, z, height, depth, 1.0f);
}

void drawLeftFace(float x, float y, float z, float height, float depth) {
  drawLeftFaceTiled(x, y, z, height, depth, 1.0f);
}

void drawTopFace(float x, float y, float z, float width, float depth) {
  drawTopFaceTiled(x, y, z, width, depth, 1.0f);
}

void drawBottomFace(float x, float y, float z, float width, float depth) {
  drawBottomFaceTiled(x, y, z, width, depth, 1.0f);
}

// The tiled faces: the same quads with every texture coordinate 1 replaced by `repeat`,
// so the picture repeats `repeat` times along each edge.

void drawFrontFaceTiled(float x, float y, float z, float width, float height, float repeat) {
  glFrontFace(GL_CCW);
  glBegin(GL_QUADS);
    glTexCoord2f(0.0f, repeat); glVertex3f(x, y, z);
    glTexCoord2f(0.0f, 0.0f); glVertex3f(x, y - height, z);
    glTexCoord2f(repeat, 0.0f); glVertex3f(x + width, y - height, z);
    glTexCoord2f(repeat, repeat); glVertex3f(x + width, y, z);
  glEnd();
}

void drawBackFaceTiled(float x, float y, float z, float width, float height, float repeat) {
  glFrontFace(GL_CW);
  glBegin(GL_QUADS);
    glTexCoord2f(0.0f, repeat); glVertex3f(x, y, z);
    glTexCoord2f(0.0f, 0.0f); glVertex3f(x, y - height, z);
    glTexCoord2f(repeat, 0.0f); glVertex3f(x + width, y - height, z);
    glTexCoord2f(repeat, repeat); glVertex3f(x + width, y, z);
  glEnd();
}

void drawRightFaceTiled(float x, float y, float z, float height, float depth, float repeat) {
  glFrontFace(GL_CCW);
  glBegin(GL_QUADS);
    glTexCoord2f(0.0f, repeat); glVertex3f(x, y, z);
    glTexCoord2f(0.0f, 0.0f); glVertex3f(x, y - height, z);
    glTexCoord2f(repeat, 0.0f); glVertex3f(x, y - height, z - depth);
    glTexCoord2f(repeat, repeat); glVertex3f(x, y, z - depth);
  glEnd();
}

void drawLeftFaceTiled(float x, float y, float z, float height, float depth, float repeat) {
  glFrontFace(GL_CW);
  glBegin(GL_QUADS);
    glTexCoord2f(0.0f, repeat); glVertex3f(x, y, z);
    glTexCoord2f(0.0f, 0.0f); glVertex3f(x, y - height, z);
    glTexCoord2f(repeat, 0.0f); glVertex3f(x, y - height, z - depth);
    glTexCoord2f(repeat, repeat); glVertex3f(x, y, z - depth);
  glEnd();
}

void drawTopFaceTiled(float x, float y, float z, float width, float depth, float repeat) {
  glFrontFace(GL_CCW);
  glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f); glVertex3f(x, y, z);
    glTexCoord2f(repeat, 0.0f); glVertex3f(x + width, y, z);
    glTexCoord2f(repeat, repeat); glVertex3f(x + width, y, z - depth);
    glTexCoord2f(0.0f, repeat); glVertex3f(x, y, z - depth);
  glEnd();
}

void drawBottomFaceTiled(float x, float y, float z, float width, float depth, float repeat) {
  glFrontFace(GL_CW);
  glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f); glVertex3f(x, y, z);
    glTexCoord2f(repeat, 0.0f); glVertex3f(x + width, y, z);
    glTexCoord2f(repeat, repeat); glVertex3f(x + width, y, z - depth);
    glTexCoord2f(0.0f, repeat); glVertex3f(x, y, z - depth);
  glEnd();
}

// A box filling x .. x+width, y-height .. y, z-depth .. z: sides first, then top and bottom.
// Leaves the top/bottom texture bound and the winding at GL_CW.
void drawBox(float x, float y, float z, float width, float height, float depth, int topBottomSlot,
             int sideSlot) {
  glBindTexture(GL_TEXTURE_2D, g_textures[sideSlot]);
  drawFrontFace(x, y, z, width, height);
  drawBackFace(x, y, z - depth, width, height);
  drawRightFace(x + width, y, z, height, depth);
  drawLeftFace(x, y, z, height, depth);
  glBindTexture(GL_TEXTURE_2D, g_textures[topBottomSlot]);
  drawTopFace(x, y, z, width, depth);
  drawBottomFace(x, y - height, z, width, depth);
}

void drawTiledBox(float x, float y, float z, float width, float height, float depth, int topBottomSlot,
                  int sideSlot, float topBottomRepeat, float sideRepeat) {
  glBindTexture(GL_TEXTURE_2D, g_textures[sideSlot]);
  drawFrontFaceTiled(x, y, z, width, height, sideRepeat);
  drawBackFaceTiled(x, y, z - depth, width, height, sideRepeat);
  drawRightFaceTiled(x + width, y, z, height, depth, sideRepeat);
  drawLeftFaceTiled(x, y, z, height, depth, sideRepeat);
  glBindTexture(GL_TEXTURE_2D, g_textures[topBottomSlot]);
  drawTopFaceTiled(x, y, z, width, depth, topBottomRepeat);
  drawBottomFaceTiled(x, y - height, z, width, depth, topBottomRepeat);
}

// A square pyramid with its apex at (x, y, z) and its base centred below it. Leaves GL_CCW.
void drawPyramid(float x, float y, float z, float height, float baseWidth) {
  float yb = y - height;
  float h = 0.5f * baseWidth;
  float x1 = x - h, x2 = x + h;
  float z1 = z - h, z2 = z + h;

  // The four sides, closed by repeating the first base corner
  glFrontFace(GL_CW);
  glBegin(GL_TRIANGLE_FAN);
    glVertex3f(x, y, z);
    glVertex3f(x1, yb, z1);
    glVertex3f(x2, yb, z1);
    glVertex3f(x2, yb, z2);
    glVertex3f(x1, yb, z2);
    glVertex3f(x1, yb, z1);
  glEnd();

  // The base
  glFrontFace(GL_CCW);
  glBegin(GL_QUADS);
    glVertex3f(x1, yb, z1);
    glVertex3f(x2, yb, z1);
    glVertex3f(x2, yb, z2);
    glVertex3f(x1, yb, z2);
  glEnd();
}

// One quad through the opposite corners A and B; the other two corners are offsets, the
// fourth one's x offset subtracted from B, its y and z offsets added.
void drawQuadFromCorners(float ax, float ay, float az, float bx, float by, float bz, float dx2, float dx4,
                         float dy2, float dy4, float dz2, float dz4) {
  glFrontFace(GL_CW);
  glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 1.0f); glVertex3f(ax, ay, az);
    glTexCoord2f(1.0f, 1.0f); glVertex3f(ax + dx2, ay + dy2, az + dz2);
    glTexCoord2f(1.0f, 0.0f); glVertex3f(bx, by, bz);
    glTexCoord2f(0.0f, 0.0f); glVertex3f(bx - dx4, by + dy4, bz + dz4);
  glEnd();
}

// A textured quad in the plane z, its top edge slanted by rightOffset and its bottom edge
// centred under x. Sums are formed in double precision; the winding is left alone.
void drawSlantedQuad(float x, float y, float z, double rightOffset, double bottomHalfWidth, double height,
                     int slot) {
  glBindTexture(GL_TEXTURE_2D, g_textures[slot]);
  glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 1.0f); glVertex3f(x, y, z);
    glTexCoord2f(1.0f, 1.0f); glVertex3f(x + rightOffset, y + 0.5 * height, z);
    glTexCoord2f(1.0f, 0.0f); glVertex3f(x + bottomHalfWidth, y - height, z);
    glTexCoord2f(0.0f, 0.0f); glVertex3f(x - bottomHalfWidth, y - height, z);
  glEnd();
}

// The first radius is the one at the far end (z = height), the second the one at z = 0.
void drawCylinder(double topRadius, double baseRadius, double height, int slices, int stacks) {
  GLUquadric* quadric = gluNewQuadric();
  gluQuadricNormals(quadric, GLU_SMOOTH);
  gluQuadricOrientation(quadric, GLU_OUTSIDE);
  gluQuadricTexture(quadric, GL_TRUE);
  gluCylinder(quadric, baseRadius, topRadius, height, slices, stacks);
  gluDeleteQuadric(quadric);
}

void drawPartialDisk(double innerRadius, double outerRadius, int slices, int loops, double startAngle,
                     double sweepAngle) {
  GLUquadric* quadric = gluNewQuadric();
  gluQuadricNormals(quadric, GLU_SMOOTH);
  gluQuadricOrientation(quadric, GLU_OUTSIDE);
  gluQuadricTexture(quadric, GL_TRUE);
  gluPartialDisk(quadric, innerRadius, outerRadius, slices, loops, startAngle, sweepAngle);
  gluDeleteQuadric(quadric);
}
