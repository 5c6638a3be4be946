#include "Music.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "Layers.h"

namespace assets::sound {

namespace {

constexpr int kStepsPerBar = 16;

// ---- notation ----------------------------------------------------------------
//
// A line holds one token per sixteenth step, bars separated by '|' (each bar
// must hold exactly 16 tokens). A pitch ("A4", "C#5", "Eb3"; or, in bass lines,
// a degree of the bar's chord: "1", "3", "5", "8", "b7") starts a note, "-"
// holds it, "." rests. Drum lines hold one character per step: 'X' accent,
// 'x' normal, 'g' ghost, '.' nothing.

std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find(separator, start);
    if (end == std::string_view::npos) end = text.size();
    parts.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

bool IsSpace(char c) { return c == ' ' || c == '\n' || c == '\t'; }

std::vector<std::string_view> Words(std::string_view text) {
  std::vector<std::string_view> words;
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && IsSpace(text[i])) ++i;
    std::size_t start = i;
    while (i < text.size() && !IsSpace(text[i])) ++i;
    if (i > start) words.push_back(text.substr(start, i - start));
  }
  return words;
}

// Semitones of a note letter with its accidental above C of its octave
// (-1 for "Cb", 12 for "B#"); -1 with `used` 0 if it does not read.
int Semitone(std::string_view name, std::size_t& used) {
  static constexpr int kLetters[] = {9, 11, 0, 2, 4, 5, 7};  // A .. G
  used = 0;
  if (name.empty() || name[0] < 'A' || name[0] > 'G') return -1;
  int semitone = kLetters[name[0] - 'A'];
  used = 1;
  if (name.size() > 1 && (name[1] == '#' || name[1] == 'b')) {
    semitone += name[1] == '#' ? 1 : -1;
    used = 2;
  }
  return semitone;
}

// MIDI note number of "A4" (69), "C#5", "Eb3"; -1 if it does not read.
int NoteNumber(std::string_view name) {
  std::size_t used = 0;
  const int semitone = Semitone(name, used);
  if (used == 0 || used + 1 != name.size()) return -1;
  const char octave = name[used];
  if (octave < '0' || octave > '8') return -1;
  return (octave - '0' + 1) * 12 + semitone;
}

// A triad (or seventh chord) as semitones above its root's pitch class.
struct Chord {
  int root = 9;
  int third = 4, fifth = 7, seventh = -1;  // -1: no seventh
};

bool ParseChord(std::string_view name, Chord& chord) {
  std::size_t used = 0;
  chord = Chord{};
  const int semitone = Semitone(name, used);
  if (used == 0) return false;
  chord.root = (semitone + 12) % 12;
  std::string_view rest = name.substr(used);
  if (!rest.empty() && rest[0] == 'm') {
    chord.third = 3;
    rest.remove_prefix(1);
  }
  if (rest == "7") {
    chord.seventh = 10;
    rest = {};
  }
  return rest.empty();
}

// Semitones above the chord's root for a degree token; -1 if it does not read.
int Degree(std::string_view token, const Chord& chord) {
  int shift = 0;
  if (!token.empty() && (token[0] == 'b' || token[0] == '#')) {
    shift = token[0] == 'b' ? -1 : 1;
    token.remove_prefix(1);
  }
  if (token == "1") return shift;
  if (token == "2") return 2 + shift;
  if (token == "3") return (shift == 0 ? chord.third : 4) + shift;
  if (token == "4") return 5 + shift;
  if (token == "5") return (shift == 0 ? chord.fifth : 7) + shift;
  if (token == "6") return 9 + shift;
  if (token == "7") return 11 + shift;
  if (token == "8") return 12 + shift;
  return -1;
}

struct NoteEvent {
  int step = 0, len = 0;  // in sixteenths from the line's start
  std::string_view token;
};

double Hz(double midi) { return 440.0 * std::pow(2.0, (midi - 69.0) / 12.0); }

// ---- voices ------------------------------------------------------------------

// A subtractive voice: unison saws and pulses through a resonant low-pass
// with its own envelope, and a sine under them for weight.
struct Patch {
  int voices = 1;
  double detune = 0;  // cents between the outermost unison voices
  double spread = 0;  // stereo width of the unison voices
  double saw = 1, pulse = 0, width = 0.5, sub = 0;
  double cutoff = 2000, keyTrack = 0, envAmount = 0, envDecay = 0.1, q = 0.7071;
  double attack = 0.005, decay = 0, sustain = 1, release = 0.05;
  double vibrato = 0, vibratoRate = 5.5, vibratoDelay = 0.25;
  double drive = 0;
  double gain = 1, pan = 0, echo = 0, room = 0;
  double gate = 1;  // share of the written length the key is held
};

float PanLeft(double pan) { return static_cast<float>(std::cos((pan + 1) * kPi / 4)); }
float PanRight(double pan) { return static_cast<float>(std::sin((pan + 1) * kPi / 4)); }

struct DrumKit {
  Buffer kick, snare, clap, hat, openHat, crash, tomLow, tomHigh;
};

// Hats and cymbals: six detuned square waves (a metallic cluster) and noise.
Buffer Metal(Rng& rng, double len, double decay, double hp) {
  Buffer b(Samples(len), 0.0f);
  static constexpr double kFreqs[] = {205.3, 304.4, 369.6, 522.7, 540.0, 800.0};
  for (double f : kFreqs) {
    Add(b, {.len = len,
            .f0 = f * 1.7,
            .f1 = f * 1.7,
            .attack = 0.0005,
            .decay = decay,
            .amp = 0.12,
            .shape = Tone::kSquare});
  }
  Add(b, rng, {.len = len, .attack = 0.0005, .decay = decay, .amp = 0.6});
  Svf bp(9000, 0.8), hpf(hp, 0.7071);
  for (float& x : b) x = hpf.High(bp.k * bp.Band(x) * 0.5f + x * 0.5f);
  return b;
}

