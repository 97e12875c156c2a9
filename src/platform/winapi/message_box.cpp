// MessageBoxA. Supports: title, text, an OK button (every box here has one), the result IDOK;
// the text always on standard error, so a box is never the only trace of an error; a real box
// where the backend can show one (the live one), answered before the call returns.
// Does not support: other buttons, icons beyond the error/information distinction, owner
// windows chosen by the caller (the live backend puts every box above the show's window).
// Depends on the native backend's box, if any.
#include <cstdio>

#include "platform/win32.h"
#include "platform/winapi/backend.h"

int MessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT type) {
  std::fprintf(stderr, "%s: %s\n", caption ? caption : "", text ? text : "");
  std::fflush(stderr);
  if (g_nativeBackend && g_nativeBackend->messageBox) g_nativeBackend->messageBox(caption ? caption : "", text ? text : "", type);
  return IDOK;
}
