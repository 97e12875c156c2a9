// Headless backend: the window is an offscreen 640x480 OpenGL context, there is no input and no
// display mode. With virtual time (capture and benchmark runs) the platform clock is the music
// position: whenever nothing else is queued the 40 ms timer falls due at once and the position
// moves to it, so frame N is drawn at N x 40 ms (frame 0 is the first paint, at 0). Without
// virtual time the clock is the wall clock (tests of the message ordering).
// Supports: capture of the frames within a time range after each buffer swap, as PNG files
// DIR/frame-NNNNN.png or as one video through ffmpeg with the music from the first written
// frame's time on (a range that ends before the show ends the run like Escape after its last
// frame, as does a frame that cannot be written); a progress line on stderr while capturing;
// the cost of each paint, summarised per window of the show's schedule.
// Does not support: input, cursors, a visible picture. Depends on offscreen.cpp (EGL), libpng
// and video_pipe.cpp (ffmpeg).
#include <GL/gl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "platform/offscreen.h"
#include "platform/video_pipe.h"
#include "platform/virtual_time.h"
#include "platform/win32_backend.h"

namespace {
HeadlessOptions g_options;
bool g_windowExists = false;
int g_width = 640, g_height = 480;
bool g_contextMade = false;
double g_runStartSeconds = 0.0;
double g_runEndSeconds = 0.0;
std::string g_rendererName;

struct FrameCost {
  int ms;  // music position of the frame
  double cost;     // wall-clock milliseconds
  double cpuCost;  // CPU milliseconds of the process (renderer threads included)
};
std::vector<FrameCost> g_costs;
bool g_paintedAny = false;
int g_lastPaintedMs = 0;
bool g_escapeSent = false;

// Capture state: frames written, a failed write (which ends the run), the progress line.
const double kShowEndSeconds = 233.0;  // the show's last frame is the last one at or before this
const char kMusicPath[] = "data/compilation.mp3";
int g_framesWritten = 0;
bool g_captureFailed = false;
double g_progressShownAt = 0.0;

bool capturing() { return !g_options.captureDir.empty() || !g_options.videoPath.empty(); }

// "capture: 1234 frames, show time 49.36 s of 233.00 s, 1:12 left", rewritten in place.
void showProgress(bool force) {
  double now = platformWallSeconds();
  if (!force && now - g_progressShownAt < 0.5) return;
  g_progressShownAt = now;
  double show = g_lastPaintedMs * 0.001;
  double end = std::min(g_options.toSeconds, kShowEndSeconds);
  double loopStart = g_costs.size() > 1 ? g_costs[1].ms * 0.001 : 0.0;
  double elapsed = now - g_runStartSeconds;
  double rate = elapsed > 0.0 && show > loopStart ? (show - loopStart) / elapsed : 0.0;
  std::fprintf(stderr, "\rcapture: %d frames, show time %.2f s of %.2f s", g_framesWritten, show, end);
  if (rate > 0.0) {
    int left = static_cast<int>(std::max(0.0, end - show) / rate + 0.5);
    std::fprintf(stderr, ", %d:%02d left (%.1fx real time)  ", left / 60, left % 60, rate);
  }
  std::fflush(stderr);
}

uint64_t headlessNowMs() {
  if (g_options.virtualTime) return static_cast<uint64_t>(virtualTimeMs());
  using namespace std::chrono;
  return static_cast<uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void headlessWait(uint64_t untilMs) {
  if (untilMs == UINT64_MAX) {
    // Nothing can ever arrive without input: end the loop instead of hanging.
    std::fprintf(stderr, "headless: no window and no timer left, ending the message loop\n");
    PostQuitMessage(1);
    return;
  }
  if (g_options.virtualTime) {
    virtualTimeSetMs(static_cast<int>(untilMs));
    return;
  }
  uint64_t now = headlessNowMs();
  if (untilMs > now) std::this_thread::sleep_for(std::chrono::milliseconds(untilMs - now));
}

// A capture that ends before the show does ends like Escape, once its last frame is drawn; so
// does one whose frame could not be written.
void headlessPumpEvents(HWND hwnd) {
  if (!g_options.virtualTime || !capturing() || g_escapeSent) return;
  bool rangeDone = g_options.toSeconds < 1e29 && g_paintedAny && (g_lastPaintedMs + 40) * 0.001 > g_options.toSeconds;
  if (rangeDone || g_captureFailed) {
    platformPostMessage(hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
    g_escapeSent = true;
  }
}

bool headlessCreateWindow(int, int, int width, int height, const char*, std::string*) {
  g_windowExists = true;
  g_width = width;
  g_height = height;
  return true;
}

void headlessShowWindow() {}

void headlessDestroyWindow() {
  g_windowExists = false;
  g_runEndSeconds = platformWallSeconds();
}

bool headlessSetPixelFormat(const PIXELFORMATDESCRIPTOR*) { return true; }

bool headlessCreateContext() {
  if (!offscreenCreate(g_width, g_height)) return false;
  // Named in the benchmark summary: the costs mean little without the renderer.
  const GLubyte* renderer = glGetString(GL_RENDERER);
  GLint red = 0, depth = 0;
  glGetIntegerv(GL_RED_BITS, &red);
  glGetIntegerv(GL_DEPTH_BITS, &depth);
  g_rendererName = std::string(renderer ? reinterpret_cast<const char*>(renderer) : "unknown") + ", " +
                   std::to_string(red) + " bits a channel, depth " + std::to_string(depth);
  offscreenMakeCurrent(false);
  g_contextMade = true;
  return true;
}

bool headlessMakeCurrent(bool current) { return g_contextMade && offscreenMakeCurrent(current); }

void headlessDeleteContext() {
  offscreenDestroy();
  g_contextMade = false;
}

bool headlessSwapBuffers() {
  if (!g_contextMade || !offscreenIsCurrent()) return false;
  glFinish();
  int ms = virtualTimeMs();
  double seconds = ms * 0.001;
  if (!capturing() || g_captureFailed || seconds < g_options.fromSeconds || seconds > g_options.toSeconds) return true;
  std::vector<unsigned char> rgb(static_cast<size_t>(g_width) * g_height * 3);
  offscreenReadRgb(rgb.data());
  bool written;
  if (!g_options.videoPath.empty()) {
    // The video starts at the first written frame, so the music starts at that frame's time.
    if (!videoPipeIsOpen() && !videoPipeOpen(g_options.videoPath, g_width, g_height, kMusicPath, seconds))
      written = false;
    else
      written = videoPipeWrite(rgb.data(), rgb.size());
  } else {
    char path[4096];
    std::snprintf(path, sizeof(path), "%s/frame-%05d.png", g_options.captureDir.c_str(), ms / 40);
    written = writePng(path, rgb.data(), g_width, g_height);
  }
  if (!written) {
    g_captureFailed = true;
    return false;
  }
  ++g_framesWritten;
  return true;
}

LONG headlessChangeDisplayMode(const DEVMODEA*) { return DISP_CHANGE_SUCCESSFUL; }
void headlessShowCursor(bool) {}

void headlessAfterPaint(double milliseconds, double cpuMilliseconds) {
  // The loop's pace is measured from the first timer frame on (frame 0 comes before loading).
  if (g_costs.size() == 1) g_runStartSeconds = platformWallSeconds() - milliseconds * 0.001;
  g_costs.push_back({virtualTimeMs(), milliseconds, cpuMilliseconds});
  g_paintedAny = true;
  g_lastPaintedMs = virtualTimeMs();
  if (capturing()) showProgress(false);
}

double percentile(std::vector<double> values, double p) {
  if (values.empty()) return 0.0;
  std::sort(values.begin(), values.end());
  size_t index = static_cast<size_t>(p * (values.size() - 1) + 0.5);
  return values[std::min(index, values.size() - 1)];
}

// The schedule's time windows, by music time in milliseconds (bounds as the schedule tests them).
struct BenchWindow {
  const char* name;
  bool (*contains)(double t);
};
const BenchWindow kWindows[] = {
    {"T<=0.1        clear only", [](double t) { return t <= 0.1; }},
    {"0.1<T<28      opening, panels", [](double t) { return t > 0.1 && t < 28.0; }},
    {"28<=T<=69     model room, side panels", [](double t) { return t >= 28.0 && t <= 69.0; }},
    {"65<T<=90      slab and kites", [](double t) { return t > 65.0 && t <= 90.0; }},
    {"126<T<=130    funnel burst", [](double t) { return t > 126.0 && t <= 130.0; }},
    {"90<T<128.5    clock hall", [](double t) { return t > 90.0 && t < 128.5; }},
    {"130<=T<=148   ring tube", [](double t) { return t >= 130.0 && t <= 148.0; }},
    {"148<T<=176    title board", [](double t) { return t > 148.0 && t <= 176.0; }},
    {"176<T<=193    water room", [](double t) { return t > 176.0 && t <= 193.0; }},
    {"193<T         water room, credits", [](double t) { return t > 193.0; }},
};
}  // namespace

void headlessBackendConfigure(const HeadlessOptions& options) { g_options = options; }

bool headlessBackendFinish() {
  if (!capturing()) return true;
  if (g_progressShownAt > 0.0) {
    showProgress(true);
    std::fputc('\n', stderr);
  }
  bool ok = !g_captureFailed;
  if (videoPipeIsOpen() && !videoPipeClose()) ok = false;
  if (ok && g_framesWritten == 0) {
    std::fprintf(stderr, "capture: no frame of the show falls in the range\n");
    ok = false;
  }
  return ok;
}

// Wall-clock columns say whether a frame fits its 40 ms; the CPU columns (all threads of the
// process) stay comparable when other programs share the machine.
void headlessBackendPrintBench() {
  std::vector<double> all, allCpu;
  for (const FrameCost& frame : g_costs) {
    all.push_back(frame.cost);
    allCpu.push_back(frame.cpuCost);
  }
  std::printf("%-38s %7s %8s %8s %8s %8s %8s %8s %8s\n", "window (music seconds)", "frames", "mean_ms", "p50_ms",
              "p95_ms", "max_ms", "cpu_p50", "cpu_p95", "cpu_max");
  for (const BenchWindow& window : kWindows) {
    std::vector<double> costs, cpuCosts;
    double sum = 0.0;
    for (const FrameCost& frame : g_costs)
      if (window.contains(frame.ms * 0.001)) {
        costs.push_back(frame.cost);
        cpuCosts.push_back(frame.cpuCost);
        sum += frame.cost;
      }
    if (costs.empty()) continue;
    std::printf("%-38s %7zu %8.3f %8.3f %8.3f %8.3f %8.3f %8.3f %8.3f\n", window.name, costs.size(),
                sum / costs.size(), percentile(costs, 0.5), percentile(costs, 0.95),
                *std::max_element(costs.begin(), costs.end()), percentile(cpuCosts, 0.5),
                percentile(cpuCosts, 0.95), *std::max_element(cpuCosts.begin(), cpuCosts.end()));
  }
  double showSeconds = g_costs.size() < 2 ? 0.0 : (g_costs.back().ms - g_costs[1].ms + 40) * 0.001;
  double end = g_runEndSeconds > 0.0 ? g_runEndSeconds : platformWallSeconds();
  double wall = end - g_runStartSeconds;
  std::printf("bench: frames=%zu p50_ms=%.3f p95_ms=%.3f max_ms=%.3f cpu_p50_ms=%.3f cpu_p95_ms=%.3f realtime=%.1f\n",
              g_costs.size(), percentile(all, 0.5), percentile(all, 0.95),
              all.empty() ? 0.0 : *std::max_element(all.begin(), all.end()), percentile(allCpu, 0.5),
              percentile(allCpu, 0.95), wall > 0.0 ? showSeconds / wall : 0.0);
  std::printf("bench: renderer %s\n", g_rendererName.c_str());
  std::fflush(stdout);
}

const NativeBackend g_headlessBackend = {
    "headless",           headlessNowMs,          headlessWait,          headlessPumpEvents,
    headlessCreateWindow, headlessShowWindow,     headlessDestroyWindow, headlessSetPixelFormat,
    headlessCreateContext, headlessMakeCurrent,   headlessDeleteContext, headlessSwapBuffers,
    headlessChangeDisplayMode, headlessShowCursor, headlessAfterPaint, nullptr,
};
