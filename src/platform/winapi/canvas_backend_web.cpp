// The page's backend: the window is the canvas #ks-canvas with a WebGL 2 context (8-bit RGB,
// depth, stencil, no alpha, no multisampling); the show draws its picture into the GL
// stand-in's framebuffer (webgl/picture_webgl.h) and each swap presents it on the canvas, sized
// to its box at the device's pixel ratio, the picture the largest 4:3 rectangle in it with black
// around; sharp, the picture is drawn at the size it fills when the window is made.
// Live, the clock counts whole 40 ms steps of performance.now(), so the 40 ms timer falls due at
// the first animation frame on or after each step whatever the display's refresh (ticks merge,
// never pile up), and waiting yields to the browser until its next animation frame (Asyncify).
// A live start part-way runs the frames before it against virtual time with nothing
// rasterised, as on Linux. A live run that the page makes ahead of the viewer's start
// (Module.ksHoldStart) loads everything, then waits before its first frame with its music held
// at its start until the page lets it go. With virtual time every frame follows the last at once: the chosen
// frames (`at`) are read back and handed to the page as PNG, the others fast-forwarded; a
// benchmark draws them all, waiting at each swap until the GPU has drawn the frame (one pixel
// read back); the paint's time less that wait is reported as its CPU time. Every 100 ms of
// such a run the page gets a turn.
// Supports: Escape as WM_KEYDOWN VK_ESCAPE; every other key swallowed (the browser's default
// action prevented, except with Ctrl, Alt or Meta and for F1-F12, which stay the browser's);
// the cursor; message boxes as the page's dialog, answered before the call returns; the
// loading picture shown at once (gdi_bitmap_web.cpp asks for canvasPresentNow).
// Hooks on the module object: the page may define ksPainted(frames, musicMs, playing) (after
// every paint, with the music position the show read), ksMessageBox(caption, text, isError)
// (a promise, resolved when answered) and ksHeld() (a held run waits for its go); the backend
// defines ksGo(go) (a held run goes on, or ends at once without a frame), ksPressEscape() (an
// Escape from the page) and ksDetach() (its key listener removed), sets ksEndedByUser, and
// fills ksCapturedFrames with {seconds, frame, width, height, png}.
// Does not support: input but Escape, display modes (full screen is the page's, through the
// Fullscreen API), several windows, a picture resized after the window is made.
// Depends on Emscripten's html5.h (WebGL context) and Asyncify, the GL stand-in's picture,
// virtual time and the stream's last position (virtual_time.h).
#include "platform/winapi/canvas_backend_web.h"

#include <emscripten.h>
#include <emscripten/html5.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/time/virtual_time.h"
#include "platform/webgl/picture_webgl.h"

namespace {
// The show's timer interval: the live clock counts in these steps.
const int kTickMs = 40;
// How long a virtual-time run or a fast-forward holds the page before it gets a turn.
const double kYieldEveryMs = 100.0;

CanvasOptions g_options;
EMSCRIPTEN_WEBGL_CONTEXT_HANDLE g_context = 0;
bool g_windowExists = false;
int g_windowWidth = 640, g_windowHeight = 480;
int g_pictureWidth = 640, g_pictureHeight = 480;
bool g_endedByUser = false;
int g_frames = 0;
double g_lastYieldAt = 0.0;
bool g_discarding = false;
bool g_startHeld = false;  // made ahead of the viewer's start: waits for the page's go

// Live start part-way: until the frame at the start time the clock is virtual and nothing is drawn.
bool g_fastForward = false;
int g_virtualNowMs = 0;
int g_startMs = 0;
double g_releasedAt = 0.0;  // performance.now() when the music started at g_startMs

// Virtual-time run: the chosen frames (sorted multiples of the tick), the last painted frame.
std::vector<int> g_chosenMs;
int g_lastPaintedMs = -1;
double g_syncMs = 0.0;  // a benchmark's wait for the GPU at the last swap
bool g_endSent = false;
}  // namespace

