// The sound device behind the FSOUND calls: one output of interleaved 16-bit stereo at a fixed
// rate, pulled through a fill callback by the output's own thread (in the browser, which has
// none, by the output itself whenever the position is read). One backend file each:
// output_sdl.cpp (Linux, SDL2 audio), output_waveout.cpp (Windows, winmm waveOut),
// output_web.cpp (the browser, Web Audio), output_silent_native.cpp (Linux and Windows: no
// device, a thread that consumes samples in real time) and output_silent_web.cpp (the same in
// the browser).
#pragma once

#include <cstdint>
#include <string>

// Writes `frames` stereo frames (two int16 samples each) to `samples`; runs on the output's
// thread, never while the output is locked.
typedef void (*AudioFill)(int16_t* samples, int frames);

struct AudioOutput {
  const char* name;
  // Opens the device at `rate` Hz, not yet pulling. False, with the reason in `why`, when there
  // is no device to be had.
  bool (*open)(int rate, AudioFill fill, std::string* why);
  // Starts pulling samples; the heard position counts from here.
  void (*start)();
  // While held, the fill callback does not run (for state shared with it).
  void (*lock)();
  void (*unlock)();
  // Sample frames the listener has heard since start: monotonic, following real time while
  // the output runs, never more than the fill callback has been asked for. Callable from any
  // thread, with or without the lock held.
  int64_t (*heardFrames)();
  // True once the device has gone away (unplugged, its sound server gone): from then on the
  // fill callback is no longer called and heardFrames stays where the listener was. Null for an
  // output that cannot lose its device.
  bool (*lost)();
  // Releases a lost device, so that another output (or this one, opened again on the new
  // default device) can take over. Otherwise an output is never closed: like the sound library
  // it stands in for, it goes with the process.
  void (*close)();
};

// The device output of this platform, and the silent one that stands in when it cannot open.
extern const AudioOutput g_deviceAudioOutput;
extern const AudioOutput g_silentAudioOutput;
