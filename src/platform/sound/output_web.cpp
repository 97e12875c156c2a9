// Sound output over Web Audio, for the page: 16-bit stereo at the stream's rate, played on the
// AudioContext the page made inside its Start gesture (Module.ksAudioContext) as buffers of
// 4096 frames scheduled back to back, 0.4 to 0.5 s ahead of what the context plays. No thread
// (the page runs from any static host): the output pumps itself whenever the stream reads the
// heard position (every frame) and from a 100 ms browser timer, which calls in while the show
// waits for its next frame (Asyncify) or draws none (a page in the background).
// Supports: the heard position from the context's output timestamp (the frame the device plays
// now, its latency included), or where there is none from its current time less the latencies
// it reports: monotonic, never past what was filled, held over a gap that a late pump had to
// leave; a context that is closed or interrupted as a lost device; the end of the sound at once
// when the stream is stopped for good (the run's exit, or the page's end: document state
// "ended", Module.ksAudioStop()), with window.ks.audio "running" while it plays, "stopped" after.
// A run that the page makes ahead of the viewer's start (Module.ksHoldStart) opens on the
// context before the gesture has resumed it: the time it gets to run counts from the start.
// Does not support: a context that does not run within 3 s of opening, or of the start of a
// held run (the browser allows no sound without a gesture: open fails with the reason,
// and a held run's output counts as lost, so the show plays silently), pausing, other formats.
// Depends on Emscripten (EM_JS; emscripten_sleep, which needs Asyncify) and Web Audio.
#include <emscripten.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/sound/output.h"

namespace {
const int kChunkFrames = 4096;

AudioFill g_fill = nullptr;
int g_rate = 44100;
bool g_started = false;
int g_locked = 0;  // the stream's lock: nothing is filled while it is held
bool g_lost = false;
bool g_runsChecked = false;  // the context was seen running (or was found not to run)
int16_t g_chunk[kChunkFrames * 2];
}  // namespace

// The output's state lives on the module (Module.ksAudioOut), beside the page's context.
// Codes: 0 opened, 1 no context, 2 context closed, 3 no Web Audio in this browser.
EM_JS(int, ksWebAudioOpen, (int rate), {
  if (typeof AudioContext === "undefined" && typeof webkitAudioContext === "undefined") return 3;
  var ctx = Module["ksAudioContext"];
  if (!ctx) return 1;
  if (ctx.state === "closed") return 2;
  if (ctx.state !== "running") {
    try {
      var resumed = ctx.resume();
      if (resumed && resumed.catch) resumed.catch(function() {});
    } catch (e) {
    }
  }
  Module["ksAudioOut"] = {ctx : ctx, rate : rate, gain : null, sources : [], segments : [], next : 0,
                          filled : 0, heard : 0, timer : 0, stopped : false};
  return 0;
});

// The context's state ("running", "suspended", ...) as a number: 1 running, 0 not yet, -1 gone.
EM_JS(int, ksWebAudioRunning, (), {
  var out = Module["ksAudioOut"];
  if (!out) return -1;
  var state = out.ctx.state;
  return state === "running" ? 1 : (state === "closed" || state === "interrupted") ? -1 : 0;
});

EM_JS(void, ksWebAudioStart, (), {
  var out = Module["ksAudioOut"];
  var ctx = out.ctx;
  out.gain = ctx.createGain();
  out.gain.connect(ctx.destination);
  out.next = ctx.currentTime + 0.05;  // the first buffer a little ahead, so it is not late
  out.stop = function() {
    if (out.stopped) return;
    out.stopped = true;
    clearInterval(out.timer);
    out.sources.forEach(function(source) {
      try {
        source.stop();
      } catch (e) {
      }
      source.disconnect();
    });
    out.sources = [];
    out.gain.disconnect();
    Module["ksAudioState"] = "stopped";
    if (typeof window !== "undefined" && window.ks) window.ks.audio = "stopped";
  };
  Module["ksAudioStop"] = function() { out.stop(); };
  // Between frames, and when the page draws none: the run's end (the page's state, or a runtime
  // that has aborted) stops the sound; otherwise the queue is topped up.
  out.timer = setInterval(function() {
    if (out.stopped) return;
    var ended = typeof document !== "undefined" && document.body && document.body.dataset.state === "ended";
    if (ended || ABORT) {
      out.stop();
      return;
    }
    try {
      Module["_ksWebAudioPump"]();
    } catch (e) {
      console.error("Web Audio output: the sound stops (" + e + ")");
      out.stop();
    }
  }, 100);
  Module["ksAudioState"] = "running";
  if (typeof window !== "undefined" && window.ks) window.ks.audio = "running";
});

// How many buffers of `frames` to queue now to be 0.4 s ahead of the context (0 when enough are).
// A queue that ran dry starts again a little ahead of now: the gap between is not heard time.
EM_JS(int, ksWebAudioWanted, (int frames), {
  var out = Module["ksAudioOut"];
  if (!out || out.stopped) return 0;
  var now = out.ctx.currentTime;
  if (out.next < now + 0.02) out.next = now + 0.02;
  var ahead = out.next - now;
  return ahead >= 0.4 ? 0 : Math.ceil((0.4 - ahead) * out.rate / frames);
});

