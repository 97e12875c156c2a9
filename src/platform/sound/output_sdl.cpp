// Sound output over SDL2 audio: the default device, 16-bit stereo at the mixing rate, one
// buffer of 1024 frames pulled by SDL's audio thread.
// Supports: the heard position estimated from the last callback (what it began with, less the
// one buffer still queued ahead of the speaker, plus the time since), never past what was
// asked for and never going back.
// Does not support: choosing a device, other sample formats, latency reports from the device,
// ALSA's own error lines (silenced: the caller reports a device that does not open).
// Depends on SDL2 audio (any driver SDL finds; SDL_AUDIODRIVER=dummy gives a silent one).
#include <SDL.h>
#include <dlfcn.h>

#include "platform/sound/output.h"

namespace {
SDL_AudioDeviceID g_device = 0;
AudioFill g_fill = nullptr;
int g_rate = 44100;
int g_bufferFrames = 1024;
// Written by the callback with the device locked; read under the same lock.
int64_t g_framesAsked = 0;
int64_t g_framesAtCallback = 0;
Uint64 g_callbackTicks = 0;
int64_t g_lastHeard = 0;

void callback(void*, Uint8* out, int bytes) {
  int frames = bytes / 4;
  g_framesAtCallback = g_framesAsked;
  g_callbackTicks = SDL_GetPerformanceCounter();
  g_fill(reinterpret_cast<int16_t*>(out), frames);
  g_framesAsked += frames;
}

// Where ALSA finds no sound card it prints a screenful of its own; the caller's one line says
// what matters (no device, playing silently).
void quietAlsa(const char*, int, const char*, int, const char*, ...) {}
void silenceAlsa() {
  void* alsa = dlopen("libasound.so.2", RTLD_LAZY);
  if (!alsa) return;
  using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
  auto setHandler = reinterpret_cast<int (*)(Handler)>(dlsym(alsa, "snd_lib_error_set_handler"));
  if (setHandler) setHandler(quietAlsa);
}

bool sdlOpen(int rate, AudioFill fill, std::string* why) {
  silenceAlsa();
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    *why = SDL_GetError();
    return false;
  }
  SDL_AudioSpec wanted = {};
  wanted.freq = rate;
  wanted.format = AUDIO_S16SYS;
  wanted.channels = 2;
  wanted.samples = 1024;
  wanted.callback = callback;
  SDL_AudioSpec got = {};
  g_fill = fill;
  g_device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &got, 0);
  if (!g_device) {
    *why = SDL_GetError();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  g_rate = rate;
  g_bufferFrames = got.samples;
  return true;
}

void sdlStart() { SDL_PauseAudioDevice(g_device, 0); }
void sdlLock() { SDL_LockAudioDevice(g_device); }
void sdlUnlock() { SDL_UnlockAudioDevice(g_device); }

int64_t sdlHeardFrames() {
  SDL_LockAudioDevice(g_device);  // recursive: safe while the caller holds it
  int64_t base = g_framesAtCallback, asked = g_framesAsked;
  Uint64 ticks = g_callbackTicks;
  int64_t heard = g_lastHeard;
  if (ticks) {
    double since = static_cast<double>(SDL_GetPerformanceCounter() - ticks) / SDL_GetPerformanceFrequency();
    double frames = static_cast<double>(base - g_bufferFrames) + since * g_rate;
    if (frames > static_cast<double>(asked)) frames = static_cast<double>(asked);
    if (static_cast<int64_t>(frames) > heard) heard = static_cast<int64_t>(frames);
    g_lastHeard = heard;
  }
  SDL_UnlockAudioDevice(g_device);
  return heard;
}

}  // namespace

const AudioOutput g_deviceAudioOutput = {"sdl2", sdlOpen, sdlStart, sdlLock, sdlUnlock, sdlHeardFrames};
