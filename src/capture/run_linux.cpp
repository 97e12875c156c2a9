// Virtual-time runs on the headless backend: the frames are drawn against virtual time, frame N
// at N x 40 ms (frame 0 is the first paint, at 0).
// Supports: capture of the frames within a time range after each buffer swap, as PNG files
// DIR/frame-NNNNN.png or as one video through ffmpeg with the music from the first written
// frame's time on, written by other threads while the next frames are drawn (a range that ends
// before the show ends the run like Escape after its last frame, as does a frame that cannot be
// written); fast-forward of the frames a capture does not write: they run in full (every
// animated value and the GL state advance as in a full run) with rasterisation discarded by an
// empty scissor box, which the show itself never sets; progress on stderr while capturing
// (rewritten in place on a terminal, whole lines now and then in a log); the cost of each paint
// for the benchmark (bench.cpp).
// Does not support: live runs, several outputs at once. Depends on the headless backend,
// offscreen.cpp (readback), writer_linux.cpp (threads, libpng), video_pipe_linux.cpp (ffmpeg) and the
// show's facts: its end, its music file and its frame step.
#include "capture/run.h"

#include <GL/gl.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "app/app.h"
#include "app/music.h"
#include "capture/bench.h"
#include "capture/video_pipe.h"
#include "capture/writer.h"
#include "platform/gl/offscreen.h"
#include "platform/gl/picture_scale.h"
#include "platform/winapi/headless_backend.h"
#include "timeline/frame.h"

