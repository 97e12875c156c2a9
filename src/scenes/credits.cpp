// Credits scroll: five lines of solid text in a flat blue-grey, without texture or depth test,
// rising slowly; the handle in each role line sways towards and away from the viewer.
#include "scenes/credits.h"

#include "render/text.h"  // before GL: the platform header defines APIENTRY first, as on Windows

#include <GL/gl.h>

#include <cmath>

#include "render/model_render.h"
#include "scenes/scenes.h"

float g_creditsScroll = -7.0f;
float g_creditsWobblePhase = 0.0f;
float g_creditsWobble = 0.0f;

// Draws one piece at (x, y, z). The text's advance is not undone, so the next piece of the same
// line starts after this one.
void printCreditPiece(const char* text, float x, float y, float z, bool swaying) {
  if (swaying) glTranslatef(0.0f, 0.0f, g_creditsWobble);
  glTranslatef(x, y, z);
  printText("%s", text);  // the text is data, never a format
  glTranslatef(-x, -y, -z);
  if (swaying) glTranslatef(0.0f, 0.0f, -g_creditsWobble);
}

void drawCreditsScene() {
  glLoadIdentity();
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_TEXTURE_2D);
  glColor3f(0.6f, 0.65f, 0.7f);

  g_creditsScroll += 0.03f;
  g_creditsWobblePhase += 0.4f;
  g_creditsWobble = sin(g_creditsWobblePhase);

  // Every line starts from the same scrolled origin.
  glLoadIdentity();
  glTranslatef(0.0f, g_creditsScroll, 0.0f);
  printCreditPiece("credits:", -8.0f, 0.0f, -15.0f, false);

  glLoadIdentity();
  glTranslatef(0.0f, g_creditsScroll, 0.0f);
  printCreditPiece("code:  Orvin '", -8.0f, -2.0f, -15.0f, false);
  printCreditPiece(" Rel Otanu", -7.8f, -2.0f, -15.0f, true);
  printCreditPiece(" ' Pelwik", -7.6f, -2.0f, -15.0f, false);

  glLoadIdentity();
  glTranslatef(0.0f, g_creditsScroll, 0.0f);
  printCreditPiece("gfx 2D:  Ilsa '", -8.0f, -4.0f, -15.0f, false);
  printCreditPiece("Asl.i", -7.8f, -4.0f, -15.0f, true);
  printCreditPiece("' Varenka", -7.6f, -4.0f, -15.0f, false);

  glLoadIdentity();
  glTranslatef(0.0f, g_creditsScroll, 0.0f);
  printCreditPiece("gfx 3D:  Dorian '", -8.0f, -6.0f, -15.0f, false);
  printCreditPiece("KVT", -7.8f, -6.0f, -15.0f, true);
  printCreditPiece("' Lorenc", -7.6f, -6.0f, -15.0f, false);

  glLoadIdentity();
  glTranslatef(0.0f, g_creditsScroll, 0.0f);
  printCreditPiece("note: Thanks to Halvard for his 'Golem'", -8.0f, -9.0f, -15.0f, false);

  glColor3f(1.0f, 1.0f, 1.0f);
  glEnable(GL_TEXTURE_2D);
  disableSphereMap();
  glEnable(GL_DEPTH_TEST);
}
