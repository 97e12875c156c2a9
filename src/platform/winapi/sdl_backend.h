// The live backend over SDL2 (sdl_backend_linux.cpp): a real window (full screen over the desktop's
// own mode, a normal window, or the 640x480 mode switch on request) whose picture present.h
// scales, keyboard input, the cursor and message boxes. The default backend.
// Use: the process entry checks sdlDisplayNamed, sets the live options, points
// g_nativeBackend at g_sdlBackend and calls WinMain. The display mode is restored on every way
// out of the process once the window exists (platformInstallExitHandlers is called by the
// backend itself when it opens the window).
#pragma once

#include <cstdint>
#include <string>

#include "platform/winapi/backend.h"

extern const NativeBackend g_sdlBackend;

// Live backend options.
struct LiveOptions {
  bool windowed = false;        // a normal window, moved and resized by the window manager
  bool modeSwitch = false;      // full screen by switching the display to the closest mode
  bool integerScaling = false;  // nearest-neighbour scaling by whole factors
  // The frame drawn at the size its picture fills on the screen when the window is first
  // shown (the show's viewports and line widths scaled to it) instead of at 640x480.
  bool fullResolution = false;
  double fromSeconds = 0.0;     // the music starts here; the frames before are fast-forwarded
  double launchedSeconds = 0.0;  // platformWallSeconds() at process start, for the start report
};
void sdlBackendConfigure(const LiveOptions& options);
// Whether the show was ended by Escape (or, in a window, its close button).
bool sdlBackendEndedByUser();
// What the end of the process would do (the display's mode, the sound device, the window
// system's connection), for a process about to be replaced by a fresh one.
void sdlBackendShutdown();
// False, with a one-line reason for the user, when no display is named for the live window.
bool sdlDisplayNamed(std::string* why);
// The message (WM_KEYDOWN, or WM_SYSKEYDOWN with Alt) and virtual-key code the live backend
// posts for an SDL key: its symbol, position (scancode) and modifiers.
void sdlKeyMessage(int32_t key, int32_t position, uint16_t modifiers, UINT* message, WPARAM* virtualKeyCode);

// Restores the display mode; safe from atexit and on every way out.
void platformRestoreDisplay();
// Signals that end the process (SIGINT, SIGTERM) restore the display mode first, at any moment.
void platformInstallExitHandlers();
