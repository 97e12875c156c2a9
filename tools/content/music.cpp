// The music track: a synthesised piece at 150 beats a minute in A minor whose sections start
// where the show changes scene, with strong hits on the show's beat-timed moments, encoded to
// MP3 with LAME.
//
// Each section restarts the beat grid at its own start time, so every scene change falls on a
// downbeat. Everything is rendered into one float buffer (plus an echo send), then limited,
// faded and encoded.
#include <cmath>
#include <cstdint>
#include <cstdio>

#include <lame/lame.h>

#include "content.h"

namespace {

const int kRate = 44100;
const double kLength = 238.5;  // the run ends at 233 s; the fade ends at 238 s
const double kBeat = 60.0 / 150.0;
const double kPi = 3.14159265358979;

enum Style { Intro, Groove, Drive, Breakdown, Slab, Hall, Orbit, Zoom, Descent, Jolts, Burst, Tube, TubeLead, Anthem, Water, Finale };

struct Section {
  double start;
  Style style;
};

const std::vector<Section>& sections() {
  static const std::vector<Section> list = {
      {0.0, Intro},    {28.0, Groove},  {36.5, Drive},  {65.0, Breakdown}, {70.0, Slab},   {90.0, Hall},
      {96.0, Orbit},   {99.0, Hall},    {103.0, Zoom},  {108.0, Descent},  {110.7, Jolts}, {126.0, Burst},
      {127.5, Burst},  {130.0, Tube},   {139.0, TubeLead}, {148.0, Anthem}, {176.0, Water}, {193.0, Finale},
  };
  return list;
}

// Cage pulses of the opening and camera jolts of the clock hall.
const std::vector<double> kHits = {7.0,   8.2,   9.1,   9.4,   9.7,   18.57, 18.8,  20.0,  20.6,  26.6,
                                   110.7, 111.0, 111.4, 112.6, 113.0, 114.0, 115.0, 115.8, 116.6, 117.2,
                                   117.8, 118.5, 119.0, 119.4, 120.2, 122.0, 123.0, 124.0};

double midiHz(double note) { return 440.0 * std::pow(2.0, (note - 69) / 12.0); }

struct Chord {
  int root;  // bass note
  int tones[3];
};

// Two progressions: the minor one for most of the show, a brighter one for the title board.
const Chord kMinor[4] = {{45, {57, 60, 64}}, {41, {57, 60, 65}}, {48, {55, 60, 64}}, {43, {55, 59, 62}}};
const Chord kBright[4] = {{41, {57, 60, 65}}, {48, {55, 60, 64}}, {43, {55, 59, 62}}, {45, {57, 60, 64}}};

struct Mixer {
  std::vector<float> left, right, echo;
  uint32_t noiseState = 0x12345678u;

  Mixer() : left(size_t(kLength * kRate)), right(left.size()), echo(left.size()) {}

  float noise() {
    noiseState = noiseState * 1664525u + 1013904223u;
    return float(int32_t(noiseState)) / 2147483648.0f;
  }
  // Noise through a one-pole high-pass filter of coefficient k: the hiss of snare, hats and crash.
  struct HighPass {
    float hp = 0, prev = 0;
  };
  float highPassNoise(HighPass& filter, float k) {
    float nz = noise();
    filter.hp = k * (filter.hp + nz - filter.prev);
    filter.prev = nz;
    return filter.hp;
  }
  size_t index(double t) const { return size_t(std::max(0.0, t) * kRate); }
  void put(size_t i, float v, float pan, float send = 0) {
    if (i >= left.size()) return;
    left[i] += v * (1 - pan) * 1.4f;
    right[i] += v * (1 + pan) * 1.4f;
    echo[i] += v * send;
  }

