// Sound backend for the FSOUND calls: libmpg123 decodes the MP3 stream inside SDL2's audio
// callback, which plays it on the default device as 16-bit stereo at the mixing rate.
// Supports: one stream at a time, played once (no looping), master volume, the position that
// the listener hears in whole milliseconds (0 for no stream or before it plays). When no audio
// device opens, SDL's dummy driver takes its place: silent, but consuming samples in real time,
// so the position still keeps real time. With virtual time (virtual_time.h) no device is opened
// and every open stream reports the position set by the run.
// Does not support: samples, channels other than "any free one", 8-bit or mono output (the
// FSOUND_8BITS and FSOUND_MONO mode bits only describe the wanted sample format; the stream is
// always played at full quality), memory streams. Depends on libmpg123 and SDL2 audio.
#include <SDL.h>
#include <mpg123.h>

#include <cstdio>
#include <cstring>

#include "platform/fsound.h"
#include "platform/virtual_time.h"

struct FSOUND_STREAM {
  mpg123_handle* decoder = nullptr;  // null for a virtual stream
  bool playing = false;
  bool finished = false;
  long long framesDecoded = 0;     // sample frames handed to the device so far
  long long framesAtCallback = 0;  // framesDecoded when the last callback began
  Uint64 callbackTicks = 0;        // performance counter at that callback
  int lastReportedMs = 0;
};

namespace {
bool g_virtualTime = false;
int g_virtualMs = 0;
bool g_initialised = false;
SDL_AudioDeviceID g_device = 0;
int g_mixRate = 44100;
int g_bufferFrames = 1024;
int g_volume = 255;
FSOUND_STREAM* g_playing = nullptr;  // the stream the callback feeds

void audioCallback(void*, Uint8* out, int bytes) {
  std::memset(out, 0, static_cast<size_t>(bytes));
  FSOUND_STREAM* stream = g_playing;
  if (!stream || !stream->playing) return;
  stream->framesAtCallback = stream->framesDecoded;
  stream->callbackTicks = SDL_GetPerformanceCounter();
  if (stream->finished) return;
  size_t done = 0;
  while (done < static_cast<size_t>(bytes)) {
    size_t got = 0;
    int result = mpg123_read(stream->decoder, out + done, static_cast<size_t>(bytes) - done, &got);
    done += got;
    if (result == MPG123_DONE || (result != MPG123_OK && result != MPG123_NEW_FORMAT && got == 0)) {
      stream->finished = true;
      break;
    }
  }
  stream->framesDecoded += static_cast<long long>(done / 4);
  if (g_volume < 255) {
    Sint16* samples = reinterpret_cast<Sint16*>(out);
    for (size_t i = 0; i < done / 2; ++i) samples[i] = static_cast<Sint16>(samples[i] * g_volume / 255);
  }
}

bool openDevice() {
  SDL_AudioSpec wanted = {};
  wanted.freq = g_mixRate;
  wanted.format = AUDIO_S16SYS;
  wanted.channels = 2;
  wanted.samples = 1024;
  wanted.callback = audioCallback;
  SDL_AudioSpec got = {};
  g_device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &got, 0);
  if (!g_device) return false;
  g_bufferFrames = got.samples;
  return true;
}

// The heard position: what the last callback began with, less the one buffer still queued ahead
// of the speaker, plus the time since that callback, never past what was handed over and never
// going back.
int heardMs(FSOUND_STREAM* stream) {
  SDL_LockAudioDevice(g_device);
  long long base = stream->framesAtCallback;
  long long decoded = stream->framesDecoded;
  Uint64 ticks = stream->callbackTicks;
  SDL_UnlockAudioDevice(g_device);
  if (!ticks) return stream->lastReportedMs;
  double since = static_cast<double>(SDL_GetPerformanceCounter() - ticks) / SDL_GetPerformanceFrequency();
  double frames = static_cast<double>(base - g_bufferFrames) + since * g_mixRate;
  if (frames > static_cast<double>(decoded)) frames = static_cast<double>(decoded);
  if (frames < 0.0) frames = 0.0;
  int ms = static_cast<int>(frames * 1000.0 / g_mixRate);
  if (ms < stream->lastReportedMs) ms = stream->lastReportedMs;
  stream->lastReportedMs = ms;
  return ms;
}
}  // namespace

