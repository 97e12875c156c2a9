// Time of day for the show: the C runtime's time() and localtime() behind one seam.
#pragma once

#include <ctime>

// The current calendar time, as time(). Live runs read the real clock. With the environment
// variable KS_FIXED_TIME=HH:MM:SS set, the reading is that local time of day on one fixed date,
// advanced by the virtual music position when virtual time is on, so virtual-time runs
// (capture, bench, tests) draw the same ticking clock on every run. A value that does not
// parse is reported once on standard error and the default pin below, if any, or else the
// real clock is used.
time_t wallClockTime(time_t* out);
// Pins the clock to `timeOfDay` ("HH:MM:SS", local) when KS_FIXED_TIME is not set, for runs
// that must be reproducible (capture, bench). Call before the first reading.
void wallClockPinUnlessSet(const char* timeOfDay);
// The local broken-down time of `when`, as localtime() (TZ is honoured); null when the time
// cannot be represented.
struct tm* wallClockLocalTime(const time_t* when);
