// Benchmark report of a virtual-time run.
// Supports: the wall-clock and CPU cost of every paint, summarised per schedule window (mean,
// median, 95th percentile, maximum) and over the run, with the run's pace against real time
// and the renderer's name; windows without a frame are left out. Where the platform counts
// them (the page's GL stand-in), the draw calls and the bytes uploaded per frame (means per
// window; "-" where they are not counted).
// Does not support: live runs (their paints are not recorded), GPU timings.
// Depends on the schedule windows of timeline/frame.h, the paint clock of the window layer and
// the current GL context (for the renderer's name).
#include "capture/bench.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "app/app.h"
#include "platform/winapi/backend.h"
#include "timeline/frame.h"

namespace {
struct FrameCost {
  int ms;          // music position of the frame
  double cost;     // wall-clock milliseconds
  double cpuCost;  // CPU milliseconds of the process (renderer threads included)
  int draws;       // draw calls, -1 where not counted
  double bytes;    // bytes uploaded
};
std::vector<FrameCost> g_costs;
double g_runStartSeconds = 0.0;
double g_runEndSeconds = 0.0;
std::string g_rendererName;

double percentile(std::vector<double> values, double p) {
  if (values.empty()) return 0.0;
  std::sort(values.begin(), values.end());
  size_t index = static_cast<size_t>(p * (values.size() - 1) + 0.5);
  return values[std::min(index, values.size() - 1)];
}

// One row of the report: a window of the schedule and what the show draws in it.
struct BenchWindow {
  ScheduleWindow window;
  const char* what;
};

// "0.1<T<28", "28<=T<=69", "193<T", "T<=0.1": the window's bounds as the schedule tests them.
std::string bounds(const ScheduleWindow& window) {
  char text[64] = "";
  if (std::isfinite(window.from))
    std::snprintf(text, sizeof(text), "%g%s", window.from, window.fromClosed ? "<=" : "<");
  std::string result = std::string(text) + "T";
  if (std::isfinite(window.to)) {
    std::snprintf(text, sizeof(text), "%s%g", window.toClosed ? "<=" : "<", window.to);
    result += text;
  }
  return result;
}

// The schedule's blocks in the order the frame draws them; before the opening the frame is
// only cleared, and the water room is counted apart from the credits over it.
std::vector<BenchWindow> reportWindows() {
  ScheduleWindow clearOnly = {-HUGE_VAL, true, kOpeningWindow.from, !kOpeningWindow.fromClosed};
  ScheduleWindow waterRoomOnly = kWaterRoomWindow;
  waterRoomOnly.to = kCreditsWindow.from;
  waterRoomOnly.toClosed = !kCreditsWindow.fromClosed;
  return {
      {clearOnly, "clear only"},
      {kOpeningWindow, "opening, panels"},
      {kGridRoomWindow, "model room, side panels"},
      {kSlabKitesWindow, "slab and kites"},
      {kFunnelBurstWindow, "funnel burst"},
      {kClockHallWindow, "clock hall"},
      {kRingTubeWindow, "ring tube"},
      {kTitleBoardWindow, "title board"},
      {waterRoomOnly, "water room"},
      {kCreditsWindow, "water room, credits"},
  };
}
}  // namespace

void benchRecordRenderer(int width, int height) {
  const GLubyte* renderer = glGetString(GL_RENDERER);
  GLint red = 0, depth = 0;
  glGetIntegerv(GL_RED_BITS, &red);
  glGetIntegerv(GL_DEPTH_BITS, &depth);
  g_rendererName = std::string(renderer ? reinterpret_cast<const char*>(renderer) : "unknown") + ", " +
                   std::to_string(red) + " bits a channel, depth " + std::to_string(depth) + ", " +
                   std::to_string(width) + "x" + std::to_string(height);
}

void benchRecordPaint(int ms, double milliseconds, double cpuMilliseconds) {
  // The loop's pace is measured from the first timer frame on (frame 0 comes before loading).
  if (g_costs.size() == 1) g_runStartSeconds = platformWallSeconds() - milliseconds * 0.001;
  g_costs.push_back({ms, milliseconds, cpuMilliseconds, -1, 0.0});
}

void benchRecordWork(int draws, double bytes) {
  if (g_costs.empty()) return;
  g_costs.back().draws = draws;
  g_costs.back().bytes = bytes;
}

void benchRecordEnd() { g_runEndSeconds = platformWallSeconds(); }

