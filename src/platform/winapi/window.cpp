// Common Win32 layer: window class, the one window, its message queue and timer.
// Supports: one registered class per name, one window at a time, the ordering the show relies
// on (WM_CREATE and WM_SIZE inside CreateWindowExA, UpdateWindow painting at once, ValidateRect
// discarding a pending paint, posted messages first, then WM_QUIT, then WM_PAINT, then WM_TIMER,
// so ticks merge instead of piling up), calls on a destroyed window failing without effect;
// DefWindowProcA turning Alt+F4 (WM_SYSKEYDOWN) into WM_SYSCOMMAND SC_CLOSE and that into
// WM_CLOSE, which destroys the window.
// Does not support: child windows, several timers, message filters, sent messages across threads.
// Depends on the native backend chosen by the process entry (default_backend_*.cpp: the one it
// starts with).
#include <time.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <deque>
#include <map>
#include <string>

#include "platform/winapi/backend.h"
#include "platform/winapi/gdi_objects.h"

namespace {
struct Window {
  WNDPROC proc = nullptr;
  bool alive = false;
  bool visible = false;
  bool invalid = false;
  bool timerSet = false;
  UINT_PTR timerId = 0;
  UINT timerInterval = 0;
  uint64_t timerDue = 0;
  GdiDc dc;
};

Window g_window;
std::map<std::string, WNDCLASSA> g_classes;
std::deque<MSG> g_posted;
bool g_quitPending = false;
int g_quitCode = 0;
int g_cursorCount = 0;
double g_firstPaintSeconds = 0.0;

HWND handleOf(Window* window) { return reinterpret_cast<HWND>(window); }

Window* liveWindow(HWND hwnd) {
  if (hwnd != handleOf(&g_window) || !g_window.alive) return nullptr;
  return &g_window;
}

// Calls the window procedure; paints are timed for the benchmark and the start-up measure.
LRESULT callProc(Window* window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_PAINT) return window->proc(handleOf(window), message, wParam, lParam);
  double start = platformWallSeconds();
  double cpuStart = platformCpuSeconds();
  LRESULT result = window->proc(handleOf(window), message, wParam, lParam);
  double end = platformWallSeconds();
  double cpuEnd = platformCpuSeconds();
  if (g_firstPaintSeconds == 0.0) g_firstPaintSeconds = end;
  if (g_nativeBackend->afterPaint) g_nativeBackend->afterPaint((end - start) * 1000.0, (cpuEnd - cpuStart) * 1000.0);
  return result;
}

void fill(MSG* message, HWND hwnd, UINT id, WPARAM wParam, LPARAM lParam) {
  std::memset(message, 0, sizeof(*message));
  message->hwnd = hwnd;
  message->message = id;
  message->wParam = wParam;
  message->lParam = lParam;
  message->time = static_cast<DWORD>(g_nativeBackend->nowMs());
}
}  // namespace

double platformWallSeconds() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

// CPU time of the whole process, the renderer's worker threads included; 0 where the system
// keeps none (the browser).
double platformCpuSeconds() {
  timespec now{};
  if (clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now) != 0) return 0.0;
  return static_cast<double>(now.tv_sec) + now.tv_nsec * 1e-9;
}

double platformFirstPaintSeconds() { return g_firstPaintSeconds; }

GdiDc* platformWindowDc(HWND hwnd) {
  Window* window = liveWindow(hwnd);
  return window ? &window->dc : nullptr;
}

bool platformWindowAlive(HWND hwnd) { return liveWindow(hwnd) != nullptr; }

ATOM RegisterClassA(const WNDCLASSA* windowClass) {
  if (!windowClass || !windowClass->lpszClassName || !windowClass->lpfnWndProc) return 0;
  if (g_classes.count(windowClass->lpszClassName)) return 0;
  g_classes[windowClass->lpszClassName] = *windowClass;
  return static_cast<ATOM>(g_classes.size());
}

