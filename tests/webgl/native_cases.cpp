// The drawing cases on Mesa (an EGL pbuffer): each case from a fresh context at its picture
// size, scaled as the native --size does, written as raw RGBA (top row first) for run.js.
//   native_cases OUT_DIR
#include <GL/gl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "gl_cases.h"
#include "platform/gl/offscreen.h"
#include "platform/gl/picture_scale.h"

// The copy of the Linux loading bitmap (winapi/gdi_bitmap.cpp): a pixel rectangle at the
// raster position under a 640x480 orthographic view, zoomed by the picture's scale.
void drawPixels(int x, int y, int width, int height, const unsigned char* rgb, int rowPixels) {
  glPushAttrib(GL_ALL_ATTRIB_BITS);
  glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(0, 640, 0, 480, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_BLEND);
  glViewport(0, 0, 640, 480);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, rowPixels);
  glPixelZoom(pictureScale(), -pictureScale());
  glRasterPos2i(x, 480 - y);
  glDrawPixels(width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb);
  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopClientAttrib();
  glPopAttrib();
}

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUT_DIR\n", argv[0]);
    return 2;
  }
  g_caseDiscard = pictureScaleDiscard;
  g_caseDrawPixels = drawPixels;
  for (int i = 0; i < kGlCaseCount; ++i) {
    const GlCase& c = kGlCases[i];
    if (!offscreenCreate(c.width, c.height)) return 1;
    pictureScaleSetTarget(c.width, c.height);
    pictureScaleApply();
    c.draw();
    glFinish();
    GLenum error = glGetError();
    if (error != GL_NO_ERROR) std::fprintf(stderr, "%s: GL error 0x%x natively\n", c.name, error);
    std::vector<unsigned char> pixels(size_t(c.width) * c.height * 4);
    offscreenReadRgbx(pixels.data());
    std::string path = std::string(argv[1]) + "/" + c.name + ".native.rgba";
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
      std::perror(path.c_str());
      return 1;
    }
    const size_t row = size_t(c.width) * 4;
    for (int y = c.height - 1; y >= 0; --y) std::fwrite(&pixels[size_t(y) * row], 1, row, file);
    std::fclose(file);
    offscreenDestroy();
  }
  return 0;
}
