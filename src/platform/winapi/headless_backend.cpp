// Headless backend: the window is an offscreen 640x480 OpenGL context, there is no input and no
// display mode. With virtual time (capture and benchmark runs) the platform clock is the music
// position: whenever nothing else is queued the 40 ms timer falls due at once and the position
// moves to it, so frame N is drawn at N x 40 ms (frame 0 is the first paint, at 0). Without
// virtual time the clock is the wall clock (tests of the message ordering).
// Supports: capture of the frames within a time range after each buffer swap, as PNG files
// DIR/frame-NNNNN.png or as one video through ffmpeg with the music from the first written
// frame's time on, written by other threads while the next frames are drawn (a range that ends
// before the show ends the run like Escape after its last frame, as does a frame that cannot be
// written); fast-forward of the frames a capture does not write: they run in full (every
// animated value and the GL state advance as in a full run) with rasterisation discarded by an
// empty scissor box, which the show itself never sets; a progress line on stderr while
// capturing; the cost of each paint, summarised per window of the show's schedule.
// Does not support: input, cursors, a visible picture. Depends on offscreen.cpp (EGL),
// capture/writer.cpp (threads, libpng), video_pipe.cpp (ffmpeg) and picture_scale.cpp (frames
// drawn at another size than the window's: HeadlessOptions::frameWidth).
#include <GL/gl.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "capture/writer.h"
#include "platform/gl/offscreen.h"
#include "platform/gl/picture_scale.h"
#include "capture/video_pipe.h"
#include "platform/time/virtual_time.h"
#include "platform/winapi/backend.h"

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

// Capture state: the frames to write, a failed write (which ends the run), fast-forward, the
// progress line. Times are compared in whole milliseconds, so "--from 127.68" means frame 3192.
const int kShowEndMs = 233000;  // the show's last frame is the last one at or before this
const char kMusicPath[] = "data/compilation.mp3";
int g_fromMs = 0;
int g_toMs = INT_MAX;        // INT_MAX: to the show's end
std::vector<int> g_chosenMs;  // --at: only these frames (sorted), each a multiple of 40
bool g_captureFailed = false;
bool g_discarding = false;       // the scissor box is empty: nothing is rasterised
bool g_frameDiscarded = false;   // the frame being painted was drawn with rasterisation discarded
double g_drawStartSeconds = 0.0;  // wall clock when the first written frame began to paint
double g_progressShownAt = 0.0;

bool capturing() { return !g_options.captureDir.empty() || !g_options.videoPath.empty(); }

int toMs(double seconds) { return seconds >= 2e6 ? INT_MAX : static_cast<int>(std::llround(seconds * 1000.0)); }

// Whether the frame at `ms` goes to the output (the show destroys its window in the frame after
// 233 s, so that frame is never written).
bool inRange(int ms) {
  if (!capturing() || ms > kShowEndMs) return false;
  if (!g_chosenMs.empty()) return std::binary_search(g_chosenMs.begin(), g_chosenMs.end(), ms);
  return ms >= g_fromMs && ms <= g_toMs;
}

int firstWantedMs() { return g_chosenMs.empty() ? g_fromMs : g_chosenMs.front(); }
int lastWantedMs() { return std::min(g_chosenMs.empty() ? g_toMs : g_chosenMs.back(), kShowEndMs); }
double rangeEnd() { return lastWantedMs() * 0.001; }

// Rasterisation on or off for the frames that follow. The box is restored to the drawable's
// size, the value a context that never had a scissor box set reports.
void setRasterDiscard(bool discard) {
  if (discard == g_discarding || !g_contextMade || !offscreenIsCurrent()) return;
  if (discard) {
    glScissor(0, 0, 0, 0);
    glEnable(GL_SCISSOR_TEST);
  } else {
    pictureScaleRestoreScissor();
  }
  g_discarding = discard;
}

std::string minutes(double seconds) {
  int whole = static_cast<int>(std::max(0.0, seconds) + 0.5);
  char text[32];
  std::snprintf(text, sizeof(text), "%d:%02d", whole / 60, whole % 60);
  return text;
}