// Drops the tail below -80 dB of the peak: it would only cost mixing time.
void TrimSilence(Buffer& b) {
  const float floor = static_cast<float>(Peak(b) * 1e-4);
  std::size_t end = b.size();
  while (end > 0 && std::fabs(b[end - 1]) < floor) --end;
  b.resize(end);
}

DrumKit MakeKit(uint64_t seed, double snareTail) {
  Rng rng(seed);
  DrumKit kit;
  kit.kick.assign(Samples(0.45), 0.0f);
  Add(kit.kick, {.len = 0.45,
                 .f0 = 170,
                 .f1 = 46,
                 .glide = 0.028,
                 .attack = 0.0005,
                 .hold = 0.02,
                 .decay = 0.14,
                 .amp = 1.0,
                 .drive = 1.4});
  Add(kit.kick, rng,
      {.len = 0.01, .attack = 0.0001, .decay = 0.0015, .hp0 = 2500, .hp1 = 2500, .amp = 0.35});
  kit.snare.assign(Samples(0.45), 0.0f);
  Add(kit.snare, {.len = 0.2, .f0 = 240, .f1 = 180, .glide = 0.02, .decay = 0.05, .amp = 0.55});
  Add(kit.snare, {.len = 0.12, .f0 = 340, .f1 = 330, .decay = 0.03, .amp = 0.3});
  Add(kit.snare, rng,
      {.len = 0.45,
       .attack = 0.0005,
       .decay = snareTail,
       .lp0 = 9000,
       .lp1 = 6000,
       .hp0 = 900,
       .hp1 = 1200,
       .sweep = 0.1,
       .amp = 0.75});
  kit.clap.assign(Samples(0.3), 0.0f);
  for (double at : {0.0, 0.011, 0.022}) {
    Add(kit.clap, rng,
        {.at = at,
         .len = 0.015,
         .attack = 0.0003,
         .decay = 0.003,
         .lp0 = 1400,
         .lp1 = 1400,
         .q = 1.4,
         .band = true,
         .amp = 0.8});
  }
  Add(kit.clap, rng,
      {.at = 0.033,
       .len = 0.25,
       .attack = 0.0005,
       .decay = 0.06,
       .lp0 = 1300,
       .lp1 = 1300,
       .q = 1.2,
       .band = true,
       .amp = 0.7});
  kit.hat = Metal(rng, 0.09, 0.018, 7000);
  kit.openHat = Metal(rng, 0.5, 0.12, 6500);
  kit.crash = Metal(rng, 2.2, 0.6, 4000);
  kit.tomLow.assign(Samples(0.5), 0.0f);
  Add(kit.tomLow, {.len = 0.5, .f0 = 140, .f1 = 92, .glide = 0.08, .decay = 0.16, .amp = 0.9});
  kit.tomHigh.assign(Samples(0.45), 0.0f);
  Add(kit.tomHigh, {.len = 0.45, .f0 = 200, .f1 = 135, .glide = 0.08, .decay = 0.14, .amp = 0.9});
  for (Buffer* tom : {&kit.tomLow, &kit.tomHigh}) {
    Add(*tom, rng,
        {.len = 0.05, .attack = 0.0003, .decay = 0.01, .lp0 = 3000, .lp1 = 3000, .amp = 0.25});
  }
  for (Buffer* b : {&kit.kick, &kit.snare, &kit.clap, &kit.hat, &kit.openHat, &kit.crash,
                    &kit.tomLow, &kit.tomHigh}) {
    TrimSilence(*b);
  }
  return kit;
}

// ---- the sequencer -------------------------------------------------------------

class Song {
 public:
  Song(int bpm, int bars)
      : step_(static_cast<std::size_t>(kRate) * 15 / bpm),
        bars_(bars),
        length_(step_ * kStepsPerBar * bars) {
    if (static_cast<std::size_t>(kRate) * 15 % bpm != 0) Fail("the tempo gives no whole step");
    for (Buffer* b : {&dryL_, &dryR_, &echo_, &room_}) {
      b->assign(length_, 0.0f);
    }
  }

  bool Ok() const { return error_.empty(); }
  const std::string& Error() const { return error_; }
  std::size_t Bar() const { return step_ * kStepsPerBar; }

  // One chord per bar from bar `first` on.
  void Chords(int first, std::string_view names) {
    for (std::string_view group : Split(names, '|')) {
      for (std::string_view word : Words(group)) AddChord(first++, word);
    }
  }

  void AddChord(int bar, std::string_view word) {
    Chord chord;
    if (!ParseChord(word, chord)) return Fail("unknown chord " + std::string(word));
    if (bar >= bars_) return Fail("more chords than bars");
    if (chords_.size() <= std::size_t(bar)) chords_.resize(bar + 1);
    if (chordNames_.size() <= std::size_t(bar)) chordNames_.resize(bar + 1);
    chords_[bar] = chord;
    chordNames_[bar] = word;
  }

  // Drum hits: `pattern` (one or more bars) repeats over bars [from, to).
  void Drums(const Buffer& sound, int from, int to, std::string_view pattern, double gain,
             double pan = 0, double room = 0) {
    std::string steps;
    for (std::string_view bar : Split(pattern, '|')) {
      std::string chars;
      for (char c : bar) {
        if (!IsSpace(c)) chars += c;
      }
      if (chars.empty()) continue;
      if (chars.size() != kStepsPerBar) return Fail("drum bar of wrong length: " + chars);
      steps += chars;
    }
    if (steps.empty()) return Fail("empty drum pattern");
    for (int bar = from; bar < to; ++bar) {
      for (int s = 0; s < kStepsPerBar; ++s) {
        char c = steps[((bar - from) * kStepsPerBar + s) % steps.size()];
        double velocity = c == 'X' ? 1.0 : c == 'x' ? 0.75 : c == 'g' ? 0.4 : 0.0;
        if (c != '.' && velocity == 0) return Fail(std::string("unknown drum step ") + c);
        if (velocity == 0) continue;
        const std::size_t at = (std::size_t(bar) * kStepsPerBar + s) * step_;
        PlaceMono(sound, at, gain * velocity, pan, 0, room);
      }
    }
  }

