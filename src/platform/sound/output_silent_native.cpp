// Silent sound output: where no device opens, a thread of its own pulls the stream at the
// mixing rate, one buffer of 1024 frames every 1024 frames' time, and throws the samples away,
// so the heard position keeps real time as on a device.
// Supports: everything a device output does, without a sound.
// Does not support: being heard. Depends on the C++ standard library's threads and steady clock.
#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/sound/output.h"

namespace {
using Clock = std::chrono::steady_clock;
const int kBufferFrames = 1024;

AudioFill g_fill = nullptr;
int g_rate = 44100;
std::mutex g_lock;  // held around every fill
bool g_pulling = false;  // the thread runs until the process ends
std::atomic<int64_t> g_framesAsked{0};
Clock::time_point g_started;

// Fills one buffer ahead of the listener, like a device with one buffer queued.
void pull() {
  std::vector<int16_t> buffer(kBufferFrames * 2);
  int64_t buffers = 0;
  for (;;) {
    {
      std::lock_guard<std::mutex> hold(g_lock);
      g_fill(buffer.data(), kBufferFrames);
    }
    g_framesAsked += kBufferFrames;
    ++buffers;
    std::this_thread::sleep_until(g_started + std::chrono::microseconds(buffers * kBufferFrames * 1000000 / g_rate));
  }
}

bool silentOpen(int rate, AudioFill fill, std::string*) {
  g_fill = fill;
  g_rate = rate;
  return true;
}

void silentStart() {
  if (g_pulling) return;
  g_started = Clock::now();
  g_pulling = true;
  std::thread(pull).detach();
}

void silentLock() { g_lock.lock(); }
void silentUnlock() { g_lock.unlock(); }

int64_t silentHeardFrames() {
  if (!g_pulling) return 0;
  double seconds = std::chrono::duration<double>(Clock::now() - g_started).count();
  int64_t frames = static_cast<int64_t>(seconds * g_rate);
  int64_t asked = g_framesAsked;
  return frames < asked ? frames : asked;
}

}  // namespace

const AudioOutput g_silentAudioOutput = {"silent", silentOpen, silentStart, silentLock, silentUnlock,
                                         silentHeardFrames, nullptr, nullptr};
