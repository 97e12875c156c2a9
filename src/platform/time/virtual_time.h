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
