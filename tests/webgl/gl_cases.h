// Drawing cases for the OpenGL 1.1 stand-in over WebGL 2: one table of plain GL 1.1 and GLU
// calls, run by a thin runner per platform, natively on Mesa (native_cases.cpp, an EGL
// pbuffer) and in the browser (web_cases.cpp over src/platform/webgl), each case from a fresh
// context, so cases.js can compare the pictures pixel by pixel within the case's limits.
#pragma once

struct GlCase {
  const char* name;
  int width, height;  // the picture: 640x480, or another size (viewports and lines scaled)
  void (*draw)();
  // How far the browser's picture may be from Mesa's: the mean difference of all channels
  // (0-255), and the share of pixels whose largest channel differs by more than 48 (edges fall
  // on other pixels where two rasterisers break a tie of the coverage test the other way;
  // texture filtering differs in the last bits).
  double mean, far;
  const char* said;  // what the case makes GL say on standard error (an error it provokes), or null
};

extern const GlCase kGlCases[];
extern const int kGlCaseCount;

// Set by the runner: turns rasterisation off and on (fast-forward) where the case asks for it.
extern void (*g_caseDiscard)(bool discard);
// Set by the runner: copies RGB pixels (top row first) to (x, y) of the 640x480 window, top-left
// origin, at the picture's scale: the platform's copy of the loading bitmap.
extern void (*g_caseDrawPixels)(int x, int y, int width, int height, const unsigned char* rgb, int rowPixels);
// Set by the native runner: calls Mesa cannot serve in bounded memory (a range of 2^31 lists)
// are made only in the browser.
extern bool g_caseOnMesa;
// The checks that failed in the cases run so far (each also named on standard error).
extern int g_caseFailedChecks;
