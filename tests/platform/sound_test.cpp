// The FSOUND stand-in: virtual streams, and real playback on the silent output.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "platform/fsound.h"
#include "platform/virtual_time.h"

namespace {
// A short stereo MP3 made with ffmpeg in a fresh directory; empty when ffmpeg is missing.
std::string makeTrack(double seconds) {
  char dir[] = "/tmp/ks-sound-XXXXXX";
  if (!mkdtemp(dir)) return "";
  std::string path = std::string(dir) + "/track.mp3";
  std::string command = "ffmpeg -loglevel error -y -f lavfi -i sine=frequency=440:duration=" +
                        std::to_string(seconds) + " -ar 44100 -ac 2 " + path + " </dev/null";
  return std::system(command.c_str()) == 0 ? path : "";
}

int msSince(std::chrono::steady_clock::time_point start) {
  return static_cast<int>(
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count());
}
}  // namespace

TEST(VirtualSound, StreamsReportTheVirtualPositionAndMissingFilesFail) {
  virtualTimeEnable();
  ASSERT_TRUE(FSOUND_Init(44100, 16, 0));
  EXPECT_EQ(FSOUND_Stream_OpenFile("/nonexistent/compilation.mp3", 41, 0), nullptr);
  EXPECT_EQ(FSOUND_Stream_GetTime(nullptr), 0);
  FSOUND_STREAM* stream = FSOUND_Stream_OpenFile("/proc/self/exe", 41, 0);  // any readable file
  ASSERT_NE(stream, nullptr);
  EXPECT_EQ(FSOUND_Stream_GetTime(stream), 0);
  virtualTimeSetMs(233040);
  EXPECT_EQ(FSOUND_Stream_GetTime(stream), 233040);
  EXPECT_EQ(FSOUND_Stream_GetTime(nullptr), 0);
  EXPECT_TRUE(FSOUND_Stream_Close(stream));
}

// The silent output keeps real time: after a wait, the heard position trails the wall clock by
// about one device buffer (1024 frames, 23 ms). The tolerance allows the audio thread's own
// schedule (it wakes once a buffer) and scheduling noise on a busy two-core machine: 150 ms
// behind or 30 ms ahead.
TEST(RealSound, PositionFollowsRealTimeOnTheSilentOutput) {
  std::string track = makeTrack(3.0);
  if (track.empty()) GTEST_SKIP() << "ffmpeg could not make a test track";
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  ASSERT_TRUE(FSOUND_Init(44100, 16, 0));
  FSOUND_STREAM* stream = FSOUND_Stream_OpenFile(track.c_str(), 41, 0);
  ASSERT_NE(stream, nullptr);
  EXPECT_EQ(FSOUND_Stream_GetTime(stream), 0);  // opened, not playing
  auto start = std::chrono::steady_clock::now();
  ASSERT_GE(FSOUND_Stream_Play(FSOUND_FREE, stream), 0);
  EXPECT_LE(FSOUND_Stream_GetTime(stream), 30);
  int previous = 0;
  for (int i = 0; i < 8; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    int position = FSOUND_Stream_GetTime(stream);
    int wall = msSince(start);
    EXPECT_GE(position, previous) << "the position went back";
    EXPECT_GT(position, wall - 150) << "at " << wall << " ms";
    EXPECT_LT(position, wall + 30) << "at " << wall << " ms";
    previous = position;
  }
  FSOUND_Stream_Stop(stream);
  FSOUND_Stream_Close(stream);
}

// The position never runs past the end of the track.
TEST(RealSound, PositionStopsAtTheEndOfTheTrack) {
  std::string track = makeTrack(0.3);
  if (track.empty()) GTEST_SKIP() << "ffmpeg could not make a test track";
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  ASSERT_TRUE(FSOUND_Init(44100, 16, 0));
  FSOUND_STREAM* stream = FSOUND_Stream_OpenFile(track.c_str(), 41, 0);
  ASSERT_NE(stream, nullptr);
  FSOUND_Stream_Play(FSOUND_FREE, stream);
  std::this_thread::sleep_for(std::chrono::milliseconds(900));
  int position = FSOUND_Stream_GetTime(stream);
  // MP3 framing pads the end by up to a frame or two (26 ms each).
  EXPECT_GT(position, 250);
  EXPECT_LT(position, 400);
  FSOUND_Stream_Close(stream);
}

TEST(RealSound, MissingFileGivesNoStream) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  ASSERT_TRUE(FSOUND_Init(44100, 16, 0));
  EXPECT_EQ(FSOUND_Stream_OpenFile("/nonexistent/compilation.mp3", 41, 0), nullptr);
}