HWND CreateWindowExA(DWORD, LPCSTR className, LPCSTR windowName, DWORD, int x, int y, int width, int height,
                     HWND, HMENU, HINSTANCE, void*) {
  auto found = className ? g_classes.find(className) : g_classes.end();
  if (found == g_classes.end()) {
    std::fprintf(stderr, "CreateWindowExA: window class \"%s\" is not registered\n", className ? className : "");
    return nullptr;
  }
  if (g_window.alive) {
    std::fprintf(stderr, "CreateWindowExA: only one window is supported\n");
    return nullptr;
  }
  std::string why;
  if (!g_nativeBackend->createWindow(x, y, width, height, windowName ? windowName : "", &why)) {
    std::fprintf(stderr, "CreateWindowExA: %s\n", why.c_str());
    return nullptr;
  }
  g_window = Window();
  g_window.proc = found->second.lpfnWndProc;
  g_window.alive = true;
  g_window.dc.window = handleOf(&g_window);
  HWND hwnd = handleOf(&g_window);
  // A window procedure that fails WM_CREATE (-1) fails the creation, as on Windows.
  if (callProc(&g_window, WM_CREATE, 0, 0) == -1) {
    DestroyWindow(hwnd);
    return nullptr;
  }
  if (g_window.alive) callProc(&g_window, WM_SIZE, 0, MAKELPARAM(width, height));
  return g_window.alive ? hwnd : nullptr;
}

BOOL DestroyWindow(HWND hwnd) {
  Window* window = liveWindow(hwnd);
  if (!window) return FALSE;
  callProc(window, WM_DESTROY, 0, 0);
  window->alive = false;
  window->visible = false;
  window->invalid = false;
  window->timerSet = false;
  g_nativeBackend->destroyWindow();
  return TRUE;
}

// Returns whether the window was visible before; a newly shown window is wholly invalid.
BOOL ShowWindow(HWND hwnd, int) {
  Window* window = liveWindow(hwnd);
  if (!window) return FALSE;
  BOOL wasVisible = window->visible;
  if (!window->visible) {
    g_nativeBackend->showWindow();
    window->visible = true;
    window->invalid = true;
  }
  return wasVisible;
}

BOOL UpdateWindow(HWND hwnd) {
  Window* window = liveWindow(hwnd);
  if (!window) return FALSE;
  if (window->visible && window->invalid) callProc(window, WM_PAINT, 0, 0);
  return TRUE;
}

HWND SetFocus(HWND hwnd) { return liveWindow(hwnd) ? hwnd : nullptr; }

int ShowCursor(BOOL show) {
  g_cursorCount += show ? 1 : -1;
  g_nativeBackend->showCursor(g_cursorCount >= 0);
  return g_cursorCount;
}

BOOL InvalidateRect(HWND hwnd, const RECT*, BOOL) {
  Window* window = liveWindow(hwnd);
  if (!window) return FALSE;
  window->invalid = true;
  return TRUE;
}

BOOL ValidateRect(HWND hwnd, const RECT*) {
  Window* window = liveWindow(hwnd);
  if (!window) return FALSE;
  window->invalid = false;
  return TRUE;
}

BOOL GetMessageA(MSG* message, HWND, UINT, UINT) {
  for (;;) {
    g_nativeBackend->pumpEvents(handleOf(&g_window));
    if (!g_posted.empty()) {
      *message = g_posted.front();
      g_posted.pop_front();
      return TRUE;
    }
    if (g_quitPending) {
      g_quitPending = false;
      fill(message, nullptr, WM_QUIT, static_cast<WPARAM>(g_quitCode), 0);
      return FALSE;
    }
    // Paint and timer are generated only when nothing else is queued, paint first.
    if (g_window.alive && g_window.visible && g_window.invalid) {
      fill(message, handleOf(&g_window), WM_PAINT, 0, 0);
      return TRUE;
    }
    uint64_t now = g_nativeBackend->nowMs();
    if (g_window.alive && g_window.timerSet && now >= g_window.timerDue) {
      // Due ticks collapse into this one; the next falls one interval from now.
      g_window.timerDue = now + g_window.timerInterval;
      fill(message, handleOf(&g_window), WM_TIMER, g_window.timerId, 0);
      return TRUE;
    }
    g_nativeBackend->wait(g_window.alive && g_window.timerSet ? g_window.timerDue : UINT64_MAX);
  }
}

BOOL TranslateMessage(const MSG*) { return FALSE; }

LRESULT DispatchMessageA(const MSG* message) {
  if (!message) return 0;
  Window* window = liveWindow(message->hwnd);
  if (!window) return 0;
  return callProc(window, message->message, message->wParam, message->lParam);
}

