// A live start part-way: the stream is held at the virtual position while the frames before the
// start are fast-forwarded, then heard from that position on, with the clock continuing from it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "platform/fsound.h"
#include "platform/time/virtual_time.h"
#include "support/scratch.h"

namespace {
void sleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// On the silent output (no device opens): held, the position is the virtual one and real time
// does not move it; released at 2 s, it goes on from 2 s in real time, and the track (3 s long)
// is found to end once the position passes 3 s, so its decoding did start at 2 s.
TEST(LiveStart, HeldAtTheVirtualPositionThenHeardFromIt) {
  KS_REQUIRE_TRACK(track, 3.0);
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  virtualTimeHoldLive();
  ASSERT_TRUE(FSOUND_Init(44100, 16, 0));
  FSOUND_STREAM* stream = FSOUND_Stream_OpenFile(track.c_str(), FSOUND_LOOP_OFF, 0);
  ASSERT_NE(stream, nullptr);
  ASSERT_EQ(FSOUND_Stream_Play(FSOUND_FREE, stream), 0);
  virtualTimeSetMs(1000);
  EXPECT_EQ(FSOUND_Stream_GetTime(stream), 1000);
  sleepMs(200);
  EXPECT_EQ(FSOUND_Stream_GetTime(stream), 1000);

  virtualTimeSetMs(2000);
  testing::internal::CaptureStderr();
  auto released = std::chrono::steady_clock::now();
  virtualTimeReleaseLive();
  int first = FSOUND_Stream_GetTime(stream);
  EXPECT_GE(first, 2000);
  EXPECT_LE(first, 2030);
  int previous = first, position = first;
  while (position < 3300) {
    sleepMs(20);
    position = FSOUND_Stream_GetTime(stream);
    EXPECT_GE(position, previous);  // never back
    previous = position;
    int elapsed = static_cast<int>(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - released).count());
    EXPECT_LE(position, 2000 + elapsed + 30);
    EXPECT_GE(position, 2000 + elapsed - 150);
    ASSERT_LT(elapsed, 5000) << "the position stopped at " << position;
  }
  std::string said = testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find("the music ends at 3.0"), std::string::npos) << said;
}

// Without a hold the release does nothing: the stream plays from its start as always.
TEST(LiveStart, ReleaseWithoutHoldChangesNothing) {
  KS_REQUIRE_TRACK(track, 1.0);
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  ASSERT_TRUE(FSOUND_Init(44100, 16, 0));
  FSOUND_STREAM* stream = FSOUND_Stream_OpenFile(track.c_str(), FSOUND_LOOP_OFF, 0);
  ASSERT_NE(stream, nullptr);
  virtualTimeSetMs(5000);
  virtualTimeReleaseLive();
  ASSERT_EQ(FSOUND_Stream_Play(FSOUND_FREE, stream), 0);
  EXPECT_LE(FSOUND_Stream_GetTime(stream), 30);
}
}  // namespace
