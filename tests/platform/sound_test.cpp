// The FSOUND stand-in: virtual streams, and real playback on the device and silent outputs,
// before and after the end of the track, with the user's offset, and when the device goes away.
#include <SDL.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <random>
#include <string>
#include <thread>

#include "platform/fsound.h"
#include "platform/sound/heard_clock.h"
#include "platform/time/virtual_time.h"
#include "support/scratch.h"

namespace {
int msSince(std::chrono::steady_clock::time_point start) {
  return static_cast<int>(
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count());
}

FSOUND_STREAM* openTrack(const std::string& path) {
  return FSOUND_Stream_OpenFile(path.c_str(), FSOUND_LOOP_OFF | FSOUND_8BITS | FSOUND_MONO, 0);
}

// Plays `track` for `waitMs` with the output SDL_AUDIODRIVER picks ("no-such-driver": none
// opens, so the silent output stands in), checking on the way that the heard position keeps
// real time: never back, at most one device buffer and scheduling noise behind the wall clock
// (150 ms on a busy two-core machine), never ahead of it by more than 30 ms.
int playAndFollow(const std::string& track, const char* driver, int waitMs) {
  setenv("SDL_AUDIODRIVER", driver, 1);
  EXPECT_TRUE(FSOUND_Init(44100, 16, 0));
  FSOUND_STREAM* stream = openTrack(track);
  EXPECT_NE(stream, nullptr);
  if (!stream) return -1;
  EXPECT_EQ(FSOUND_Stream_GetTime(stream), 0);  // opened, not playing
  auto start = std::chrono::steady_clock::now();
  EXPECT_GE(FSOUND_Stream_Play(FSOUND_FREE, stream), 0);
  EXPECT_LE(FSOUND_Stream_GetTime(stream), 30);
  int position = 0;
  while (msSince(start) < waitMs) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    int now = FSOUND_Stream_GetTime(stream);
    int wall = msSince(start);
    EXPECT_GE(now, position) << "the position went back";
    EXPECT_GT(now, wall - 150) << "at " << wall << " ms";
    EXPECT_LT(now, wall + 30) << "at " << wall << " ms";
    position = now;
  }
  FSOUND_Stream_Stop(stream);
  FSOUND_Stream_Close(stream);
  return position;
}
}  // namespace

// Virtual streams report the run's position; what is not music, or not there, gives no stream;
// passing the end of the track is said once.
TEST(VirtualSound, StreamsReportTheVirtualPositionAndSayWhereTheTrackEnded) {
  KS_REQUIRE_TRACK(track, 1.0);
  std::string dir = scratchDir("sound");
  writeFile(dir + "/text.mp3", std::string(20000, 'x'));
  virtualTimeEnable();
  ASSERT_TRUE(FSOUND_Init(44100, 16, 0));
  EXPECT_EQ(openTrack("/nonexistent/compilation.mp3"), nullptr);
  EXPECT_EQ(openTrack(dir + "/text.mp3"), nullptr);
  EXPECT_EQ(openTrack("/dev/null"), nullptr);
  EXPECT_EQ(FSOUND_Stream_GetTime(nullptr), 0);

  FSOUND_STREAM* stream = openTrack(track);
  ASSERT_NE(stream, nullptr);
  testing::internal::CaptureStderr();
  EXPECT_EQ(FSOUND_Stream_GetTime(stream), 0);
  virtualTimeSetMs(900);
  EXPECT_EQ(FSOUND_Stream_GetTime(stream), 900);
  virtualTimeSetMs(233040);
  EXPECT_EQ(FSOUND_Stream_GetTime(stream), 233040);
  virtualTimeSetMs(233080);
  EXPECT_EQ(FSOUND_Stream_GetTime(stream), 233080);
  std::string said = testing::internal::GetCapturedStderr();
  EXPECT_EQ(said, track + ": the music ends at 1.000 s; the clock goes on in silence\n");
  EXPECT_TRUE(FSOUND_Stream_Close(stream));
}