  void kick(double t, float amp) {
    size_t s = index(t);
    double phase = 0;
    for (int n = 0; n < int(0.45 * kRate); ++n) {
      double x = double(n) / kRate;
      double f = 45 + 110 * std::exp(-x * 28);
      phase += 2 * kPi * f / kRate;
      float env = float(std::exp(-x * 7));
      float click = n < 60 ? 0.4f * noise() * (1 - n / 60.0f) : 0;
      put(s + n, amp * (float(std::tanh(1.6 * std::sin(phase))) * env + click), 0);
    }
  }
  void snare(double t, float amp) {
    size_t s = index(t);
    HighPass hiss;
    for (int n = 0; n < int(0.25 * kRate); ++n) {
      double x = double(n) / kRate;
      float hp = highPassNoise(hiss, 0.85f);
      float body = float(std::sin(2 * kPi * 185 * x) * std::exp(-x * 30));
      put(s + n, amp * (0.7f * hp * float(std::exp(-x * 18)) + 0.5f * body), 0.1f, 0.15f * amp);
    }
  }
  void hat(double t, float amp, bool open, float pan) {
    size_t s = index(t);
    HighPass hiss;
    double decay = open ? 9 : 60;
    for (int n = 0; n < int((open ? 0.3 : 0.06) * kRate); ++n) {
      put(s + n, amp * highPassNoise(hiss, 0.6f) * float(std::exp(-double(n) / kRate * decay)), pan);
    }
  }
  void crash(double t, float amp) {
    size_t s = index(t);
    HighPass hiss;
    for (int n = 0; n < int(2.2 * kRate); ++n) {
      double x = double(n) / kRate;
      float hp = highPassNoise(hiss, 0.75f);
      float shimmer = float(std::sin(2 * kPi * 5400 * x) * std::sin(2 * kPi * 7300 * x));
      float v = amp * (hp + 0.2f * shimmer * hp) * float(std::exp(-x * 2.2));
      put(s + n, v, (n % 2) ? 0.3f : -0.3f, 0.1f * amp);
    }
  }
  // The strong hit of the beat-timed moments: a deep boom under a kick, a crash and a noise slap.
  void hit(double t, float amp) {
    kick(t, amp);
    crash(t, 0.45f * amp);
    size_t s = index(t);
    for (int n = 0; n < int(0.8 * kRate); ++n) {
      double x = double(n) / kRate;
      float boom = float(std::sin(2 * kPi * (38 + 60 * std::exp(-x * 12)) * x) * std::exp(-x * 4));
      float slap = noise() * float(std::exp(-x * 40));
      put(s + n, amp * (0.9f * boom + 0.5f * slap), 0, 0.1f);
    }
  }
  // Saw bass through a low-pass with a plucked envelope.
  void bass(double t, double dur, int note, float amp, double cutoff) {
    size_t s = index(t);
    double f = midiHz(note), phase = 0;
    float lp = 0, lp2 = 0;
    int len = int((dur + 0.05) * kRate);
    for (int n = 0; n < len; ++n) {
      double x = double(n) / kRate;
      phase += f / kRate;
      phase -= std::floor(phase);
      float saw = float(2 * phase - 1);
      float sub = float(std::sin(2 * kPi * phase));
      double c = cutoff * (0.3 + 0.7 * std::exp(-x * 10));
      float k = float(1 - std::exp(-2 * kPi * c / kRate));
      lp += k * (saw - lp);
      lp2 += k * (lp - lp2);
      float env = float(std::min(1.0, x * 400) * (x < dur ? 1.0 : std::max(0.0, 1 - (x - dur) / 0.05)));
      put(s + n, amp * env * (0.6f * lp2 + 0.5f * sub), 0);
    }
  }
  // Detuned saw pad with slow attack and release, spread across the stereo field.
  void pad(double t, double dur, const int* tones, int count, float amp, double cutoff) {
    size_t s = index(t);
    int len = int((dur + 0.6) * kRate);
    for (int v = 0; v < count; ++v)
      for (int d = -1; d <= 1; ++d) {
        double f = midiHz(tones[v]) * (1 + 0.004 * d), phase = 0.37 * (v + 2 * d + 3);
        float lp = 0;
        float k = float(1 - std::exp(-2 * kPi * cutoff / kRate));
        float pan = 0.5f * d;
        for (int n = 0; n < len; ++n) {
          double x = double(n) / kRate;
          phase += f / kRate;
          phase -= std::floor(phase);
          lp += k * (float(2 * phase - 1) - lp);
          double env = std::min(1.0, x / 0.35) * (x < dur ? 1.0 : std::max(0.0, 1 - (x - dur) / 0.6));
          put(s + n, amp * float(env) * lp / 3, pan, 0.2f * amp);
        }
      }
  }
  // Square lead with vibrato; mostly sent to the echo.
  void lead(double t, double dur, int note, float amp, float pan) {
    size_t s = index(t);
    double f = midiHz(note), phase = 0;
    float lp = 0;
    int len = int((dur + 0.08) * kRate);
    for (int n = 0; n < len; ++n) {
      double x = double(n) / kRate;
      double vib = 1 + 0.006 * std::sin(2 * kPi * 5.5 * x) * std::min(1.0, x * 3);
      phase += f * vib / kRate;
      phase -= std::floor(phase);
      float sq = phase < 0.5 ? 1.0f : -1.0f;
      lp += 0.25f * (sq - lp);
      double env = std::min(1.0, x * 200) * std::exp(-x * 1.5) * (x < dur ? 1.0 : std::max(0.0, 1 - (x - dur) / 0.08));
      put(s + n, amp * float(env) * lp, pan, 0.6f * amp);
    }
  }
  // Rising filtered noise leading into a section.
  void riser(double t, double dur, float amp) {
    size_t s = index(t);
    float lp = 0;
    for (int n = 0; n < int(dur * kRate); ++n) {
      double x = double(n) / kRate / dur;
      float k = float(0.02 + 0.5 * x * x);
      lp += k * (noise() - lp);
      put(s + n, amp * float(x * x) * lp, float(0.5 * std::sin(2 * kPi * 2 * x)), 0.2f);
    }
  }
  // A woodblock tick for the clock hall.
  void tick(double t, float amp, float pan) {
    size_t s = index(t);
    for (int n = 0; n < int(0.05 * kRate); ++n) {
      double x = double(n) / kRate;
      put(s + n, amp * float(std::sin(2 * kPi * 1800 * x) * std::exp(-x * 90)), pan, 0.3f);
    }
  }
};

// One bar (four beats) of a section.
void playBar(Mixer& m, Style st, double bar, int barIndex, double sectionEnd) {
  const Chord* prog = (st == Anthem) ? kBright : kMinor;
  const Chord& ch = prog[(barIndex / 2) % 4];
  double barLen = 4 * kBeat;
  double chordLen = std::min(barLen, sectionEnd - bar);
  auto on = [&](double beat) { return bar + beat * kBeat < sectionEnd - 0.01; };

  // Pads: every style but the drum-led ones.
  float padAmp = 0.0f;
  double padCut = 1200;
  switch (st) {
    case Intro: padAmp = float(0.05 + 0.1 * std::min(1.0, bar / 20)); padCut = 600 + 60 * bar; break;
    case Breakdown: padAmp = 0.16f; padCut = 500 + 500 * (barIndex % 4); break;
    case Descent: padAmp = 0.16f; padCut = 700; break;
    case Anthem: padAmp = 0.17f; padCut = 2500; break;
    case Water: padAmp = 0.15f; padCut = 900; break;
    case Tube: case Burst: padAmp = 0.0f; break;
    default: padAmp = 0.09f; padCut = 1500; break;
  }
  if (padAmp > 0) m.pad(bar, chordLen, ch.tones, 3, padAmp, padCut);

  for (int e = 0; e < 8; ++e) {  // eighth notes
    double b = e * 0.5;
    if (!on(b)) break;
    double t = bar + b * kBeat;
    bool beat = e % 2 == 0;
    int beatNo = e / 2;
    switch (st) {
      case Intro:
        if (bar >= 12 && e == 0) m.kick(t, 0.5f);
        if (bar >= 20 && e % 2 == 1) m.hat(t, 0.12f, false, 0.3f);
        break;
      case Groove: case Drive: case Slab: case Hall: case Zoom: case Finale: case TubeLead: case Tube:
        if (beat) m.kick(t, 0.85f);
        if (st != Groove && beat && (beatNo == 1 || beatNo == 3)) m.snare(t, 0.45f);
        m.hat(t, beat ? 0.1f : 0.2f, !beat && (st == Slab || st == Finale), beat ? -0.3f : 0.3f);
        if (st == Drive || st == Tube || st == TubeLead || st == Finale)
          m.hat(t + 0.5 * kBeat * 0.5, 0.08f, false, -0.4f);  // sixteenths
        if (st == Hall) m.tick(t, 0.18f, beat ? -0.6f : 0.6f);
        if (st == Tube || st == TubeLead) {
          m.bass(t, 0.18, ch.root - 12 + ((e % 4 == 3) ? 12 : 0), 0.42f, 900);
          m.bass(t + 0.2, 0.18, ch.root - 12, 0.36f, 900);
        } else if (!beat) {
          m.bass(t, 0.18, ch.root - 12 + (e == 7 ? 12 : 0), 0.5f, 700);
        }
        break;
      case Orbit:
        if (e == 0 || e == 5) m.kick(t, 0.8f);
        if (e == 4) m.snare(t, 0.5f);
        m.hat(t, 0.14f, e % 4 == 2, 0.2f);
        m.bass(t, 0.18, ch.root - 12 + 7 * (e % 2), 0.4f, 800);
        break;
      case Breakdown:
        break;
      case Descent:
        if (e == 0) m.bass(t, 1.5, ch.root - 12, 0.45f, 300);
        break;
      case Jolts:
        // Half-time: kick on one, snare on three, long bass notes; the jolts carry the hits.
        if (e == 0) m.kick(t, 0.7f);
        if (e == 4) m.snare(t, 0.5f);
        m.hat(t, 0.09f, false, e % 2 ? 0.4f : -0.4f);
        if (e == 0) m.bass(t, 1.5, ch.root - 12, 0.5f, 400);
        break;
      case Burst:
        m.snare(t, 0.25f + 0.05f * e);
        m.snare(t + 0.2, 0.25f + 0.05f * e);
        if (beat) m.kick(t, 0.8f);
        break;
      case Anthem:
        if (e == 0 || e == 3 || e == 4) m.kick(t, 0.75f);
        if (e == 2 || e == 6) m.snare(t, 0.4f);
        m.hat(t, beat ? 0.06f : 0.14f, false, 0.3f);
        if (beat) m.bass(t, 0.35, ch.root - 12, 0.45f, 900);
        break;
      case Water:
        if (e == 0) m.kick(t, 0.45f);
        if (!beat) m.hat(t, 0.07f, false, 0.5f);
        if (e == 0 || e == 3) m.bass(t, 0.9, ch.root - 12, 0.4f, 500);
        break;
    }
    // Arpeggio and lead lines over the chord.
    bool arp = st == Drive || st == Orbit || st == Water || st == TubeLead || (st == Intro && bar >= 4);
    if (arp) {
      static const int pattern[8] = {0, 1, 2, 1, 0, 2, 1, 2};
      int note = ch.tones[pattern[e]] + 12 + (st == Water ? 12 : 0);
      float amp = st == Intro ? float(0.04 + 0.05 * std::min(1.0, bar / 24)) : 0.09f;
      m.lead(t, 0.16, note, amp, e % 2 ? 0.5f : -0.5f);
    }
    bool melody = st == Slab || st == Anthem || st == Finale || st == Hall;
    if (melody && hash3(barIndex, e, int(st)) % 8 < (st == Hall ? 2u : 5u)) {
      int degree = int(hash3(barIndex, e, 99) % 3);
      int note = ch.tones[degree] + 12 + (e >= 6 ? 12 : 0) * (barIndex % 2);
      m.lead(t, kBeat * 0.45, note, st == Anthem ? 0.16f : 0.12f, 0.0f);
    }
  }
}

void render(Mixer& m) {
  const std::vector<Section>& list = sections();
  for (size_t i = 0; i < list.size(); ++i) {
    double start = list[i].start;
    double end = i + 1 < list.size() ? list[i + 1].start : kLength;
    int barIndex = 0;
    for (double bar = start; bar < end - 0.01; bar += 4 * kBeat, ++barIndex) playBar(m, list[i].style, bar, barIndex, end);
    if (start > 0 && list[i].style != Descent) m.crash(start, 0.5f);
    if (start > 0) m.kick(start, 0.9f);
  }
  m.riser(22.0, 6.0, 0.35f);
  m.riser(61.8, 3.2, 0.3f);
  m.riser(66.0, 4.0, 0.35f);
  m.riser(104.8, 3.2, 0.3f);
  m.riser(123.4, 2.6, 0.35f);
  m.riser(144.8, 3.2, 0.3f);
  m.riser(189.8, 3.2, 0.3f);
  for (int r = 0; r < 8; ++r) m.snare(68.4 + r * 0.2, 0.2f + 0.05f * r);  // roll into the slab's flip
  for (double t : kHits) m.hit(t, 1.0f);

  // Echo: dotted-eighth feedback delay on the send, mixed back in with a little width.
  size_t delay = size_t(0.75 * kBeat * kRate);
  for (size_t i = delay; i < m.echo.size(); ++i) m.echo[i] += 0.45f * m.echo[i - delay];
  for (size_t i = delay; i < m.echo.size(); ++i) {
    m.left[i] += 0.35f * m.echo[i - delay];
    if (i >= delay + 331) m.right[i] += 0.35f * m.echo[i - delay - 331];
  }
}

}  // namespace

