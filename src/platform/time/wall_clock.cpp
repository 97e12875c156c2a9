// Wall clock backend: the C runtime clock, optionally pinned for reproducible runs.
// Supports: the real calendar time (live), a fixed local time of day from KS_FIXED_TIME or,
// without it, from the caller (virtual-time runs pin a default).
// A pinned clock advances with the virtual music position (whole seconds) in virtual-time runs.
// Does not support: sub-second readings.
// Depends on: the C runtime (time, mktime, localtime, getenv), TZ for local time, virtual_time.
#include "platform/wall_clock.h"

#include <cstdio>
#include <cstdlib>

#include "platform/time/virtual_time.h"

namespace {

bool g_clockChecked = false;
bool g_clockPinned = false;
time_t g_pinnedTime = 0;
const char* g_defaultPin = nullptr;  // used when KS_FIXED_TIME is unset or empty

// Parses "HH:MM:SS" (hours 0-23, minutes and seconds 0-59, nothing after) into that local
// time on 1 March 2004, a date without daylight-saving changes nearby. Says why on failure.
bool parseTimeOfDay(const char* text, time_t* pinned, const char** why) {
  int hours = -1, minutes = -1, seconds = -1;
  char rest = 0;
  int fields = std::sscanf(text, "%2d:%2d:%2d%c", &hours, &minutes, &seconds, &rest);
  if (fields != 3 || hours < 0 || hours > 23 || minutes < 0 || minutes > 59 || seconds < 0 ||
      seconds > 59) {
    *why = "is not HH:MM:SS";
    return false;
  }
  struct tm local = {};
  local.tm_year = 2004 - 1900;
  local.tm_mon = 2;
  local.tm_mday = 1;
  local.tm_hour = hours;
  local.tm_min = minutes;
  local.tm_sec = seconds;
  local.tm_isdst = -1;
  *pinned = std::mktime(&local);
  if (*pinned == static_cast<time_t>(-1)) {
    *why = "has no calendar time here";
    return false;
  }
  return true;
}

// Pins the clock to KS_FIXED_TIME, else to the caller's default; a value that does not parse
// is reported and the next choice taken (the default, then the real clock).
void checkPinnedClock() {
  g_clockChecked = true;
  g_clockPinned = false;
  const char* why = nullptr;
  const char* text = std::getenv("KS_FIXED_TIME");
  if (text && *text) {
    if (parseTimeOfDay(text, &g_pinnedTime, &why)) {
      g_clockPinned = true;
      return;
    }
    std::fprintf(stderr, "KS_FIXED_TIME: \"%s\" %s; using %s\n", text, why,
                 g_defaultPin ? g_defaultPin : "the real clock");
  }
  if (g_defaultPin && parseTimeOfDay(g_defaultPin, &g_pinnedTime, &why)) g_clockPinned = true;
}

}  // namespace

time_t wallClockTime(time_t* out) {
  if (!g_clockChecked) checkPinnedClock();
  time_t now = std::time(nullptr);
  if (g_clockPinned) {
    now = g_pinnedTime;
    if (virtualTimeEnabled() && virtualTimeMs() > 0) now += virtualTimeMs() / 1000;
  }
  if (out) *out = now;
  return now;
}

void wallClockPinUnlessSet(const char* timeOfDay) {
  g_defaultPin = timeOfDay;
  g_clockChecked = false;
}

struct tm* wallClockLocalTime(const time_t* when) { return std::localtime(when); }
