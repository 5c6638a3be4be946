#include "Layers.h"

#include <algorithm>
#include <cmath>

namespace assets::sound {

namespace {

// Gain that takes a layer to silence over its last 10 ms, so no layer ends
// in a step.
double Tail(double t, double len) { return std::clamp((len - t) / 0.01, 0.0, 1.0); }

double Shape(Tone::Shape shape, double phase, double step);

}  // namespace

double Glide(double from, double to, double t, double tau) {
  return to + (from - to) * std::exp(-t / tau);
}

float Drive(float x, double drive) {
  if (drive <= 0) return x;
  return static_cast<float>(std::tanh(drive * x) / std::tanh(drive));
}

namespace {

double Shape(Tone::Shape shape, double phase, double step) {
  switch (shape) {
    case Tone::kSine:
      return Sine(phase);
    case Tone::kTriangle:
      return 4.0 * std::fabs(phase - 0.5) - 1.0;
    case Tone::kSaw:
      return 2.0 * phase - 1.0 - PolyBlep(float(phase), float(step));
    case Tone::kSquare: {
      double half = phase + 0.5 - std::floor(phase + 0.5);
      return (phase < 0.5 ? 1.0 : -1.0) + PolyBlep(float(phase), float(step)) -
             PolyBlep(float(half), float(step));
    }
  }
  return 0;
}

}  // namespace

void Add(Buffer& b, const Tone& t) {
  const std::size_t start = Samples(t.at);
  const std::size_t n = Samples(t.len);
  double phase = 0;
  for (std::size_t i = 0; i < n && start + i < b.size(); ++i) {
    double time = double(i) / kRate;
    double step = Glide(t.f0, t.f1, time, t.glide) / kRate;
    float v = static_cast<float>(Shape(t.shape, phase, step));
    phase += step;
    phase -= std::floor(phase);
    b[start + i] +=
        static_cast<float>(t.amp * Env(time, t.attack, t.hold, t.decay) * Tail(time, t.len)) *
        Drive(v, t.drive);
  }
}

void Add(Buffer& b, Rng& rng, const Noise& n) {
  const std::size_t start = Samples(n.at);
  const std::size_t len = Samples(n.len);
  Svf lp, hp;
  const float spike = n.sparse > 0 ? static_cast<float>(1.0 / std::sqrt(n.sparse)) : 0.0f;
  for (std::size_t i = 0; i < len && start + i < b.size(); ++i) {
    double time = double(i) / kRate;
    if (i % 16 == 0) {
      lp.Set(Glide(n.lp0, n.lp1, time, n.sweep), n.q);
      hp.Set(Glide(n.hp0, n.hp1, time, n.sweep), 0.7071);
    }
    float x = rng.Bipolar();
    if (n.sparse > 0) x = rng.Uniform() < n.sparse ? x * spike : 0.0f;
    lp.Run(x);
    float y = n.band ? lp.k * lp.band : lp.low;
    y = hp.High(y);
    b[start + i] +=
        static_cast<float>(n.amp * Env(time, n.attack, n.hold, n.decay) * Tail(time, n.len)) *
        Drive(y, n.drive);
  }
}

void AddModes(Buffer& b, double at, std::initializer_list<Mode> modes, double gain, double attack) {
  const std::size_t start = Samples(at);
  for (const Mode& m : modes) {
    const std::size_t n = std::min(Samples(m.decay * 8), b.size() - std::min(b.size(), start));
    for (std::size_t i = 0; i < n; ++i) {
      double time = double(i) / kRate;
      const double onset = attack > 0 && time < attack ? time / attack : 1.0;
      b[start + i] += static_cast<float>(gain * m.amp * onset * std::exp(-time / m.decay) *
                                         Sine(m.freq * time));
    }
  }
}

void AddRoom(Buffer& b, double wet, double size, double damp) {
  static constexpr int kCombs[] = {1116, 1188, 1277, 1356};
  static constexpr int kAllpasses[] = {556, 441};
  Buffer out(b.size(), 0.0f);
  for (int length : kCombs) {
    Buffer line(static_cast<std::size_t>(length * size), 0.0f);
    float store = 0;
    std::size_t idx = 0;
    for (std::size_t i = 0; i < b.size(); ++i) {
      float y = line[idx];
      store = static_cast<float>(y * (1 - damp) + store * damp);
      line[idx] = b[i] + store * 0.8f;
      if (++idx == line.size()) idx = 0;
      out[i] += y;
    }
  }
  for (int length : kAllpasses) {
    Buffer line(static_cast<std::size_t>(length * size), 0.0f);
    std::size_t idx = 0;
    for (std::size_t i = 0; i < b.size(); ++i) {
      float delayed = line[idx];
      line[idx] = out[i] + delayed * 0.5f;
      out[i] = delayed - out[i];
      if (++idx == line.size()) idx = 0;
    }
  }
  for (std::size_t i = 0; i < b.size(); ++i) b[i] += static_cast<float>(wet * 0.25) * out[i];
}

}  // namespace assets::sound
