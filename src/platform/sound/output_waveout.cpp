// Windows sound output over winmm's waveOut: the default wave device (the wave mapper) plays
// interleaved 16-bit stereo at the stream's rate from a few queued buffers, which a thread of
// its own refills through the fill callback as the device hands them back.
// Supports: one output for the life of the process (never closed by its user; at process exit
// it stops its thread and releases the device itself, so no sound thread runs while the
// process is torn down); the heard position from waveOutGetPosition (samples, or bytes or
// milliseconds where a driver reports those; 32-bit counters that wrap are unwrapped) or, where
// the driver gives none, from the buffers the device has finished: monotonic, never past what
// the fill callback was asked for, leaving out silence a starved driver counts, readable from
// any thread.
// Does not support: choosing a device, pausing, closing, volume (the stream scales its samples
// itself).
// Depends on winmm (waveOut*) and kernel32 threads, events and critical sections.
#include <windows.h>
#include <mmsystem.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/sound/output.h"

namespace {

// Eight buffers of 2048 frames: about 370 ms queued at 44.1 kHz. Wave drivers built on a
// shared mixer keep a buffer of their own and starve on much less (measured under Wine: a
// quarter of the first second lost with 100 ms queued, none with this). The depth costs no
// sync: the show's clock is the heard position, not the queued one.
const int kBuffers = 8;
const int kBufferFrames = 2048;

HWAVEOUT g_wave = nullptr;
HANDLE g_bufferDone = nullptr;  // signalled by the device whenever it finishes a buffer
HANDLE g_thread = nullptr;
std::atomic<bool> g_running{false};  // the refill thread has started
std::atomic<bool> g_stopping{false};  // set at process exit: the refill thread ends
CRITICAL_SECTION g_fillLock;
CRITICAL_SECTION g_positionLock;  // heardFrames' own state; never held around a fill
bool g_locksReady = false;
AudioFill g_fill = nullptr;
int g_rate = 44100;
WAVEHDR g_headers[kBuffers];
int16_t* g_samples = nullptr;

// Written by the refill thread, read by heardFrames.
std::atomic<int64_t> g_framesQueued{0};  // frames handed to the device since start
std::atomic<int64_t> g_framesDone{0};    // frames of buffers the device has finished

// heardFrames' own state, under g_positionLock.
int64_t g_lastHeard = 0;
DWORD g_lastRaw = 0;
int64_t g_unwrapped = 0;
int64_t g_starved = 0;  // device frames played while nothing of ours was queued
bool g_positionWorks = true;

std::string waveError(MMRESULT result) {
  char text[MAXERRORLENGTH] = {};
  if (waveOutGetErrorTextA(result, text, sizeof text) != MMSYSERR_NOERROR)
    std::snprintf(text, sizeof text, "error %u", result);
  return text;
}

// Fills buffer `index` through the callback and queues it on the device; false when the
// device refuses it.
bool queueBuffer(int index) {
  WAVEHDR* header = &g_headers[index];
  EnterCriticalSection(&g_fillLock);
  g_fill(reinterpret_cast<int16_t*>(header->lpData), kBufferFrames);
  LeaveCriticalSection(&g_fillLock);
  header->dwFlags &= ~WHDR_DONE;
  MMRESULT result = waveOutWrite(g_wave, header, sizeof(WAVEHDR));
  if (result != MMSYSERR_NOERROR) {
    std::fprintf(stderr, "waveOut: the device refused a buffer (%s); the sound stops here\n", waveError(result).c_str());
    return false;
  }
  g_framesQueued += kBufferFrames;
  return true;
}

// Keeps every buffer queued: a finished one is counted, refilled and queued again. A device
// that refuses a buffer ends the thread; the position then stays where the sound stopped.
DWORD WINAPI refillThread(void*) {
  for (int i = 0; i < kBuffers; ++i) {
    if (!queueBuffer(i)) return 1;
  }
  while (!g_stopping) {
    // The timeout covers a signal that came between the scan and the wait.
    WaitForSingleObject(g_bufferDone, 20);
    for (int i = 0; i < kBuffers && !g_stopping; ++i) {
      if (!(g_headers[i].dwFlags & WHDR_DONE)) continue;
      g_framesDone += kBufferFrames;
      if (!queueBuffer(i)) return 1;
    }
  }
  return 0;
}

// Releases the device and the buffers (after a half-made open, or at exit).
void releaseAll() {
  if (g_wave) {
    waveOutReset(g_wave);
    for (int i = 0; i < kBuffers; ++i) {
      if (g_headers[i].dwFlags & WHDR_PREPARED) waveOutUnprepareHeader(g_wave, &g_headers[i], sizeof(WAVEHDR));
    }
    waveOutClose(g_wave);
    g_wave = nullptr;
  }
  if (g_bufferDone) CloseHandle(g_bufferDone);
  g_bufferDone = nullptr;
  delete[] g_samples;
  g_samples = nullptr;
}

// At process exit: the thread is stopped (a fill under way finishes first) and the device
// released, before the runtime and the system tear the process down around them.
void releaseAtExit() {
  if (g_running) {
    g_stopping = true;
    SetEvent(g_bufferDone);
    // A thread that does not end is left as it is, with what it uses.
    if (WaitForSingleObject(g_thread, 2000) != WAIT_OBJECT_0) return;
  }
  EnterCriticalSection(&g_positionLock);
  releaseAll();
  LeaveCriticalSection(&g_positionLock);
}

bool waveOpen(int rate, AudioFill fill, std::string* why) {
  if (g_wave) {
    if (why) *why = "the wave output is already open";
    return false;
  }
  if (waveOutGetNumDevs() == 0) {
    if (why) *why = "no wave output device";
    return false;
  }
  WAVEFORMATEX format = {};
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = 2;
  format.nSamplesPerSec = static_cast<DWORD>(rate);
  format.wBitsPerSample = 16;
  format.nBlockAlign = 4;
  format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
  g_bufferDone = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  if (!g_bufferDone) {
    if (why) *why = "CreateEvent failed";
    return false;
  }
  MMRESULT result = waveOutOpen(&g_wave, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(g_bufferDone), 0,
                                CALLBACK_EVENT);
  if (result != MMSYSERR_NOERROR) {
    g_wave = nullptr;
    if (why) *why = "waveOutOpen: " + waveError(result);
    releaseAll();
    return false;
  }
  g_samples = new int16_t[kBuffers * kBufferFrames * 2]();
  for (int i = 0; i < kBuffers; ++i) {
    WAVEHDR* header = &g_headers[i];
    std::memset(header, 0, sizeof(WAVEHDR));
    header->lpData = reinterpret_cast<LPSTR>(g_samples + i * kBufferFrames * 2);
    header->dwBufferLength = kBufferFrames * 4;
    result = waveOutPrepareHeader(g_wave, header, sizeof(WAVEHDR));
    if (result != MMSYSERR_NOERROR) {
      if (why) *why = "waveOutPrepareHeader: " + waveError(result);
      releaseAll();
      return false;
    }
  }
  InitializeCriticalSection(&g_fillLock);
  InitializeCriticalSection(&g_positionLock);
  g_locksReady = true;
  g_fill = fill;
  g_rate = rate;
  std::atexit(releaseAtExit);
  return true;
}

void waveStart() {
  if (!g_wave || g_thread) return;
  g_thread = CreateThread(nullptr, 0, refillThread, nullptr, 0, nullptr);
  if (!g_thread) {
    std::fprintf(stderr, "waveOut: the refill thread could not start: no sound, and the position stays at 0\n");
    return;
  }
  g_running = true;
}

void waveLock() {
  if (g_locksReady) EnterCriticalSection(&g_fillLock);
}

void waveUnlock() {
  if (g_locksReady) LeaveCriticalSection(&g_fillLock);
}

// The device's playback position in frames, or -1 when it gives none.
int64_t devicePosition() {
  MMTIME time = {};
  time.wType = TIME_SAMPLES;
  if (waveOutGetPosition(g_wave, &time, sizeof time) != MMSYSERR_NOERROR) return -1;
  DWORD raw;
  switch (time.wType) {
    case TIME_SAMPLES: raw = time.u.sample; break;
    case TIME_BYTES: raw = time.u.cb / 4; break;
    case TIME_MS: raw = static_cast<DWORD>(static_cast<uint64_t>(time.u.ms) * g_rate / 1000); break;
    default: return -1;
  }
  // Counters are 32 bits wide: add the step since the last reading, modulo 2^32.
  g_unwrapped += static_cast<DWORD>(raw - g_lastRaw);
  g_lastRaw = raw;
  return g_unwrapped;
}

int64_t heardLocked() {
  int64_t queued = g_framesQueued;
  int64_t heard = -1;
  if (g_positionWorks) {
    int64_t position = devicePosition();
    if (position < 0) {
      g_positionWorks = false;
    } else {
      // Some drivers count the silence they play while starved; that is none of our sound,
      // so what the position gains beyond all we queued is set aside for good.
      if (position - g_starved > queued) g_starved = position - queued;
      heard = position - g_starved;
    }
  }
  if (heard < 0) heard = g_framesDone;
  if (heard > queued) heard = queued;
  if (heard < g_lastHeard) heard = g_lastHeard;
  g_lastHeard = heard;
  return heard;
}

int64_t waveHeardFrames() {
  if (!g_running) return 0;
  EnterCriticalSection(&g_positionLock);
  int64_t heard = heardLocked();
  LeaveCriticalSection(&g_positionLock);
  return heard;
}

}  // namespace

const AudioOutput g_deviceAudioOutput = {
    "waveOut", waveOpen, waveStart, waveLock, waveUnlock, waveHeardFrames, nullptr, nullptr,
};
