// Presentation: the rectangle the frame is scaled to, and the copy itself on an offscreen
// context standing in for a window larger than the frame.
#include "platform/winapi/present.h"

#include <EGL/egl.h>
#include <GL/gl.h>

#include <array>

#include "support/gl_fixture.h"

namespace {

TEST(PresentFitRect, LargestCentredFourThreeRectangle) {
  expectRect(presentFitRect(640, 480, 1920, 1080, false), 240, 0, 1440, 1080);  // 16:9: bars left and right
  expectRect(presentFitRect(640, 480, 3840, 2160, false), 480, 0, 2880, 2160);
  expectRect(presentFitRect(640, 480, 1280, 1024, false), 0, 32, 1280, 960);    // 5:4: bars above and below
  expectRect(presentFitRect(640, 480, 640, 480, false), 0, 0, 640, 480);
  expectRect(presentFitRect(640, 480, 1024, 768, false), 0, 0, 1024, 768);
  // Rounded to the nearest pixel; the odd pixel left over goes right of (above) the picture.
  expectRect(presentFitRect(640, 480, 1000, 500, false), 166, 0, 667, 500);
  expectRect(presentFitRect(640, 480, 601, 700, false), 0, 124, 601, 451);
  // Smaller than the frame: scaled down, never to nothing.
  expectRect(presentFitRect(640, 480, 320, 100, false), 93, 0, 133, 100);
  expectRect(presentFitRect(640, 480, 1, 1, false), 0, 0, 1, 1);
}

TEST(PresentFitRect, IntegerScalingUsesTheLargestWholeFactor) {
  expectRect(presentFitRect(640, 480, 1920, 1080, true), 320, 60, 1280, 960);
  expectRect(presentFitRect(640, 480, 3840, 2160, true), 640, 120, 2560, 1920);
  expectRect(presentFitRect(640, 480, 1920, 1440, true), 0, 0, 1920, 1440);
  // Where not even once fits, the smooth rectangle.
  expectRect(presentFitRect(640, 480, 600, 400, true), 33, 0, 533, 400);
}

TEST(PresentFitRect, NoOutputOrFrameGivesNothing) {
  expectRect(presentFitRect(640, 480, 0, 1080, false), 0, 0, 0, 0);
  expectRect(presentFitRect(0, 480, 1920, 1080, false), 0, 0, 0, 0);
  expectRect(presentFitRect(640, 480, -5, -5, true), 0, 0, 0, 0);
}

const std::array<int, 3> kBlack = {0, 0, 0}, kGreen = {0, 255, 0}, kRed = {255, 0, 0};

void* eglProc(const char* name) { return reinterpret_cast<void*>(eglGetProcAddress(name)); }

// The frame: green on its left half, red on its right, with the show's kind of state set.
void drawFrame() {
  glClearColor(1.0f, 0.0f, 0.0f, 0.5f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glColor3f(0.0f, 1.0f, 0.0f);
  glRectf(-1.0f, -1.0f, 0.0f, 1.0f);
}

// A 960x540 "window" and the show's 640x480 frame: the frame lands at 120..839 across the
// whole height, black bars beside it, the window never drawn to directly; the show's state
// (viewport, clear colour, scissor test) is as it left it, and drawing goes to the frame again.
TEST(Present, FrameScaledIntoTheWindowWithBlackBars) {
  KS_REQUIRE_OFFSCREEN(960, 540);
  glClearColor(0.0f, 0.0f, 1.0f, 1.0f);  // the window's own buffer starts blue: the bars must cover it
  glClear(GL_COLOR_BUFFER_BIT);
  ASSERT_TRUE(presentBegin(640, 480, eglProc));
  ASSERT_TRUE(presentActive());
  glViewport(0, 0, 640, 480);
  drawFrame();
  glEnable(GL_SCISSOR_TEST);
  glScissor(0, 0, 640, 480);
  presentToWindow(960, 540);
  presentRebind();
  EXPECT_TRUE(glIsEnabled(GL_SCISSOR_TEST));
  EXPECT_EQ(glFloats4(GL_COLOR_CLEAR_VALUE), (std::array<float, 4>{1.0f, 0.0f, 0.0f, 0.5f}));
  EXPECT_EQ(glIntegers4(GL_VIEWPORT)[2], 640);
  // The frame itself is still 640x480 and unchanged.
  expectPixels({{10, 10, kGreen}, {630, 470, kRed}});
  presentEnd();
  ASSERT_FALSE(presentActive());
  glDisable(GL_SCISSOR_TEST);
  // The window: bars, then green to the middle, then red.
  expectPixels({{0, 0, kBlack}, {119, 539, kBlack}, {840, 270, kBlack}, {959, 0, kBlack},
                {120, 0, kGreen}, {470, 539, kGreen}, {490, 270, kRed}, {839, 539, kRed}});
  offscreenDestroy();
}

// Whole factors with nearest-neighbour sampling: every pixel of the frame becomes a sharp
// block, so the colour edge falls exactly on a block boundary.
TEST(Present, IntegerScalingCopiesSharpBlocks) {
  KS_REQUIRE_OFFSCREEN(1400, 1000);
  ASSERT_TRUE(presentBegin(640, 480, eglProc));
  presentSetIntegerScaling(true);
  glViewport(0, 0, 640, 480);
  drawFrame();
  presentToWindow(1400, 1000);
  presentEnd();
  // 1280x960 at (60, 20); the frame's middle column 320 lands at 60 + 640.
  expectPixels({{59, 500, kBlack}, {60, 20, kGreen}, {699, 500, kGreen}, {700, 500, kRed},
                {1339, 979, kRed}, {1340, 979, kBlack}, {700, 19, kBlack}});
  offscreenDestroy();
}

}  // namespace