namespace {
VirtualRunOptions g_options;
int g_width = 640, g_height = 480;
bool g_contextMade = false;
bool g_paintedAny = false;
int g_lastPaintedMs = 0;

// Capture state: the frames to write, a failed write (which ends the run), fast-forward, the
// progress line. Times are compared in whole milliseconds, so "--from 127.68" means frame 3192.
const int kStepMs = static_cast<int>(kFrameStepMs);
const double kStepSeconds = kStepMs * 0.001;
const int kShowEndMs = static_cast<int>(std::llround(kShowEndSeconds * 1000.0));  // last frame at or before it
int g_fromMs = 0;
int g_toMs = INT_MAX;        // INT_MAX: to the show's end
std::vector<int> g_chosenMs;  // --at: only these frames (sorted), each a multiple of the step
bool g_captureFailed = false;
bool g_discarding = false;       // the scissor box is empty: nothing is rasterised
bool g_frameDiscarded = false;   // the frame being painted was drawn with rasterisation discarded
double g_drawStartSeconds = 0.0;  // wall clock when the first written frame began to paint
double g_progressShownAt = 0.0;

bool capturing() { return !g_options.captureDir.empty() || !g_options.videoPath.empty(); }

int toMs(double seconds) { return seconds >= 2e6 ? INT_MAX : static_cast<int>(std::llround(seconds * 1000.0)); }

// Whether the frame at `ms` goes to the output (the show destroys its window in the frame after
// its end, so that frame is never written).
bool inRange(int ms) {
  if (!capturing() || ms > kShowEndMs) return false;
  if (!g_chosenMs.empty()) return std::binary_search(g_chosenMs.begin(), g_chosenMs.end(), ms);
  return ms >= g_fromMs && ms <= g_toMs;
}

int firstWantedMs() { return g_chosenMs.empty() ? g_fromMs : g_chosenMs.front(); }
int lastWantedMs() { return std::min(g_chosenMs.empty() ? g_toMs : g_chosenMs.back(), kShowEndMs); }
double rangeEnd() { return lastWantedMs() * 0.001; }

// Rasterisation on or off for the frames that follow. The scissor state is restored to what the
// picture's scaling set (the drawable's size, as a context that never had a box set reports,
// or the picture's rectangle inside a larger framebuffer).
void setRasterDiscard(bool discard) {
  if (discard == g_discarding || !g_contextMade || !offscreenIsCurrent()) return;
  pictureScaleDiscard(discard);
  g_discarding = discard;
}

std::string minutes(double seconds) {
  int whole = static_cast<int>(std::max(0.0, seconds) + 0.5);
  char text[32];
  std::snprintf(text, sizeof(text), "%d:%02d", whole / 60, whole % 60);
  return text;
}

// On a terminal, one line rewritten in place every half second: before the range "capture: going
// to 200.00 s, show time 49.36 s, 0:03 to go (41.2x real time)"; in it "capture: 1234 frames,
// show time 49.36 s of 233.00 s, 1:12 left (2.6x real time)", counting the frames the writers
// have finished; with chosen frames "capture: 3 of 16 frames, show time 49.36 s of 205.00 s
// (14.2x real time)". To a file or a pipe (a log), the same text as whole lines, one each time
// the fast-forward, the range or the chosen frames pass another tenth of their way.
bool g_progressOnTerminal = false;
int g_progressStage = -1;  // phase x 10 + tenth of the last line written to a log

void emitProgress(const char* text, int phase, double fraction) {
  if (g_progressOnTerminal) {
    std::fprintf(stderr, "\r%s  ", text);
  } else {
    int stage = phase * 10 + std::clamp(static_cast<int>(fraction * 10.0), 0, 9);
    if (stage == g_progressStage) return;
    g_progressStage = stage;
    std::fprintf(stderr, "%s\n", text);
  }
  std::fflush(stderr);
}

void showProgress() {
  double now = platformWallSeconds();
  if (g_progressOnTerminal && now - g_progressShownAt < 0.5) return;
  g_progressShownAt = now;
  int written = captureWriterWritten();
  double painted = g_lastPaintedMs * 0.001;
  double loopStart = benchLoopStartMs() * 0.001;
  double sinceLoop = now - benchLoopStartSeconds();
  double showRate = sinceLoop > 0.0 && painted > loopStart ? (painted - loopStart) / sinceLoop : 0.0;
  char text[200];
  int length = 0;
  auto add = [&](const char* format, auto... values) {
    if (length < static_cast<int>(sizeof(text)))
      length += std::snprintf(text + length, sizeof(text) - length, format, values...);
  };
  if (!g_chosenMs.empty()) {
    add("capture: %d of %zu frames, show time %.2f s of %.2f s", written, g_chosenMs.size(), painted, rangeEnd());
    if (showRate > 0.0) add(" (%.1fx real time)", showRate);
    emitProgress(text, 0, rangeEnd() > 0.0 ? painted / rangeEnd() : 0.0);
  } else if (g_drawStartSeconds == 0.0) {
    double from = firstWantedMs() * 0.001;
    add("capture: going to %.2f s, show time %.2f s", from, painted);
    if (showRate > 0.0) add(", %s to go (%.1fx real time)", minutes((from - painted) / showRate).c_str(), showRate);
    emitProgress(text, 1, from > 0.0 ? painted / from : 0.0);
  } else {
    double first = firstWantedMs() * 0.001;
    double show = written > 0 ? captureWriterLastNumber() * kStepSeconds : first;
    double elapsed = now - g_drawStartSeconds;
    double rate = elapsed > 0.0 ? written * kStepSeconds / elapsed : 0.0;
    add("capture: %d frames, show time %.2f s of %.2f s", written, show, rangeEnd());
    if (rate > 0.0) add(", %s left (%.1fx real time)", minutes((rangeEnd() - show) / rate).c_str(), rate);
    emitProgress(text, 2, rangeEnd() > first ? (show - first) / (rangeEnd() - first) : 0.0);
  }
}

// Frames that a capture does not write are fast-forwarded.
void runFrameDue(int ms) {
  if (capturing() && g_options.fastForward) setRasterDiscard(!inRange(ms));
}

// A capture that ends before the show does ends like Escape, once its last frame is drawn; so
// does one whose frame could not be written.
bool runWantsEnd() {
  if (!capturing()) return false;
  if (captureWriterFailed()) g_captureFailed = true;
  // Without an end of its own the run ends with the show (the frame after its end closes it).
  bool ownEnd = !g_chosenMs.empty() || g_toMs != INT_MAX;
  bool rangeDone =
      ownEnd && g_paintedAny && g_lastPaintedMs + kStepMs > (g_chosenMs.empty() ? g_toMs : g_chosenMs.back());
  return rangeDone || g_captureFailed;
}

// Named in the benchmark summary: the costs mean little without the renderer.
void runContextMade(int width, int height) {
  g_width = width;
  g_height = height;
  benchRecordRenderer(width, height);
  g_contextMade = true;
  g_discarding = false;
}

void runContextDeleted() {
  g_contextMade = false;
  g_discarding = false;
}

// Hands a frame of the range to the writers (the readback waits for the frame to be drawn);
// any other frame is waited for only when it was really drawn, so that its cost is measured.
bool runSwapBuffers(int ms) {
  g_frameDiscarded = g_discarding;
  if (!inRange(ms) || g_captureFailed) {
    if (!g_discarding) glFinish();
    return true;
  }
  if (!captureWriterStarted()) {
    if (!g_options.videoPath.empty()) {
      // The video starts at the first written frame, so the music starts at that frame's time.
      if (!videoPipeOpen(g_options.videoPath, g_width, g_height, kMusicFile, ms * 0.001,
                        (lastWantedMs() - ms + kStepMs) * 0.001)) {
        g_captureFailed = true;
        return false;
      }
      captureWriterStartVideo(g_width, g_height);
    } else {
      captureWriterStartPng(g_options.captureDir, g_width, g_height,
                            static_cast<int>(std::max(1u, std::thread::hardware_concurrency())));
    }
  }
  CaptureFrame* frame = captureWriterAcquire();
  if (!frame) {
    g_captureFailed = true;
    return false;
  }
  frame->number = ms / kStepMs;
  offscreenReadRgbx(frame->pixels);
  captureWriterSubmit(frame);
  return true;
}

void runPainted(int ms, double milliseconds, double cpuMilliseconds) {
  benchRecordPaint(ms, milliseconds, cpuMilliseconds);
  g_paintedAny = true;
  g_lastPaintedMs = ms;
  if (g_drawStartSeconds == 0.0 && inRange(g_lastPaintedMs) && !g_frameDiscarded)
    g_drawStartSeconds = platformWallSeconds() - milliseconds * 0.001;
  // No line before loading is done (frame 0 comes first): its messages would run into it.
  if (capturing() && benchPaintCount() > 1) showProgress();
}

const HeadlessRun kRun = {
    runFrameDue, runWantsEnd, runContextMade, runContextDeleted, runSwapBuffers, runPainted, benchRecordEnd,
};
}  // namespace