// Page side. Every function finds the canvas anew: "Play again" puts a fresh one in its place.
EM_JS(int, ksCanvasPresent, (), { return document.querySelector("#ks-canvas") ? 1 : 0; });

// The canvas's backing store at its box's size times the device's pixel ratio.
EM_JS(void, ksFitCanvas, (int* width, int* height), {
  var canvas = document.querySelector("#ks-canvas");
  var w = 640, h = 480;
  if (canvas) {
    var box = canvas.getBoundingClientRect();
    var ratio = window.devicePixelRatio || 1;
    w = Math.max(1, Math.round(box.width * ratio));
    h = Math.max(1, Math.round(box.height * ratio));
    if (canvas.width != w) canvas.width = w;
    if (canvas.height != h) canvas.height = h;
  }
  HEAP32[width >> 2] = w;
  HEAP32[height >> 2] = h;
});

EM_JS(void, ksKeysAttach, (), {
  if (Module["ksDetach"]) Module["ksDetach"]();
  Module.ksEscapes = 0;
  var onKey = function(event) {
    if (Module.ksBoxOpen) return;  // the box takes its own keys
    if (event.key == "Escape") {
      if (!event.repeat) Module.ksEscapes++;
      event.preventDefault();
      return;
    }
    if (!event.ctrlKey && !event.altKey && !event.metaKey && !/^F[0-9]+$/.test(event.key)) event.preventDefault();
  };
  window.addEventListener("keydown", onKey, true);
  Module["ksPressEscape"] = function() { Module.ksEscapes++; };
  Module["ksDetach"] = function() {
    window.removeEventListener("keydown", onKey, true);
    Module["ksDetach"] = null;
  };
});

EM_JS(void, ksKeysDetach, (), { if (Module["ksDetach"]) Module["ksDetach"](); });

EM_JS(int, ksTakeEscapes, (), {
  var count = Module.ksEscapes || 0;
  Module.ksEscapes = 0;
  if (count) Module["ksEndedByUser"] = true;
  return count;
});

EM_JS(void, ksShowCursor, (int visible), {
  var canvas = document.querySelector("#ks-canvas");
  if (canvas) canvas.style.cursor = visible ? "" : "none";
});

EM_JS(void, ksReportPaint, (int frames, int musicMs, int playing), {
  if (Module["ksPainted"]) Module["ksPainted"](frames, musicMs, !!playing);
});

EM_JS(int, ksPageHoldsStart, (), { return Module["ksHoldStart"] ? 1 : 0; });

// Tells the page that the run waits, and waits for its go: 1 to go on, 0 to end.
EM_ASYNC_JS(int, ksAwaitGo, (), {
  var go = new Promise(function(resolve) { Module["ksGo"] = function(on) { Module["ksGo"] = null; resolve(on ? 1 : 0); }; });
  if (Module["ksHeld"]) Module["ksHeld"]();
  return await go;
});

// Waits for the browser's next animation frame.
EM_ASYNC_JS(void, ksWaitAnimationFrame, (), {
  await new Promise(function(resolve) { requestAnimationFrame(function() { resolve(); }); });
});

// Gives the page a turn (its events, the DevTools protocol) without waiting for a frame.
EM_ASYNC_JS(void, ksYield, (), {
  await new Promise(function(resolve) { setTimeout(resolve, 0); });
});

// After something was drawn outside a frame: past the next animation frame, so that the
// browser has put the canvas on the screen before the show goes on.
EM_ASYNC_JS(void, ksLetThePageShow, (), {
  await new Promise(function(resolve) { requestAnimationFrame(function() { setTimeout(resolve, 0); }); });
});

EM_ASYNC_JS(void, ksMessageBox, (const char* caption, const char* text, int isError), {
  var show = Module["ksMessageBox"];
  if (!show) return;
  Module.ksBoxOpen = true;
  try {
    await show(UTF8ToString(caption), UTF8ToString(text), !!isError);
  } finally {
    Module.ksBoxOpen = false;
  }
});