  // A melody with written pitches, starting at bar `first`.
  void Melody(const Patch& patch, int first, std::string_view line, int transpose = 0) {
    for (const NoteEvent& n : Read(line)) {
      int midi = NoteNumber(n.token);
      if (midi < 0) return Fail("unknown note " + std::string(n.token));
      Play(patch, first, n, Hz(midi + transpose), 0.85f, 0);
    }
  }

  // A bass figure in chord degrees, repeated over bars [from, to); each root
  // lies in [low, low + 11].
  void Bass(const Patch& patch, int from, int to, std::string_view pattern, int low) {
    std::vector<NoteEvent> notes = Read(pattern);
    const int barsPerPattern = PatternBars(pattern);
    if (barsPerPattern == 0) return;
    for (int bar = from; bar < to; bar += barsPerPattern) {
      for (const NoteEvent& n : notes) {
        const int noteBar = bar + n.step / kStepsPerBar;
        if (noteBar >= to) break;
        const Chord& chord = ChordAt(noteBar);
        int degree = Degree(n.token, chord);
        if (degree < 0) return Fail("unknown degree " + std::string(n.token));
        int root = low + ((chord.root - low) % 12 + 12) % 12;
        // Accent the beats so the line pushes forward.
        float velocity = n.step % 4 == 0 ? 1.0f : 0.8f;
        Play(patch, bar, n, Hz(root + degree), velocity, 0);
      }
    }
  }

  // Each bar's chord held, voiced near `center`; repeated chords are tied.
  void Pads(const Patch& patch, int from, int to, int center) {
    for (int bar = from; bar < to;) {
      int end = bar + 1;
      while (end < to && NameAt(end) == NameAt(bar)) ++end;
      NoteEvent n{0, (end - bar) * kStepsPerBar, {}};
      Play(patch, bar, n, Pitches(Voicing(ChordAt(bar), center)), 0.8f, 0);
      bar = end;
    }
  }

  // Chord stabs: 'x' strikes the bar's chord, '-' holds, '.' rests.
  void Stabs(const Patch& patch, int from, int to, std::string_view pattern, int center) {
    std::vector<NoteEvent> hits = Read(pattern);
    const int barsPerPattern = PatternBars(pattern);
    if (barsPerPattern == 0) return;
    for (int bar = from; bar < to; bar += barsPerPattern) {
      for (const NoteEvent& n : hits) {
        if (n.token != "x") return Fail("unknown stab " + std::string(n.token));
        const int noteBar = bar + n.step / kStepsPerBar;
        if (noteBar >= to) break;
        Play(patch, bar, n, Pitches(Voicing(ChordAt(noteBar), center)), 0.9f, 0);
      }
    }
  }

  // Arpeggio over the bar's chord: digit k plays the k-th chord tone upwards
  // from the voicing near `center`; steps alternate a little left and right.
  void Arp(const Patch& patch, int from, int to, std::string_view pattern, int center) {
    std::vector<NoteEvent> notes = Read(pattern);
    const int barsPerPattern = PatternBars(pattern);
    if (barsPerPattern == 0) return;
    for (int bar = from; bar < to; bar += barsPerPattern) {
      for (const NoteEvent& n : notes) {
        const int noteBar = bar + n.step / kStepsPerBar;
        if (noteBar >= to) break;
        if (n.token.size() != 1 || n.token[0] < '0' || n.token[0] > '9') {
          return Fail("unknown arpeggio step " + std::string(n.token));
        }
        std::vector<int> tones = Voicing(ChordAt(noteBar), center);
        const int k = n.token[0] - '0';
        const int midi = tones[k % tones.size()] + 12 * (k / int(tones.size()));
        Play(patch, bar, n, Hz(midi), n.step % 4 == 0 ? 0.9f : 0.7f, n.step % 2 ? 0.3 : -0.3);
      }
    }
  }

  // A noise sweep rising over bars [from, to), for a build-up.
  void Riser(int from, int to, double gain, uint64_t seed) {
    const std::size_t at = std::size_t(from) * Bar();
    const std::size_t n = std::size_t(to - from) * Bar();
    Rng rng(seed);
    Buffer l(n), r(n);
    Svf fl, fr;
    for (std::size_t i = 0; i < n; ++i) {
      const double x = double(i) / n;
      if (i % 32 == 0) {
        const double hz = 250.0 * std::pow(30.0, x);
        fl.Set(hz, 2.0);
        fr.Set(hz * 1.1, 2.0);
      }
      const float level = static_cast<float>(gain * x * x * std::min(1.0, (n - i) / 400.0));
      l[i] = level * fl.k * fl.Band(rng.Bipolar());
      r[i] = level * fr.k * fr.Band(rng.Bipolar());
    }
    Place(l, r, at, 0.0f, 0.4f);
  }

  // Delay and room, then the master level; everything wraps round the loop.
  Tune Mixdown(double rmsDb) {
    Tune tune{dryL_, dryR_};
    PingPong(step_ * 3, 0.38f, tune.left, tune.right);
    Room(tune.left, tune.right);
    BlockDc(tune.left);
    BlockDc(tune.right);
    double sum = 0;
    for (std::size_t i = 0; i < length_; ++i) {
      sum += double(tune.left[i]) * tune.left[i] + double(tune.right[i]) * tune.right[i];
    }
    const double rms = std::sqrt(sum / (2.0 * length_));
    const float gain = rms > 0 ? static_cast<float>(DbToGain(rmsDb) / rms) : 1.0f;
    // A little under the effects' ceiling: the codec may overshoot peaks.
    for (Buffer* b : {&tune.left, &tune.right}) {
      for (float& x : *b) x = SoftLimit(x * gain, 0.5f, 0.82f);
    }
    return tune;
  }

