// The FSOUND calls over libmpg123: the stream is decoded on the output's thread as it pulls
// samples (output.h: the platform's device, or the silent output when none opens), as
// interleaved 16-bit stereo at the mixing rate.
// Supports: one stream at a time, played once (no looping), master volume, the position that
// the listener hears in whole milliseconds (0 for no stream or before it plays). When the track
// ends, or its decoding stops early, the output goes on in silence and the position keeps real
// time from the last heard sample, so a clock built on it never stops; one line on standard
// error says where the track ended. The user's audio offset (heard_clock.h) moves the position
// against what the output reports. When the device goes away, the stream goes on from the
// position the listener had reached, on the new default device or else on the silent output,
// the position held still meanwhile (one line on standard error). With virtual time
// (virtual_time.h) no device is opened and every open stream reports the position set by the run.
// A trace of the positions read live, for checks, on request (KS_CLOCK_TRACE).
// Does not support: samples, channels other than "any free one", 8-bit or mono output (the
// FSOUND_8BITS and FSOUND_MONO mode bits only describe the wanted sample format; the stream is
// always played at full quality), memory streams, files mpg123 cannot decode (no stream).
// Depends on libmpg123 and an audio output backend.
#include <mpg123.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/fsound.h"
#include "platform/sound/heard_clock.h"
#include "platform/sound/output.h"
#include "platform/time/virtual_time.h"

struct FSOUND_STREAM {
  std::string name;
  mpg123_handle* decoder = nullptr;  // closed for a virtual stream once its length is known
  bool playing = false;
  // Where the track ends, in sample frames from its start; -1 until known (a playing stream
  // learns it when decoding stops, a virtual one from a scan at open).
  int64_t endFrame = -1;
  bool decodeFailed = false;  // decoding stopped on an error, not at the end of the data
  std::string decodeError;
  int64_t framesDecoded = 0;  // track frames handed to the output
  int64_t startHeard = 0;     // the output's heard frames when the stream started
  int startMs = 0;            // the track position it started from (live start part-way)
  int lastReportedMs = 0;
  bool endReported = false;
  int reads = 0;           // positions read while it plays live: one a frame of the show
  int tracedSecond = -1;   // the last whole second of music traced (KS_CLOCK_TRACE)
};

