// The page's backend (canvas_backend_web.cpp): the show's window is the page's canvas
// #ks-canvas with a WebGL 2 context; the GL stand-in (platform/webgl/) draws the 640x480 picture
// into a framebuffer of its own and each swap presents it on the canvas, 4:3 with black bars.
// Live, the 40 ms timer follows the browser's animation frames; with virtual time (the page's
// `at` and `bench`) every frame follows the last at once, as on the headless backend.
// Use: the web entry calls canvasBackendConfigure, points g_nativeBackend at g_canvasBackend
// (for virtual time after virtualTimeEnable) and calls WinMain. The page talks to the backend
// through the module object; the hooks are listed in canvas_backend_web.cpp.
#pragma once

#include <vector>

#include "platform/winapi/backend.h"

extern const NativeBackend g_canvasBackend;

// What a benchmark attaches to a virtual-time run (the entry wires capture/bench.h); any entry
// may be null. Times are the music position in milliseconds.
struct CanvasBenchHooks {
  // The GL context was made (current during the call), with the picture's size.
  void (*contextMade)(int width, int height);
  // After each WM_PAINT, with its wall-clock and CPU cost in milliseconds.
  void (*painted)(int ms, double milliseconds, double cpuMilliseconds);
  void (*windowDestroyed)();
  // After `painted`: that paint's draw calls and the bytes it handed to WebGL.
  void (*worked)(int draws, double bytes);
};

struct CanvasOptions {
  // Live: the picture drawn at the size it fills on the canvas when the window is made (the
  // show's viewports and line widths scaled) instead of at 640x480.
  bool sharp = false;
  // Live: the music starts here; the frames before run with nothing rasterised (the loading
  // picture stays meanwhile).
  double fromSeconds = 0.0;
  // Virtual time (virtualTimeEnable called by the entry): frame N is drawn at N x 40 ms.
  bool virtualTime = false;
  // Virtual time: the first frame at or after each of these music seconds is read back and
  // handed to the page; the frames between are fast-forwarded and the run ends after the last.
  std::vector<double> atSeconds;
  // Virtual time: every frame drawn and waited for, its cost reported to the hooks.
  bool bench = false;
  CanvasBenchHooks benchHooks = {};
  // Virtual time: the picture's size (0: 640x480).
  int frameWidth = 0, frameHeight = 0;
};
void canvasBackendConfigure(const CanvasOptions& options);
// Whether a person ended the show (Escape), as against its own end or a failure.
bool canvasBackendEndedByUser();
// Shows the picture on the canvas now and lets the browser put it on the screen before the
// call returns: for what is drawn outside a frame (the loading picture).
void canvasPresentNow();
