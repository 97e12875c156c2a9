// Live backend over SDL2: a real window with an OpenGL context, keyboard input, the 640x480
// full screen, the cursor and real message boxes.
// The 640x480 full screen the show asks for is by default given without changing the display's
// mode: a borderless window over the whole screen at the desktop's resolution, the show's frame
// drawn into a framebuffer of ours and scaled onto it at each swap (present_linux.cpp); nothing is
// left to restore if the process dies. On request the display's mode really is switched
// (--mode-switch, with every guarantee below), or the show plays in a normal window that the
// window manager moves and resizes, the picture scaled in it, the cursor shown, and the close
// button ending the show like Escape (--windowed). A live start part-way (--from) runs the
// frames before it against virtual time with nothing rasterised, showing the loading picture,
// then plays the music from there.
// Supports: one window; keys as WM_KEYDOWN with Windows virtual-key codes (Escape, Return,
// Space, Tab, Backspace, F1-F12, letters and digits; a key whose symbol is no letter or digit
// of ours, such as a Czech or Romanian letter, by its position; any other key with no code,
// never as Escape); keys pressed with Alt as WM_SYSKEYDOWN, so Alt+Escape does nothing and
// Alt+F4 reaches the window as a close request through DefWindowProcA; a window-manager close
// as WM_SYSCOMMAND SC_CLOSE; an expose as an invalidation; vertical sync off (the 40 ms timer
// paces frames); message boxes standing above the window, with the desktop's mode while they
// are open; the mode switch undone on every way out of the process: normal end, Escape, a
// fatal data error, exit() from a library, and SIGINT or SIGTERM at any moment (in the message
// loop the main thread restores the mode and ends the process; while it loads content or a box
// is open, a watcher thread does so within a second; later signals change nothing); a lost
// display connection ends the process with a line on standard error and status 1; processes
// forked by SDL (its box) end with the show.
// Does not support: mouse input, several windows, key repeat counts in lParam.
// Depends on SDL2 video (X11 or Wayland), Xlib (thread-safe calls, the I/O error handler) and
// an OpenGL driver for the window (GLX/EGL via Mesa).
#include <GL/gl.h>
#include <SDL.h>
#include <X11/Xlib.h>
#include <fcntl.h>
#include <pthread.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/gl/picture_scale.h"
#include "platform/time/virtual_time.h"
#include "platform/winapi/present.h"
#include "platform/winapi/sdl_backend.h"