// Rewritten in place: before the range "capture: going to 200.00 s, show time 49.36 s, 0:03 to
// go (41.2x real time)"; in it "capture: 1234 frames, show time 49.36 s of 233.00 s, 1:12 left
// (2.6x real time)", counting the frames the writers have finished; with chosen frames
// "capture: 3 of 16 frames, show time 49.36 s of 205.00 s (14.2x real time)".
void showProgress(bool force) {
  double now = platformWallSeconds();
  if (!force && now - g_progressShownAt < 0.5) return;
  g_progressShownAt = now;
  int written = captureWriterWritten();
  double painted = g_lastPaintedMs * 0.001;
  double loopStart = g_costs.size() > 1 ? g_costs[1].ms * 0.001 : 0.0;
  double sinceLoop = now - g_runStartSeconds;
  double showRate = sinceLoop > 0.0 && painted > loopStart ? (painted - loopStart) / sinceLoop : 0.0;
  if (!g_chosenMs.empty()) {
    std::fprintf(stderr, "\rcapture: %d of %zu frames, show time %.2f s of %.2f s", written, g_chosenMs.size(),
                 painted, rangeEnd());
    if (showRate > 0.0) std::fprintf(stderr, " (%.1fx real time)  ", showRate);
  } else if (g_drawStartSeconds == 0.0) {
    double from = firstWantedMs() * 0.001;
    std::fprintf(stderr, "\rcapture: going to %.2f s, show time %.2f s", from, painted);
    if (showRate > 0.0)
      std::fprintf(stderr, ", %s to go (%.1fx real time)  ", minutes((from - painted) / showRate).c_str(), showRate);
  } else {
    double show = written > 0 ? captureWriterLastNumber() * 0.040 : firstWantedMs() * 0.001;
    double elapsed = now - g_drawStartSeconds;
    double rate = elapsed > 0.0 ? written * 0.040 / elapsed : 0.0;
    std::fprintf(stderr, "\rcapture: %d frames, show time %.2f s of %.2f s", written, show, rangeEnd());
    if (rate > 0.0)
      std::fprintf(stderr, ", %s left (%.1fx real time)  ", minutes((rangeEnd() - show) / rate).c_str(), rate);
  }
  std::fflush(stderr);
}

