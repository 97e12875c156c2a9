// The subset of the FSOUND music interface that the show calls. Served by sound/stream.cpp:
// libmpg123 decodes, an output of sound/output.h plays (or a silent one that keeps real time
// when no device opens), and in virtual-time runs the position is set by the run instead.
#pragma once

struct FSOUND_STREAM;

#define FSOUND_OUTPUT_DSOUND 2
#define FSOUND_LOOP_OFF 0x00000001
#define FSOUND_8BITS 0x00000008
#define FSOUND_MONO 0x00000020
#define FSOUND_FREE (-1)

signed char FSOUND_SetOutput(int outputType);
signed char FSOUND_SetDriver(int driver);
signed char FSOUND_Init(int mixRate, int maxSoftwareChannels, unsigned int flags);
FSOUND_STREAM* FSOUND_Stream_OpenFile(const char* name, unsigned int mode, int length);
signed char FSOUND_SetSFXMasterVolume(int volume);
int FSOUND_Stream_Play(int channel, FSOUND_STREAM* stream);
int FSOUND_Stream_GetTime(FSOUND_STREAM* stream);
signed char FSOUND_Stream_Stop(FSOUND_STREAM* stream);
signed char FSOUND_Stream_Close(FSOUND_STREAM* stream);