 private:
  void Fail(const std::string& what) {
    if (error_.empty()) error_ = what;
  }

  const Chord& ChordAt(int bar) const {
    static const Chord kNone{};
    return std::size_t(bar) < chords_.size() ? chords_[bar] : kNone;
  }
  std::string_view NameAt(int bar) const {
    return std::size_t(bar) < chordNames_.size() ? chordNames_[bar] : std::string_view{};
  }

  // Chord tones, each in the octave that puts it within [center - 6, center + 5].
  static std::vector<int> Voicing(const Chord& chord, int center) {
    std::vector<int> tones;
    for (int interval : {0, chord.third, chord.fifth, chord.seventh}) {
      if (interval < 0) continue;
      int pc = (chord.root + interval) % 12;
      int lowest = center - 6;
      tones.push_back(lowest + ((pc - lowest) % 12 + 12) % 12);
    }
    std::sort(tones.begin(), tones.end());
    return tones;
  }

  static std::vector<double> Pitches(const std::vector<int>& midi) {
    std::vector<double> hz;
    for (int m : midi) hz.push_back(Hz(m));
    return hz;
  }

  int PatternBars(std::string_view pattern) {
    int bars = 0;
    for (std::string_view bar : Split(pattern, '|')) {
      if (!Words(bar).empty()) ++bars;
    }
    if (bars == 0) Fail("empty pattern");
    return bars;
  }

  std::vector<NoteEvent> Read(std::string_view line) {
    std::vector<NoteEvent> notes;
    int step = 0;
    bool holding = false;
    for (std::string_view bar : Split(line, '|')) {
      std::vector<std::string_view> tokens = Words(bar);
      if (tokens.empty()) continue;
      if (tokens.size() != kStepsPerBar) {
        Fail("bar of " + std::to_string(tokens.size()) + " steps: " + std::string(bar));
        return {};
      }
      for (std::string_view token : tokens) {
        if (token == "-") {
          if (holding) ++notes.back().len;
        } else if (token == ".") {
          holding = false;
        } else {
          notes.push_back({step, 1, token});
          holding = true;
        }
        ++step;
      }
    }
    return notes;
  }

  void Play(const Patch& p, int bar, const NoteEvent& n, double hz, float velocity,
            double panShift) {
    Play(p, bar, n, std::vector<double>{hz}, velocity, panShift);
  }

  // Pitches struck together share the filter and the envelopes: one voice.
  void Play(const Patch& p, int bar, const NoteEvent& n, const std::vector<double>& pitches,
            float velocity, double panShift) {
    if (pitches.empty()) return;
    const std::size_t at = (std::size_t(bar) * kStepsPerBar + n.step) * step_;
    const std::size_t held = static_cast<std::size_t>(n.len * step_ * p.gate);
    const float echo = static_cast<float>(p.echo), room = static_cast<float>(p.room);
    if (held > Bar()) {  // long notes seldom recur
      Render(p, pitches, held, velocity, panShift);
      Place(noteL_, noteR_, at, echo, room);
      return;
    }
    // A short note sounds the same each time it recurs, so each is rendered once.
    NoteKey key{&p, pitches, held, velocity, panShift};
    auto found = rendered_.find(key);
    if (found == rendered_.end()) {
      Render(p, pitches, held, velocity, panShift);
      found = rendered_.emplace(std::move(key), std::make_pair(noteL_, noteR_)).first;
    }
    const auto& [l, r] = found->second;
    Place(l, r, at, echo, room);
  }