uint64_t headlessNowMs() {
  if (g_options.virtualTime) return static_cast<uint64_t>(virtualTimeMs());
  using namespace std::chrono;
  return static_cast<uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

// With virtual time the next frame is drawn at the time set here: frames that a capture does not
// write are fast-forwarded.
void headlessWait(uint64_t untilMs) {
  if (untilMs == UINT64_MAX) {
    // Nothing can ever arrive without input: end the loop instead of hanging.
    std::fprintf(stderr, "headless: no window and no timer left, ending the message loop\n");
    PostQuitMessage(1);
    return;
  }
  if (g_options.virtualTime) {
    virtualTimeSetMs(static_cast<int>(untilMs));
    if (capturing() && g_options.fastForward) setRasterDiscard(!inRange(static_cast<int>(untilMs)));
    return;
  }
  uint64_t now = headlessNowMs();
  if (untilMs > now) std::this_thread::sleep_for(std::chrono::milliseconds(untilMs - now));
}

// A capture that ends before the show does ends like Escape, once its last frame is drawn; so
// does one whose frame could not be written.
void headlessPumpEvents(HWND hwnd) {
  if (!g_options.virtualTime || !capturing() || g_escapeSent) return;
  if (captureWriterFailed()) g_captureFailed = true;
  // Without an end of its own the run ends with the show (the frame after 233 s closes it).
  bool ownEnd = !g_chosenMs.empty() || g_toMs != INT_MAX;
  bool rangeDone = ownEnd && g_paintedAny && g_lastPaintedMs + 40 > (g_chosenMs.empty() ? g_toMs : g_chosenMs.back());
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
  // The picture is drawn at the chosen framebuffer size; the show still sees its window's size.
  int width = g_options.frameWidth ? g_options.frameWidth : g_width;
  int height = g_options.frameHeight ? g_options.frameHeight : g_height;
  if (!pictureScaleSetTarget(width, height) || !offscreenCreate(width, height)) return false;
  pictureScaleApply();
  // Named in the benchmark summary: the costs mean little without the renderer.
  const GLubyte* renderer = glGetString(GL_RENDERER);
  GLint red = 0, depth = 0;
  glGetIntegerv(GL_RED_BITS, &red);
  glGetIntegerv(GL_DEPTH_BITS, &depth);
  g_rendererName = std::string(renderer ? reinterpret_cast<const char*>(renderer) : "unknown") + ", " +
                   std::to_string(red) + " bits a channel, depth " + std::to_string(depth) + ", " +
                   std::to_string(width) + "x" + std::to_string(height);
  offscreenMakeCurrent(false);
  g_contextMade = true;
  g_discarding = false;
  return true;
}

bool headlessMakeCurrent(bool current) { return g_contextMade && offscreenMakeCurrent(current); }

void headlessDeleteContext() {
  offscreenDestroy();
  g_contextMade = false;
  g_discarding = false;
}

// Hands a frame of the range to the writers (the readback waits for the frame to be drawn);
// any other frame is waited for only when it was really drawn, so that its cost is measured.
bool headlessSwapBuffers() {
  if (!g_contextMade || !offscreenIsCurrent()) return false;
  g_frameDiscarded = g_discarding;
  int ms = virtualTimeMs();
  if (!inRange(ms) || g_captureFailed) {
    if (!g_discarding) glFinish();
    return true;
  }
  if (!captureWriterStarted()) {
    if (!g_options.videoPath.empty()) {
      // The video starts at the first written frame, so the music starts at that frame's time.
      if (!videoPipeOpen(g_options.videoPath, offscreenWidth(), offscreenHeight(), kMusicPath, ms * 0.001,
                        (lastWantedMs() - ms + 40) * 0.001)) {
        g_captureFailed = true;
        return false;
      }
      captureWriterStartVideo(offscreenWidth(), offscreenHeight());
    } else {
      captureWriterStartPng(g_options.captureDir, offscreenWidth(), offscreenHeight(),
                            static_cast<int>(std::max(1u, std::thread::hardware_concurrency())));
    }
  }
  CaptureFrame* frame = captureWriterAcquire();
  if (!frame) {
    g_captureFailed = true;
    return false;
  }
  frame->number = ms / 40;
  offscreenReadRgbx(frame->pixels);
  captureWriterSubmit(frame);
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
  if (g_drawStartSeconds == 0.0 && inRange(g_lastPaintedMs) && !g_frameDiscarded)
    g_drawStartSeconds = platformWallSeconds() - milliseconds * 0.001;
  // No line before loading is done (frame 0 comes first): its messages would run into it.
  if (capturing() && g_costs.size() > 1) showProgress(false);
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

void headlessBackendConfigure(const HeadlessOptions& options) {
  g_options = options;
  g_fromMs = toMs(options.fromSeconds);
  g_toMs = toMs(options.toSeconds);
  // Each chosen time names the first frame at or after it.
  g_chosenMs.clear();
  for (double seconds : options.atSeconds) g_chosenMs.push_back((toMs(seconds) + 39) / 40 * 40);
  std::sort(g_chosenMs.begin(), g_chosenMs.end());
  g_chosenMs.erase(std::unique(g_chosenMs.begin(), g_chosenMs.end()), g_chosenMs.end());
}

// Waits for the writers and the encoder; the last line's rate counts that wait too.
bool headlessBackendFinish() {
  if (!capturing()) return true;
  bool ok = captureWriterFinish() && !g_captureFailed;
  if (videoPipeIsOpen() && !videoPipeClose()) ok = false;
  int written = captureWriterWritten();
  if (g_progressShownAt > 0.0 || written > 0) {
    double end = platformWallSeconds();
    double show = written > 0 ? captureWriterLastNumber() * 0.040 : g_lastPaintedMs * 0.001;
    std::fprintf(stderr, "\rcapture: %d frames, show time %.2f s of %.2f s", written, show, rangeEnd());
    if (!g_chosenMs.empty() && g_runStartSeconds > 0.0) {
      double elapsed = end - g_runStartSeconds;
      std::fprintf(stderr, ", done in %s (%.1fx real time)", minutes(elapsed).c_str(),
                   elapsed > 0.0 ? show / elapsed : 0.0);
    } else if (g_drawStartSeconds > 0.0 && written > 0) {
      double elapsed = end - g_drawStartSeconds;
      std::fprintf(stderr, ", written in %s (%.1fx real time)", minutes(elapsed).c_str(),
                   elapsed > 0.0 ? written * 0.040 / elapsed : 0.0);
      if (firstWantedMs() > 0 && g_runStartSeconds > 0.0)
        std::fprintf(stderr, " after %s %s to %.2f s", minutes(g_drawStartSeconds - g_runStartSeconds).c_str(),
                     g_options.fastForward ? "of fast-forward" : "drawing the frames up", firstWantedMs() * 0.001);
    }
    std::fputs("   \n", stderr);
  }
  if (ok && written == 0) {
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
