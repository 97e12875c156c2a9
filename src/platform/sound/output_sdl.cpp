// Sound output over SDL2 audio: the default device, 16-bit stereo at the mixing rate, pulled by
// SDL's audio thread in buffers of the size the device asks for (about 1024 frames).
// Supports: the heard position estimated from the last callback (what it began with, less the
// device buffer SDL reports still queued ahead of the speaker, plus the time since), never past
// what was asked for and never going back; the device going away (SDL_AUDIODEVICEREMOVED, seen
// by an event watch on whatever thread SDL reports it): the position stops where the listener
// was, the stream is no longer pulled, and the device can be closed for another to take over.
// Does not support: choosing a device, other sample formats, latency beyond the device buffer
// (SDL2 reports none; the user's offset covers it), ALSA's own error lines (silenced: the
// caller reports a device that does not open).
// Depends on SDL2 audio and events (any driver SDL finds; SDL_AUDIODRIVER=dummy gives a silent
// one).
#include <SDL.h>
#include <dlfcn.h>

#include <atomic>
#include <cstring>

#include "platform/sound/output.h"
#include "platform/sound/heard_clock.h"

namespace {
std::atomic<SDL_AudioDeviceID> g_device{0};
AudioFill g_fill = nullptr;
int g_rate = 44100;
int g_bufferFrames = 1024;
// Written by the callback with the device locked; read under the same lock.
int64_t g_framesAsked = 0;
int64_t g_framesAtCallback = 0;
Uint64 g_callbackTicks = 0;
int64_t g_lastHeard = 0;
std::atomic<bool> g_lost{false};

void callback(void*, Uint8* out, int bytes) {
  if (g_lost) {  // SDL goes on calling at the device's pace after a loss; nobody hears it
    std::memset(out, 0, static_cast<size_t>(bytes));
    return;
  }
  int frames = bytes / 4;
  g_framesAtCallback = g_framesAsked;
  g_callbackTicks = SDL_GetPerformanceCounter();
  g_fill(reinterpret_cast<int16_t*>(out), frames);
  g_framesAsked += frames;
}

// The heard frames as of now, with the device locked; held still once the device is lost.
int64_t heardLocked() {
  if (g_callbackTicks && !g_lost) {
    double since = static_cast<double>(SDL_GetPerformanceCounter() - g_callbackTicks) / SDL_GetPerformanceFrequency();
    int64_t heard = heardFromCallback(g_framesAtCallback, g_framesAsked, since, g_rate, g_bufferFrames);
    if (heard > g_lastHeard) g_lastHeard = heard;
  }
  return g_lastHeard;
}

// SDL reports a lost device from its audio thread or its device-detection thread: the
// position is held where the listener was, and the stream moves elsewhere at its next reading.
int watchForLoss(void*, SDL_Event* event) {
  SDL_AudioDeviceID device = g_device;
  if (event->type != SDL_AUDIODEVICEREMOVED || event->adevice.iscapture || !device || event->adevice.which != device)
    return 1;
  SDL_LockAudioDevice(device);
  heardLocked();
  g_lost = true;
  SDL_UnlockAudioDevice(device);
  return 1;
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
  // Events too: the loss of the device comes as one.
  if (SDL_InitSubSystem(SDL_INIT_AUDIO | SDL_INIT_EVENTS) != 0) {
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
  g_framesAsked = g_framesAtCallback = g_lastHeard = 0;
  g_callbackTicks = 0;
  g_lost = false;
  // The device's own buffer size, not one SDL would re-chunk to ours behind an extra queue.
  SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &got, SDL_AUDIO_ALLOW_SAMPLES_CHANGE);
  if (!device) {
    *why = SDL_GetError();
    SDL_QuitSubSystem(SDL_INIT_AUDIO | SDL_INIT_EVENTS);
    return false;
  }
  g_rate = rate;
  g_bufferFrames = got.samples;
  g_device = device;
  SDL_AddEventWatch(watchForLoss, nullptr);
  return true;
}

void sdlStart() { SDL_PauseAudioDevice(g_device, 0); }
void sdlLock() { SDL_LockAudioDevice(g_device); }
void sdlUnlock() { SDL_UnlockAudioDevice(g_device); }

int64_t sdlHeardFrames() {
  SDL_AudioDeviceID device = g_device;
  SDL_LockAudioDevice(device);  // recursive: safe while the caller holds it
  int64_t heard = heardLocked();
  SDL_UnlockAudioDevice(device);
  return heard;
}

bool sdlLost() { return g_lost; }

void sdlClose() {
  SDL_AudioDeviceID device = g_device;
  if (!device) return;
  SDL_DelEventWatch(watchForLoss, nullptr);
  g_device = 0;
  SDL_CloseAudioDevice(device);  // waits for SDL's audio thread to end
  // The last user of SDL audio lets it go, so that the next open looks for a driver afresh.
  SDL_QuitSubSystem(SDL_INIT_AUDIO | SDL_INIT_EVENTS);
}

}  // namespace

const AudioOutput g_deviceAudioOutput = {"sdl2",         sdlOpen, sdlStart, sdlLock, sdlUnlock, sdlHeardFrames,
                                         sdlLost,        sdlClose};