  void Render(const Patch& p, const std::vector<double>& pitches, std::size_t held, float velocity,
              double panShift) {
    constexpr int kMaxOscillators = 32;
    const int voices = std::clamp(p.voices, 1, 8);
    const int notes = std::clamp(int(pitches.size()), 1, kMaxOscillators / voices);
    const int count = notes * voices;
    std::array<Saw, kMaxOscillators> saws;
    std::array<Pulse, kMaxOscillators> pulses;
    std::array<float, kMaxOscillators> left{}, right{};
    std::array<double, kMaxOscillators> freq{};
    const float norm = 1.0f / std::sqrt(float(count));
    for (int k = 0; k < count; ++k) {
      const int v = k % voices;
      const double pos = voices > 1 ? 2.0 * v / (voices - 1) - 1.0 : 0.0;
      freq[k] = pitches[k / voices] * std::pow(2.0, pos * p.detune / 2.0 / 1200.0);
      const double pan = std::clamp(p.pan + panShift + p.spread * pos, -1.0, 1.0);
      left[k] = PanLeft(pan) * norm;
      right[k] = PanRight(pan) * norm;
      saws[k].phase = static_cast<float>(std::fmod(0.37 * k, 1.0));
      pulses[k].phase = static_cast<float>(std::fmod(0.61 * k, 1.0));
      pulses[k].width = static_cast<float>(p.width);
    }
    const double hz = pitches.empty() ? 0.0 : pitches.front();
    const float sawLevel = static_cast<float>(p.saw), pulseLevel = static_cast<float>(p.pulse);
    const float pulseDc = static_cast<float>(2 * p.width - 1);
    const float subLevel = static_cast<float>(p.sub);
    const float placeLeft = PanLeft(p.pan + panShift), placeRight = PanRight(p.pan + panShift);
    const bool stereo = voices > 1 && p.spread > 0;
    const double attack = std::max(p.attack, 0.0005) * kRate;
    const float decayStep =
        p.decay > 0 ? static_cast<float>(std::exp(-1.0 / (p.decay * kRate))) : 1.0f;
    const float releaseStep =
        static_cast<float>(std::exp(-1.0 / (std::max(p.release, 0.002) * kRate)));
    const float filterStep = static_cast<float>(std::exp(-1.0 / (p.envDecay * kRate)));
    const float gain = static_cast<float>(p.gain) * velocity;
    const float drive = static_cast<float>(p.drive);
    const float driveNorm = p.drive > 0 ? 1.0f / FastTanh(drive) : 1.0f;
    // The release rings until about -60 dB.
    const std::size_t n = std::min(length_ / 2, held + Samples(p.release * 7));
    noteL_.assign(n, 0.0f);
    noteR_.assign(n, 0.0f);
    Svf fl, fr;
    float decaying = 1.0f, level = 0.0f, filterEnv = 1.0f;
    double subPhase = 0;
    for (std::size_t i = 0; i < n; ++i) {
      if (i < held) {
        if (i < attack) {
          level = static_cast<float>(i / attack);
        } else {
          level = static_cast<float>(p.sustain + (1.0 - p.sustain) * decaying);
          decaying *= decayStep;
        }
      } else {
        level *= releaseStep;
      }
      if (i % 32 == 0) {
        if (i > attack && level < 1e-3f) {  // nothing audible left
          noteL_.resize(i);
          noteR_.resize(i);
          break;
        }
        const double cutoff = p.cutoff + p.keyTrack * hz + p.envAmount * velocity * filterEnv;
        fl.Set(cutoff, p.q);
        if (stereo) fr.Set(cutoff, p.q);
        double bend = 1.0;
        const double t = double(i) / kRate;
        if (p.vibrato > 0 && t > p.vibratoDelay) {
          bend += p.vibrato * std::min(1.0, (t - p.vibratoDelay) / 0.3) * Sine(p.vibratoRate * t);
        }
        for (int k = 0; k < count; ++k) {
          saws[k].SetFreq(freq[k] * bend);
          pulses[k].SetFreq(freq[k] * bend);
        }
      }
      filterEnv *= filterStep;
      float l = 0, r = 0, mono = 0;
      for (int k = 0; k < count; ++k) {
        float x = 0;
        if (sawLevel > 0) x += sawLevel * saws[k].Next();
        if (pulseLevel > 0) x += pulseLevel * (pulses[k].Next() - pulseDc);
        if (stereo) {
          l += left[k] * x;
          r += right[k] * x;
        } else {
          mono += x;
        }
      }
      float sub = 0;
      if (subLevel > 0) {
        sub = subLevel * Sine(subPhase);
        subPhase += hz / kRate;
      }
      if (stereo) {
        l = fl.Low(l) + placeLeft * sub;
        r = fr.Low(r) + placeRight * sub;
      } else {
        // Without spread the voices share one filter and one place.
        float m = fl.Low(mono * norm) + sub;
        if (drive > 0) m = FastTanh(drive * m) * driveNorm;
        l = placeLeft * m;
        r = placeRight * m;
      }
      if (stereo && drive > 0) {
        l = FastTanh(drive * l) * driveNorm;
        r = FastTanh(drive * r) * driveNorm;
      }
      const float amp = gain * level;
      noteL_[i] = amp * l;
      noteR_[i] = amp * r;
    }
  }

  void PlaceMono(const Buffer& sound, std::size_t at, double gain, double pan, double echo,
                 double room) {
    noteL_.resize(sound.size());
    noteR_.resize(sound.size());
    const float gl = static_cast<float>(gain) * PanLeft(pan);
    const float gr = static_cast<float>(gain) * PanRight(pan);
    for (std::size_t i = 0; i < sound.size(); ++i) {
      noteL_[i] = gl * sound[i];
      noteR_[i] = gr * sound[i];
    }
    Place(noteL_, noteR_, at, static_cast<float>(echo), static_cast<float>(room));
  }

  // Adds a sound at `at`; whatever rings past the loop's end sounds at its start.
  void Place(const Buffer& l, const Buffer& r, std::size_t at, float echo, float room) {
    Wrap(dryL_, l, at, 1.0f);
    Wrap(dryR_, r, at, 1.0f);
    if (echo > 0) {
      Wrap(echo_, l, at, 0.5f * echo);
      Wrap(echo_, r, at, 0.5f * echo);
    }
    if (room > 0) {
      Wrap(room_, l, at, 0.5f * room);
      Wrap(room_, r, at, 0.5f * room);
    }
  }

  static void Wrap(Buffer& bus, const Buffer& src, std::size_t at, float gain) {
    const std::size_t size = bus.size();
    at %= size;
    const std::size_t n = std::min(src.size(), size);
    const std::size_t first = std::min(n, size - at);
    float* out = bus.data();
    const float* in = src.data();
    for (std::size_t i = 0; i < first; ++i) out[at + i] += gain * in[i];
    for (std::size_t i = first; i < n; ++i) out[i - first] += gain * in[i];
  }

  // The effects run over the loop's last seconds first, so that at the start
  // they already carry what the end sent into them.
  std::size_t Warmup() const { return std::min(length_, Samples(3.0)); }

  // Takes out anything below ~10 Hz, which only uses up headroom.
  void BlockDc(Buffer& b) const {
    const float a = static_cast<float>(std::exp(-2.0 * kPi * 10.0 / kRate));
    float lastIn = 0, lastOut = 0;
    const std::size_t warm = Warmup();
    for (std::size_t k = 0; k < warm + length_; ++k) {
      const std::size_t i = (k + length_ - warm) % length_;
      const float x = b[i];
      const float y = x - lastIn + a * lastOut;
      lastIn = x;
      lastOut = y;
      if (k >= warm) b[i] = y;
    }
  }

  // Ping-pong echo: left first, then right, each repeat a little darker.
  void PingPong(std::size_t delay, float feedback, Buffer& outL, Buffer& outR) const {
    Buffer lineL(delay, 0.0f), lineR(delay, 0.0f);
    OnePole dampL, dampR;
    dampL.Set(3500);
    dampR.Set(3500);
    std::size_t idx = 0;
    const std::size_t warm = Warmup();
    for (std::size_t k = 0; k < warm + length_; ++k) {
      const std::size_t i = (k + length_ - warm) % length_;
      const float yl = lineL[idx], yr = lineR[idx];
      lineL[idx] = echo_[i] + feedback * dampR.Low(yr);
      lineR[idx] = feedback * dampL.Low(yl);
      if (++idx == delay) idx = 0;
      if (k >= warm) {
        outL[i] += 0.7f * yl;
        outR[i] += 0.7f * yr;
      }
    }
  }

