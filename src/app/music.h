// Music stream and the show's only clock.
#pragma once

#include "platform/fsound.h"

// The show's one music track, relative to the working directory.
const char kMusicFile[] = "data/compilation.mp3";

extern FSOUND_STREAM* g_musicStream;
extern double g_musicTime;

bool startMusic();
double updateMusicClock();
void stopMusic();
