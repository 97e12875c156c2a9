// The music stream and the show's only clock: the stream's position, read once per frame.
#include "app/music.h"

#include "app/assets.h"

FSOUND_STREAM* g_musicStream = nullptr;
double g_musicTime = 0.0;

bool startMusic() {
  FSOUND_SetOutput(FSOUND_OUTPUT_DSOUND);
  FSOUND_SetDriver(0);
  if (!FSOUND_Init(44100, 16, 0)) return false;
  g_musicStream = FSOUND_Stream_OpenFile(kMusicFile, FSOUND_LOOP_OFF | FSOUND_8BITS | FSOUND_MONO, 0);
  if (!g_musicStream) fatalDataError(kMusicFile);
  FSOUND_SetSFXMasterVolume(255);
  FSOUND_Stream_Play(FSOUND_FREE, g_musicStream);
  return true;
}

double updateMusicClock() {
  int milliseconds = FSOUND_Stream_GetTime(g_musicStream);
  g_musicTime = (double)milliseconds * 0.001;
  return g_musicTime;
}

void stopMusic() {
  if (g_musicStream) {
    FSOUND_Stream_Stop(g_musicStream);
    FSOUND_Stream_Close(g_musicStream);
  }
}