// On the output a machine without sound gets: the position keeps real time.
TEST(RealSound, PositionFollowsRealTimeOnTheSilentOutput) {
  KS_REQUIRE_TRACK(track, 3.0);
  testing::internal::CaptureStderr();
  int position = playAndFollow(track, "no-such-driver", 800);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("no audio device"), std::string::npos);
  EXPECT_GT(position, 600);
}

// The same through SDL's own silent device driver.
TEST(RealSound, PositionFollowsRealTimeOnSdlsDummyDevice) {
  KS_REQUIRE_TRACK(track, 3.0);
  EXPECT_GT(playAndFollow(track, "dummy", 800), 600);
}

// A track shorter than the show: the clock runs on past its end in real time, and one line
// names the file and where it ended.
TEST(RealSound, PositionGoesOnInRealTimeAfterTheEndOfTheTrack) {
  KS_REQUIRE_TRACK(track, 0.3);
  testing::internal::CaptureStderr();
  int position = playAndFollow(track, "no-such-driver", 1000);
  std::string said = testing::internal::GetCapturedStderr();
  EXPECT_GT(position, 850);
  EXPECT_NE(said.find(track + ": the music ends at 0.3"), std::string::npos) << said;
  EXPECT_EQ(said.find("the clock goes on in silence"), said.rfind("the clock goes on in silence")) << said;
}

// Decoding that stops on damaged data is said as such; the clock goes on all the same.
TEST(RealSound, DecodingThatStopsEarlyIsSaidAndTheClockGoesOn) {
  KS_REQUIRE_TRACK(track, 0.3);
  std::string bytes = readFile(track);
  std::mt19937 noise(7);
  for (int i = 0; i < 200000; ++i) bytes.push_back(static_cast<char>(noise()));
  writeFile(track, bytes);
  testing::internal::CaptureStderr();
  int position = playAndFollow(track, "no-such-driver", 1000);
  std::string said = testing::internal::GetCapturedStderr();
  EXPECT_GT(position, 850);
  EXPECT_NE(said.find(track + ": the music cannot be decoded past 0.3"), std::string::npos) << said;
}

TEST(RealSound, WhatIsNotMusicGivesNoStream) {
  std::string dir = scratchDir("sound");
  writeFile(dir + "/text.mp3", std::string(20000, 'x'));
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  ASSERT_TRUE(FSOUND_Init(44100, 16, 0));
  EXPECT_EQ(openTrack("/nonexistent/compilation.mp3"), nullptr);
  EXPECT_EQ(openTrack(dir + "/text.mp3"), nullptr);
}

// With the user's offset the position lags the heard one by it: at the start it holds at 0,
// then it follows real time that much behind.
TEST(RealSound, OffsetHoldsThePositionBackOnTheSilentOutput) {
  KS_REQUIRE_TRACK(track, 3.0);
  audioOffsetSetMs(300);
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  testing::internal::CaptureStderr();
  ASSERT_TRUE(FSOUND_Init(44100, 16, 0));
  testing::internal::GetCapturedStderr();
  FSOUND_STREAM* stream = openTrack(track);
  ASSERT_NE(stream, nullptr);
  auto start = std::chrono::steady_clock::now();
  ASSERT_GE(FSOUND_Stream_Play(FSOUND_FREE, stream), 0);
  int position = 0;
  while (msSince(start) < 900) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    int now = FSOUND_Stream_GetTime(stream);
    int wall = msSince(start);
    EXPECT_GE(now, position) << "the position went back";
    EXPECT_LE(now, wall > 300 ? wall - 300 + 30 : 0) << "at " << wall << " ms";
    EXPECT_GE(now, wall - 300 - 200) << "at " << wall << " ms";
    position = now;
  }
  EXPECT_GT(position, 400);
}