namespace {
bool g_heldLive = false;  // a live start part-way has not reached its start yet
FSOUND_STREAM* g_heldStream = nullptr;
bool g_initialised = false;
const AudioOutput* g_output = nullptr;
bool g_outputStarted = false;
int g_mixRate = 44100;
int g_volume = 255;
FSOUND_STREAM* g_playing = nullptr;  // the stream the output pulls
int64_t g_heardBase = 0;  // frames heard on the outputs before this one

// Runs on the output's thread: the playing stream's next samples, silence after its end.
void fillFromStream(int16_t* samples, int frames) {
  size_t bytes = static_cast<size_t>(frames) * 4;
  std::memset(samples, 0, bytes);
  FSOUND_STREAM* stream = g_playing;
  if (!stream || !stream->playing || stream->endFrame >= 0) return;
  unsigned char* out = reinterpret_cast<unsigned char*>(samples);
  size_t done = 0;
  while (done < bytes) {
    size_t got = 0;
    int result = mpg123_read(stream->decoder, out + done, bytes - done, &got);
    done += got;
    if (result == MPG123_OK || result == MPG123_NEW_FORMAT) continue;
    if (result != MPG123_DONE) {
      stream->decodeFailed = true;
      stream->decodeError = mpg123_strerror(stream->decoder);
    }
    stream->framesDecoded += static_cast<int64_t>(done / 4);
    stream->endFrame = stream->framesDecoded;
    done = bytes;  // the rest stays silent
    break;
  }
  if (stream->endFrame < 0) stream->framesDecoded += static_cast<int64_t>(done / 4);
  if (g_volume < 255)
    for (int i = 0; i < frames * 2; ++i) samples[i] = static_cast<int16_t>(samples[i] * g_volume / 255);
}

mpg123_handle* openDecoder(const char* name, std::string* why) {
  int error = 0;
  mpg123_handle* decoder = mpg123_new(nullptr, &error);
  if (!decoder) {
    *why = mpg123_plain_strerror(error);
    return nullptr;
  }
  // Our own lines say what went wrong; the library's notes would only add noise.
  mpg123_param(decoder, MPG123_ADD_FLAGS, MPG123_QUIET, 0);
  // Decode straight to the output's format; mpg123 resamples when the file's rate differs.
  mpg123_param(decoder, MPG123_FORCE_RATE, g_mixRate, 0);
  mpg123_format_none(decoder);
  mpg123_format(decoder, g_mixRate, MPG123_STEREO, MPG123_ENC_SIGNED_16);
  long rate = 0;
  int channels = 0, encoding = 0;
  // The first frame must be found and understood: anything else is not music.
  if (mpg123_open(decoder, name) != MPG123_OK || mpg123_getformat(decoder, &rate, &channels, &encoding) != MPG123_OK) {
    *why = mpg123_strerror(decoder);
    mpg123_delete(decoder);
    return nullptr;
  }
  return decoder;
}

void closeDecoder(FSOUND_STREAM* stream) {
  if (!stream->decoder) return;
  mpg123_close(stream->decoder);
  mpg123_delete(stream->decoder);
  stream->decoder = nullptr;
}

int msOfFrames(int64_t frames) { return static_cast<int>(frames * 1000 / g_mixRate); }

// Frames heard since the first output started, across every output the sound has moved to.
int64_t heardFrames() { return g_heardBase + g_output->heardFrames(); }

// The frames handed out past track frame `frame` went with a lost device unheard: the decoder
// goes back to hand them out again. Where it cannot, the music goes on from where decoding was.
void replayFrom(FSOUND_STREAM* stream, int64_t frame) {
  if (!stream->decoder || frame >= stream->framesDecoded) return;
  off_t at = mpg123_seek(stream->decoder, static_cast<off_t>(frame < 0 ? 0 : frame), SEEK_SET);
  if (at < 0) return;
  stream->framesDecoded = at;
  stream->endFrame = -1;
  stream->decodeFailed = false;
  stream->decodeError.clear();
}

// The device went away: the position stays where the listener was until the next output
// plays, and the stream goes on from there, on the new default device or on the silent output.
void moveToAnotherOutput() {
  int64_t heard = heardFrames();
  g_output->close();
  g_heardBase = heard;
  FSOUND_STREAM* stream = g_playing;
  // The track frame the listener reached: where the stream started plus what was heard since.
  int64_t reached = stream ? static_cast<int64_t>(stream->startMs) * g_mixRate / 1000 + heard - stream->startHeard : 0;
  if (stream && stream->playing) replayFrom(stream, reached);
  std::string why;
  const AudioOutput* next = &g_deviceAudioOutput;
  if (!next->open(g_mixRate, fillFromStream, &why)) {
    next = &g_silentAudioOutput;
    next->open(g_mixRate, fillFromStream, &why);
  }
  g_output = next;
  if (g_outputStarted) g_output->start();
  double seconds = static_cast<double>(reached) / g_mixRate;
  std::fprintf(stderr, "FSOUND: the sound device went away at %.3f s of music; %s\n", seconds,
               next == &g_silentAudioOutput ? ("no other device opens (" + why + "), playing silently").c_str()
                                            : "playing on the default device from there");
  std::fflush(stderr);
}

// Once the position has passed the end of the track: one line, the first time.
// With KS_CLOCK_TRACE set (not "0"), a line on standard error at the first read of each whole
// second of music: the position read, the real time since the first read, and how many reads
// (frames of the show) there were. Checks read from it how far a live run really got.
void traceClock(FSOUND_STREAM* stream, int positionMs) {
  static const bool wanted = [] {
    const char* value = std::getenv("KS_CLOCK_TRACE");
    return value && *value && std::strcmp(value, "0") != 0;
  }();
  if (!wanted) return;
  static const auto first = std::chrono::steady_clock::now();
  stream->reads++;
  if (positionMs / 1000 == stream->tracedSecond) return;
  stream->tracedSecond = positionMs / 1000;
  double real = std::chrono::duration<double>(std::chrono::steady_clock::now() - first).count();
  std::fprintf(stderr, "clock: music %.3f s at %.3f s, frame %d\n", positionMs * 0.001, real, stream->reads);
}

void reportEnd(FSOUND_STREAM* stream, int positionMs) {
  if (stream->endReported || stream->endFrame < 0 || positionMs < msOfFrames(stream->endFrame)) return;
  stream->endReported = true;
  double seconds = static_cast<double>(stream->endFrame) / g_mixRate;
  if (stream->decodeFailed)
    std::fprintf(stderr, "%s: the music cannot be decoded past %.3f s (%s); the clock goes on in silence\n",
                 stream->name.c_str(), seconds, stream->decodeError.c_str());
  else
    std::fprintf(stderr, "%s: the music ends at %.3f s; the clock goes on in silence\n", stream->name.c_str(),
                 seconds);
  std::fflush(stderr);
}
}  // namespace

// Live start part-way (declared with the virtual time): see virtualTimeReleaseLive below.
void virtualTimeHoldLive() { g_heldLive = true; }

signed char FSOUND_SetOutput(int) { return 1; }
signed char FSOUND_SetDriver(int) { return 1; }

signed char FSOUND_Init(int mixRate, int, unsigned int) {
  if (g_initialised) return 1;
  g_mixRate = mixRate > 0 ? mixRate : 44100;
  if (mpg123_init() != MPG123_OK) return 0;
  if (!virtualTimeEnabled()) {
    audioOffsetMs();  // an offset that does not parse is said now, not in the middle of the show
    std::string why;
    g_output = &g_deviceAudioOutput;
    if (!g_output->open(g_mixRate, fillFromStream, &why)) {
      // No sound device: the silent output keeps the same pace.
      std::fprintf(stderr, "FSOUND_Init: no audio device (%s), playing silently\n", why.c_str());
      g_output = &g_silentAudioOutput;
      if (!g_output->open(g_mixRate, fillFromStream, &why)) {
        std::fprintf(stderr, "FSOUND_Init: no silent output either (%s)\n", why.c_str());
        g_output = nullptr;
        return 0;
      }
    }
  }
  g_initialised = true;
  return 1;
}

