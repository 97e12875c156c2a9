// Small helpers for the toolkit tests: asymmetric textures and fixed views.
#pragma once

#include <GL/gl.h>
#include <GL/glu.h>

#include <array>
#include <initializer_list>
#include <vector>

#include "formats/texture.h"
#include "render/text.h"

typedef std::array<int, 3> Rgb;

const Rgb kBlack = {0, 0, 0};
const Rgb kRed = {255, 0, 0};
const Rgb kGreen = {0, 255, 0};
const Rgb kBlue = {0, 0, 255};
const Rgb kYellow = {255, 255, 0};
const Rgb kWhite = {255, 255, 255};

// Uploads a width x height RGB picture (rows given top row first, as the JPEG loader hands
// them over) into g_textures[slot] with nearest filtering, and enables texturing.
inline void makeTexture(int slot, int width, int height, const std::vector<Rgb>& texels) {
  std::vector<unsigned char> bytes;
  for (const Rgb& t : texels) bytes.insert(bytes.end(), {(unsigned char)t[0], (unsigned char)t[1], (unsigned char)t[2]});
  GLuint name = 0;
  glGenTextures(1, &name);
  g_textures[slot] = name;
  glBindTexture(GL_TEXTURE_2D, name);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE, bytes.data());
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glEnable(GL_TEXTURE_2D);
}

// The 2x2 test picture: top row red, green; bottom row blue, yellow.
inline void makeCornerTexture(int slot) { makeTexture(slot, 2, 2, {kRed, kGreen, kBlue, kYellow}); }

// How far the outline font's glyphs of `text` advance the modelview.
inline float textAdvance(const char* text) {
  float sum = 0.0f;
  for (const char* c = text; *c; c++) sum += g_glyphMetrics[static_cast<unsigned char>(*c)].gmfCellIncX;
  return sum;
}

// Orthographic view of the box -1..1 (x, y) on the whole 640x480 frame, looking down -z.
inline void orthoView(double halfWidth = 1.0, double halfHeight = 1.0, double depth = 10.0) {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(-halfWidth, halfWidth, -halfHeight, halfHeight, -depth, depth);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}