void virtualTimeEnable() { g_virtualTime = true; }
bool virtualTimeEnabled() { return g_virtualTime; }
void virtualTimeSetMs(int ms) { g_virtualMs = ms; }
int virtualTimeMs() { return g_virtualMs; }

signed char FSOUND_SetOutput(int) { return 1; }
signed char FSOUND_SetDriver(int) { return 1; }

signed char FSOUND_Init(int mixRate, int, unsigned int) {
  if (g_initialised) return 1;
  g_mixRate = mixRate > 0 ? mixRate : 44100;
  if (g_virtualTime) {
    g_initialised = true;
    return 1;
  }
  if (mpg123_init() != MPG123_OK) return 0;
  bool opened = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0 && openDevice();
  if (!opened) {
    // No sound device: the dummy driver plays silently at the same pace.
    std::fprintf(stderr, "FSOUND_Init: no audio device (%s), playing silently\n", SDL_GetError());
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    SDL_SetHint(SDL_HINT_AUDIODRIVER, "dummy");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0 || !openDevice()) return 0;
  }
  g_initialised = true;
  return 1;
}

FSOUND_STREAM* FSOUND_Stream_OpenFile(const char* name, unsigned int, int length) {
  if (!g_initialised || !name || length != 0) return nullptr;
  if (g_virtualTime) {
    std::FILE* file = std::fopen(name, "rb");
    if (!file) return nullptr;
    std::fclose(file);
    return new FSOUND_STREAM();
  }
  int error = 0;
  mpg123_handle* decoder = mpg123_new(nullptr, &error);
  if (!decoder) return nullptr;
  // Decode straight to the device's format; mpg123 resamples when the file's rate differs.
  mpg123_param(decoder, MPG123_FORCE_RATE, g_mixRate, 0);
  mpg123_format_none(decoder);
  mpg123_format(decoder, g_mixRate, MPG123_STEREO, MPG123_ENC_SIGNED_16);
  long rate = 0;
  int channels = 0, encoding = 0;
  if (mpg123_open(decoder, name) != MPG123_OK || mpg123_getformat(decoder, &rate, &channels, &encoding) != MPG123_OK) {
    mpg123_delete(decoder);
    return nullptr;
  }
  FSOUND_STREAM* stream = new FSOUND_STREAM();
  stream->decoder = decoder;
  return stream;
}

signed char FSOUND_SetSFXMasterVolume(int volume) {
  if (g_device) SDL_LockAudioDevice(g_device);
  g_volume = volume < 0 ? 0 : volume > 255 ? 255 : volume;
  if (g_device) SDL_UnlockAudioDevice(g_device);
  return 1;
}

// Returns the channel the stream plays on (always 0: one stream at a time), -1 on failure.
int FSOUND_Stream_Play(int, FSOUND_STREAM* stream) {
  if (!stream) return -1;
  if (!stream->decoder) {
    stream->playing = true;
    return 0;
  }
  SDL_LockAudioDevice(g_device);
  if (g_playing && g_playing != stream) g_playing->playing = false;
  g_playing = stream;
  stream->playing = true;
  SDL_UnlockAudioDevice(g_device);
  SDL_PauseAudioDevice(g_device, 0);
  return 0;
}

int FSOUND_Stream_GetTime(FSOUND_STREAM* stream) {
  if (!stream) return 0;
  if (!stream->decoder) return g_virtualMs;
  return heardMs(stream);
}

signed char FSOUND_Stream_Stop(FSOUND_STREAM* stream) {
  if (!stream) return 0;
  if (stream->decoder) SDL_LockAudioDevice(g_device);
  stream->playing = false;
  if (stream->decoder) {
    if (g_playing == stream) g_playing = nullptr;
    SDL_UnlockAudioDevice(g_device);
  }
  return 1;
}

signed char FSOUND_Stream_Close(FSOUND_STREAM* stream) {
  if (!stream) return 0;
  FSOUND_Stream_Stop(stream);
  if (stream->decoder) {
    mpg123_close(stream->decoder);
    mpg123_delete(stream->decoder);
  }
  delete stream;
  return 1;
}