int benchPaintCount() { return static_cast<int>(g_costs.size()); }
int benchLastPaintMs() { return g_costs.empty() ? 0 : g_costs.back().ms; }
int benchLoopStartMs() { return g_costs.size() > 1 ? g_costs[1].ms : 0; }
double benchLoopStartSeconds() { return g_runStartSeconds; }

// Wall-clock columns say whether a frame fits its 40 ms; the CPU columns (all threads of the
// process) stay comparable when other programs share the machine.
void benchPrintReport(double launchedSeconds) {
  double firstPaint = platformFirstPaintSeconds();
  if (firstPaint > 0.0)
    std::printf("bench: startup_ms=%.1f (launch to the first painted frame)\n", (firstPaint - launchedSeconds) * 1000.0);
  std::vector<double> all, allCpu;
  for (const FrameCost& frame : g_costs) {
    all.push_back(frame.cost);
    allCpu.push_back(frame.cpuCost);
  }
  std::printf("%-38s %7s %8s %8s %8s %8s %8s %8s %8s %7s %9s\n", "window (music seconds)", "frames", "mean_ms",
              "p50_ms", "p95_ms", "max_ms", "cpu_p50", "cpu_p95", "cpu_max", "draws", "kb_up");
  // The mean draws and kilobytes uploaded per frame of the frames that counted them.
  auto work = [](const std::vector<const FrameCost*>& frames, std::string* draws, std::string* kilobytes) {
    double drawSum = 0.0, byteSum = 0.0;
    size_t counted = 0;
    for (const FrameCost* frame : frames)
      if (frame->draws >= 0) drawSum += frame->draws, byteSum += frame->bytes, ++counted;
    char text[32];
    std::snprintf(text, sizeof(text), "%.1f", counted ? drawSum / counted : 0.0);
    *draws = counted ? text : "-";
    std::snprintf(text, sizeof(text), "%.1f", counted ? byteSum / counted / 1024.0 : 0.0);
    *kilobytes = counted ? text : "-";
    return counted > 0;
  };
  for (const BenchWindow& row : reportWindows()) {
    std::vector<double> costs, cpuCosts;
    std::vector<const FrameCost*> frames;
    double sum = 0.0;
    for (const FrameCost& frame : g_costs)
      if (inWindow(row.window, frame.ms * 0.001)) {
        costs.push_back(frame.cost);
        cpuCosts.push_back(frame.cpuCost);
        frames.push_back(&frame);
        sum += frame.cost;
      }
    if (costs.empty()) continue;
    char name[64];
    std::snprintf(name, sizeof(name), "%-13s %s", bounds(row.window).c_str(), row.what);
    std::string draws, kilobytes;
    work(frames, &draws, &kilobytes);
    std::printf("%-38s %7zu %8.3f %8.3f %8.3f %8.3f %8.3f %8.3f %8.3f %7s %9s\n", name, costs.size(),
                sum / costs.size(), percentile(costs, 0.5), percentile(costs, 0.95),
                *std::max_element(costs.begin(), costs.end()), percentile(cpuCosts, 0.5),
                percentile(cpuCosts, 0.95), *std::max_element(cpuCosts.begin(), cpuCosts.end()), draws.c_str(),
                kilobytes.c_str());
  }
  std::vector<const FrameCost*> everyFrame;
  for (const FrameCost& frame : g_costs) everyFrame.push_back(&frame);
  std::string draws, kilobytes, workColumns;
  if (work(everyFrame, &draws, &kilobytes)) workColumns = " draws_mean=" + draws + " kb_up_mean=" + kilobytes;
  double showSeconds = g_costs.size() < 2 ? 0.0 : (g_costs.back().ms - g_costs[1].ms + static_cast<int>(kFrameStepMs)) * 0.001;
  double end = g_runEndSeconds > 0.0 ? g_runEndSeconds : platformWallSeconds();
  double wall = end - g_runStartSeconds;
  std::printf("bench: frames=%zu p50_ms=%.3f p95_ms=%.3f max_ms=%.3f cpu_p50_ms=%.3f cpu_p95_ms=%.3f%s realtime=%.1f\n",
              g_costs.size(), percentile(all, 0.5), percentile(all, 0.95),
              all.empty() ? 0.0 : *std::max_element(all.begin(), all.end()), percentile(allCpu, 0.5),
              percentile(allCpu, 0.95), workColumns.c_str(), wall > 0.0 ? showSeconds / wall : 0.0);
  std::printf("bench: renderer %s\n", g_rendererName.c_str());
  std::fflush(stdout);
}
