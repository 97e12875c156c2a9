// The 640x480 picture drawn into a framebuffer of another size: the viewports the show sets in
// window pixels land on the same fractions of the picture, lines keep their width in window
// pixels, a size that is not 4:3 keeps black bars, and 640x480 passes every call through as it is.
#include "platform/gl/picture_scale.h"

#include <GL/gl.h>

#include <array>
#include <cstddef>
#include <vector>

#include "platform/winapi/backend.h"
#include "platform/winapi/gdi_objects.h"
#include "support/gl_fixture.h"

namespace {

// The split screens of the model room (frame driver, from 36.5 s): the tower panel on the right,
// the tunnel panel on top, the room shrunk into the lower left.
const int kMainWidth = 560, kMainHeight = 420;
struct WindowViewport {
  int x, y, width, height;
  float red, green, blue;
};
const WindowViewport kSplit[] = {
    {0, kMainHeight, 320, 240, 1.0f, 0.0f, 0.0f},
    {kMainWidth, 0, 320, 480, 0.0f, 1.0f, 0.0f},
    {0, 0, kMainWidth, kMainHeight, 0.0f, 0.0f, 1.0f},
};

class PictureScaleTest : public ::testing::Test {
 protected:
  void TearDown() override {
    offscreenDestroy();
    pictureScaleSetTarget(640, 480);
  }

  // A framebuffer of width x height with the picture scaled into it, as a capture makes it.
  bool make(int width, int height) {
    if (!pictureScaleSetTarget(width, height)) return false;
    if (!offscreenCreate(width, height)) {
      if (glContextRequired()) ADD_FAILURE() << "no offscreen OpenGL context (CI=true)";
      return false;
    }
    pictureScaleApply();
    return true;
  }

  // Fills each split-screen viewport with its colour, as the show sets them (window pixels).
  static void drawSplit() {
    glClearColor(0.0f, 0.0f, 0.0f, 0.5f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    for (const WindowViewport& view : kSplit) {
      glViewport(view.x, view.y, view.width, view.height);
      glColor3f(view.red, view.green, view.blue);
      glRectf(-1.0f, -1.0f, 1.0f, 1.0f);
    }
    glFinish();
  }

  struct Image {
    int width, height;
    std::vector<unsigned char> rgb;  // top row first
  };

  static Image read() {
    return Image{offscreenWidth(), offscreenHeight(), glFrame()};
  }

  static float lineWidth() {
    GLfloat width = 0.0f;
    glGetFloatv(GL_LINE_WIDTH, &width);
    return width;
  }

  static std::array<int, 3> at(const Image& image, int x, int y) {
    // (x, y) from the bottom left, as GL counts them.
    const unsigned char* p = &image.rgb[(static_cast<size_t>(image.height - 1 - y) * image.width + x) * 3];
    return {p[0], p[1], p[2]};
  }
};

TEST_F(PictureScaleTest, TargetGivesTheLargestCentredFourByThreePicture) {
  ASSERT_TRUE(pictureScaleSetTarget(1920, 1440));
  expectRect(pictureRect(), 0, 0, 1920, 1440);
  EXPECT_FLOAT_EQ(pictureScale(), 3.0f);
  ASSERT_TRUE(pictureScaleSetTarget(1920, 1080));
  expectRect(pictureRect(), 240, 0, 1440, 1080);
  ASSERT_TRUE(pictureScaleSetTarget(800, 1000));  // taller than 4:3: bars above and below
  expectRect(pictureRect(), 0, 200, 800, 600);
  ASSERT_TRUE(pictureScaleSetTarget(640, 480));
  EXPECT_FALSE(pictureScaled());
  EXPECT_FALSE(pictureScaleSetTarget(8, 480));
  EXPECT_FALSE(pictureScaleSetTarget(640, 20000));
  // Abutting window viewports abut after a scale that is not whole (2.25).
  ASSERT_TRUE(pictureScaleSetTarget(1920, 1080));
  PictureRect room = pictureMapWindowRect(0, 0, 561, 421);
  PictureRect tower = pictureMapWindowRect(561, 0, 79, 480);
  EXPECT_EQ(room.x + room.width, tower.x);
  EXPECT_EQ(tower.x + tower.width, 1680);
  EXPECT_EQ(room.y, 0);
}

// At 640x480 the calls reach GL unchanged: the default frames stay what they were.
TEST_F(PictureScaleTest, DefaultSizePassesViewportsAndLineWidthsThrough) {
  if (!make(640, 480)) GTEST_SKIP() << "no offscreen OpenGL context";
  glViewport(3, 5, 7, 11);
  EXPECT_EQ(glIntegers4(GL_VIEWPORT), (std::array<int, 4>{3, 5, 7, 11}));
  EXPECT_FLOAT_EQ(lineWidth(), 1.0f);
  glLineWidth(2.0f);
  EXPECT_FLOAT_EQ(lineWidth(), 2.0f);
  EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST));
}