FSOUND_STREAM* FSOUND_Stream_OpenFile(const char* name, unsigned int, int length) {
  if (!g_initialised || !name || length != 0) return nullptr;
  std::string why;
  mpg123_handle* decoder = openDecoder(name, &why);
  if (!decoder) {
    std::fprintf(stderr, "FSOUND_Stream_OpenFile: %s: not playable music (%s)\n", name, why.c_str());
    return nullptr;
  }
  FSOUND_STREAM* stream = new FSOUND_STREAM();
  stream->name = name;
  stream->decoder = decoder;
  if (virtualTimeEnabled()) {
    // Nothing is played: the length is all a virtual stream needs of the track.
    mpg123_scan(decoder);
    off_t frames = mpg123_length(decoder);
    stream->endFrame = frames > 0 ? static_cast<int64_t>(frames) : 0;
    closeDecoder(stream);
  }
  return stream;
}

signed char FSOUND_SetSFXMasterVolume(int volume) {
  if (g_output) g_output->lock();
  g_volume = volume < 0 ? 0 : volume > 255 ? 255 : volume;
  if (g_output) g_output->unlock();
  return 1;
}

// Returns the channel the stream plays on (always 0: one stream at a time), -1 on failure.
int FSOUND_Stream_Play(int, FSOUND_STREAM* stream) {
  if (!stream) return -1;
  if (virtualTimeEnabled() || g_heldLive) {
    if (g_heldLive) g_heldStream = stream;
    else stream->playing = true;
    return 0;
  }
  if (!g_output || !stream->decoder) return -1;
  g_output->lock();
  if (g_playing && g_playing != stream) g_playing->playing = false;
  g_playing = stream;
  stream->playing = true;
  g_output->unlock();
  if (!g_outputStarted) {
    g_output->start();
    g_outputStarted = true;
  }
  stream->startHeard = heardFrames();
  return 0;
}

namespace {
int g_lastReadMs = 0;  // what FSOUND_Stream_GetTime last returned

int positionNowMs(FSOUND_STREAM* stream) {
  if (!stream) return 0;
  if (virtualTimeEnabled() || (g_heldLive && stream == g_heldStream)) {
    reportEnd(stream, virtualTimeMs());
    return virtualTimeMs();
  }
  if (!stream->playing || !g_output) return stream->lastReportedMs;
  if (g_output->lost && g_output->lost()) moveToAnotherOutput();
  int64_t heard = heardFrames() - stream->startHeard;
  int ms = stream->startMs + offsetPositionMs(heard > 0 ? msOfFrames(heard) : 0, audioOffsetMs());
  if (ms < stream->lastReportedMs) ms = stream->lastReportedMs;
  stream->lastReportedMs = ms;
  traceClock(stream, ms);
  g_output->lock();  // the end is found on the output's thread
  reportEnd(stream, ms);
  g_output->unlock();
  return ms;
}
}  // namespace

int FSOUND_Stream_GetTime(FSOUND_STREAM* stream) {
  g_lastReadMs = positionNowMs(stream);
  return g_lastReadMs;
}

int musicLastReadMs() { return g_lastReadMs; }

signed char FSOUND_Stream_Stop(FSOUND_STREAM* stream) {
  if (!stream) return 0;
  if (g_output) g_output->lock();
  stream->playing = false;
  if (g_playing == stream) g_playing = nullptr;
  if (g_output) g_output->unlock();
  return 1;
}

signed char FSOUND_Stream_Close(FSOUND_STREAM* stream) {
  if (!stream) return 0;
  FSOUND_Stream_Stop(stream);
  closeDecoder(stream);
  delete stream;
  return 1;
}

// The held stream starts where the virtual position is: the decoder seeks there first.
void virtualTimeReleaseLive() {
  if (!g_heldLive) return;
  g_heldLive = false;
  FSOUND_STREAM* stream = g_heldStream;
  g_heldStream = nullptr;
  if (!stream || !stream->decoder) return;
  off_t at = mpg123_seek(stream->decoder, static_cast<off_t>(static_cast<int64_t>(virtualTimeMs()) * g_mixRate / 1000),
                         SEEK_SET);
  if (at < 0) {
    std::fprintf(stderr, "%s: cannot start the music at %.3f s (%s)\n", stream->name.c_str(), virtualTimeMs() * 0.001,
                 mpg123_strerror(stream->decoder));
    at = 0;
  }
  stream->framesDecoded = at;
  stream->startMs = virtualTimeMs();
  stream->lastReportedMs = virtualTimeMs();
  FSOUND_Stream_Play(0, stream);
}
