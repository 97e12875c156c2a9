// The live backend over SDL2 (sdl_backend.cpp): a real window, keyboard input, the 640x480
// full-screen mode switch, the cursor and message boxes. The default backend.
// Use: the process entry checks sdlDisplayNamed, sets the windowed option, points
// g_nativeBackend at g_sdlBackend and calls WinMain. The display mode is restored on every way
// out of the process once the window exists (platformInstallExitHandlers is called by the
// backend itself when it opens the window).
#pragma once

#include <cstdint>
#include <string>

#include "platform/winapi/backend.h"

extern const NativeBackend g_sdlBackend;

// A 640x480 window instead of the full-screen mode switch.
void sdlBackendSetWindowed(bool windowed);
// False, with a one-line reason for the user, when no display is named for the live window.
bool sdlDisplayNamed(std::string* why);
// The message (WM_KEYDOWN, or WM_SYSKEYDOWN with Alt) and virtual-key code the live backend
// posts for an SDL key: its symbol, position (scancode) and modifiers.
void sdlKeyMessage(int32_t key, int32_t position, uint16_t modifiers, UINT* message, WPARAM* virtualKeyCode);

// Restores the display mode; safe from atexit and on every way out.
void platformRestoreDisplay();
// Signals that end the process (SIGINT, SIGTERM) restore the display mode first, at any moment.
void platformInstallExitHandlers();