// A chosen frame as a PNG for the page: RGBA rows, top row first, opaque.
EM_JS(void, ksHandOverFrame, (int ms, int width, int height, const unsigned char* rgba), {
  var canvas = document.createElement("canvas");
  canvas.width = width;
  canvas.height = height;
  var context = canvas.getContext("2d");
  var image = context.createImageData(width, height);
  image.data.set(HEAPU8.subarray(rgba, rgba + width * height * 4));
  context.putImageData(image, 0, 0);
  var frames = Module["ksCapturedFrames"] || (Module["ksCapturedFrames"] = []);
  frames.push({seconds: ms / 1000, frame: Math.round(ms / 40), width: width, height: height,
               png: canvas.toDataURL("image/png")});
});

namespace {
uint64_t steps(double ms) { return static_cast<uint64_t>(std::floor(ms / kTickMs)) * kTickMs; }

uint64_t canvasNowMs() {
  if (g_options.virtualTime) return static_cast<uint64_t>(virtualTimeMs());
  if (g_fastForward) return static_cast<uint64_t>(g_virtualNowMs);
  double now = emscripten_get_now();
  if (g_startMs > 0) return static_cast<uint64_t>(g_startMs) + steps(now - g_releasedAt);
  return steps(now);
}

bool chosen(int ms) { return std::binary_search(g_chosenMs.begin(), g_chosenMs.end(), ms); }

void setRasterDiscard(bool discard) {
  if (discard == g_discarding || !g_context) return;
  webglPictureDiscard(discard);
  g_discarding = discard;
}

// A run that draws no frames for the screen still lets the page breathe now and then.
void yieldNowAndThen() {
  double now = emscripten_get_now();
  if (now - g_lastYieldAt < kYieldEveryMs) return;
  ksYield();
  g_lastYieldAt = emscripten_get_now();
}

// The frame at the start time falls due: the music starts there and the clock turns real.
void endFastForward(uint64_t untilMs) {
  g_fastForward = false;
  setRasterDiscard(false);
  g_startMs = static_cast<int>(untilMs);
  virtualTimeSetMs(g_startMs);
  g_releasedAt = emscripten_get_now();
  virtualTimeReleaseLive();
}

void canvasWait(uint64_t untilMs) {
  if (g_options.virtualTime) {
    if (untilMs == UINT64_MAX) {
      // Nothing can ever arrive: end the loop instead of hanging.
      std::fprintf(stderr, "canvas: no window and no timer left, ending the message loop\n");
      PostQuitMessage(1);
      return;
    }
    virtualTimeSetMs(static_cast<int>(untilMs));
    if (!g_options.bench) setRasterDiscard(!chosen(static_cast<int>(untilMs)));
    yieldNowAndThen();
    return;
  }
  if (g_fastForward && untilMs != UINT64_MAX) {
    if (static_cast<int64_t>(untilMs) >= static_cast<int64_t>(std::llround(g_options.fromSeconds * 1000.0))) {
      endFastForward(untilMs);
      return;
    }
    g_virtualNowMs = static_cast<int>(untilMs);
    virtualTimeSetMs(g_virtualNowMs);
    setRasterDiscard(true);
    yieldNowAndThen();
    return;
  }
  ksWaitAnimationFrame();
}

void canvasPumpEvents(HWND hwnd) {
  // The message loop's first turn, before the first frame: a held run waits for its go here.
  if (g_startHeld) {
    g_startHeld = false;
    if (!ksAwaitGo()) {
      PostQuitMessage(0);
      return;
    }
    if (g_windowExists) ksKeysAttach();
    if (!g_fastForward) virtualTimeReleaseLive();
  }
  for (int count = ksTakeEscapes(); count > 0; --count) {
    platformPostMessage(hwnd, WM_KEYDOWN, VK_ESCAPE, 1);
    g_endedByUser = true;
  }
  // A run of chosen frames ends like Escape once its last frame is drawn.
  if (g_options.virtualTime && !g_chosenMs.empty() && !g_endSent && g_lastPaintedMs >= g_chosenMs.back()) {
    platformPostMessage(hwnd, WM_KEYDOWN, VK_ESCAPE, 1);
    g_endSent = true;
  }
}

bool canvasCreateWindow(int, int, int width, int height, const char*, std::string* why) {
  if (!ksCanvasPresent()) {
    *why = "the page has no canvas #ks-canvas to play the show on";
    return false;
  }
  g_windowExists = true;
  g_windowWidth = width;
  g_windowHeight = height;
  if (!g_startHeld) ksKeysAttach();  // a held run's keys are the start screen's until its go
  return true;
}

void canvasShowWindow() {}

void canvasDestroyWindow() {
  g_windowExists = false;
  ksKeysDetach();
  ksShowCursor(1);
  if (g_options.benchHooks.windowDestroyed) g_options.benchHooks.windowDestroyed();
}

// The buffers are the WebGL context's and the stand-in's framebuffer: nothing to choose.
bool canvasSetPixelFormat(const PIXELFORMATDESCRIPTOR*) { return g_windowExists; }

// The picture's size: the run's own, or sharp the largest 4:3 rectangle the canvas holds.
void choosePictureSize() {
  g_pictureWidth = g_windowWidth;
  g_pictureHeight = g_windowHeight;
  if (g_options.virtualTime) {
    if (g_options.frameWidth > 0 && g_options.frameHeight > 0) {
      g_pictureWidth = g_options.frameWidth;
      g_pictureHeight = g_options.frameHeight;
    }
    return;
  }
  if (!g_options.sharp) return;
  int width = 0, height = 0;
  ksFitCanvas(&width, &height);
  if (static_cast<int64_t>(width) * g_windowHeight > static_cast<int64_t>(height) * g_windowWidth)
    width = static_cast<int>(static_cast<int64_t>(height) * g_windowWidth / g_windowHeight);
  else
    height = static_cast<int>(static_cast<int64_t>(width) * g_windowHeight / g_windowWidth);
  if (width >= 16 && height >= 16) {
    g_pictureWidth = width;
    g_pictureHeight = height;
  }
}

bool canvasCreateContext() {
  if (!g_windowExists || g_context) return false;
  EmscriptenWebGLContextAttributes attributes;
  emscripten_webgl_init_context_attributes(&attributes);
  attributes.majorVersion = 2;
  attributes.minorVersion = 0;
  attributes.alpha = EM_FALSE;
  attributes.depth = EM_TRUE;
  attributes.stencil = EM_TRUE;
  attributes.antialias = EM_FALSE;
  attributes.preserveDrawingBuffer = EM_FALSE;
  g_context = emscripten_webgl_create_context("#ks-canvas", &attributes);
  if (g_context <= 0) {
    std::fprintf(stderr, "wglCreateContext: this browser gives the page no WebGL 2 context (error %d)\n",
                 static_cast<int>(g_context));
    g_context = 0;
    return false;
  }
  emscripten_webgl_make_context_current(g_context);
  std::string why;
  if (!webglPictureInit(&why)) {
    std::fprintf(stderr, "wglCreateContext: %s\n", why.c_str());
    emscripten_webgl_make_context_current(0);
    emscripten_webgl_destroy_context(g_context);
    g_context = 0;
    return false;
  }
  choosePictureSize();
  if (!webglPictureSize(g_pictureWidth, g_pictureHeight) && !webglPictureSize(g_windowWidth, g_windowHeight)) {
    emscripten_webgl_make_context_current(0);
    emscripten_webgl_destroy_context(g_context);
    g_context = 0;
    return false;
  }
  g_pictureWidth = webglPictureWidth();
  g_pictureHeight = webglPictureHeight();
  if (g_options.benchHooks.contextMade) g_options.benchHooks.contextMade(g_pictureWidth, g_pictureHeight);
  emscripten_webgl_make_context_current(0);
  g_discarding = false;
  return true;
}

bool canvasMakeCurrent(bool current) {
  if (!g_context) return !current;
  return emscripten_webgl_make_context_current(current ? g_context : 0) == EMSCRIPTEN_RESULT_SUCCESS;
}

void canvasDeleteContext() {
  if (!g_context) return;
  emscripten_webgl_make_context_current(0);
  emscripten_webgl_destroy_context(g_context);
  g_context = 0;
  g_discarding = false;
}

void present() {
  int width = 0, height = 0;
  ksFitCanvas(&width, &height);
  webglPicturePresent(width, height, false);
}

// The chosen frame, read back from the picture and handed to the page.
void handOver(int ms) {
  std::vector<unsigned char> rgba(static_cast<size_t>(g_pictureWidth) * g_pictureHeight * 4);
  webglPictureRead(rgba.data());
  ksHandOverFrame(ms, g_pictureWidth, g_pictureHeight, rgba.data());
}

bool canvasSwapBuffers() {
  if (!g_context) return false;
  if (g_options.virtualTime) {
    int ms = virtualTimeMs();
    if (g_options.bench) {
      // The frame's cost includes the GPU's drawing: one pixel read back waits for it in every
      // browser (finish() returns before the drawing is done in some).
      const double start = emscripten_get_now();
      webglPictureSync();
      g_syncMs = emscripten_get_now() - start;
    } else if (chosen(ms) && !g_discarding) {
      handOver(ms);
    }
    return true;
  }
  // Fast-forwarded frames are not shown: the loading picture stays until the start time.
  if (g_fastForward) return true;
  present();
  return true;
}

LONG canvasChangeDisplayMode(const DEVMODEA*) { return DISP_CHANGE_SUCCESSFUL; }

void canvasShowCursor(bool visible) { ksShowCursor(visible ? 1 : 0); }

void canvasAfterPaint(double milliseconds, double) {
  ++g_frames;
  if (g_options.virtualTime) {
    g_lastPaintedMs = virtualTimeMs();
    // The browser tells no process CPU time; the show runs on the page's one thread, so its
    // paint's CPU time is the paint's own wall-clock time less the wait for the GPU at the swap.
    if (g_options.benchHooks.painted)
      g_options.benchHooks.painted(g_lastPaintedMs, milliseconds, std::max(0.0, milliseconds - g_syncMs));
    g_syncMs = 0.0;
    int draws = 0;
    double bytes = 0;
    webglPictureWork(&draws, &bytes);
    if (g_options.benchHooks.worked) g_options.benchHooks.worked(draws, bytes);
  }
  // The first paint is the black frame before loading; the show plays from the second.
  ksReportPaint(g_frames, musicLastReadMs(), g_frames > 1 && !g_fastForward ? 1 : 0);
}

void canvasMessageBox(const char* caption, const char* text, UINT type) {
  ksMessageBox(caption, text, (type & MB_ICONERROR) ? 1 : 0);
}
}  // namespace

