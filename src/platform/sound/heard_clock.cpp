// The heard-position arithmetic and the user's audio offset (heard_clock.h).
// Supports: offsets from the command line or KS_AUDIO_OFFSET_MS, whole milliseconds.
// Does not support: changing the offset while the sound plays (the position would jump).
// Depends on the C runtime (strtol, getenv).
#include "platform/sound/heard_clock.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace {
bool g_offsetChecked = false;
int g_offsetMs = 0;
}  // namespace

int64_t heardFromCallback(int64_t framesAtCallback, int64_t framesAsked, double secondsSince, int rate,
                          int64_t delayFrames) {
  double frames = static_cast<double>(framesAtCallback - delayFrames) + secondsSince * rate;
  if (frames > static_cast<double>(framesAsked)) frames = static_cast<double>(framesAsked);
  return frames > 0.0 ? static_cast<int64_t>(frames) : 0;
}

int offsetPositionMs(int heardMs, int offsetMs) {
  if (offsetMs >= 0) return heardMs > offsetMs ? heardMs - offsetMs : 0;
  int lead = -offsetMs < heardMs ? -offsetMs : heardMs;
  return heardMs + lead;
}

bool audioOffsetParse(const char* text, int* ms, std::string* why) {
  char* end = nullptr;
  errno = 0;
  long value = std::strtol(text, &end, 10);
  if (errno || end == text || *end) {
    *why = "is not a whole number of milliseconds";
    return false;
  }
  if (value < -kAudioOffsetLimitMs || value > kAudioOffsetLimitMs) {
    *why = "lies outside -" + std::to_string(kAudioOffsetLimitMs) + " to " + std::to_string(kAudioOffsetLimitMs) +
           " ms";
    return false;
  }
  *ms = static_cast<int>(value);
  return true;
}

void audioOffsetSetMs(int ms) {
  g_offsetMs = ms;
  g_offsetChecked = true;
}

int audioOffsetMs() {
  if (g_offsetChecked) return g_offsetMs;
  g_offsetChecked = true;
  const char* text = std::getenv("KS_AUDIO_OFFSET_MS");
  if (!text || !*text) return g_offsetMs;
  std::string why;
  if (!audioOffsetParse(text, &g_offsetMs, &why)) {
    g_offsetMs = 0;
    std::fprintf(stderr, "KS_AUDIO_OFFSET_MS: \"%s\" %s; no offset is used\n", text, why.c_str());
  }
  return g_offsetMs;
}
