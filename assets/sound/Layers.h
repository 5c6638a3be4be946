// Layers the effects and the drums are built from: gliding tones, swept
// noise, decaying resonances and a small room.
#pragma once
#include <initializer_list>

#include "Synth.h"

namespace assets::sound {

// A tone whose pitch glides exponentially from f0 towards f1.
struct Tone {
  enum Shape { kSine, kTriangle, kSaw, kSquare };
  double at = 0, len = 0.2;
  double f0 = 100, f1 = 100, glide = 0.05;
  double attack = 0.0005, hold = 0, decay = 0.1;
  double amp = 1;
  Shape shape = kSine;
  double drive = 0;  // tanh saturation; 0 leaves the wave clean
};

// Filtered noise; the low-pass (or band-pass) and high-pass corners glide
// from their *0 to their *1 values with time constant `sweep`.
struct Noise {
  double at = 0, len = 0.2;
  double attack = 0.0005, hold = 0, decay = 0.05;
  double lp0 = 18000, lp1 = 18000, hp0 = 20, hp1 = 20, sweep = 0.1;
  double q = 0.7071;
  bool band = false;  // band-pass around the lp corner instead of low-pass
  double sparse = 0;  // > 0: crackle, impulses with this chance per sample
  double amp = 1;
  double drive = 0;
};

// A decaying resonance: the ring of metal, glass or a body.
struct Mode {
  double freq, decay, amp;
};

double Glide(double from, double to, double t, double tau);
float Drive(float x, double drive);

// Each adds its layer into `b` from `at` seconds; nothing is written past the
// buffer's end, and every layer fades to silence before its `len` runs out.
void Add(Buffer& b, const Tone& t);
void Add(Buffer& b, Rng& rng, const Noise& n);
void AddModes(Buffer& b, double at, std::initializer_list<Mode> modes, double gain = 1,
              double attack = 0);

// A small room: four damped combs and two all-passes, mixed in at `wet`.
void AddRoom(Buffer& b, double wet, double size, double damp);

}  // namespace assets::sound
