// Silent sound output for the page, where no Web Audio context runs: the browser gives the
// module no threads, so the stream is pulled whenever the heard position is read (every frame),
// as many frames as real time has brought since the start, and the samples are thrown away. The
// heard position keeps real time as on a device.
// Supports: everything a device output does, without a sound.
// Does not support: being heard; pulling while the page draws no frames (the position then waits
// at what was pulled and catches up at the next read).
// Depends on the C++ standard library's steady clock.
#include <chrono>
#include <vector>

#include "platform/sound/output.h"

namespace {
using Clock = std::chrono::steady_clock;

AudioFill g_fill = nullptr;
int g_rate = 44100;
bool g_started = false;
int g_locked = 0;  // the stream's lock: nothing is pulled while it is held
int64_t g_framesPulled = 0;
Clock::time_point g_startedAt;
std::vector<int16_t> g_buffer;

bool silentOpen(int rate, AudioFill fill, std::string*) {
  g_fill = fill;
  g_rate = rate;
  return true;
}

void silentStart() {
  if (g_started) return;
  g_started = true;
  g_startedAt = Clock::now();
}

void silentLock() { ++g_locked; }
void silentUnlock() { --g_locked; }

int64_t silentHeardFrames() {
  if (!g_started) return 0;
  double seconds = std::chrono::duration<double>(Clock::now() - g_startedAt).count();
  int64_t due = static_cast<int64_t>(seconds * g_rate);
  if (!g_locked && due > g_framesPulled) {
    int frames = static_cast<int>(due - g_framesPulled);
    g_buffer.resize(static_cast<size_t>(frames) * 2);
    g_fill(g_buffer.data(), frames);
    g_framesPulled = due;
  }
  return g_framesPulled;
}
}  // namespace

const AudioOutput g_silentAudioOutput = {"silent", silentOpen, silentStart, silentLock, silentUnlock,
                                         silentHeardFrames, nullptr, nullptr};