namespace {
SDL_Window* g_sdlWindow = nullptr;
SDL_GLContext g_sdlContext = nullptr;
bool g_videoUp = false;
bool g_windowed = false;
LiveOptions g_live;
bool g_endedByUser = false;  // Escape, or the close button of the window
// Live start part-way: until the frame at g_startMs the clock is virtual and nothing is drawn.
bool g_fastForward = false;
int g_startMs = 0;
int g_virtualNowMs = 0;
uint64_t g_releasedAtTicks = 0;  // SDL ticks when the music started at g_startMs
bool g_startReported = false;
bool g_fullscreenWanted = false;  // a mode switch was asked for (applied once the window exists)
bool g_fullscreenActive = false;
bool g_swapIntervalSet = false;
int g_windowX = 0, g_windowY = 0, g_windowWidth = 640, g_windowHeight = 480;
std::string g_title;
std::mutex g_modeLock;  // the main thread and the signal watcher both switch the mode back

volatile std::sig_atomic_t g_exitSignal = 0;
int g_signalPipe[2] = {-1, -1};

// While fast-forwarding, the virtual music time; afterwards the clock continues from it.
uint64_t sdlNowMs() {
  if (g_fastForward) return static_cast<uint64_t>(g_virtualNowMs);
  if (g_startMs > 0) return static_cast<uint64_t>(g_startMs) + (SDL_GetTicks64() - g_releasedAtTicks);
  return SDL_GetTicks64();
}

bool desktopFullscreen() { return !g_live.modeSwitch && !g_windowed; }

void applyFullscreen(bool on) {
  std::lock_guard<std::mutex> hold(g_modeLock);
  // Once the process is ending by a signal the mode only goes back.
  if (!g_sdlWindow || on == g_fullscreenActive || (on && g_exitSignal)) return;
  if (on && desktopFullscreen()) {
    if (SDL_SetWindowFullscreen(g_sdlWindow, SDL_WINDOW_FULLSCREEN_DESKTOP) == 0) g_fullscreenActive = true;
  } else if (on) {
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

// The first SIGINT or SIGTERM is remembered and wakes the watcher; later ones change nothing,
// so no sequence of signals can end the process before the mode is back.
void onExitSignal(int signal) {
  if (g_exitSignal) return;
  g_exitSignal = signal;
  alarm(1);  // whatever holds the restore up, the process ends within a second
  char byte = 1;
  ssize_t ignored = write(g_signalPipe[1], &byte, 1);
  (void)ignored;
}

[[noreturn]] void endBySignal(int signal) {
  std::signal(signal, SIG_DFL);
  std::raise(signal);
  _exit(128 + signal);
}

// On the main thread, wherever it waits for messages or swaps.
void handleExitSignal() {
  int signal = g_exitSignal;
  if (!signal) return;
  platformRestoreDisplay();
  endBySignal(signal);
}

// The main thread answers a signal within about 100 ms while the message loop runs; loading
// content or showing a box it does not look, so after a moment this thread ends the process.
void watchSignals() {
  char byte;
  while (!g_exitSignal) {
    if (read(g_signalPipe[0], &byte, 1) < 0 && errno != EINTR) return;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  platformRestoreDisplay();
  endBySignal(g_exitSignal);
}

// Without its display the process can do nothing more: say so and end at once (Xlib's own
// handler calls exit(), whose handlers would then wait on the dead connection).
int onDisplayLost(Display*) {
  static const char line[] = "kelvo-strand: the connection to the display was lost\n";
  ssize_t ignored = write(2, line, sizeof line - 1);
  (void)ignored;
  _exit(1);
}

// SDL shows a box in a child process of its own: it must not outlive the show (a box left on
// screen by a process that ended on a signal).
pid_t g_showPid = 0;
void dieWithTheShow() {
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  if (getppid() != g_showPid) _exit(1);
  // Its signals are its own: the show's handler would wake the show's watcher.
  std::signal(SIGINT, SIG_DFL);
  std::signal(SIGTERM, SIG_DFL);
}

// At exit (normal end, a data error, exit() from a library): the mode first, then SDL's own
// clean-up (the audio thread, the window).
void atExitRestore() {
  platformRestoreDisplay();
  SDL_Quit();
}

WPARAM virtualKey(SDL_Keycode key, SDL_Scancode position) {
  switch (key) {
    case SDLK_ESCAPE: return VK_ESCAPE;
    case SDLK_RETURN: return VK_RETURN;
    case SDLK_SPACE: return VK_SPACE;
    case SDLK_TAB: return VK_TAB;
    case SDLK_BACKSPACE: return VK_BACK;
    default: break;
  }
  if (key >= SDLK_a && key <= SDLK_z) return static_cast<WPARAM>('A' + (key - SDLK_a));
  if (key >= SDLK_0 && key <= SDLK_9) return static_cast<WPARAM>(key);
  if (key >= SDLK_F1 && key <= SDLK_F12) return static_cast<WPARAM>(VK_F1 + (key - SDLK_F1));
  // A letter of another alphabet (SDL gives its code point) or a symbol: the key's position.
  if (position >= SDL_SCANCODE_A && position <= SDL_SCANCODE_Z)
    return static_cast<WPARAM>('A' + (position - SDL_SCANCODE_A));
  if (position >= SDL_SCANCODE_1 && position <= SDL_SCANCODE_9)
    return static_cast<WPARAM>('1' + (position - SDL_SCANCODE_1));
  if (position == SDL_SCANCODE_0) return '0';
  return 0;  // no virtual-key code: nothing the window procedure acts on
}

void sdlPumpEvents(HWND hwnd) {
  handleExitSignal();
  SDL_Event event;
  while (SDL_PollEvent(&event)) {
    switch (event.type) {
      case SDL_KEYDOWN: {
        UINT message;
        WPARAM key;
        sdlKeyMessage(event.key.keysym.sym, event.key.keysym.scancode, event.key.keysym.mod, &message, &key);
        platformPostMessage(hwnd, message, key, 1);
        if (message == WM_KEYDOWN && key == VK_ESCAPE) g_endedByUser = true;
        break;
      }
      case SDL_QUIT:
        platformPostMessage(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
        break;
      case SDL_WINDOWEVENT:
        // In a window of its own the close button ends the show as Escape does.
        if (event.window.event == SDL_WINDOWEVENT_CLOSE && g_windowed) {
          platformPostMessage(hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
          g_endedByUser = true;
        } else if (event.window.event == SDL_WINDOWEVENT_CLOSE) {
          platformPostMessage(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
        }
        // A repaint while fast-forwarding would be a frame more than a whole run draws.
        if (event.window.event == SDL_WINDOWEVENT_EXPOSED && !g_fastForward) InvalidateRect(hwnd, nullptr, FALSE);
        break;
      default:
        break;
    }
  }
}

// Rasterisation on or off while fast-forwarding: an empty scissor (picture_scale.h), and the
// primitives dropped before rasterisation too, which spares a software renderer some of the
// fast-forward's CPU time (a tenth or so; a live start waits on the cores it gets). Neither is
// a state the show reads, and both are lifted before the first frame is drawn.
void setRasterDiscard(bool discard) {
  if (!g_sdlContext) return;
  pictureScaleDiscard(discard);
  static const bool hasDiscard = [] {  // OpenGL 3.0 and later
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    return version && std::atoi(version) >= 3;
  }();
  if (!hasDiscard) return;
  if (discard) glEnable(GL_RASTERIZER_DISCARD);
  else glDisable(GL_RASTERIZER_DISCARD);
}

// The frame at the start time falls due: the music starts there and the clock turns real.
void endFastForward(uint64_t untilMs) {
  g_fastForward = false;
  setRasterDiscard(false);
  g_startMs = static_cast<int>(untilMs);
  virtualTimeSetMs(g_startMs);
  g_releasedAtTicks = SDL_GetTicks64();
  virtualTimeReleaseLive();
}

void sdlWait(uint64_t untilMs) {
  handleExitSignal();
  if (g_fastForward && untilMs != UINT64_MAX) {
    if (static_cast<int64_t>(untilMs) >= static_cast<int64_t>(g_live.fromSeconds * 1000.0 + 0.5)) {
      endFastForward(untilMs);
      return;
    }
    g_virtualNowMs = static_cast<int>(untilMs);
    virtualTimeSetMs(g_virtualNowMs);
    setRasterDiscard(true);
    return;
  }
  uint64_t now = sdlNowMs();
  int timeout = untilMs == UINT64_MAX ? 100 : untilMs > now ? static_cast<int>(untilMs - now) : 0;
  // Wake at least every 100 ms so a pending signal is seen.
  if (timeout > 100) timeout = 100;
  SDL_WaitEventTimeout(nullptr, timeout);
}

// A window of its own starts at the show's size times the largest whole factor that leaves a
// tenth of the desktop's usable area free, centred.
int windowedFactor() {
  SDL_Rect usable;
  if (SDL_GetDisplayUsableBounds(0, &usable) != 0) return 1;
  int factor = std::min(usable.w * 9 / 10 / g_windowWidth, usable.h * 9 / 10 / g_windowHeight);
  return factor < 1 ? 1 : factor;
}

bool createNative(std::string* why) {
  Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN | SDL_WINDOW_BORDERLESS;
  int x = g_windowX, y = g_windowY, width = g_windowWidth, height = g_windowHeight;
  SDL_Rect screen;
  if (g_windowed) {
    flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE;
    int factor = windowedFactor();
    width *= factor;
    height *= factor;
    x = y = SDL_WINDOWPOS_CENTERED;
  } else if (desktopFullscreen() && SDL_GetDisplayBounds(0, &screen) == 0) {
    // Covering the screen already, so that it does so even without a window manager.
    x = screen.x;
    y = screen.y;
    width = screen.w;
    height = screen.h;
  }
  g_sdlWindow = SDL_CreateWindow(g_title.c_str(), x, y, width, height, flags);
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
  // The signal watcher may switch the mode back while the main thread is inside Xlib.
  XInitThreads();
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
  XSetIOErrorHandler(onDisplayLost);
  g_videoUp = true;
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
  return createNative(why);
}

void sdlShowWindow() {
  if (!g_sdlWindow) return;
  SDL_ShowWindow(g_sdlWindow);
  if (g_fullscreenWanted) applyFullscreen(true);
  SDL_RaiseWindow(g_sdlWindow);
}

void reportPresentTiming();

void sdlDestroyWindow() {
  reportPresentTiming();
  applyFullscreen(false);
  if (g_sdlContext) {
    SDL_GL_DeleteContext(g_sdlContext);
    g_sdlContext = nullptr;
  }
  std::lock_guard<std::mutex> hold(g_modeLock);
  if (g_sdlWindow) SDL_DestroyWindow(g_sdlWindow);
  g_sdlWindow = nullptr;
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
  std::lock_guard<std::mutex> hold(g_modeLock);
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
  return true;
}

// KS_PRESENT_TIMING=1 measures the presentation alone: the frame is finished first, then the
// scaled copy and the swap are timed, and a summary goes to standard error at the end.
std::vector<double> g_presentMs, g_presentCpuMs;
bool g_timePresent = false;
int g_presentWidth = 0, g_presentHeight = 0;

void reportPresentTiming() {
  if (g_presentMs.empty()) return;
  for (std::vector<double>* costs : {&g_presentMs, &g_presentCpuMs}) {
    std::vector<double> sorted = *costs;
    std::sort(sorted.begin(), sorted.end());
    double sum = 0.0;
    for (double ms : sorted) sum += ms;
    std::fprintf(stderr, "present: %zu frames onto %dx%d, %s mean %.2f ms, p50 %.2f ms, p95 %.2f ms, max %.2f ms\n",
                 sorted.size(), g_presentWidth, g_presentHeight, costs == &g_presentMs ? "wall" : "CPU",
                 sum / sorted.size(), sorted[sorted.size() / 2],
                 sorted[static_cast<size_t>(0.95 * (sorted.size() - 1) + 0.5)], sorted.back());
    costs->clear();
  }
}

// Shows the frame's framebuffer on the window, scaled, and draws into the frame again.
void presentNow() {
  int width = 0, height = 0;
  SDL_GL_GetDrawableSize(g_sdlWindow, &width, &height);
  double start = 0.0, cpuStart = 0.0;
  if (g_timePresent) {
    glFinish();
    start = platformWallSeconds();
    cpuStart = platformCpuSeconds();
  }
  presentToWindow(width, height);
  SDL_GL_SwapWindow(g_sdlWindow);
  presentRebind();
  if (g_timePresent) {
    glFinish();
    g_presentMs.push_back((platformWallSeconds() - start) * 1000.0);
    g_presentCpuMs.push_back((platformCpuSeconds() - cpuStart) * 1000.0);
    g_presentWidth = width;
    g_presentHeight = height;
  }
}

bool sdlMakeCurrent(bool current) {
  if (!current) {
    if (presentActive() && SDL_GL_GetCurrentContext() == g_sdlContext) presentEnd();
    return SDL_GL_MakeCurrent(g_sdlWindow, nullptr) == 0;
  }
  if (!g_sdlContext || SDL_GL_MakeCurrent(g_sdlWindow, g_sdlContext) != 0) return false;
  // The show draws its frame at the size it asked for into our framebuffer, or, with
  // fullResolution, at the size its picture fills on the screen, its viewports scaled to it.
  if (!presentActive()) {
    int frameWidth = g_windowWidth, frameHeight = g_windowHeight;
    if (g_live.fullResolution) {
      int outWidth = 0, outHeight = 0;
      SDL_GL_GetDrawableSize(g_sdlWindow, &outWidth, &outHeight);
      PresentRect fit = presentFitRect(g_windowWidth, g_windowHeight, outWidth, outHeight, g_live.integerScaling);
      if (pictureScaleSetTarget(fit.width, fit.height)) {
        frameWidth = fit.width;
        frameHeight = fit.height;
      }
    }
    if (presentBegin(frameWidth, frameHeight, SDL_GL_GetProcAddress)) {
      presentSetIntegerScaling(g_live.integerScaling);
      presentSetShowNow(presentNow);
      pictureScaleApply();
    } else {
      pictureScaleSetTarget(g_windowWidth, g_windowHeight);  // the window itself: unscaled
    }
  }
  // The 40 ms timer paces frames: a swap must not wait for the screen's refresh. The interval
  // belongs to the current context, so it is set once the context is first current.
  if (!g_swapIntervalSet) {
    g_swapIntervalSet = true;
    // Where the driver has no swap control (llvmpipe under Xvfb) swaps never waited anyway.
    if (SDL_GL_SetSwapInterval(0) != 0 && SDL_GL_GetSwapInterval() != 0)
      std::fprintf(stderr, "SwapBuffers: vertical sync cannot be turned off (%s); swaps wait for the screen\n",
                   SDL_GetError());
  }
  return true;
}

void sdlDeleteContext() {
  if (g_sdlContext) SDL_GL_DeleteContext(g_sdlContext);
  g_sdlContext = nullptr;
}

bool sdlSwapBuffers() {
  handleExitSignal();
  if (!g_sdlWindow || !g_sdlContext) return false;
  // Fast-forwarded frames are not shown: the loading picture stays until the start time.
  if (g_fastForward) return true;
  if (!presentActive()) {
    SDL_GL_SwapWindow(g_sdlWindow);
    return true;
  }
  presentNow();
  if (g_startMs > 0 && !g_startReported) {
    g_startReported = true;
    std::fprintf(stderr, "kelvo-strand: playing from %.2f s, shown %.1f s after the start\n", g_startMs * 0.001,
                 platformWallSeconds() - g_live.launchedSeconds);
  }
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

// In a window of its own the cursor stays: it is how a person moves and closes the window.
void sdlShowCursor(bool visible) { SDL_ShowCursor(visible || g_windowed ? SDL_ENABLE : SDL_DISABLE); }

// A box must be seen and answered: the desktop's mode while it is open, the box a dialog of the
// show's window (window managers keep it above), Return, Escape or its button closing it.
void sdlMessageBox(const char* caption, const char* text, UINT type) {
  if (!g_videoUp) return;
  bool wasFullscreen = g_fullscreenActive;
  applyFullscreen(false);
  Uint32 flags = (type & MB_ICONERROR) ? SDL_MESSAGEBOX_ERROR : SDL_MESSAGEBOX_INFORMATION;
  if (SDL_ShowSimpleMessageBox(flags, caption, text, g_sdlWindow) != 0)
    std::fprintf(stderr, "MessageBoxA: the box could not be shown (%s)\n", SDL_GetError());
  if (wasFullscreen && g_fullscreenWanted) applyFullscreen(true);
}
}  // namespace

void sdlKeyMessage(int32_t key, int32_t position, uint16_t modifiers, UINT* message, WPARAM* virtualKeyCode) {
  // With Alt (and not AltGr, which comes with Ctrl on Windows) keys are system keys.
  bool alt = (modifiers & KMOD_ALT) && !(modifiers & KMOD_CTRL);
  *message = alt ? WM_SYSKEYDOWN : WM_KEYDOWN;
  *virtualKeyCode = virtualKey(key, static_cast<SDL_Scancode>(position));
}

namespace {
// The directory on PATH that holds an executable `name`, or "".
std::string onPath(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/bin:/bin";
  for (size_t start = 0; start <= dirs.size();) {
    size_t end = std::min(dirs.find(':', start), dirs.size());
    std::string dir = end > start ? dirs.substr(start, end - start) : ".";
    if (access((dir + "/" + name).c_str(), X_OK) == 0) return dir;
    start = end + 1;
  }
  return "";
}

std::string realPath(const std::string& path) {
  char* real = realpath(path.c_str(), nullptr);
  if (!real) return "";
  std::string result = real;
  std::free(real);
  return result;
}

// How the person can start this program from where they typed the command: by name when PATH
// finds this very program, else its path from their working directory. The entry may already
// have entered the data's directory; the shell's PWD still names where the person is.
std::string commandFromHere() {
  char buffer[PATH_MAX];
  ssize_t length = readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
  if (length <= 0) return "kelvo-strand";
  std::string program(buffer, size_t(length));
  std::string dir = program.substr(0, program.rfind('/'));
  std::string name = program.substr(program.rfind('/') + 1);
  std::string found = onPath(name);
  if (!found.empty() && realPath(found + "/" + name) == program) return name;
  const char* pwd = std::getenv("PWD");
  std::string here = pwd && *pwd == '/' ? realPath(pwd) : "";
  if (here.empty()) here = realPath(".");
  if (dir == here) return "./" + name;
  if (!here.empty() && program.compare(0, here.size() + 1, here + "/") == 0) return program.substr(here.size() + 1);
  return program;
}
}  // namespace

bool sdlDisplayNamed(std::string* why) {
  if (std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY") || std::getenv("SDL_VIDEODRIVER")) return true;
  // What works with the program as it is: PNG frames always; a video only with ffmpeg.
  std::string command = commandFromHere();
  *why = "there is no display to play the show on (DISPLAY is not set); to watch it without one, capture it: ";
  if (!onPath("ffmpeg").empty()) {
    *why += command + " --capture show.mp4 (a video), or " + command + " --capture frames/ (PNG pictures)";
  } else {
    *why += command + " --capture frames/ (PNG pictures); a video (--capture show.mp4) needs ffmpeg: " +
            std::string(geteuid() == 0 ? "" : "sudo ") + "apt-get install ffmpeg";
  }
  return false;
}

void platformRestoreDisplay() { applyFullscreen(false); }

void platformInstallExitHandlers() {
  std::atexit(atExitRestore);
  g_showPid = getpid();
  pthread_atfork(nullptr, nullptr, dieWithTheShow);
  // Not inherited: --loop starts the show again by exec, which must not carry the old pipe on.
  if (pipe2(g_signalPipe, O_CLOEXEC) == 0) std::thread(watchSignals).detach();
  struct sigaction action = {};
  action.sa_handler = onExitSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

void sdlBackendConfigure(const LiveOptions& options) {
  g_live = options;
  const char* timing = std::getenv("KS_PRESENT_TIMING");
  g_timePresent = timing && *timing && *timing != '0';
  g_windowed = options.windowed;
  if (options.fromSeconds > 0.0) {
    g_fastForward = true;
    virtualTimeHoldLive();
  }
}

bool sdlBackendEndedByUser() { return g_endedByUser; }

void sdlBackendShutdown() { atExitRestore(); }

const NativeBackend g_sdlBackend = {
    "sdl2",           sdlNowMs,          sdlWait,         sdlPumpEvents,    sdlCreateWindow,
    sdlShowWindow,    sdlDestroyWindow,  sdlSetPixelFormat, sdlCreateContext, sdlMakeCurrent,
    sdlDeleteContext, sdlSwapBuffers,    sdlChangeDisplayMode, sdlShowCursor, nullptr,
    sdlMessageBox,
};