  // A plate-like room: damped combs in parallel, then all-passes that differ
  // a little per side for width.
  void Room(Buffer& outL, Buffer& outR) const {
    struct Line {
      Buffer data;
      std::size_t idx = 0;
      float store = 0;
      explicit Line(std::size_t n) : data(n, 0.0f) {}
      float Comb(float x) {
        float y = data[idx];
        store = y * 0.7f + store * 0.3f;
        data[idx] = x + store * 0.82f;
        if (++idx == data.size()) idx = 0;
        return y;
      }
      float Allpass(float x) {
        float d = data[idx];
        data[idx] = x + d * 0.5f;
        if (++idx == data.size()) idx = 0;
        return d - x;
      }
    };
    Line c1(1116), c2(1277), c3(1422), c4(1557);
    Line al1(556), al2(341), ar1(579), ar2(364);
    const std::size_t warm = Warmup();
    for (std::size_t k = 0; k < warm + length_; ++k) {
      const std::size_t i = (k + length_ - warm) % length_;
      const float x = room_[i];
      const float y = c1.Comb(x) + c2.Comb(x) + c3.Comb(x) + c4.Comb(x);
      const float l = al2.Allpass(al1.Allpass(y));
      const float r = ar2.Allpass(ar1.Allpass(y));
      if (k >= warm) {
        outL[i] += 0.12f * l;
        outR[i] += 0.12f * r;
      }
    }
  }

  // Patches are identified by address: each lives through the whole song.
  using NoteKey = std::tuple<const Patch*, std::vector<double>, std::size_t, float, double>;
  std::map<NoteKey, std::pair<Buffer, Buffer>> rendered_;
  std::size_t step_;
  int bars_;
  std::size_t length_;
  std::vector<Chord> chords_;
  std::vector<std::string_view> chordNames_;
  Buffer dryL_, dryR_;
  Buffer echo_, room_;  // sends to the echo and the room, in mono
  Buffer noteL_, noteR_;
  std::string error_;
};

}  // namespace

// `count` bars of `bar`, the last replaced by `fill` when one is given.
std::string Bars(std::string_view bar, int count, std::string_view fill = {}) {
  std::string out;
  for (int i = 0; i < count; ++i) {
    out.append(i + 1 == count && !fill.empty() ? fill : bar);
    out.append(" | ");
  }
  return out;
}

// ---- Menu.ogg -------------------------------------------------------------------

bool ComposeMenuTheme(Tune& tune, std::string& error) {
  Song s(105, 32);
  s.Chords(0,
           "Am Am F F Dm Dm E E | Am F C G Am F Dm E | Dm Am Dm Am F G E E |"
           "Am F C G Am F Dm E");
  const DrumKit kit = MakeKit(21, 0.16);

  const Patch bass{.saw = 0.7,
                   .pulse = 0.3,
                   .sub = 0.5,
                   .cutoff = 200,
                   .keyTrack = 1.0,
                   .envAmount = 1400,
                   .envDecay = 0.09,
                   .q = 1.6,
                   .attack = 0.002,
                   .release = 0.02,
                   .drive = 1.2,
                   .gain = 0.55,
                   .gate = 0.75};
  const Patch pad{.voices = 2,
                  .detune = 16,
                  .spread = 0.7,
                  .cutoff = 800,
                  .envAmount = 300,
                  .envDecay = 1.0,
                  .q = 0.8,
                  .attack = 0.35,
                  .release = 0.25,
                  .gain = 0.14,
                  .room = 0.5};
  const Patch lead{.voices = 2,
                   .detune = 9,
                   .spread = 0.3,
                   .saw = 0.6,
                   .pulse = 0.4,
                   .width = 0.4,
                   .cutoff = 700,
                   .keyTrack = 1.5,
                   .envAmount = 1800,
                   .envDecay = 0.25,
                   .q = 1.2,
                   .attack = 0.01,
                   .decay = 0.6,
                   .sustain = 0.7,
                   .release = 0.08,
                   .vibrato = 0.005,
                   .gain = 0.26,
                   .echo = 0.3,
                   .room = 0.3,
                   .gate = 0.95};
  const Patch pluck{.saw = 0,
                    .pulse = 1,
                    .width = 0.3,
                    .cutoff = 400,
                    .keyTrack = 0.5,
                    .envAmount = 3500,
                    .envDecay = 0.07,
                    .q = 1.5,
                    .attack = 0.001,
                    .decay = 0.16,
                    .sustain = 0,
                    .release = 0.07,
                    .gain = 0.16,
                    .echo = 0.45,
                    .room = 0.25};

  // Drums: sparse intro, driving A sections, half-time B.
  for (int bar : {0, 8, 16, 24}) s.Drums(kit.crash, bar, bar + 1, "X...............", 0.3, -0.3);
  s.Drums(kit.hat, 0, 32, "ggxgggxgggxgggxg", 0.2, 0.25);
  s.Drums(kit.kick, 0, 4, "x.......x.......", 0.9);
  s.Drums(kit.kick, 4, 16, "x...x...x...x...", 0.9);
  s.Drums(kit.kick, 16, 24, "x.....x...x.....", 0.9);
  s.Drums(kit.kick, 24, 32, "x...x...x...x...", 0.9);
  s.Drums(kit.snare, 4, 8, Bars("....x.......x...", 4, "....x...x.x.xxXX"), 0.55, 0, 0.3);
  s.Drums(kit.snare, 8, 16, Bars("....x.......x...", 8, "....x.......x..g"), 0.55, 0, 0.3);
  s.Drums(kit.snare, 16, 24, Bars("........x.......", 8, "........x.x.xxXX"), 0.55, 0, 0.3);
  s.Drums(kit.snare, 24, 32, Bars("....x.......x...", 8, "....x...x.xgxxXX"), 0.55, 0, 0.3);
  s.Drums(kit.openHat, 24, 32, "..x...x...x...x.", 0.12, -0.25);

  s.Bass(bass, 0, 8, "1 . 1 . 1 . 1 . 1 . 1 . 1 . 8 .", 33);
  s.Bass(bass, 8, 16, "1 1 1 1 1 1 1 1 1 1 1 1 1 1 8 5", 33);
  s.Bass(bass, 16, 24, "1 - - 1 - - 1 - 1 - - 1 - - 8 -", 33);
  s.Bass(bass, 24, 32, "1 1 1 1 1 1 1 1 1 1 1 1 1 1 8 5", 33);

  s.Pads(pad, 0, 32, 64);
  s.Arp(pluck, 0, 8, "0 . 1 . 2 . 3 . 4 . 3 . 2 . 1 .", 69);
  s.Arp(pluck, 24, 32, "0 . 2 . 1 . 3 . 2 . 4 . 3 . 1 .", 76);

  const char* themeA =
      "E5 - - - - - D5 - C5 - - - B4 - C5 - |"
      "A4 - - - - - - - . . F4 - A4 - C5 - |"
      "E5 - - - G5 - - - - - E5 - D5 - - - |"
      "D5 - - - - - - - . . B4 - D5 - E5 - |"
      "E5 - - - - - D5 - C5 - - - B4 - A4 - |"
      "C5 - - - - - - - . . A4 - C5 - F5 - |"
      "F5 - - - E5 - - - D5 - - - C5 - D5 - |"
      "B4 - - - - - - - G#4 - - - B4 - - - |";
  s.Melody(lead, 8, themeA);
  s.Melody(lead, 16,
           "A5 - - - - - - - F5 - - - D5 - - - |"
           "E5 - - - - - - - - - - - C5 - E5 - |"
           "F5 - - - - - - - A5 - - - G5 - F5 - |"
           "E5 - - - - - - - - - - - . . . . |"
           "C6 - - - - - - - A5 - - - F5 - - - |"
           "D6 - - - - - - - B5 - - - G5 - - - |"
           "G#5 - - - - - - - B5 - - - E5 - - - |"
           "E5 - - - - - - - . . . . B4 - D5 - |",
           -12);
  s.Melody(lead, 24, themeA);

  if (!s.Ok()) {
    error = "Menu theme: " + s.Error();
    return false;
  }
  tune = s.Mixdown(-17);
  return true;
}

