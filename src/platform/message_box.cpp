// MessageBoxA. Supports: title, text, an OK button (every box here has one), the result IDOK.
// Does not support: other buttons, owner windows (the box is never modal to our window).
// Depends on SDL2's simple message box when g_platformShowsBoxes is set.
#include <SDL.h>

#include <cstdio>

#include "platform/message_box.h"
#include "platform/win32.h"

bool g_platformShowsBoxes = false;

int MessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT type) {
  std::fprintf(stderr, "%s: %s\n", caption ? caption : "", text ? text : "");
  std::fflush(stderr);
  if (g_platformShowsBoxes) {
    Uint32 flags = (type & MB_ICONERROR) ? SDL_MESSAGEBOX_ERROR : SDL_MESSAGEBOX_INFORMATION;
    SDL_ShowSimpleMessageBox(flags, caption, text, nullptr);
  }
  return IDOK;
}
