// Headless backend: the window is an offscreen 640x480 OpenGL context, there is no input and no
// display mode. With virtual time (capture and benchmark runs) the platform clock is the music
// position: whenever nothing else is queued the 40 ms timer falls due at once and the position
// moves to it, so frame N is drawn at N x 40 ms (frame 0 is the first paint, at 0). Without
// virtual time the clock is the wall clock (tests of the message ordering).
// Supports: a run attached through HeadlessRun (src/capture: capture, fast-forward, progress,
// benchmark), told of every frame's time, swap and paint cost and able to end the run like
// Escape; each frame waited for (glFinish) when no run takes the swap, so its cost is measured.
// Does not support: input, cursors, a visible picture, message boxes (the text is on stderr).
// Depends on offscreen.cpp (EGL), picture_scale.cpp (a framebuffer of another size than the
// window's: HeadlessOptions::frameWidth) and virtual time.
#include <GL/gl.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "platform/gl/offscreen.h"
#include "platform/gl/picture_scale.h"
#include "platform/time/virtual_time.h"
#include "platform/winapi/headless_backend.h"

namespace {
HeadlessOptions g_options;
bool g_windowExists = false;
int g_width = 640, g_height = 480;
bool g_contextMade = false;
bool g_endSent = false;

const HeadlessRun* run() { return g_options.run; }

uint64_t headlessNowMs() {
  if (g_options.virtualTime) return static_cast<uint64_t>(virtualTimeMs());
  using namespace std::chrono;
  return static_cast<uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

// With virtual time the next frame is drawn at the time set here.
void headlessWait(uint64_t untilMs) {
  if (untilMs == UINT64_MAX) {
    // Nothing can ever arrive without input: end the loop instead of hanging.
    std::fprintf(stderr, "headless: no window and no timer left, ending the message loop\n");
    PostQuitMessage(1);
    return;
  }
  if (g_options.virtualTime) {
    virtualTimeSetMs(static_cast<int>(untilMs));
    if (run() && run()->frameDue) run()->frameDue(static_cast<int>(untilMs));
    return;
  }
  uint64_t now = headlessNowMs();
  if (untilMs > now) std::this_thread::sleep_for(std::chrono::milliseconds(untilMs - now));
}

// The run may end like Escape (a capture whose range is done, or whose frame could not be written).
void headlessPumpEvents(HWND hwnd) {
  if (g_endSent || !run() || !run()->wantsEnd || !run()->wantsEnd()) return;
  platformPostMessage(hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
  g_endSent = true;
}

bool headlessCreateWindow(int, int, int width, int height, const char*, std::string*) {
  g_windowExists = true;
  g_width = width;
  g_height = height;
  return true;
}

void headlessShowWindow() {}

void headlessDestroyWindow() {
  g_windowExists = false;
  if (run() && run()->windowDestroyed) run()->windowDestroyed();
}

bool headlessSetPixelFormat(const PIXELFORMATDESCRIPTOR*) { return true; }

bool headlessCreateContext() {
  // The picture is drawn at the chosen framebuffer size; the show still sees its window's size.
  int width = g_options.frameWidth ? g_options.frameWidth : g_width;
  int height = g_options.frameHeight ? g_options.frameHeight : g_height;
  if (!pictureScaleSetTarget(width, height) || !offscreenCreate(width, height)) return false;
  pictureScaleApply();
  if (run() && run()->contextMade) run()->contextMade(width, height);
  offscreenMakeCurrent(false);
  g_contextMade = true;
  return true;
}

bool headlessMakeCurrent(bool current) { return g_contextMade && offscreenMakeCurrent(current); }

void headlessDeleteContext() {
  offscreenDestroy();
  g_contextMade = false;
  if (run() && run()->contextDeleted) run()->contextDeleted();
}

bool headlessSwapBuffers() {
  if (!g_contextMade || !offscreenIsCurrent()) return false;
  if (run() && run()->swapBuffers) return run()->swapBuffers(virtualTimeMs());
  glFinish();
  return true;
}

LONG headlessChangeDisplayMode(const DEVMODEA*) { return DISP_CHANGE_SUCCESSFUL; }
void headlessShowCursor(bool) {}

void headlessAfterPaint(double milliseconds, double cpuMilliseconds) {
  if (run() && run()->painted) run()->painted(virtualTimeMs(), milliseconds, cpuMilliseconds);
}
}  // namespace

void headlessBackendConfigure(const HeadlessOptions& options) {
  g_options = options;
  g_endSent = false;
}

const NativeBackend g_headlessBackend = {
    "headless",           headlessNowMs,          headlessWait,          headlessPumpEvents,
    headlessCreateWindow, headlessShowWindow,     headlessDestroyWindow, headlessSetPixelFormat,
    headlessCreateContext, headlessMakeCurrent,   headlessDeleteContext, headlessSwapBuffers,
    headlessChangeDisplayMode, headlessShowCursor, headlessAfterPaint, nullptr,
};
