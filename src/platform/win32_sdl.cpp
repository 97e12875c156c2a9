// Live backend over SDL2: a real window with an OpenGL context, keyboard input, the 640x480
// full-screen mode switch, the cursor and real message boxes.
// Supports: one window; Escape and other keys as WM_KEYDOWN (virtual-key codes for letters,
// digits and Escape); Alt+F4, a window-manager close and SDL_QUIT as WM_SYSCOMMAND SC_CLOSE; an
// expose as an invalidation; the mode switch undone on every way out of the process (normal
// end, Escape, a fatal data error, exit() from a library, SIGINT, SIGTERM).
// Does not support: mouse input, several windows, key repeat counts in lParam.
// Depends on SDL2 video (X11 or Wayland) and an OpenGL driver for the window (GLX/EGL via Mesa).
#include <SDL.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "platform/message_box.h"
#include "platform/win32_backend.h"

namespace {
SDL_Window* g_sdlWindow = nullptr;
SDL_GLContext g_sdlContext = nullptr;
bool g_windowed = false;
bool g_fullscreenWanted = false;  // a mode switch was asked for (applied once the window exists)
bool g_fullscreenActive = false;
bool g_cursorVisible = true;
int g_windowX = 0, g_windowY = 0, g_windowWidth = 640, g_windowHeight = 480;
std::string g_title;
volatile std::sig_atomic_t g_exitSignal = 0;

uint64_t sdlNowMs() { return SDL_GetTicks64(); }

void applyFullscreen(bool on) {
  if (!g_sdlWindow || on == g_fullscreenActive) return;
  if (on) {
    SDL_DisplayMode wanted = {SDL_PIXELFORMAT_RGB565, g_windowWidth, g_windowHeight, 0, nullptr};
    SDL_DisplayMode closest;
    int display = SDL_GetWindowDisplayIndex(g_sdlWindow);
    if (SDL_GetClosestDisplayMode(display < 0 ? 0 : display, &wanted, &closest))
      SDL_SetWindowDisplayMode(g_sdlWindow, &closest);
    if (SDL_SetWindowFullscreen(g_sdlWindow, SDL_WINDOW_FULLSCREEN) == 0) g_fullscreenActive = true;
  } else {
    SDL_SetWindowFullscreen(g_sdlWindow, 0);
    g_fullscreenActive = false;
  }
}

// A signal only sets the flag; the loop restores the mode and ends the process with the signal.
void onExitSignal(int signal) {
  g_exitSignal = signal;
  std::signal(signal, SIG_DFL);  // a second one ends the process at once
}

void handleExitSignal() {
  int signal = g_exitSignal;
  if (!signal) return;
  platformRestoreDisplay();
  std::raise(signal);
}

// At exit (normal end, a data error, exit() from a library): the mode first, then SDL's own
// clean-up (the audio thread, the window).
void atExitRestore() {
  platformRestoreDisplay();
  SDL_Quit();
}

WPARAM virtualKey(SDL_Keycode key) {
  if (key == SDLK_ESCAPE) return VK_ESCAPE;
  if (key >= SDLK_a && key <= SDLK_z) return static_cast<WPARAM>('A' + (key - SDLK_a));
  if (key >= SDLK_0 && key <= SDLK_9) return static_cast<WPARAM>(key);
  if (key == SDLK_RETURN) return 0x0D;
  if (key == SDLK_SPACE) return 0x20;
  if (key >= SDLK_F1 && key <= SDLK_F12) return static_cast<WPARAM>(0x70 + (key - SDLK_F1));
  return static_cast<WPARAM>(key & 0xFF);
}

void sdlPumpEvents(HWND hwnd) {
  handleExitSignal();
  SDL_Event event;
  while (SDL_PollEvent(&event)) {
    switch (event.type) {
      case SDL_KEYDOWN:
        if (event.key.keysym.sym == SDLK_F4 && (event.key.keysym.mod & KMOD_ALT))
          platformPostMessage(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
        else
          platformPostMessage(hwnd, WM_KEYDOWN, virtualKey(event.key.keysym.sym), 1);
        break;
      case SDL_QUIT:
        platformPostMessage(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
        break;
      case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_CLOSE) platformPostMessage(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
        if (event.window.event == SDL_WINDOWEVENT_EXPOSED) InvalidateRect(hwnd, nullptr, FALSE);
        break;
      default:
        break;
    }
  }
}

void sdlWait(uint64_t untilMs) {
  handleExitSignal();
  uint64_t now = sdlNowMs();
  int timeout = untilMs == UINT64_MAX ? 100 : untilMs > now ? static_cast<int>(untilMs - now) : 0;
  // Wake at least every 100 ms so a pending signal is seen.
  if (timeout > 100) timeout = 100;
  SDL_WaitEventTimeout(nullptr, timeout);
}

bool createNative(std::string* why) {
  Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN | SDL_WINDOW_BORDERLESS;
  g_sdlWindow = SDL_CreateWindow(g_title.c_str(), g_windowX, g_windowY, g_windowWidth, g_windowHeight, flags);
  if (!g_sdlWindow) {
    if (why) *why = std::string("no OpenGL window: ") + SDL_GetError();
    return false;
  }
  return true;
}

bool sdlCreateWindow(int x, int y, int width, int height, const char* title, std::string* why) {
  static bool handlersInstalled = false;
  if (!handlersInstalled) {
    platformInstallExitHandlers();
    handlersInstalled = true;
  }
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    *why = std::string("no display: ") + SDL_GetError();
    return false;
  }
  // SDL falls back to drivers that show nothing; a live show without a display is an error.
  const char* driver = SDL_GetCurrentVideoDriver();
  if (driver && (SDL_strcmp(driver, "offscreen") == 0 || SDL_strcmp(driver, "dummy") == 0)) {
    *why = std::string("no display (only SDL's \"") + driver + "\" video driver is available)";
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return false;
  }
  if (SDL_GL_LoadLibrary(nullptr) != 0) {
    *why = std::string("no OpenGL: ") + SDL_GetError();
    return false;
  }
  g_windowX = x;
  g_windowY = y;
  g_windowWidth = width;
  g_windowHeight = height;
  g_title = title;
  // The double-buffered RGB format with a depth and stencil buffer; SetPixelFormat refines it.
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 1);
  if (!createNative(why)) return false;
  g_platformShowsBoxes = true;
  return true;
}

void sdlShowWindow() {
  if (!g_sdlWindow) return;
  SDL_ShowWindow(g_sdlWindow);
  if (g_fullscreenWanted) applyFullscreen(true);
  SDL_RaiseWindow(g_sdlWindow);
}

void sdlDestroyWindow() {
  applyFullscreen(false);
  if (g_sdlContext) {
    SDL_GL_DeleteContext(g_sdlContext);
    g_sdlContext = nullptr;
  }
  if (g_sdlWindow) SDL_DestroyWindow(g_sdlWindow);
  g_sdlWindow = nullptr;
  g_platformShowsBoxes = false;
}

// The visual is fixed when the native window is made, so the still hidden window is made again
// with the descriptor's buffers (colour bits are a minimum; 16 means 5-6-5).
bool sdlSetPixelFormat(const PIXELFORMATDESCRIPTOR* pfd) {
  if (g_sdlContext) return FALSE;
  int colour = pfd->cColorBits >= 24 ? 8 : pfd->cColorBits >= 16 ? 5 : 0;
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, colour);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, colour == 5 ? 6 : colour);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, colour);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, (pfd->dwFlags & PFD_DOUBLEBUFFER) ? 1 : 0);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, pfd->cDepthBits);
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, pfd->cStencilBits);
  if (g_sdlWindow) SDL_DestroyWindow(g_sdlWindow);
  g_sdlWindow = nullptr;
  std::string why;
  if (!createNative(&why)) {
    std::fprintf(stderr, "SetPixelFormat: %s\n", why.c_str());
    return FALSE;
  }
  return TRUE;
}

