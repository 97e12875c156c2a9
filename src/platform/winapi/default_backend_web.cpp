// The backend the window layer starts with in the browser: the page's canvas.
#include "platform/winapi/backend.h"
#include "platform/winapi/canvas_backend_web.h"

const NativeBackend* g_nativeBackend = &g_canvasBackend;
