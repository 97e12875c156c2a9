// Music stream and the show's only clock.
#pragma once

#include "platform/fsound.h"

extern FSOUND_STREAM* g_musicStream;
extern double g_musicTime;

bool startMusic();
double updateMusicClock();
void stopMusic();
