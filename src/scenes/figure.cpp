// Walking figure: head, torso with chest and belly, two arms and two tapered legs, all as
// offsets from the head's centre (x, y, z). The lower ends of the limbs swing along z by an
// absolute amount w, arms and legs in opposite directions.
#include "scenes/figure.h"

#include <GL/gl.h>

#include <cmath>

#include "app/assets.h"
#include "formats/texture.h"
#include "scenes/scenes.h"

float g_figurePhase = 0.0f;

void drawFigure(float x, float y, float z, float size) {
  const float s = size;
  const float w = std::sin(g_figurePhase);
  g_figurePhase += 0.05;

  // 1. head front
  glFrontFace(GL_CW);
  glBindTexture(GL_TEXTURE_2D, g_textures[TEX_TWARZ]);
  glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 1.0f); glVertex3f(x - 0.125f * s, y + 0.125f * s, z + 0.125f * s);
    glTexCoord2f(1.0f, 1.0f); glVertex3f(x + 0.125f * s, y + 0.125f * s, z + 0.125f * s);
    glTexCoord2f(1.0f, 0.0f); glVertex3f(x + 0.125f * s, y - 0.125f * s, z + 0.125f * s);
    glTexCoord2f(0.0f, 0.0f); glVertex3f(x - 0.125f * s, y - 0.125f * s, z + 0.125f * s);
  glEnd();

  // 2. head back
  glFrontFace(GL_CCW);
  glBindTexture(GL_TEXTURE_2D, g_textures[TEX_PLECY]);
  glBegin(GL_QUADS);
    glTexCoord2f(1.0f, 1.0f); glVertex3f(x - 0.125f * s, y + 0.125f * s, z - 0.125f * s);
    glTexCoord2f(0.0f, 1.0f); glVertex3f(x + 0.125f * s, y + 0.125f * s, z - 0.125f * s);
    glTexCoord2f(0.0f, 0.0f); glVertex3f(x + 0.125f * s, y - 0.125f * s, z - 0.125f * s);
    glTexCoord2f(1.0f, 0.0f); glVertex3f(x - 0.125f * s, y - 0.125f * s, z - 0.125f * s);
  glEnd();

  // 3. head -x side
  glFrontFace(GL_CW);
  glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 1.0f); glVertex3f(x - 0.125f * s, y + 0.125f * s, z - 0.125f * s);
    glTexCoord2f(1.0f, 1.0f); glVertex3f(x - 0.125f * s, y + 0.125f * s, z + 0.125f * s);
    glTexCoord2f(1.0f, 0.0f); glVertex3f(x - 0.125f * s, y - 0.125f * s, z + 0.125f * s);
    glTexCoord2f(0.0f, 0.0f); glVertex3f(x - 0.125f * s, y - 0.125f * s, z - 0.125f * s);
  glEnd();

  // 4. head +x side
  glFrontFace(GL_CCW);
  glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 1.0f); glVertex3f(x + 0.125f * s, y + 0.125f * s, z - 0.125f * s);
    glTexCoord2f(1.0f, 1.0f); glVertex3f(x + 0.125f * s, y + 0.125f * s, z + 0.125f * s);
    glTexCoord2f(1.0f, 0.0f); glVertex3f(x + 0.125f * s, y - 0.125f * s, z + 0.125f * s);
    glTexCoord2f(0.0f, 0.0f); glVertex3f(x + 0.125f * s, y - 0.125f * s, z - 0.125f * s);
  glEnd();

  // 5. head top
  glFrontFace(GL_CW);
  glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 1.0f); glVertex3f(x - 0.125f * s, y + 0.125f * s, z - 0.125f * s);
    glTexCoord2f(1.0f, 1.0f); glVertex3f(x + 0.125f * s, y + 0.125f * s, z - 0.125f * s);
    glTexCoord2f(1.0f, 0.0f); glVertex3f(x + 0.125f * s, y + 0.125f * s, z + 0.125f * s);
    glTexCoord2f(0.0f, 0.0f); glVertex3f(x - 0.125f * s, y + 0.125f * s, z + 0.125f * s);
  glEnd();

  // 6. head bottom (no texture coordinates: keeps t(0, 0) of the face before)
  glFrontFace(GL_CCW);
  glBegin(GL_QUADS);
    glVertex3f(x - 0.125f * s, y - 0.125f * s, z - 0.125f * s);
    glVertex3f(x + 0.125f * s, y - 0.125f * s, z - 0.125f * s);
    glVertex3f(x + 0.125f * s, y - 0.125f * s, z + 0.125f * s);
    glVertex3f(x - 0.125f * s, y - 0.125f * s, z + 0.125f * s);
  glEnd();

  // 7. torso -x side
  glFrontFace(GL_CW);
  glBegin(GL_POLYGON);
    glTexCoord2f(0.0f, 1.0f); glVertex3f(x - 0.125f * s, y - 0.15f * s, z - 0.125f * s);
    glTexCoord2f(1.0f, 1.0f); glVertex3f(x - 0.125f * s, y - 0.15f * s, z + 0.125f * s);
    glTexCoord2f(1.0f, 1.0f); glVertex3f(x - 0.125f * s, y - (7.0f / 24.0f) * s, z + 0.25f * s);
    glTexCoord2f(1.0f, 0.0f); glVertex3f(x - 0.125f * s, y - (13.0f / 24.0f) * s, z + 0.25f * s);
    glTexCoord2f(1.0f, 1.0f); glVertex3f(x - 0.125f * s, y - (13.0f / 24.0f) * s, z - 0.145f * s);
  glEnd();

  // 8. torso +x side
  glFrontFace(GL_CCW);
  glBegin(GL_POLYGON);
    glTexCoord2f(1.0f, 1.0f); glVertex3f(x + 0.125f * s, y - 0.15f * s, z - 0.125f * s);
    glTexCoord2f(0.0f, 1.0f); glVertex3f(x + 0.125f * s, y - 0.15f * s, z + 0.125f * s);
    glTexCoord2f(0.0f, 1.0f); glVertex3f(x + 0.125f * s, y - (7.0f / 24.0f) * s, z + 0.25f * s);
    glTexCoord2f(0.0f, 0.0f); glVertex3f(x + 0.125f * s, y - (13.0f / 24.0f) * s, z + 0.25f * s);
    glTexCoord2f(1.0f, 0.0f); glVertex3f(x + 0.125f * s, y - (13.0f / 24.0f) * s, z - 0.145f * s);
  glEnd();

  // 9. torso back
  glFrontFace(GL_CW);
  glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 1.0f); glVertex3f(x + 0.125f * s, y - 0.15f * s, z - 0.125f * s);
    glTexCoord2f(1.0f, 1.0f); glVertex3f(x - 0.125f * s, y - 0.15f * s, z - 0.125f * s);
    glTexCoord2f(1.0f, 0.0f); glVertex3f(x - 0.125f * s, y - (13.0f / 24.0f) * s, z - 0.145f * s);
    glTexCoord2f(0.0f, 0.0f); glVertex3f(x + 0.125f * s, y - (13.0f / 24.0f) * s, z - 0.145f * s);
  glEnd();

  // 10. torso top (shoulders)
  glFrontFace(GL_CW);
  glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 1.0f); glVertex3f(x + 0.125f * s, y - 0.15f * s, z - 0.125f * s);
    glTexCoord2f(1.0f, 1.0f); glVertex3f(x + 0.125f * s, y - 0.15f * s, z + 0.125f * s);
    glTexCoord2f(1.0f, 0.0f); glVertex3f(x - 0.125f * s, y - 0.15f * s, z + 0.125f * s);
    glTexCoord2f(0.0f, 0.0f); glVertex3f(x - 0.125f * s, y - 0.15f * s, z - 0.125f * s);
  glEnd();

  // 11. torso front: chest slope, then belly
  glFrontFace(GL_CW);
  glBindTexture(GL_TEXTURE_2D, g_textures[TEX_BRZUCH]);
  glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 1.0f); glVertex3f(x - 0.125f * s, y - 0.15f * s, z + 0.125f * s);
    glTexCoord2f(1.0f, 1.0f); glVertex3f(x + 0.125f * s, y - 0.15f * s, z + 0.125f * s);
    glTexCoord2f(1.0f, 0.0f); glVertex3f(x + 0.125f * s, y - (7.0f / 24.0f) * s, z + 0.25f * s);
    glTexCoord2f(0.0f, 0.0f); glVertex3f(x - 0.125f * s, y - (7.0f / 24.0f) * s, z + 0.25f * s);
    glTexCoord2f(0.0f, 1.0f); glVertex3f(x + 0.125f * s, y - (13.0f / 24.0f) * s, z + 0.25f * s);
    glTexCoord2f(1.0f, 1.0f); glVertex3f(x - 0.125f * s, y - (13.0f / 24.0f) * s, z + 0.25f * s);
    glTexCoord2f(1.0f, 0.0f); glVertex3f(x - 0.125f * s, y - (7.0f / 24.0f) * s, z + 0.25f * s);
    glTexCoord2f(0.0f, 0.0f); glVertex3f(x + 0.125f * s, y - (7.0f / 24.0f) * s, z + 0.25f * s);
  glEnd();

  // 12. torso bottom
  glFrontFace(GL_CCW);
  glBindTexture(GL_TEXTURE_2D, g_textures[TEX_PLECY]);
  glBegin(GL_QUADS);
    glTexCoord2f(1.0f, 0.0f); glVertex3f(x - 0.125f * s, y - (13.0f / 24.0f) * s, z - 0.145f * s);
    glTexCoord2f(1.0f, 1.0f); glVertex3f(x + 0.125f * s, y - (13.0f / 24.0f) * s, z - 0.145f * s);
    glTexCoord2f(0.0f, 1.0f); glVertex3f(x + 0.125f * s, y - (13.0f / 24.0f) * s, z + 0.25f * s);
    glTexCoord2f(0.0f, 0.0f); glVertex3f(x - 0.125f * s, y - (13.0f / 24.0f) * s, z + 0.25f * s);
  glEnd();

  // 13. -x arm top
  glFrontFace(GL_CW);
  glBegin(GL_QUADS);
    glTexCoord2f(1.0f, 0.0f); glVertex3f(x - 0.1375f * s, y - 0.15f * s, z - 0.125f * s);
    glTexCoord2f(1.0f, 1.0f); glVertex3f(x - 0.1375f * s, y - 0.15f * s, z + 0.125f * s - 1.0f);
    glTexCoord2f(0.0f, 1.0f); glVertex3f(x - 0.2625f * s, y - 0.15f * s, z + 0.125f * s - 1.0f);
    glTexCoord2f(0.0f, 0.0f); glVertex3f(x - 0.2625f * s, y - 0.15f * s, z - 0.125f * s);
  glEnd();

  // 14. -x arm inner side
  glFrontFace(GL_CCW);
  glBindTexture(GL_TEXTURE_2D, g_textures[TEX_REKA]);
  glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 1.0f); glVertex3f(x - 0.1375f * s, y - 0.15f * s, z - 0.125f * s);
    glTexCoord2f(1.0f, 1.0f); glVertex3f(x - 0.1375f * s, y - 0.15f * s, z + 0.125f * s - 1.0f);
    glTexCoord2f(1.0f, 0.0f); glVertex3f(x - 0.1375f * s, y - 0.55f * s, z + 0.125f * s + w - 1.0f);
    glTexCoord2f(0.0f, 0.0f); glVertex3f(x - 0.1375f * s, y - 0.55f * s, z - 0.125f * s + w);
  glEnd();

  // 15. -x arm back
  glFrontFace(GL_CCW);
  glBegin(GL_QUADS);
    glTexCoord2f(1.0f, 1.0f); glVertex3f(x - 0.1375f * s, y - 0.15f * s, z - 0.125f * s);
    glTexCoord2f(1.0f, 0.0f); glVertex3f(x - 0.1375f * s, y - 0.55f * s, z - 0.125f * s + w);
    glTexCoord2f(0.0f, 0.0f); glVertex3f(x - 0.2625f * s, y - 0.55f * s, z - 0.125f * s + w);
    glTexCoord2f(0.0f, 1.0f); glVertex3f(x - 0.2625f * s, y - 0.15f * s, z - 0.125f * s);
  glEnd();

  // 16. -x arm front
  glFrontFace(GL_CW);
  glBegin(GL_QUADS);
    glTexCoord2f(1.0f, 1.0f); glVertex3f(x - 0.1375f * s, y - 0.15f * s, z + 0.125f * s - 1.0f);
    glTexCoord2f(1.0f, 0.0f); glVertex3f(x - 0.1375f * s, y - 0.55f * s, z + 0.125f * s + w - 1.0f);
    glTexCoord2f(0.0f, 0.0f); glVertex3f(x - 0.2625f * s, y - 0.55f * s, z + 0.125f * s + w - 1.0f);
    glTexCoord2f(0.0f, 1.0f); glVertex3f(x - 0.2625f * s, y - 0.15f * s, z + 0.125f * s - 1.0f);
  glEnd();

  // 17. -x arm outer side
  glFrontFace(GL_CW);
  glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 1.0f); glVertex3f(x - 0.2625f * s, y - 0.15f * s, z - 0.125f * s);
    glTexCoord2f(1.0f, 1.0f); glVertex3f(x - 0.2625f * s, y - 0.15f * s, z + 0.125f * s - 1.0f);
    glTexCoord2f(1.0f, 0.0f); glVertex3f(x - 0.2625f * s, y - 0.55f * s, z + 0.125f * s + w - 1.0f);
    glTexCoord2f(0.0f, 0.0f); glVertex3f(x - 0.2625f * s, y - 0.55f * s, z - 0.125f * s + w);
  glEnd();

  // 18. -x arm bottom
  glFrontFace(GL_CCW);
  glBindTexture(GL_TEXTURE_2D, g_textures[TEX_PLECY]);
  glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 1.0f); glVertex3f(x - 0.1375f * s, y - 0.55f * s, z - 0.125f * s + w);
    glTexCoord2f(1.0f, 1.0f); glVertex3f(x - 0.1375f * s, y - 0.55f * s, z + 0.125f * s + w - 1.0f);
    glTexCoord2f(1.0f, 0.0f); glVertex3f(x - 0.2625f * s, y - 0.55f * s, z + 0.125f * s + w - 1.0f);
    glTexCoord2f(0.0f, 0.0f); glVertex3f(x - 0.2625f * s, y - 0.55f * s, z - 0.125f * s + w);
  glEnd();

  // 19. +x arm top
  glFrontFace(GL_CCW);
  glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 1.0f); glVertex3f(x + 0.1375f * s, y - 0.15f * s, z - 0.125f * s);
    glTexCoord2f(1.0f, 1.0f); glVertex3f(x + 0.1375f * s, y - 0.15f * s, z + 0.125f * s - 1.0f);
    glTexCoord2f(1.0f, 0.0f); glVertex3f(x + 0.2625f * s, y - 0.15f * s, z + 0.125f * s - 1.0f);
    glTexCoord2f(0.0f, 0.0f); glVertex3f(x + 0.2625f * s, y - 0.15f * s, z - 0.125f * s);
  glEnd();

  // 20. +x arm inner side
  glFrontFace(GL_CW);
  glBindTexture(GL_TEXTURE_2D, g_textures[TEX_REKA]);
  glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 1.0f); glVertex3f(x + 0.1375f * s, y - 0.15f * s, z - 0.125f * s);
    glTexCoord2f(1.0f, 1.0f); glVertex3f(x + 0.1375f * s, y - 0.15f * s, z + 0.125f * s - 1.0f);
    glTexCoord2f(1.0f, 0.0f); glVertex3f(x + 0.1375f * s, y - 0.55f * s, z + 0.125f * s - w - 1.0f);
    glTexCoord2f(0.0f, 0.0f); glVertex3f(x + 0.1375f * s, y - 0.55f * s, z - 0.125f * s - w);
  glEnd();

  // 21. +x arm back
  glFrontFace(GL_CW);
  glBegin(GL_QUADS);
    glTexCoord2f(1.0f, 1.0f); glVertex3f(x + 0.1375f * s, y - 0.15f * s, z - 0.125f * s);
    glTexCoord2f(1.0f, 0.0f); glVertex3f(x + 0.1375f * s, y - 0.55f * s, z - 0.125f * s - w);
    glTexCoord2f(0.0f, 0.0f); glVertex3f(x + 0.2625f * s, y - 0.55f * s, z - 0.125f * s - w);
    glTexCoord2f(0.0f, 1.0f); glVertex3f(x + 0.2625f * s, y - 0.15f * s, z - 0.125f * s);
  glEnd();

  // 22. +x arm front
  glFrontFace(GL_CCW);
  glBegin(GL_QUADS);
    glTexCoord2f(1.0f, 1.0f); glVertex3f(x + 0.1375f * s, y - 0.15f * s, z + 0.125f * s - 1.0f);
    glTexCoord2f(1.0f, 0.0f); glVertex3f(x + 0.1375f * s, y - 0.55f * s, z + 0.125f * s - w - 1.0f);
    glTexCoord2f(0.0f, 0.0f); glVertex3f(x + 0.2625f * s, y - 0.55f * s, z + 0.125f * s - w - 1.0f);
    glTexCoord2f(0.0f, 1.0f); glVertex3f(x + 0.2625f * s, y - 0.15f * s, z + 0.125f * s - 1.0f);
  glEnd();

  // 23. +x arm outer side
  glFrontFace(GL_CCW);
  glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 1.0f); glVertex3f(x + 0.2625f * s, y - 0.15f * s, z - 0.125f * s);
    glTexCoord2f(1.0f, 1.0f); glVertex3f(x + 0.2625f * s, y - 0.15f * s, z + 0.125f * s - 1.0f);
    glTexCoord2f(1.0f, 0.0f); glVertex3f(x + 0.2625f * s, y - 0.55f * s, z + 0.125f * s - w - 1.0f);
    glTexCoord2f(0.0f, 0.0f); glVertex3f(x + 0.2625f * s, y - 0.55f * s, z - 0.125f * s - w);
  glEnd();

  // 24. +x arm bottom
  glFrontFace(GL_CW);
  glBindTexture(GL_TEXTURE_2D, g_textures[TEX_PLECY]);
  glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 1.0f); glVertex3f(x + 0.1375f * s, y - 0.55f * s, z - 0.125f * s - w);
    glTexCoord2f(1.0f, 1.0f); glVertex3f(x + 0.1375f * s, y - 0.55f * s, z + 0.125f * s - w - 1.0f);
    glTexCoord2f(1.0f, 0.0f); glVertex3f(x + 0.2625f * s, y - 0.55f * s, z + 0.125f * s - w - 1.0f);
    glTexCoord2f(0.0f, 0.0f); glVertex3f(x + 0.2625f * s, y - 0.55f * s, z - 0.125f * s - w);
  glEnd();

  // 25. -x leg inner side
  glFrontFace(GL_CCW);
  glBindTexture(GL_TEXTURE_2D, g_textures[TEX_NOGA]);
  glBegin(GL_QUADS);
    glTexCoord2f(1.0f, 1.0f); glVertex3f(x, y - 0.525f * s, z - 0.125f * s);
    glTexCoord2f(0.0f, 1.0f); glVertex3f(x, y - 0.525f * s, z + 0.125f * s);
    glTexCoord2f(0.0f, 0.0f); glVertex3f(x - 0.05f * s, y - 0.925f * s - 1.5f, z + 0.0875f * s - w);
    glTexCoord2f(1.0f, 0.0f); glVertex3f(x - 0.05f * s, y - 0.925f * s - 1.5f, z - 0.0875f * s - w);
  glEnd();

  // 26. -x leg outer side
  glFrontFace(GL_CW);
  glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 1.0f); glVertex3f(x - 0.1f * s, y - 0.525f * s, z - 0.125f * s);
    glTexCoord2f(1.0f, 1.0f); glVertex3f(x - 0.1f * s, y - 0.525f * s, z + 0.125f * s);
    glTexCoord2f(1.0f, 0.0f); glVertex3f(x - 0.1f * s, y - 0.925f * s - 1.5f, z + 0.0875f * s - w);
    glTexCoord2f(0.0f, 0.0f); glVertex3f(x - 0.1f * s, y - 0.925f * s - 1.5f, z - 0.0875f * s - w);
  glEnd();

  // 27. -x leg back
  glFrontFace(GL_CCW);
  glBegin(GL_QUADS);
    glTexCoord2f(1.0f, 1.0f); glVertex3f(x - 0.1f * s, y - 0.525f * s, z - 0.125f * s);
    glTexCoord2f(0.0f, 1.0f); glVertex3f(x, y - 0.525f * s, z - 0.125f * s);
    glTexCoord2f(0.0f, 0.0f); glVertex3f(x - 0.05f * s, y - 0.925f * s - 1.5f, z - 0.0875f * s - w);
    glTexCoord2f(1.0f, 0.0f); glVertex3f(x - 0.1f * s, y - 0.925f * s - 1.5f, z - 0.0875f * s - w);
  glEnd();

  // 28. -x leg front
  glFrontFace(GL_CW);
  glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 1.0f); glVertex3f(x - 0.1f * s, y - 0.525f * s, z + 0.125f * s);
    glTexCoord2f(1.0f, 1.0f); glVertex3f(x, y - 0.525f * s, z + 0.125f * s);
    glTexCoord2f(1.0f, 0.0f); glVertex3f(x - 0.05f * s, y - 0.925f * s - 1.5f, z + 0.0875f * s - w);
    glTexCoord2f(0.0f, 0.0f); glVertex3f(x - 0.1f * s, y - 0.925f * s - 1.5f, z + 0.0875f * s - w);
  glEnd();

  // 29. -x leg sole (keeps t(0, 0))
  glFrontFace(GL_CCW);
  glBegin(GL_QUADS);
    glVertex3f(x - 0.1f * s, y - 0.925f * s - 1.5f, z - 0.0875f * s - w);
    glVertex3f(x - 0.05f * s, y - 0.925f * s - 1.5f, z - 0.0875f * s - w);
    glVertex3f(x - 0.05f * s, y - 0.925f * s - 1.5f, z + 0.0875f * s - w);
    glVertex3f(x - 0.1f * s, y - 0.925f * s - 1.5f, z + 0.0875f * s - w);
  glEnd();

  // 30. +x leg inner side
  glFrontFace(GL_CW);
  glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 1.0f); glVertex3f(x, y - 0.525f * s, z - 0.125f * s);
    glTexCoord2f(1.0f, 1.0f); glVertex3f(x, y - 0.525f * s, z + 0.125f * s);
    glTexCoord2f(1.0f, 0.0f); glVertex3f(x + 0.05f * s, y - 0.925f * s - 1.5f, z + 0.0875f * s + w);
    glTexCoord2f(0.0f, 0.0f); glVertex3f(x + 0.05f * s, y - 0.925f * s - 1.5f, z - 0.0875f * s + w);
  glEnd();

  // 31. +x leg outer side
  glFrontFace(GL_CCW);
  glBegin(GL_QUADS);
    glTexCoord2f(1.0f, 1.0f); glVertex3f(x + 0.1f * s, y - 0.525f * s, z - 0.125f * s);
    glTexCoord2f(0.0f, 1.0f); glVertex3f(x + 0.1f * s, y - 0.525f * s, z + 0.125f * s);
    glTexCoord2f(0.0f, 0.0f); glVertex3f(x + 0.1f * s, y - 0.925f * s - 1.5f, z + 0.0875f * s + w);
    glTexCoord2f(1.0f, 0.0f); glVertex3f(x + 0.1f * s, y - 0.925f * s - 1.5f, z - 0.0875f * s + w);
  glEnd();

  // 32. +x leg back
  glFrontFace(GL_CCW);
  glBegin(GL_QUADS);
    glTexCoord2f(1.0f, 1.0f); glVertex3f(x, y - 0.525f * s, z - 0.125f * s);
    glTexCoord2f(0.0f, 1.0f); glVertex3f(x + 0.1f * s, y - 0.525f * s, z - 0.125f * s);
    glTexCoord2f(0.0f, 0.0f); glVertex3f(x + 0.1f * s, y - 0.925f * s - 1.5f, z - 0.0875f * s + w);
    glTexCoord2f(1.0f, 0.0f); glVertex3f(x + 0.05f * s, y - 0.925f * s - 1.5f, z - 0.0875f * s + w);
  glEnd();

  // 33. +x leg front
  glFrontFace(GL_CW);
  glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 1.0f); glVertex3f(x, y - 0.525f * s, z + 0.125f * s);
    glTexCoord2f(1.0f, 1.0f); glVertex3f(x + 0.1f * s, y - 0.525f * s, z + 0.125f * s);
    glTexCoord2f(1.0f, 0.0f); glVertex3f(x + 0.1f * s, y - 0.925f * s - 1.5f, z + 0.0875f * s + w);
    glTexCoord2f(0.0f, 0.0f); glVertex3f(x + 0.05f * s, y - 0.925f * s - 1.5f, z + 0.0875f * s + w);
  glEnd();

  // 34. +x leg sole (keeps t(0, 0))
  glFrontFace(GL_CCW);
  glBegin(GL_QUADS);
    glVertex3f(x + 0.05f * s, y - 0.925f * s - 1.5f, z - 0.0875f * s + w);
    glVertex3f(x + 0.1f * s, y - 0.925f * s - 1.5f, z - 0.0875f * s + w);
    glVertex3f(x + 0.1f * s, y - 0.925f * s - 1.5f, z + 0.0875f * s + w);
    glVertex3f(x + 0.05f * s, y - 0.925f * s - 1.5f, z + 0.0875f * s + w);
  glEnd();
}
