#include "Synth.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace assets::sound {

namespace {

constexpr int kTableBits = 12;
constexpr int kTableSize = 1 << kTableBits;

const std::array<float, kTableSize + 1>& SineTable() {
  static const std::array<float, kTableSize + 1> table = [] {
    std::array<float, kTableSize + 1> t{};
    for (int i = 0; i <= kTableSize; ++i) {
      t[i] = static_cast<float>(std::sin(2.0 * kPi * i / kTableSize));
    }
    return t;
  }();
  return table;
}

}  // namespace

float Sine(double cycles) {
  const auto& table = SineTable();
  double pos = (cycles - std::floor(cycles)) * kTableSize;
  int i = static_cast<int>(pos);
  if (i >= kTableSize) i = kTableSize - 1;  // guards pos rounding up to the size
  float frac = static_cast<float>(pos - i);
  return table[i] + (table[i + 1] - table[i]) * frac;
}

void Svf::Set(double hz, double q) {
  hz = std::clamp(hz, 10.0, 0.45 * kRate);
  double g = std::tan(kPi * hz / kRate);
  double kk = 1.0 / std::max(q, 0.05);
  double b1 = 1.0 / (1.0 + g * (g + kk));
  k = static_cast<float>(kk);
  a1 = static_cast<float>(b1);
  a2 = static_cast<float>(g * b1);
  a3 = static_cast<float>(g * g * b1);
}

void OnePole::Set(double hz) {
  a = static_cast<float>(1.0 - std::exp(-2.0 * kPi * std::clamp(hz, 1.0, 0.45 * kRate) / kRate));
}

double Env(double t, double attack, double hold, double decay) {
  if (t < 0) return 0;
  if (t < attack) return t / attack;
  t -= attack;
  if (t < hold) return 1;
  t -= hold;
  if (t > 8 * decay) return 0;
  return std::exp(-t / decay);
}

float SoftLimit(float x, float knee, float ceiling) {
  float a = std::fabs(x);
  if (a <= knee) return x;
  float room = ceiling - knee;
  float y = knee + room * std::tanh((a - knee) / room);
  return x < 0 ? -y : y;
}

double WindowRms(const Buffer& b) {
  const std::size_t window = Samples(0.05);
  const std::size_t hop = Samples(0.005);
  if (b.empty()) return 0;
  std::vector<double> sums(b.size() + 1, 0.0);
  for (std::size_t i = 0; i < b.size(); ++i) sums[i + 1] = sums[i] + double(b[i]) * b[i];
  if (b.size() <= window) return std::sqrt(sums.back() / b.size());
  double best = 0;
  for (std::size_t start = 0; start + window <= b.size(); start += hop) {
    best = std::max(best, sums[start + window] - sums[start]);
  }
  return std::sqrt(best / window);
}

double Peak(const Buffer& b) {
  double peak = 0;
  for (float x : b) peak = std::max(peak, double(std::fabs(x)));
  return peak;
}

void Finish(Buffer& b, double rmsDb, bool loops) {
  double rms = WindowRms(b);
  if (rms <= 0) return;
  float gain = static_cast<float>(DbToGain(rmsDb) / rms);
  // -1 dBFS is 0.891; the curve only approaches its ceiling.
  for (float& x : b) x = SoftLimit(x * gain, 0.5f, 0.88f);
  if (loops) return;
  std::size_t fade = std::min(b.size(), Samples(0.004));
  for (std::size_t i = 0; i < fade; ++i) b[b.size() - 1 - i] *= float(i) / float(fade);
}

std::vector<int16_t> ToPcm16(const Buffer& b) {
  std::vector<int16_t> out(b.size());
  for (std::size_t i = 0; i < b.size(); ++i) {
    long v = std::lrint(double(b[i]) * 32767.0);
    out[i] = static_cast<int16_t>(std::clamp(v, -32767L, 32767L));
  }
  return out;
}

}  // namespace assets::sound
