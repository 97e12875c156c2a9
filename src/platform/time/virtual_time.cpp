// Virtual music time: one position, set by the run, that every open stream reports instead of
// the sound device's. Supports: on/off (once on, for the rest of the process), a position in
// whole milliseconds. Does not support: several clocks. Depends on nothing.
#include "platform/time/virtual_time.h"

namespace {
bool g_virtualTime = false;
int g_virtualMs = 0;
}  // namespace

void virtualTimeEnable() { g_virtualTime = true; }
bool virtualTimeEnabled() { return g_virtualTime; }
void virtualTimeSetMs(int ms) { g_virtualMs = ms; }
int virtualTimeMs() { return g_virtualMs; }
