// Virtual music time: instead of following the sound device, every open stream reports a
// position set by the caller. Used by the virtual-time run (capture, benchmark) and by tests
// that draw frames at exact music times. Served by virtual_time.cpp; sound/stream.cpp and
// wall_clock.cpp read it.
// Use: virtualTimeEnable before FSOUND_Init, then virtualTimeSetMs before each frame.
#pragma once

// Switches the sound calls to virtual time; call before FSOUND_Init. FSOUND_Init then needs no
// device, and FSOUND_Stream_OpenFile only checks that the file can be opened (null if not).
void virtualTimeEnable();
bool virtualTimeEnabled();
// The position, in milliseconds, that every open stream reports from now on.
void virtualTimeSetMs(int ms);
int virtualTimeMs();

// Live start part-way (served by sound/stream.cpp, which holds the stream): the device is opened as usual, but until virtualTimeReleaseLive() the
// playing stream stays silent and reports the position set above; on release it is heard
// from that position on, and reports it plus what has been heard since.
void virtualTimeHoldLive();
void virtualTimeReleaseLive();

// The music position the show last read (what FSOUND_Stream_GetTime last returned, 0 before
// any read), for a backend that reports it to the page. Served by sound/stream.cpp.
int musicLastReadMs();
