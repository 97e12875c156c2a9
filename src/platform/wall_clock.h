// Time of day for the show: the C runtime's time() and localtime() behind one seam.
#pragma once

#include <ctime>

// The current calendar time, as time(). Live runs read the real clock. With the environment
// variable KS_FIXED_TIME=HH:MM:SS set, the reading is that local time of day on one fixed date,
// advanced by the virtual music position when virtual time is on, so virtual-time runs
// (capture, bench, tests) draw the same ticking clock on every run. A value that does not
// parse is reported once on standard error and the real clock is used.
time_t wallClockTime(time_t* out);
// The local broken-down time of `when`, as localtime() (TZ is honoured); null when the time
// cannot be represented.
struct tm* wallClockLocalTime(const time_t* when);
