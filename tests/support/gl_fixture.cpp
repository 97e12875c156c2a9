#include "support/gl_fixture.h"

#include <GL/glu.h>
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/gl/offscreen.h"

bool glContextRequired() {
  const char* ci = std::getenv("CI");
  return ci && std::strcmp(ci, "true") == 0;
}

void GlTest::SetUp() {
  KS_REQUIRE_OFFSCREEN(640, 480);
  glViewport(0, 0, 640, 480);
  prepare();
}

void GlTest::TearDown() { offscreenDestroy(); }

void GlTest::loadProjection(double fovY, double farPlane) const {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(fovY, 1.3333333333333333, 0.1f, farPlane);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

GLint GlTest::integer(GLenum name) const {
  GLint value = 0;
  glGetIntegerv(name, &value);
  return value;
}

std::array<int, 3> GlTest::pixel(int x, int y) const {
  unsigned char rgb[4] = {};
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(x, y, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, rgb);
  return {rgb[0], rgb[1], rgb[2]};
}

std::vector<unsigned char> GlTest::frame() const {
  std::vector<unsigned char> rgb(640 * 480 * 3);
  offscreenReadRgb(rgb.data());
  return rgb;
}

void GlTest::savePng(const char* path) const {
  std::vector<unsigned char> rgb = frame();
  png_image image = {};
  image.version = PNG_IMAGE_VERSION;
  image.width = 640;
  image.height = 480;
  image.format = PNG_FORMAT_RGB;
  if (!png_image_write_to_file(&image, path, 0, rgb.data(), 0, nullptr))
    std::fprintf(stderr, "could not write %s: %s\n", path, image.message);
}
