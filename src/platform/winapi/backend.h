// The backend table: the seam between the common Win32 layer (window.cpp: window record,
// message queue, timer, paint ordering) and the native backends that supply a real window
// (sdl_backend.h) or a headless one (headless_backend.h).
// Use: the process entry sets g_nativeBackend before WinMain runs; window.cpp calls through it
// and the backends call back into window.cpp through the functions below. The show never
// includes this header (it sees platform/win32.h only).
#pragma once

#include <cstdint>
#include <string>

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

// Chosen by the process entry (sdl_backend.h: the live one, the default; headless_backend.h:
// offscreen, for virtual-time runs and tests).
extern const NativeBackend* g_nativeBackend;

// What the common layer (window.cpp) offers the backends.
// Queues a message for GetMessageA (input from the backends).
void platformPostMessage(HWND hwnd, UINT id, WPARAM wParam, LPARAM lParam);

// The one window's own device context (CS_OWNDC), used by GetDC and SwapBuffers.
struct GdiDc;
GdiDc* platformWindowDc(HWND hwnd);
bool platformWindowAlive(HWND hwnd);

// Paint timing: every WM_PAINT is timed on these clocks and reported to afterPaint.
// Wall-clock seconds (steady clock) at the end of the first paint, 0 before it.
double platformFirstPaintSeconds();
double platformWallSeconds();
// CPU seconds of the whole process, the renderer's worker threads included.
double platformCpuSeconds();
