// The headless backend (headless_backend_linux.cpp): the window is an offscreen OpenGL context of the
// window's size, with no input, no display mode and no visible picture. It keeps the window and
// its pace, nothing else: what a run does with the frames (capture, benchmark) plugs in through
// HeadlessRun.
// Use: headlessBackendConfigure, then g_nativeBackend = &g_headlessBackend, then WinMain.
// With virtual time (platform/time/virtual_time.h, enabled by the caller) the 40 ms timer falls
// due as soon as nothing else is queued and the music position moves to it, so frame N is drawn
// at N x 40 ms; without it the clock is the wall clock (tests of the message ordering).
#pragma once

#include "platform/winapi/backend.h"

extern const NativeBackend g_headlessBackend;

// What a virtual-time run attaches to the backend; any entry may be null. Times are the music
// position in milliseconds.
struct HeadlessRun {
  // Virtual time has just moved to `ms`, the time of the frame about to be painted.
  void (*frameDue)(int ms);
  // Asked whenever input is pumped; true ends the run as Escape would (asked no more after).
  bool (*wantsEnd)();
  // The GL context was made (current during the call) or deleted.
  void (*contextMade)(int width, int height);
  void (*contextDeleted)();
  // SwapBuffers of the frame at `ms`, with the context current; its result is SwapBuffers'.
  // Without this entry the frame is waited for (glFinish) and the swap succeeds.
  bool (*swapBuffers)(int ms);
  // After each WM_PAINT, with its wall-clock and CPU cost in milliseconds.
  void (*painted)(int ms, double milliseconds, double cpuMilliseconds);
  void (*windowDestroyed)();
};

struct HeadlessOptions {
  bool virtualTime = false;
  const HeadlessRun* run = nullptr;  // must outlive the run
  // The framebuffer the picture is drawn into; 0: the window's size (see gl/picture_scale.h).
  int frameWidth = 0, frameHeight = 0;
};
void headlessBackendConfigure(const HeadlessOptions& options);