// Every window pixel of the split screens becomes a 3x3 block of the same colour at 1920x1440.
TEST_F(PictureScaleTest, SplitScreenViewportsLandOnTheSameFractions) {
  if (!make(640, 480)) GTEST_SKIP() << "no offscreen OpenGL context";
  drawSplit();
  Image small = read();
  offscreenDestroy();
  ASSERT_TRUE(make(1920, 1440));
  drawSplit();
  Image large = read();
  int mismatched = 0;
  for (int y = 0; y < 480; ++y)
    for (int x = 0; x < 640; ++x)
      for (int dy = 0; dy < 3; ++dy)
        for (int dx = 0; dx < 3; ++dx)
          if (at(small, x, y) != at(large, 3 * x + dx, 3 * y + dy)) ++mismatched;
  EXPECT_EQ(mismatched, 0);
  // And the corners of the room's viewport are where the window's are: 560/640 and 420/480.
  EXPECT_EQ(at(large, 1679, 1259), (std::array<int, 3>{0, 0, 255}));
  EXPECT_EQ(at(large, 1680, 1259), (std::array<int, 3>{0, 255, 0}));
  EXPECT_EQ(at(large, 0, 1260), (std::array<int, 3>{255, 0, 0}));
}

// 16:9: the picture is 1440x1080 in the middle; the show's clears and viewports never reach the
// 240-pixel bars, which stay black.
TEST_F(PictureScaleTest, WideFramebufferKeepsBlackBars) {
  if (!make(1920, 1080)) GTEST_SKIP() << "no offscreen OpenGL context";
  glClearColor(1.0f, 1.0f, 1.0f, 1.0f);  // a clear of another colour stays inside the picture
  glClear(GL_COLOR_BUFFER_BIT);
  Image cleared = read();
  EXPECT_EQ(at(cleared, 239, 500), (std::array<int, 3>{0, 0, 0}));
  EXPECT_EQ(at(cleared, 240, 500), (std::array<int, 3>{255, 255, 255}));
  EXPECT_EQ(at(cleared, 1679, 500), (std::array<int, 3>{255, 255, 255}));
  EXPECT_EQ(at(cleared, 1680, 500), (std::array<int, 3>{0, 0, 0}));
  drawSplit();
  Image split = read();
  for (int y = 0; y < 1080; y += 7)
    for (int x : {0, 120, 239, 1680, 1800, 1919}) ASSERT_EQ(at(split, x, y), (std::array<int, 3>{0, 0, 0})) << x << "," << y;
  // The room's edge at 560 of 640 window pixels is at 240 + 1260 framebuffer pixels.
  EXPECT_EQ(at(split, 240 + 1259, 100), (std::array<int, 3>{0, 0, 255}));
  EXPECT_EQ(at(split, 240 + 1260, 100), (std::array<int, 3>{0, 255, 0}));
}

// A line of the default width is as wide, in window pixels, as at 640x480: three pixels at 3x.
TEST_F(PictureScaleTest, LinesKeepTheirWidthInWindowPixels) {
  if (!make(1920, 1440)) GTEST_SKIP() << "no offscreen OpenGL context";
  EXPECT_FLOAT_EQ(lineWidth(), 3.0f);
  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  glViewport(0, 0, 640, 480);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, 640, 0, 480, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glColor3f(1.0f, 1.0f, 1.0f);
  glBegin(GL_LINE_STRIP);  // across the picture at window row 240
    glVertex2f(10.0f, 240.5f);
    glVertex2f(630.0f, 240.5f);
  glEnd();
  glFinish();
  Image lit = read();
  int rows = 0;
  for (int y = 700; y < 740; ++y)
    if (at(lit, 960, y)[0] > 128) ++rows;
  EXPECT_EQ(rows, 3);
  glLineWidth(2.0f);  // a width the show would set: two window pixels, six here
  EXPECT_FLOAT_EQ(lineWidth(), 6.0f);
}

// The loading bitmap, copied to window pixel (500, 400) from the top left, covers the same part
// of the picture: each of its pixels a 3x3 block at 1920x1440.
TEST_F(PictureScaleTest, LoadingBitmapLandsAtTheSamePlaceAndScale) {
  if (!make(1920, 1440)) GTEST_SKIP() << "no offscreen OpenGL context";
  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  const unsigned char rgb[] = {255, 0, 0, 0, 255, 0};  // red, then green
  blitRgbToScreen(500, 400, 2, 1, rgb, 2);
  glFinish();
  Image image = read();
  // Window row 400 from the top is framebuffer rows 1200-1202 from the top: GL rows 239-237.
  for (int y = 237; y <= 239; ++y) {
    for (int x = 1500; x <= 1502; ++x) EXPECT_EQ(at(image, x, y), (std::array<int, 3>{255, 0, 0})) << x << "," << y;
    for (int x = 1503; x <= 1505; ++x) EXPECT_EQ(at(image, x, y), (std::array<int, 3>{0, 255, 0})) << x << "," << y;
    for (int x : {1499, 1506}) EXPECT_EQ(at(image, x, y), (std::array<int, 3>{0, 0, 0})) << x << "," << y;
  }
  for (int y : {236, 240}) EXPECT_EQ(at(image, 1501, y), (std::array<int, 3>{0, 0, 0})) << y;
}

}  // namespace
