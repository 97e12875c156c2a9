// Drawing cases for the OpenGL 1.1 stand-in over WebGL 2: the same plain GL 1.1 and GLU calls
// built twice, natively (Mesa on an EGL pbuffer, native_cases.cpp) and for the browser
// (web_cases.cpp over src/platform/webgl), each case from a fresh context, so run.js can compare
// the pictures pixel by pixel.
#pragma once

struct GlCase {
  const char* name;
  int width, height;  // the picture: 640x480, or another size (viewports and lines scaled)
  void (*draw)();
  bool discardMiddle;  // the middle of the case runs with rasterisation discarded
};

extern const GlCase kGlCases[];
extern const int kGlCaseCount;

// Set by the runner: turns rasterisation off and on (fast-forward) where the case asks for it.
extern void (*g_caseDiscard)(bool discard);
// Set by the runner: copies RGB pixels (top row first) to (x, y) of the 640x480 window, top-left
// origin, at the picture's scale, as the loading bitmap is copied.
extern void (*g_caseDrawPixels)(int x, int y, int width, int height, const unsigned char* rgb, int rowPixels);
