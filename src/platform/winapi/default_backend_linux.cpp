// The backend the window layer starts with on Linux: the live one over SDL2. The process entry
// may point g_nativeBackend at another (the headless one) before WinMain runs.
#include "platform/winapi/backend.h"
#include "platform/winapi/sdl_backend.h"

const NativeBackend* g_nativeBackend = &g_sdlBackend;
