// The heard position: the device delay an output reports, the user's offset, and where that
// offset comes from.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/sound/heard_clock.h"

// The frames still queued ahead of the speaker when the callback began are not heard yet: a
// larger reported delay holds the position back by exactly that much.
TEST(HeardClock, PositionLagsByTheReportedDeviceDelay) {
  const int rate = 44100;
  // At the callback: 10240 frames handed out, one buffer of 1024 queued.
  EXPECT_EQ(heardFromCallback(10240, 11264, 0.0, rate, 1024), 9216);
  // 10 ms later the listener has heard 441 frames more.
  EXPECT_EQ(heardFromCallback(10240, 11264, 0.010, rate, 1024), 9216 + 441);
  // A device that reports 200 ms of its own (Bluetooth) on top of the buffer.
  EXPECT_EQ(heardFromCallback(10240, 11264, 0.010, rate, 1024 + 8820), 9216 + 441 - 8820);
  // Never past what was handed out, however long since the last callback (a stalled device).
  EXPECT_EQ(heardFromCallback(10240, 11264, 5.0, rate, 1024), 11264);
  // At the start the delay is still ahead of the listener: nothing heard yet, never below 0.
  EXPECT_EQ(heardFromCallback(0, 1024, 0.0, rate, 1024), 0);
  EXPECT_EQ(heardFromCallback(1024, 2048, 0.001, rate, 8820 + 1024), 0);
  // The first sound comes exactly the reported delay after the first callback.
  EXPECT_EQ(heardFromCallback(0, 1024, 0.200, rate, 8820), 0);
  EXPECT_EQ(heardFromCallback(0, 1024, 0.210, rate, 8820), 441);
}

// A positive offset holds the position back and starts it at 0; a negative one puts it ahead,
// the lead built up over the first milliseconds heard. Either way the position never goes back
// and never moves by more than two milliseconds for one heard.
TEST(HeardClock, OffsetMovesThePositionWithoutAJumpOrAStepBack) {
  for (int offset : {0, 1, 180, 250, 5000, -1, -40, -250, -5000}) {
    int last = offsetPositionMs(0, offset);
    EXPECT_EQ(last, 0) << "offset " << offset;
    for (int heard = 1; heard <= 12000; ++heard) {
      int position = offsetPositionMs(heard, offset);
      ASSERT_GE(position, last) << "offset " << offset << " at " << heard << " ms";
      ASSERT_LE(position - last, offset < 0 ? 2 : 1) << "offset " << offset << " at " << heard << " ms";
      last = position;
    }
    // Past the offset the position is the heard one moved by it.
    int heard = 11000;
    EXPECT_EQ(offsetPositionMs(heard, offset), heard - offset) << "offset " << offset;
  }
  EXPECT_EQ(offsetPositionMs(180, 250), 0);
  EXPECT_EQ(offsetPositionMs(1000, 250), 750);
  EXPECT_EQ(offsetPositionMs(100, -250), 200);
}

TEST(HeardClock, OffsetsParseAsWholeMillisecondsWithinFiveSeconds) {
  int ms = 99;
  std::string why;
  EXPECT_TRUE(audioOffsetParse("180", &ms, &why));
  EXPECT_EQ(ms, 180);
  EXPECT_TRUE(audioOffsetParse("-250", &ms, &why));
  EXPECT_EQ(ms, -250);
  EXPECT_TRUE(audioOffsetParse("5000", &ms, &why));
  EXPECT_EQ(ms, 5000);
  for (const char* bad : {"", "ms", "180ms", "1.5", "1e3", " ", "0x10x"}) {
    ms = 7;
    EXPECT_FALSE(audioOffsetParse(bad, &ms, &why)) << bad;
    EXPECT_EQ(why, "is not a whole number of milliseconds") << bad;
    EXPECT_EQ(ms, 7) << bad;
  }
  for (const char* far : {"5001", "-5001", "99999999999999999999"}) {
    EXPECT_FALSE(audioOffsetParse(far, &ms, &why)) << far;
    EXPECT_EQ(ms, 7) << far;
  }
}

TEST(HeardClock, OffsetComesFromTheEnvironment) {
  setenv("KS_AUDIO_OFFSET_MS", "-120", 1);
  EXPECT_EQ(audioOffsetMs(), -120);
}

TEST(HeardClock, OptionOverridesTheEnvironment) {
  setenv("KS_AUDIO_OFFSET_MS", "-120", 1);
  audioOffsetSetMs(200);
  EXPECT_EQ(audioOffsetMs(), 200);
}

TEST(HeardClock, UnparsableEnvironmentIsSaidOnceAndIgnored) {
  setenv("KS_AUDIO_OFFSET_MS", "200ms", 1);
  testing::internal::CaptureStderr();
  EXPECT_EQ(audioOffsetMs(), 0);
  EXPECT_EQ(audioOffsetMs(), 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "KS_AUDIO_OFFSET_MS: \"200ms\" is not a whole number of milliseconds; no offset is used\n");
}
