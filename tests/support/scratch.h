// Files for tests: scratch places under /tmp, whole files written and read, and a music track.
#pragma once

#include <string>

// A fresh directory /tmp/ks-PREFIX-XXXXXX, removed when the process exits (empty when none can
// be made).
std::string scratchDir(const char* prefix);
// /tmp/ks-test-PID-NAME: a path of this test process's own.
std::string tempPath(const char* name);
bool writeFile(const std::string& path, const std::string& bytes);
std::string readFile(const std::string& path);  // empty when it cannot be read
// A stereo 44.1 kHz MP3 of `seconds` of a 440 Hz tone, made by ffmpeg in a scratch directory;
// empty when ffmpeg is missing.
std::string makeTrack(double seconds);
// Declares `track`, a track of `seconds`, or skips the test where none can be made.
#define KS_REQUIRE_TRACK(track, seconds)          \
  std::string track = makeTrack(seconds);         \
  if (track.empty()) GTEST_SKIP() << "ffmpeg could not make a test track"