// Schedules `frames` interleaved 16-bit stereo frames at `samples` right after the last buffer.
EM_JS(void, ksWebAudioQueue, (const int16_t* samples, int frames), {
  var out = Module["ksAudioOut"];
  var ctx = out.ctx;
  var buffer = ctx.createBuffer(2, frames, out.rate);
  var left = buffer.getChannelData(0);
  var right = buffer.getChannelData(1);
  var at = samples >> 1;
  for (var i = 0; i < frames; i++) {
    left[i] = HEAP16[at + 2 * i] / 32768;
    right[i] = HEAP16[at + 2 * i + 1] / 32768;
  }
  var source = ctx.createBufferSource();
  source.buffer = buffer;
  source.connect(out.gain);
  source.onended = function() {
    var index = out.sources.indexOf(source);
    if (index >= 0) out.sources.splice(index, 1);
    source.disconnect();
  };
  source.start(out.next);
  out.sources.push(source);
  // Where each buffer plays in the context's time: [start, first frame, frames].
  out.segments.push([ out.next, out.filled, frames ]);
  out.filled += frames;
  out.next += frames / out.rate;
});

// Frames heard: the context time the listener hears now, mapped through the queued buffers.
EM_JS(double, ksWebAudioHeard, (), {
  var out = Module["ksAudioOut"];
  if (!out) return 0;
  var ctx = out.ctx;
  if (out.stopped || ctx.state === "closed") return out.heard;
  var t = -1;
  var stamp = ctx.getOutputTimestamp ? ctx.getOutputTimestamp() : null;
  if (stamp && stamp.contextTime > 0 && stamp.performanceTime > 0) {
    t = stamp.contextTime;
    // The stamp is taken once per device buffer; between, the device plays on in real time.
    if (ctx.state === "running") t += Math.min(Math.max(performance.now() - stamp.performanceTime, 0), 200) / 1000;
    if (t > ctx.currentTime) t = ctx.currentTime;
  } else {
    t = ctx.currentTime - (ctx.baseLatency || 0) - (ctx.outputLatency || 0);
  }
  var segments = out.segments;
  while (segments.length > 1 && segments[1][0] <= t) segments.shift();
  var heard = 0;
  if (segments.length && t >= segments[0][0]) {
    var s = segments[0];
    heard = s[1] + Math.min((t - s[0]) * out.rate, s[2]);
  }
  if (heard > out.heard) out.heard = Math.floor(heard);
  return out.heard;
});

EM_JS(int, ksWebAudioHeldStart, (), { return Module["ksHoldStart"] ? 1 : 0; });

EM_JS(int, ksWebAudioLost, (), {
  var out = Module["ksAudioOut"];
  if (!out) return 0;
  var state = out.ctx.state;
  return state === "closed" || state === "interrupted" ? 1 : 0;
});

EM_JS(void, ksWebAudioClose, (), {
  var out = Module["ksAudioOut"];
  if (!out) return;
  if (out.stop) out.stop();
  delete Module["ksAudioOut"];
});

EM_JS(void, ksWebAudioStopAtExit, (), {
  var out = Module["ksAudioOut"];
  if (out && out.stop) out.stop();
});

// Tops up the queue; also called by the output's browser timer.
extern "C" EMSCRIPTEN_KEEPALIVE void ksWebAudioPump() {
  if (!g_started || g_locked || g_lost) return;
  for (int chunks = ksWebAudioWanted(kChunkFrames); chunks > 0; --chunks) {
    g_fill(g_chunk, kChunkFrames);
    ksWebAudioQueue(g_chunk, kChunkFrames);
  }
}

namespace {
const char kDoesNotRun[] = "the page's AudioContext does not run (the browser starts no sound without a gesture)";

// A context resumed in the Start gesture runs within a moment (Firefox's took over a second now
// and then to open its device); without a gesture it waits for one.
bool runsSoon() {
  for (int waited = 0; ksWebAudioRunning() == 0 && waited < 3000; waited += 50) emscripten_sleep(50);
  return ksWebAudioRunning() == 1;
}

bool webOpen(int rate, AudioFill fill, std::string* why) {
  if (g_runsChecked && g_lost) {
    *why = kDoesNotRun;  // a held run's context that did not run at its start
    return false;
  }
  switch (ksWebAudioOpen(rate)) {
    case 1: *why = "the page made no AudioContext"; return false;
    case 2: *why = "the page's AudioContext is closed"; return false;
    case 3: *why = "this browser has no Web Audio"; return false;
    default: break;
  }
  g_runsChecked = !ksWebAudioHeldStart();
  if (g_runsChecked && !runsSoon()) {
    ksWebAudioClose();
    *why = kDoesNotRun;
    return false;
  }
  g_fill = fill;
  g_rate = rate;
  g_started = false;
  g_lost = false;
  return true;
}

void stopAtExit() { ksWebAudioStopAtExit(); }

void webStart() {
  if (g_started || g_lost) return;
  if (!g_runsChecked) {
    g_runsChecked = true;
    if (!runsSoon()) {
      std::fprintf(stderr, "Web Audio output: %s\n", kDoesNotRun);
      g_lost = true;  // the stream moves to the silent output
      return;
    }
  }
  ksWebAudioStart();
  g_started = true;
  std::atexit(stopAtExit);  // where the runtime exits; the page's end is seen by the timer
  ksWebAudioPump();
}

void webLock() { ++g_locked; }
void webUnlock() { --g_locked; }

int64_t webHeardFrames() {
  if (!g_started) return 0;
  ksWebAudioPump();
  return static_cast<int64_t>(ksWebAudioHeard());
}

bool webLost() {
  if (!g_lost && g_started && ksWebAudioLost()) {
    ksWebAudioHeard();  // the last position, held from now on
    g_lost = true;
  }
  return g_lost;
}

void webClose() {
  ksWebAudioClose();
  g_started = false;
}
}  // namespace

const AudioOutput g_deviceAudioOutput = {"webaudio", webOpen, webStart, webLock, webUnlock, webHeardFrames,
                                         webLost, webClose};
