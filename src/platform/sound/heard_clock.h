// What the listener hears: the arithmetic that turns an output's counters into the heard
// position, and the user's offset for the delay that no system reports (Bluetooth headphones,
// a receiver, a projector's own sound). Shared by every output and the stream; no state but
// the offset.
#pragma once

#include <cstdint>
#include <string>

// Frames heard, estimated from the last fill callback of an output that pulls its samples:
// `framesAtCallback` had been handed out when that callback began, `secondsSince` have passed
// since, and `delayFrames` lay queued between the callback and the listener then (the buffers
// the system reports). Never more than `framesAsked`, never below 0.
int64_t heardFromCallback(int64_t framesAtCallback, int64_t framesAsked, double secondsSince, int rate,
                          int64_t delayFrames);

// The stream position in milliseconds for `heardMs` heard by the output's own account, with
// the user's offset: a positive offset (the sound reaches the ears that much later) holds the
// position back, never below 0; a negative one (earlier) puts it ahead, the lead growing with
// the first milliseconds heard, so the position starts at 0 and rises without a jump.
int offsetPositionMs(int heardMs, int offsetMs);

// The user's offset in milliseconds, from --audio-offset (set before the sound starts) or else
// the environment variable KS_AUDIO_OFFSET_MS; 0 when neither is given. A variable that does
// not parse, or lies outside the accepted range, is said once on standard error and ignored.
const int kAudioOffsetLimitMs = 5000;
void audioOffsetSetMs(int ms);
int audioOffsetMs();
// Parses a whole number of milliseconds within +-kAudioOffsetLimitMs; false with the reason.
bool audioOffsetParse(const char* text, int* ms, std::string* why);