bool sdlCreateContext() {
  if (!g_sdlWindow) return false;
  // A compatibility context: the show is OpenGL 1.1 immediate mode.
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, 0);
  g_sdlContext = SDL_GL_CreateContext(g_sdlWindow);
  if (!g_sdlContext) {
    std::fprintf(stderr, "wglCreateContext: %s\n", SDL_GetError());
    return false;
  }
  SDL_GL_MakeCurrent(g_sdlWindow, nullptr);
  SDL_GL_SetSwapInterval(0);  // the 40 ms timer paces frames
  return true;
}

bool sdlMakeCurrent(bool current) {
  if (!current) return SDL_GL_MakeCurrent(g_sdlWindow, nullptr) == 0;
  return g_sdlContext && SDL_GL_MakeCurrent(g_sdlWindow, g_sdlContext) == 0;
}

void sdlDeleteContext() {
  if (g_sdlContext) SDL_GL_DeleteContext(g_sdlContext);
  g_sdlContext = nullptr;
}

bool sdlSwapBuffers() {
  handleExitSignal();
  if (!g_sdlWindow || !g_sdlContext) return false;
  SDL_GL_SwapWindow(g_sdlWindow);
  return true;
}

LONG sdlChangeDisplayMode(const DEVMODEA* mode) {
  if (!mode) {
    g_fullscreenWanted = false;
    applyFullscreen(false);
    return DISP_CHANGE_SUCCESSFUL;
  }
  if (g_windowed) return DISP_CHANGE_SUCCESSFUL;
  g_fullscreenWanted = true;
  if (g_sdlWindow && (SDL_GetWindowFlags(g_sdlWindow) & SDL_WINDOW_SHOWN)) applyFullscreen(true);
  return DISP_CHANGE_SUCCESSFUL;
}

void sdlShowCursor(bool visible) {
  g_cursorVisible = visible;
  SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
}
}  // namespace

void platformRestoreDisplay() { applyFullscreen(false); }

void platformInstallExitHandlers() {
  std::atexit(atExitRestore);
  std::signal(SIGINT, onExitSignal);
  std::signal(SIGTERM, onExitSignal);
}

void sdlBackendSetWindowed(bool windowed) { g_windowed = windowed; }

const NativeBackend g_sdlBackend = {
    "sdl2",           sdlNowMs,          sdlWait,         sdlPumpEvents,    sdlCreateWindow,
    sdlShowWindow,    sdlDestroyWindow,  sdlSetPixelFormat, sdlCreateContext, sdlMakeCurrent,
    sdlDeleteContext, sdlSwapBuffers,    sdlChangeDisplayMode, sdlShowCursor, nullptr,
};