void PostQuitMessage(int exitCode) {
  g_quitPending = true;
  g_quitCode = exitCode;
}

// Used by the backends to queue input for the window.
void platformPostMessage(HWND hwnd, UINT id, WPARAM wParam, LPARAM lParam) {
  MSG message;
  fill(&message, hwnd, id, wParam, lParam);
  g_posted.push_back(message);
}

LRESULT DefWindowProcA(HWND hwnd, UINT message, WPARAM wParam, LPARAM) {
  // Alt+F4 asks the window to close through its system command, as on Windows.
  if (message == WM_SYSKEYDOWN && wParam == VK_F4) {
    if (liveWindow(hwnd)) callProc(&g_window, WM_SYSCOMMAND, SC_CLOSE, 0);
    return 0;
  }
  // A close request (the only system command with an effect here) closes the window.
  if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_CLOSE) {
    if (liveWindow(hwnd)) callProc(&g_window, WM_CLOSE, 0, 0);
    return 0;
  }
  if (message == WM_CLOSE) DestroyWindow(hwnd);
  return 0;
}

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC) {
  Window* window = liveWindow(hwnd);
  if (!window) return 0;
  window->timerSet = true;
  window->timerId = id;
  window->timerInterval = elapse;
  window->timerDue = g_nativeBackend->nowMs() + elapse;
  return id ? id : 1;
}

LONG ChangeDisplaySettingsA(DEVMODEA* mode, DWORD) { return g_nativeBackend->changeDisplayMode(mode); }

HICON LoadIconA(HINSTANCE, LPCSTR) { return reinterpret_cast<HICON>(1); }
HCURSOR LoadCursorA(HINSTANCE, LPCSTR) { return reinterpret_cast<HCURSOR>(1); }

HDC GetDC(HWND hwnd) {
  GdiDc* dc = platformWindowDc(hwnd);
  return dc ? toHdc(dc) : nullptr;
}

// The window's own DC stays valid (CS_OWNDC); releasing it has no effect.
int ReleaseDC(HWND hwnd, HDC hdc) { return platformWindowDc(hwnd) == toDc(hdc) && hdc ? 1 : 0; }

int ChoosePixelFormat(HDC hdc, const PIXELFORMATDESCRIPTOR* descriptor) {
  GdiDc* dc = toDc(hdc);
  return dc && descriptor && platformWindowAlive(dc->window) ? 1 : 0;
}

BOOL SetPixelFormat(HDC hdc, int format, const PIXELFORMATDESCRIPTOR* descriptor) {
  GdiDc* dc = toDc(hdc);
  if (!dc || format != 1 || !descriptor || !platformWindowAlive(dc->window)) return FALSE;
  return g_nativeBackend->setPixelFormat(descriptor);
}

BOOL SwapBuffers(HDC hdc) {
  GdiDc* dc = toDc(hdc);
  if (!dc || !platformWindowAlive(dc->window)) return FALSE;
  return g_nativeBackend->swapBuffers();
}

// One context for the one window; its handle is a token.
namespace {
bool g_contextExists = false;
HGLRC contextHandle() { return reinterpret_cast<HGLRC>(&g_contextExists); }
}  // namespace

HGLRC wglCreateContext(HDC hdc) {
  GdiDc* dc = toDc(hdc);
  if (!dc || !platformWindowAlive(dc->window) || g_contextExists) return nullptr;
  if (!g_nativeBackend->createContext()) return nullptr;
  g_contextExists = true;
  return contextHandle();
}

BOOL wglMakeCurrent(HDC hdc, HGLRC hglrc) {
  if (!hglrc) return g_contextExists ? g_nativeBackend->makeCurrent(false) : TRUE;
  GdiDc* dc = toDc(hdc);
  if (hglrc != contextHandle() || !g_contextExists || !dc || !platformWindowAlive(dc->window)) return FALSE;
  return g_nativeBackend->makeCurrent(true);
}

BOOL wglDeleteContext(HGLRC hglrc) {
  if (hglrc != contextHandle() || !g_contextExists) return FALSE;
  g_nativeBackend->deleteContext();
  g_contextExists = false;
  return TRUE;
}
