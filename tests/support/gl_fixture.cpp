#include "support/gl_fixture.h"

#include <GL/glu.h>
#include <png.h>

#include <algorithm>
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

GLint glInteger(GLenum name) {
  GLint value = 0;
  glGetIntegerv(name, &value);
  return value;
}

std::array<int, 4> glIntegers4(GLenum name) {
  std::array<int, 4> values = {};
  glGetIntegerv(name, values.data());
  return values;
}

std::array<float, 4> glFloats4(GLenum name) {
  std::array<float, 4> values = {};
  glGetFloatv(name, values.data());
  return values;
}

std::array<double, 16> glMatrix(GLenum name) {
  std::array<double, 16> m = {};
  glGetDoublev(name, m.data());
  return m;
}

std::array<int, 3> glPixel(int x, int y) {
  unsigned char rgb[4] = {};
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(x, y, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, rgb);
  return {rgb[0], rgb[1], rgb[2]};
}

void expectPixels(std::initializer_list<PixelIs> pixels) {
  for (const PixelIs& p : pixels) EXPECT_EQ(glPixel(p.x, p.y), p.rgb) << "at " << p.x << ", " << p.y;
}

std::vector<unsigned char> glFrame() {
  std::vector<unsigned char> rgb(size_t(offscreenWidth()) * offscreenHeight() * 3);
  offscreenReadRgb(rgb.data());
  return rgb;
}

void expectEnabled(std::initializer_list<GLenum> on, std::initializer_list<GLenum> off) {
  for (GLenum cap : on) EXPECT_TRUE(glIsEnabled(cap)) << "capability 0x" << std::hex << cap << " is off";
  for (GLenum cap : off) EXPECT_FALSE(glIsEnabled(cap)) << "capability 0x" << std::hex << cap << " is on";
}

void expectBlendFunc(GLint source, GLint destination) {
  EXPECT_EQ(glInteger(GL_BLEND_SRC), source);
  EXPECT_EQ(glInteger(GL_BLEND_DST), destination);
}

bool windowPointOf(double x, double y, double z, double* windowX, double* windowY) {
  std::array<double, 16> model = glMatrix(GL_MODELVIEW_MATRIX), projection = glMatrix(GL_PROJECTION_MATRIX);
  std::array<int, 4> viewport = glIntegers4(GL_VIEWPORT);
  double windowZ = 0;
  return gluProject(x, y, z, model.data(), projection.data(), viewport.data(), windowX, windowY, &windowZ) == GL_TRUE;
}

void expectMatrixNear(const std::array<double, 16>& got, const std::array<double, 16>& want, double tolerance) {
  for (int i = 0; i < 16; i++) EXPECT_NEAR(got[i], want[i], tolerance) << "element " << i;
}

void GlTest::savePng(const char* path) const {
  std::vector<unsigned char> rgb = glFrame();
  png_image image = {};
  image.version = PNG_IMAGE_VERSION;
  image.width = 640;
  image.height = 480;
  image.format = PNG_FORMAT_RGB;
  if (!png_image_write_to_file(&image, path, 0, rgb.data(), 0, nullptr))
    std::fprintf(stderr, "could not write %s: %s\n", path, image.message);
}

std::vector<std::vector<FeedbackVertex>> feedbackPolygons(void (*draw)(void*), void* with, size_t floats) {
  std::vector<GLfloat> buffer(floats);
  glFeedbackBuffer((GLsizei)buffer.size(), GL_3D_COLOR, buffer.data());
  glRenderMode(GL_FEEDBACK);
  draw(with);
  int used = glRenderMode(GL_RENDER);
  EXPECT_GE(used, 0) << "feedback buffer overflow";
  std::vector<std::vector<FeedbackVertex>> polygons;
  for (int i = 0; i < used;) {
    if (buffer[i] != GL_POLYGON_TOKEN) {
      ADD_FAILURE() << "unexpected feedback token " << buffer[i];
      break;
    }
    int count = (int)buffer[i + 1];
    std::vector<FeedbackVertex> polygon(count);
    for (int v = 0; v < count; v++) std::copy_n(&buffer[i + 2 + 7 * v], 7, polygon[v].begin());
    polygons.push_back(polygon);
    i += 2 + 7 * count;
  }
  return polygons;
}