double musicLength() { return kLength; }
const std::vector<double>& musicHitTimes() { return kHits; }

bool writeMusic(const std::string& path, std::string& error) {
  Mixer m;
  render(m);
  // Soft limiter, then the fade from 231 s to 238 s.
  std::vector<short> pcm(m.left.size() * 2);
  for (size_t i = 0; i < m.left.size(); ++i) {
    double t = double(i) / kRate;
    double fade = t < 231 ? 1.0 : std::max(0.0, 0.5 + 0.5 * std::cos(kPi * (t - 231) / 7));
    float l = float(std::tanh(0.8 * m.left[i]) * fade), r = float(std::tanh(0.8 * m.right[i]) * fade);
    pcm[2 * i] = short(std::lround(l * 28000));
    pcm[2 * i + 1] = short(std::lround(r * 28000));
  }
  lame_global_flags* gf = lame_init();
  if (!gf) {
    error = path + ": LAME did not start";
    return false;
  }
  lame_set_in_samplerate(gf, kRate);
  lame_set_out_samplerate(gf, kRate);
  lame_set_num_channels(gf, 2);
  lame_set_mode(gf, JOINT_STEREO);
  lame_set_brate(gf, 128);
  lame_set_quality(gf, 7);  // fast: generation runs at build time
  lame_set_bWriteVbrTag(gf, 0);
  lame_set_write_id3tag_automatic(gf, 0);
  if (lame_init_params(gf) < 0) {
    lame_close(gf);
    error = path + ": LAME rejected the parameters";
    return false;
  }
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) {
    lame_close(gf);
    error = path + ": cannot create";
    return false;
  }
  const int chunk = 1152 * 32;
  std::vector<unsigned char> out(size_t(1.25 * chunk + 7200));
  bool ok = true;
  size_t frames = m.left.size();
  for (size_t i = 0; i < frames && ok; i += chunk) {
    int n = int(std::min<size_t>(chunk, frames - i));
    int bytes = lame_encode_buffer_interleaved(gf, &pcm[2 * i], n, out.data(), int(out.size()));
    ok = bytes >= 0 && std::fwrite(out.data(), 1, size_t(bytes), f) == size_t(bytes);
  }
  if (ok) {
    int bytes = lame_encode_flush(gf, out.data(), int(out.size()));
    ok = bytes >= 0 && std::fwrite(out.data(), 1, size_t(bytes), f) == size_t(bytes);
  }
  lame_close(gf);
  if (std::fclose(f) != 0 || !ok) {
    error = path + ": encoding or writing failed";
    return false;
  }
  return true;
}