// ---- Game.ogg -------------------------------------------------------------------

bool ComposeGameTheme(Tune& tune, std::string& error) {
  Song s(140, 40);
  s.Chords(0,
           "Em Em Em Em | Em Em C D Em Em C B7 | C D Em Em C D B B |"
           "Em Em C D Em Em C B7 | Am Am Em Em Am Am F F | B B B B");
  const DrumKit kit = MakeKit(42, 0.11);

  const Patch bass{.saw = 0.5,
                   .pulse = 0.5,
                   .width = 0.35,
                   .sub = 0.4,
                   .cutoff = 260,
                   .keyTrack = 1.0,
                   .envAmount = 2600,
                   .envDecay = 0.06,
                   .q = 2.2,
                   .attack = 0.002,
                   .release = 0.015,
                   .drive = 2.0,
                   .gain = 0.5,
                   .gate = 0.7};
  const Patch lead{.voices = 2,
                   .detune = 10,
                   .spread = 0.2,
                   .saw = 1,
                   .pulse = 0.5,
                   .width = 0.25,
                   .cutoff = 900,
                   .keyTrack = 1.2,
                   .envAmount = 3000,
                   .envDecay = 0.12,
                   .q = 1.5,
                   .attack = 0.003,
                   .decay = 0.3,
                   .sustain = 0.75,
                   .release = 0.05,
                   .vibrato = 0.004,
                   .drive = 1.2,
                   .gain = 0.22,
                   .echo = 0.22,
                   .room = 0.2,
                   .gate = 0.85};
  const Patch strings{.voices = 2,
                      .detune = 14,
                      .spread = 0.6,
                      .cutoff = 900,
                      .keyTrack = 1.0,
                      .envAmount = 600,
                      .envDecay = 0.5,
                      .q = 0.9,
                      .attack = 0.08,
                      .release = 0.2,
                      .vibrato = 0.006,
                      .gain = 0.2,
                      .echo = 0.2,
                      .room = 0.5};
  const Patch pad{.voices = 2,
                  .detune = 18,
                  .spread = 0.8,
                  .cutoff = 600,
                  .envAmount = 200,
                  .envDecay = 1.0,
                  .q = 0.8,
                  .attack = 0.3,
                  .release = 0.2,
                  .gain = 0.1,
                  .room = 0.5};
  const Patch stab{.voices = 2,
                   .detune = 16,
                   .spread = 0.5,
                   .cutoff = 700,
                   .envAmount = 3000,
                   .envDecay = 0.08,
                   .q = 1.2,
                   .attack = 0.003,
                   .release = 0.08,
                   .gain = 0.11,
                   .room = 0.3};
  const Patch pluck{.saw = 0,
                    .pulse = 1,
                    .width = 0.5,
                    .cutoff = 600,
                    .keyTrack = 0.5,
                    .envAmount = 4000,
                    .envDecay = 0.05,
                    .q = 1.4,
                    .attack = 0.001,
                    .decay = 0.12,
                    .sustain = 0,
                    .release = 0.08,
                    .gain = 0.13,
                    .echo = 0.35,
                    .room = 0.2};

  const char* crash = "X...............";
  for (int bar : {0, 4, 12, 20, 28}) s.Drums(kit.crash, bar, bar + 1, crash, 0.3, -0.3);
  const char* four = "x...x...x...x...";
  const char* backbeat = "....X.......X...";
  s.Drums(kit.kick, 0, 12, four, 0.95);
  s.Drums(kit.kick, 12, 20, "x...x...x...x.x.", 0.95);
  s.Drums(kit.kick, 20, 28, four, 0.95);
  s.Drums(kit.kick, 28, 36, "x.........x.....", 0.95);
  s.Drums(kit.kick, 36, 40, four, 0.95);
  s.Drums(kit.snare, 2, 4, "....x.......x... | ....x...x.x.xxXX", 0.5, 0, 0.25);
  s.Drums(kit.snare, 4, 12, Bars(backbeat, 8, "....X.......X.xx"), 0.5, 0, 0.25);
  s.Drums(kit.snare, 12, 20, Bars(backbeat, 8, "....X...X.X.XXXX"), 0.5, 0, 0.25);
  s.Drums(kit.snare, 20, 28, Bars(backbeat, 8, "....X.......XxXX"), 0.5, 0, 0.25);
  s.Drums(kit.snare, 28, 36, "........X.......", 0.5, 0, 0.35);
  s.Drums(kit.snare, 36, 40,
          "x...x...x...x... | x.x.x.x.x.x.x.x. | ggggggggxxxxxxxx | xxxxxxxxXXXXXXXX", 0.45, 0,
          0.25);
  s.Drums(kit.clap, 4, 28, "....x.......x...", 0.3, 0.1, 0.2);
  s.Drums(kit.hat, 0, 12, "xgxgxgxgxgxgxgxg", 0.16, 0.25);
  s.Drums(kit.hat, 12, 28, "xg.gxg.gxg.gxg.g", 0.16, 0.25);
  s.Drums(kit.openHat, 12, 28, "..x...x...x...x.", 0.12, -0.2);
  s.Drums(kit.hat, 28, 36, "g.g.g.g.g.g.g.g.", 0.18, 0.25);
  s.Drums(kit.hat, 36, 40, "xgxgxgxgxgxgxgxg", 0.16, 0.25);
  s.Drums(kit.tomHigh, 35, 36, "........x.x.x...", 0.45, 0.3);
  s.Drums(kit.tomLow, 35, 36, "............x.xx", 0.5, -0.3);

  s.Bass(bass, 0, 2, "1 . 1 . 1 . 1 . 1 . 1 . 1 . 1 .", 33);
  s.Bass(bass, 2, 12, "1 1 8 1 1 8 1 1 8 1 1 8 1 1 8 1", 33);
  s.Bass(bass, 12, 20, "1 . 1 1 1 . 1 1 1 . 1 1 8 . 5 .", 33);
  s.Bass(bass, 20, 28, "1 1 8 1 1 8 1 1 8 1 1 8 1 1 8 1", 33);
  s.Bass(bass, 28, 36, "1 - - - - - - - 1 - - - 5 - 8 -", 33);
  s.Bass(bass, 36, 40, "1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1", 33);

  s.Pads(pad, 0, 28, 62);
  Patch bridgePad = pad;
  bridgePad.gain = 0.16;
  s.Pads(bridgePad, 28, 40, 62);
  s.Stabs(stab, 12, 20, "x . . x . . x . . . x . . x . .", 67);
  s.Arp(pluck, 20, 28, "0 1 2 0 1 2 0 1 2 0 1 2 3 2 1 2", 71);
  s.Arp(pluck, 36, 40,
        "0 1 2 0 1 2 0 1 2 0 1 2 0 1 2 3 | 1 2 3 1 2 3 1 2 3 1 2 3 1 2 3 4 |"
        "2 3 4 2 3 4 2 3 4 2 3 4 2 3 4 5 | 3 4 5 3 4 5 3 4 5 3 4 5 6 5 4 3",
        64);
  s.Riser(36, 40, 0.35, 77);

  const char* riff =
      "E5 . E5 . G5 . E5 . B5 - A5 . G5 . F#5 . |"
      "G5 - F#5 - E5 - D5 - E5 - - - . . B4 . |"
      "C5 . E5 . G5 . E5 . C6 - B5 . G5 . E5 . |"
      "F#5 - - - A5 - - - D5 - F#5 - A5 - D6 - |"
      "E5 . E5 . G5 . E5 . B5 - A5 . G5 . F#5 . |"
      "G5 - A5 - B5 - D6 - E6 - - - . . D6 . |"
      "C6 - B5 - G5 - E5 - G5 - - - C6 - B5 - |"
      "D#6 - - - - - - - B5 - - - F#5 - A5 - |";
  s.Melody(lead, 4, riff, -12);
  s.Melody(strings, 12,
           "G5 - - - - - - - E5 - - - G5 - - - |"
           "A5 - - - - - - - F#5 - - - D5 - - - |"
           "B5 - - - - - - - - - - - A5 - G5 - |"
           "E5 - - - - - - - - - - - . . . . |"
           "G5 - - - - - - - C6 - - - B5 - - - |"
           "A5 - - - - - - - D6 - - - C6 - - - |"
           "B5 - - - - - - - D#6 - - - F#6 - - - |"
           "F#6 - - - - - - - - - - - - - - - |",
           -12);
  s.Melody(lead, 20, riff, -12);
  s.Melody(strings, 28,
           "A4 - - - - - - - - - - - C5 - - - |"
           "B4 - - - - - - - - - - - A4 - - - |"
           "G4 - - - - - - - - - - - B4 - - - |"
           "E4 - - - - - - - - - - - . . . . |"
           "A4 - - - - - - - - - - - C5 - - - |"
           "E5 - - - - - - - - - - - D5 - C5 - |"
           "C5 - - - - - - - - - - - A4 - - - |"
           "A4 - - - - - - - - - - - . . . . |");

  if (!s.Ok()) {
    error = "Game theme: " + s.Error();
    return false;
  }
  tune = s.Mixdown(-16);
  return true;
}

}  // namespace assets::sound