void canvasPresentNow() {
  if (!g_context) return;
  present();
  ksLetThePageShow();
}

void canvasBackendConfigure(const CanvasOptions& options) {
  g_options = options;
  g_chosenMs.clear();
  // Each chosen time names the first frame at or after it.
  for (double seconds : options.atSeconds) {
    int ms = static_cast<int>(std::llround(seconds * 1000.0));
    g_chosenMs.push_back((ms + kTickMs - 1) / kTickMs * kTickMs);
  }
  std::sort(g_chosenMs.begin(), g_chosenMs.end());
  g_chosenMs.erase(std::unique(g_chosenMs.begin(), g_chosenMs.end()), g_chosenMs.end());
  g_startHeld = !options.virtualTime && ksPageHoldsStart();
  g_fastForward = !options.virtualTime && options.fromSeconds > 0.0;
  if (g_startHeld || g_fastForward) virtualTimeHoldLive();
}

bool canvasBackendEndedByUser() { return g_endedByUser; }

const NativeBackend g_canvasBackend = {
    "canvas",           canvasNowMs,          canvasWait,          canvasPumpEvents,
    canvasCreateWindow, canvasShowWindow,     canvasDestroyWindow, canvasSetPixelFormat,
    canvasCreateContext, canvasMakeCurrent,   canvasDeleteContext, canvasSwapBuffers,
    canvasChangeDisplayMode, canvasShowCursor, canvasAfterPaint,   canvasMessageBox,
};