namespace {
// The SDL output the stream plays on: the one open device that plays.
SDL_AudioDeviceID playingDevice() {
  for (SDL_AudioDeviceID id = 1; id < 64; ++id)
    if (SDL_GetAudioDeviceStatus(id) == SDL_AUDIO_PLAYING) return id;
  return 0;
}

// Plays `track` on SDL's dummy device for 600 ms, then tells the output that its device went
// away, as SDL does when a headset is unplugged, with SDL_AUDIODRIVER set to `driverAfter` for
// the next device to be opened. Follows the position for 1200 ms more, reading it every 5 ms:
// it never goes back, never gets ahead of the wall time since the loss (a jump), and keeps real
// time once the next output plays (within 300 ms for a busy machine: a position that started
// again from 0 would stand still for 600 ms). What the stream says on standard error is one
// line with the position and `where` it goes on.
void loseTheDevice(const std::string& track, const char* driverAfter, const char* where) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  EXPECT_TRUE(FSOUND_Init(44100, 16, 0));
  FSOUND_STREAM* stream = openTrack(track);
  ASSERT_NE(stream, nullptr);
  EXPECT_GE(FSOUND_Stream_Play(FSOUND_FREE, stream), 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(600));
  SDL_AudioDeviceID device = playingDevice();
  EXPECT_NE(device, 0u);
  int before = FSOUND_Stream_GetTime(stream);
  EXPECT_GT(before, 350);

  setenv("SDL_AUDIODRIVER", driverAfter, 1);
  testing::internal::CaptureStderr();
  SDL_Event event = {};
  event.adevice.type = SDL_AUDIODEVICEREMOVED;
  event.adevice.which = device;
  event.adevice.iscapture = 0;
  SDL_PushEvent(&event);
  auto lost = std::chrono::steady_clock::now();
  int position = FSOUND_Stream_GetTime(stream);  // moves to the next output
  EXPECT_GE(position, before);
  EXPECT_LE(position, before + msSince(lost) + 30) << "the position jumped at the loss";
  // Either the next device plays (SDL may give it the lost one's number) or none does.
  bool deviceAfter = std::string(driverAfter) == "dummy";
  EXPECT_EQ(playingDevice() != 0, deviceAfter);
  int afterSwitch = position;
  int lossReported = position;
  auto switched = std::chrono::steady_clock::now();
  while (msSince(lost) < 1200) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    int now = FSOUND_Stream_GetTime(stream);
    int wall = msSince(lost);
    EXPECT_GE(now, position) << "the position went back";
    EXPECT_LE(now - before, wall + 30) << "the position jumped";
    position = now;
  }
  int wall = msSince(switched);
  EXPECT_GT(position - afterSwitch, wall - 300) << "the position does not keep real time after the move";
  FSOUND_Stream_Stop(stream);
  FSOUND_Stream_Close(stream);
  std::string said = testing::internal::GetCapturedStderr();
  // The line names the position the listener had reached when the device went.
  const char kWentAway[] = "FSOUND: the sound device went away at ";
  size_t at = said.find(kWentAway);
  EXPECT_NE(at, std::string::npos) << said;
  if (at != std::string::npos) {
    double seconds = std::atof(said.c_str() + at + sizeof kWentAway - 1);
    EXPECT_GE(seconds * 1000, before - 1) << said;
    EXPECT_LE(seconds * 1000, lossReported + 1) << said;
  }
  EXPECT_NE(said.find(where), std::string::npos) << said;
  EXPECT_EQ(said.find('\n'), said.size() - 1) << "not one line: " << said;
}
}  // namespace

// No device opens after the loss: the show goes on on the silent output from where it was.
TEST(RealSound, DeviceGoingAwayMovesToTheSilentOutputAtTheSamePosition) {
  KS_REQUIRE_TRACK(track, 3.0);
  loseTheDevice(track, "no-such-driver", "playing silently");
}

// Another device opens: the show goes on there.
TEST(RealSound, DeviceGoingAwayMovesToTheNewDefaultDevice) {
  KS_REQUIRE_TRACK(track, 3.0);
  loseTheDevice(track, "dummy", "playing on the default device from there");
}
