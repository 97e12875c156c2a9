// The seam between the common Win32 layer (window.cpp: window record, message queue,
// timer, paint ordering) and the native backends that supply a real window or a headless one.
// The process entry chooses the backend before WinMain runs; the show never sees this header.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32.h"

struct NativeBackend {
  const char* name;
  // Monotonic milliseconds that the 40 ms timer is measured in.
  uint64_t (*nowMs)();
  // Waits until `untilMs` (or until input arrives, for backends with input); UINT64_MAX waits for input only.
  void (*wait)(uint64_t untilMs);
  // Turns pending native input into posted messages (WM_KEYDOWN, WM_SYSCOMMAND) for `hwnd`.
  void (*pumpEvents)(HWND hwnd);
  // Native window lifetime. `create` returns false and fills `why` when there is no window to be had.
  bool (*createWindow)(int x, int y, int width, int height, const char* title, std::string* why);
  void (*showWindow)();
  void (*destroyWindow)();
  // Pixel format, GL context, buffer swap.
  bool (*setPixelFormat)(const PIXELFORMATDESCRIPTOR* descriptor);
  bool (*createContext)();
  bool (*makeCurrent)(bool current);
  void (*deleteContext)();
  bool (*swapBuffers)();
  // Display mode: a 640x480 full-screen mode, or null for the stored (desktop) mode.
  LONG (*changeDisplayMode)(const DEVMODEA* mode);
  void (*showCursor)(bool visible);
  // Called after every WM_PAINT the window procedure handled, with its cost in milliseconds:
  // wall-clock time and the CPU time of the whole process (renderer threads included).
  void (*afterPaint)(double milliseconds, double cpuMilliseconds);
  // Shows a message box and waits until it is answered; null where no box can be shown (the
  // text is on standard error either way).
  void (*messageBox)(const char* caption, const char* text, UINT type);
};

// Chosen by the process entry; the live SDL2 backend unless a virtual-time run asked otherwise.
extern const NativeBackend* g_nativeBackend;
extern const NativeBackend g_sdlBackend;
extern const NativeBackend g_headlessBackend;

// Live backend options.
void sdlBackendSetWindowed(bool windowed);
// False, with a one-line reason for the user, when no display is named for the live window.
bool sdlDisplayNamed(std::string* why);
// The message (WM_KEYDOWN, or WM_SYSKEYDOWN with Alt) and virtual-key code the live backend
// posts for an SDL key: its symbol, position (scancode) and modifiers.
void sdlKeyMessage(int32_t key, int32_t position, uint16_t modifiers, UINT* message, WPARAM* virtualKeyCode);

// Headless backend: with virtual time the timer fires as soon as nothing else is queued and the
// music position advances with it; otherwise it keeps wall-clock time (used by tests).
struct HeadlessOptions {
  bool virtualTime = false;
  std::string captureDir;  // empty: no PNG frames
  std::string videoPath;   // empty: no video; otherwise frames are piped to ffmpeg with the music
  double fromSeconds = 0.0;
  double toSeconds = 1e30;
  std::vector<double> atSeconds;  // not empty: only the first frame at or after each of these
  // Frames before the range run with rasterisation discarded (they leave the same state); false
  // draws them in full, as a reference for that.
  bool fastForward = true;
  bool bench = false;
  // The framebuffer the picture is drawn into; 0: the window's size (see picture_scale.h).
  int frameWidth = 0, frameHeight = 0;
};
void headlessBackendConfigure(const HeadlessOptions& options);
// Ends the capture output (waits for ffmpeg); false, with the reason on stderr, when a frame
// could not be written, the encoder failed or no frame fell in the range.
bool headlessBackendFinish();
// Prints the benchmark summary (per schedule window and the final line) on standard output.
void headlessBackendPrintBench();
// Wall-clock seconds (steady clock) at the end of the first paint, 0 before it.
double platformFirstPaintSeconds();
double platformWallSeconds();
double platformCpuSeconds();

// Restores the display mode; safe from atexit and on every way out.
void platformRestoreDisplay();
// Signals that end the process (SIGINT, SIGTERM) restore the display mode first, at any moment.
void platformInstallExitHandlers();

// Queues a message for GetMessageA (input from the backends).
void platformPostMessage(HWND hwnd, UINT id, WPARAM wParam, LPARAM lParam);

// The one window's own device context (CS_OWNDC), used by GetDC and SwapBuffers.
struct GdiDc;
GdiDc* platformWindowDc(HWND hwnd);
bool platformWindowAlive(HWND hwnd);

// Writes an 8-bit RGB PNG of `pixels`, `pixelBytes` bytes a pixel (3: R, G, B; 4: R, G, B and an
// unused byte), rows top first or, with `bottomUp`, bottom first. Fast compression, lossless.
// Thread-safe. False (reason on stderr) on failure.
bool writePng(const char* path, const unsigned char* pixels, int width, int height, int pixelBytes, bool bottomUp);
// Copies `width` x `height` RGB pixels (top row first) to the current GL drawable with their
// top-left corner at window pixel (x, y), leaving every GL state as it was.
void blitRgbToScreen(int x, int y, int width, int height, const unsigned char* rgb, int rowPixels);