void virtualRunStart(const VirtualRunOptions& options) {
  g_options = options;
  g_progressOnTerminal = isatty(STDERR_FILENO) == 1;
  g_fromMs = toMs(options.fromSeconds);
  g_toMs = toMs(options.toSeconds);
  // Each chosen time names the first frame at or after it.
  g_chosenMs.clear();
  for (double seconds : options.atSeconds) g_chosenMs.push_back((toMs(seconds) + kStepMs - 1) / kStepMs * kStepMs);
  std::sort(g_chosenMs.begin(), g_chosenMs.end());
  g_chosenMs.erase(std::unique(g_chosenMs.begin(), g_chosenMs.end()), g_chosenMs.end());
  HeadlessOptions headless;
  headless.virtualTime = true;
  headless.run = &kRun;
  headless.frameWidth = options.frameWidth;
  headless.frameHeight = options.frameHeight;
  headlessBackendConfigure(headless);
}

// Waits for the writers and the encoder; the last line's rate counts that wait too.
bool virtualRunFinish() {
  if (!capturing()) return true;
  bool ok = captureWriterFinish() && !g_captureFailed;
  if (videoPipeIsOpen() && !videoPipeClose()) ok = false;
  int written = captureWriterWritten();
  if (g_progressShownAt > 0.0 || written > 0) {
    double end = platformWallSeconds();
    double runStart = benchLoopStartSeconds();
    double show = written > 0 ? captureWriterLastNumber() * kStepSeconds : g_lastPaintedMs * 0.001;
    std::fprintf(stderr, "%scapture: %d frames, show time %.2f s of %.2f s", g_progressOnTerminal ? "\r" : "", written,
                 show, rangeEnd());
    if (!g_chosenMs.empty() && runStart > 0.0) {
      double elapsed = end - runStart;
      std::fprintf(stderr, ", done in %s (%.1fx real time)", minutes(elapsed).c_str(),
                   elapsed > 0.0 ? show / elapsed : 0.0);
    } else if (g_drawStartSeconds > 0.0 && written > 0) {
      double elapsed = end - g_drawStartSeconds;
      std::fprintf(stderr, ", written in %s (%.1fx real time)", minutes(elapsed).c_str(),
                   elapsed > 0.0 ? written * kStepSeconds / elapsed : 0.0);
      if (firstWantedMs() > 0 && runStart > 0.0)
        std::fprintf(stderr, " after %s %s to %.2f s", minutes(g_drawStartSeconds - runStart).c_str(),
                     g_options.fastForward ? "of fast-forward" : "drawing the frames up", firstWantedMs() * 0.001);
    }
    std::fputs(g_progressOnTerminal ? "   \n" : "\n", stderr);
  }
  if (ok && written == 0) {
    std::fprintf(stderr, "capture: no frame of the show falls in the range\n");
    ok = false;
  }
  return ok;
}
