// GlTest with the window's start state, as the window procedure leaves it before the first
// frame: the initial GL state and the default 45-degree projection of the 640x480 window.
// For tests of the show's code that links the app folder.
#pragma once

#include "app/app.h"
#include "app/music.h"
#include "platform/fsound.h"
#include "platform/time/virtual_time.h"
#include "support/gl_fixture.h"

class WindowStartTest : public GlTest {
 protected:
  void prepare() override {
    initGLState();
    resizeView(640, 480);
  }
  // The show's music (data/compilation.mp3 of the working directory) playing on virtual time,
  // whose position the test sets.
  void playMusicOnVirtualTime() {
    virtualTimeEnable();
    ASSERT_TRUE(FSOUND_Init(44100, 16, 0));
    g_musicStream = FSOUND_Stream_OpenFile("data/compilation.mp3", FSOUND_LOOP_OFF | FSOUND_8BITS | FSOUND_MONO, 0);
    ASSERT_NE(g_musicStream, nullptr);
    FSOUND_Stream_Play(FSOUND_FREE, g_musicStream);
  }
};
