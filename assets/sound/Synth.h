// Building blocks of the synthesiser: a seeded noise source, oscillators,
// filters and the level finishing shared by the effects and the tunes.
#pragma once
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace assets::sound {

constexpr int kRate = 44100;
constexpr double kPi = 3.14159265358979323846;

using Buffer = std::vector<float>;

inline std::size_t Samples(double seconds) {
  return static_cast<std::size_t>(seconds * kRate + 0.5);
}
inline double DbToGain(double db) { return std::pow(10.0, db / 20.0); }

// xorshift-style generator with a fixed seed: the same stream on every run.
class Rng {
 public:
  explicit Rng(uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 0x2545F4914F6CDD1Dull) {}
  uint32_t Next() {
    state_ ^= state_ >> 12;
    state_ ^= state_ << 25;
    state_ ^= state_ >> 27;
    return static_cast<uint32_t>((state_ * 0x2545F4914F6CDD1Dull) >> 32);
  }
  // Uniform in [0, 1).
  float Uniform() { return static_cast<float>(Next() >> 8) * (1.0f / 16777216.0f); }
  // Uniform in [-1, 1).
  float Bipolar() { return Uniform() * 2.0f - 1.0f; }

 private:
  uint64_t state_;
};

// Sine of a phase given in cycles, from a table: fast enough for the tunes'
// inner loops and identical on every run.
float Sine(double cycles);

// Correction that takes the alias-making step out of a naive sawtooth or
// pulse (polyBLEP); phase and step in cycles.
inline float PolyBlep(float phase, float step) {
  if (phase < step) {
    float t = phase / step;
    return t + t - t * t - 1.0f;
  }
  if (phase > 1.0f - step) {
    float t = (phase - 1.0f) / step;
    return t * t + t + t + 1.0f;
  }
  return 0.0f;
}

// Smooth saturation close to tanh, cheap enough for the tunes' inner loops.
inline float FastTanh(float x) {
  if (x > 3.0f) return 1.0f;
  if (x < -3.0f) return -1.0f;
  const float x2 = x * x;
  return x * (27.0f + x2) / (27.0f + 9.0f * x2);
}

// Band-limited sawtooth and pulse.
struct Saw {
  float phase = 0, step = 0;
  void SetFreq(double hz) { step = static_cast<float>(hz / kRate); }
  float Next() {
    float v = 2.0f * phase - 1.0f - PolyBlep(phase, step);
    phase += step;
    if (phase >= 1.0f) phase -= 1.0f;
    return v;
  }
};
struct Pulse {
  float phase = 0, step = 0, width = 0.5f;
  void SetFreq(double hz) { step = static_cast<float>(hz / kRate); }
  float Next() {
    float shifted = phase + 1.0f - width;
    if (shifted >= 1.0f) shifted -= 1.0f;
    float v = (phase < width ? 1.0f : -1.0f) + PolyBlep(phase, step) - PolyBlep(shifted, step);
    phase += step;
    if (phase >= 1.0f) phase -= 1.0f;
    return v;
  }
};

// Two-pole state-variable filter (trapezoidal, stable under modulation).
struct Svf {
  float ic1 = 0, ic2 = 0;
  float a1 = 0, a2 = 0, a3 = 0, k = 1.41421356f;
  float low = 0, band = 0, high = 0;
  Svf() { Set(1000, 0.7071); }
  Svf(double hz, double q) { Set(hz, q); }
  void Set(double hz, double q);
  void Run(float x) {
    float v3 = x - ic2;
    float v1 = a1 * ic1 + a2 * v3;
    float v2 = ic2 + a2 * ic1 + a3 * v3;
    ic1 = 2.0f * v1 - ic1;
    ic2 = 2.0f * v2 - ic2;
    low = v2;
    band = v1;
    high = x - k * v1 - v2;
  }
  float Low(float x) { return Run(x), low; }
  float Band(float x) { return Run(x), band; }
  float High(float x) { return Run(x), high; }
};

// One-pole low-pass, for smoothing and gentle tone shaping.
struct OnePole {
  float a = 1, z = 0;
  void Set(double hz);
  float Low(float x) { return z += a * (x - z); }
  float High(float x) { return x - Low(x); }
};

// Envelope: linear attack, hold, then exponential decay with time constant
// `decay` (seconds); 0 outside [0, attack + hold + 8 decays].
double Env(double t, double attack, double hold, double decay);

// Gentle limiter curve: unity below `knee`, then bends smoothly so that the
// output never exceeds `ceiling`.
float SoftLimit(float x, float knee, float ceiling);

// Loudness as the effects are balanced: the largest RMS over 50 ms windows.
double WindowRms(const Buffer& b);
double Peak(const Buffer& b);

// Scales to `rmsDb` (dBFS, as WindowRms measures), bends peaks under -1 dBFS
// and, unless the sound loops, fades the last few milliseconds to silence.
void Finish(Buffer& b, double rmsDb, bool loops);

// Rounds to 16-bit samples (the input is expected inside [-1, 1]).
std::vector<int16_t> ToPcm16(const Buffer& b);

}  // namespace assets::sound
