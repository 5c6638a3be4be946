#include "Effects.h"

#include <algorithm>
#include <cmath>

#include "Layers.h"

namespace assets::sound {

namespace {

// ---- loops ------------------------------------------------------------------

// Adds `event` at `at`, its end wrapping round to the loop's start.
void AddWrapped(Buffer& loop, const Buffer& event, std::size_t at, float gain) {
  for (std::size_t i = 0; i < event.size(); ++i) {
    loop[(at + i) % loop.size()] += gain * event[i];
  }
}

// Noise band that repeats seamlessly over `n` samples: the filters run over
// the loop twice and only the second, settled pass is kept.
Buffer LoopedNoise(Rng& rng, std::size_t n, double lpHz, double hpHz, double q, bool band) {
  Buffer white(n);
  for (float& x : white) x = rng.Bipolar();
  Svf lp(lpHz, q), hp(hpHz, 0.7071);
  Buffer out(n);
  for (int pass = 0; pass < 2; ++pass) {
    for (std::size_t i = 0; i < n; ++i) {
      lp.Run(white[i]);
      out[i] = hp.High(band ? lp.k * lp.band : lp.low);
    }
  }
  return out;
}

// ---- the effects --------------------------------------------------------------

Buffer Pistol() {
  Buffer b(Samples(0.42));
  Rng rng(100);
  Add(b, rng,
      {.len = 0.06,
       .attack = 0.0002,
       .decay = 0.010,
       .lp0 = 10000,
       .lp1 = 3500,
       .hp0 = 1800,
       .hp1 = 900,
       .sweep = 0.02,
       .amp = 1.0});
  Add(b, {.len = 0.12,
          .f0 = 520,
          .f1 = 120,
          .glide = 0.012,
          .decay = 0.025,
          .amp = 0.7,
          .shape = Tone::kTriangle,
          .drive = 2});
  Add(b, {.len = 0.2, .f0 = 170, .f1 = 60, .glide = 0.03, .decay = 0.05, .amp = 0.6});
  Add(b, rng,
      {.len = 0.4,
       .attack = 0.002,
       .decay = 0.07,
       .lp0 = 2600,
       .lp1 = 700,
       .hp0 = 150,
       .hp1 = 150,
       .sweep = 0.08,
       .amp = 0.22});
  AddRoom(b, 0.35, 0.8, 0.4);
  return b;
}

Buffer EnemyRifle() {
  Buffer b(Samples(0.6));
  Rng rng(101);
  // Supersonic crack, then a darker, longer bang with a distant echo.
  Add(b, rng,
      {.len = 0.012, .attack = 0.0001, .decay = 0.0018, .hp0 = 4500, .hp1 = 4500, .amp = 1.3});
  Add(b, rng,
      {.at = 0.002,
       .len = 0.2,
       .attack = 0.0004,
       .decay = 0.04,
       .lp0 = 1100,
       .lp1 = 450,
       .sweep = 0.05,
       .q = 1.3,
       .band = true,
       .amp = 1.6,
       .drive = 2.5});
  Add(b, {.at = 0.002,
          .len = 0.2,
          .f0 = 320,
          .f1 = 75,
          .glide = 0.02,
          .decay = 0.06,
          .amp = 0.7,
          .shape = Tone::kSquare,
          .drive = 3});
  Add(b, rng,
      {.len = 0.55,
       .attack = 0.01,
       .decay = 0.11,
       .lp0 = 1600,
       .lp1 = 380,
       .hp0 = 90,
       .hp1 = 90,
       .sweep = 0.12,
       .amp = 0.3});
  // Slap back off a far wall.
  Add(b, rng,
      {.at = 0.13,
       .len = 0.3,
       .attack = 0.003,
       .decay = 0.05,
       .lp0 = 900,
       .lp1 = 400,
       .sweep = 0.06,
       .q = 1.0,
       .band = true,
       .amp = 0.35});
  AddRoom(b, 0.45, 1.1, 0.5);
  return b;
}

Buffer MachineGun() {
  Buffer b(Samples(0.17));
  Rng rng(102);
  Add(b, rng,
      {.len = 0.04,
       .attack = 0.0002,
       .decay = 0.007,
       .lp0 = 8000,
       .lp1 = 2600,
       .hp0 = 1300,
       .hp1 = 1300,
       .sweep = 0.015,
       .amp = 1.0});
  Add(b, {.len = 0.08,
          .f0 = 380,
          .f1 = 95,
          .glide = 0.01,
          .decay = 0.018,
          .amp = 0.8,
          .shape = Tone::kTriangle,
          .drive = 2.5});
  Add(b, {.len = 0.12, .f0 = 130, .f1 = 55, .glide = 0.02, .decay = 0.03, .amp = 0.5});
  Add(b, rng,
      {.len = 0.17,
       .attack = 0.001,
       .decay = 0.03,
       .lp0 = 2000,
       .lp1 = 500,
       .hp0 = 120,
       .hp1 = 120,
       .sweep = 0.04,
       .amp = 0.2});
  // The bolt slamming forward again.
  AddModes(b, 0.045, {{2900, 0.008, 0.12}, {4400, 0.005, 0.08}});
  return b;
}

Buffer Launcher() {
  Buffer b(Samples(0.95));
  Rng rng(103);
  // Thump of the launch, ignition crack, then the rocket roaring away.
  Add(b, {.len = 0.5,
          .f0 = 120,
          .f1 = 38,
          .glide = 0.05,
          .attack = 0.001,
          .decay = 0.11,
          .amp = 1.0,
          .drive = 1.2});
  Add(b, rng, {.len = 0.15, .attack = 0.0005, .decay = 0.03, .lp0 = 900, .lp1 = 900, .amp = 0.8});
  Add(b, rng,
      {.len = 0.03, .attack = 0.0001, .decay = 0.005, .hp0 = 2200, .hp1 = 2200, .amp = 0.5});
  Add(b, rng,
      {.at = 0.02,
       .len = 0.9,
       .attack = 0.05,
       .hold = 0.12,
       .decay = 0.2,
       .lp0 = 2600,
       .lp1 = 500,
       .sweep = 0.3,
       .q = 1.6,
       .band = true,
       .amp = 0.9});
  Add(b, rng,
      {.at = 0.01,
       .len = 0.85,
       .attack = 0.02,
       .hold = 0.05,
       .decay = 0.22,
       .lp0 = 320,
       .lp1 = 200,
       .sweep = 0.3,
       .amp = 0.7,
       .drive = 1.5});
  Add(b, rng,
      {.at = 0.03,
       .len = 0.7,
       .attack = 0.02,
       .decay = 0.15,
       .lp0 = 5000,
       .lp1 = 2000,
       .hp0 = 1500,
       .hp1 = 1000,
       .sweep = 0.2,
       .sparse = 0.01,
       .amp = 0.25});
  return b;
}

Buffer BigBlast() {
  Buffer b(Samples(1.5));
  Rng rng(104);
  Add(b, {.len = 1.4,
          .f0 = 95,
          .f1 = 26,
          .glide = 0.25,
          .attack = 0.002,
          .decay = 0.38,
          .amp = 1.0,
          .drive = 1.5});
  Add(b, rng,
      {.len = 0.05, .attack = 0.0001, .decay = 0.008, .hp0 = 1100, .hp1 = 1100, .amp = 1.1});
  Add(b, rng,
      {.len = 1.4,
       .attack = 0.003,
       .decay = 0.24,
       .lp0 = 3500,
       .lp1 = 220,
       .sweep = 0.3,
       .amp = 1.3,
       .drive = 2});
  Add(b, rng, {.len = 1.5, .attack = 0.04, .decay = 0.45, .lp0 = 170, .lp1 = 170, .amp = 1.0});
  Add(b, rng,
      {.at = 0.08,
       .len = 1.2,
       .attack = 0.05,
       .decay = 0.3,
       .lp0 = 7000,
       .lp1 = 3000,
       .hp0 = 2500,
       .hp1 = 1500,
       .sweep = 0.4,
       .sparse = 0.004,
       .amp = 0.35});
  AddRoom(b, 0.3, 1.3, 0.6);
  return b;
}

Buffer DryClick() {
  Buffer b(Samples(0.05));
  Rng rng(105);
  // The hammer falls on nothing: one sharp tick and a smaller rebound.
  AddModes(b, 0, {{3100, 0.004, 0.6}, {4700, 0.003, 0.4}, {1800, 0.006, 0.35}});
  Add(b, rng,
      {.len = 0.01, .attack = 0.0001, .decay = 0.0015, .hp0 = 3000, .hp1 = 3000, .amp = 0.7});
  AddModes(b, 0.017, {{2600, 0.003, 0.4}, {4100, 0.002, 0.3}});
  return b;
}

Buffer TargetAlarm() {
  Buffer b(Samples(0.6));
  // A siren: two wails that climb and fall through an octave, a little reedy from
  // its odd harmonics, with a quick tremble on top.
  const double wail = 0.3;
  for (int k = 0; k < 2; ++k) {
    for (int h : {1, 3, 5}) {
      const double amp = h == 1 ? 1.0 : (h == 3 ? 0.22 : 0.08);
      Add(b, {.at = k * wail,
              .len = wail * 0.5 + 0.004,
              .f0 = 640.0 * h,
              .f1 = 1500.0 * h,
              .glide = 0.06,
              .attack = 0.006,
              .hold = wail * 0.5 - 0.01,
              .decay = 0.004,
              .amp = amp});
      Add(b, {.at = k * wail + wail * 0.5,
              .len = wail * 0.5,
              .f0 = 1400.0 * h,
              .f1 = 620.0 * h,
              .glide = 0.07,
              .attack = 0.004,
              .hold = wail * 0.5 - 0.02,
              .decay = 0.012,
              .amp = amp});
    }
  }
  for (size_t i = 0; i < b.size(); ++i)
    b[i] *= static_cast<float>(0.85 + 0.15 * std::sin(2 * 3.14159265358979 * 14.0 * i / kRate));
  return b;
}

// Two engines at once: a car purring at 45 firings a second and a diesel
// truck knocking at 21. Every component repeats a whole number of times in
// the loop's two seconds, so the end runs straight into the start.
Buffer EngineLoop() {
  const std::size_t n = Samples(2.0);
  Buffer b(n, 0.0f);
  Rng rng(107);
  // Car: harmonics of 45 Hz with a body resonance near 350 Hz, wavering at 3 Hz.
  for (int h = 1; h <= 24; ++h) {
    const double f = 45.0 * h;
    const double body = 1.0 / (1.0 + std::pow((f - 350.0) / 260.0, 2.0));
    const double amp = (0.5 / h + body) * 0.25;
    const double phase = rng.Uniform();
    for (std::size_t i = 0; i < n; ++i) {
      const double t = double(i) / kRate;
      b[i] += static_cast<float>(amp * (1.0 + 0.15 * Sine(3.0 * t)) * Sine(phase + f * t));
    }
  }
  // Truck: low harmonics of 10.5 Hz cycles (two strokes of 21 Hz) and a knock
  // on every firing, each a little different.
  for (int h = 1; h <= 8; ++h) {
    const double f = 21.0 * h;
    const double amp = 0.35 / h;
    const double phase = rng.Uniform();
    for (std::size_t i = 0; i < n; ++i) {
      b[i] += static_cast<float>(amp * Sine(phase + f * double(i) / kRate));
    }
  }
  const std::size_t period = kRate / 21;  // 2100 samples, 42 per loop
  for (std::size_t at = 0; at < n; at += period) {
    Buffer knock(Samples(0.03), 0.0f);
    Add(knock, rng,
        {.len = 0.03,
         .attack = 0.0008,
         .decay = 0.006,
         .lp0 = 1300,
         .lp1 = 1300,
         .q = 2.0,
         .band = true,
         .amp = 0.9});
    AddWrapped(b, knock, at, 0.6f + 0.4f * rng.Uniform());
  }
  // Exhaust rumble and a little road hiss.
  Buffer rumble = LoopedNoise(rng, n, 160, 30, 0.9, false);
  Buffer hiss = LoopedNoise(rng, n, 2500, 800, 0.7, true);
  for (std::size_t i = 0; i < n; ++i) b[i] += 1.2f * rumble[i] + 0.05f * hiss[i];
  return b;
}

// A train: two bogies of two axles crossing a rail joint (ta-dum ... ta-dum)
// twice per loop, over a rolling rumble.
Buffer TrainLoop() {
  const std::size_t n = Samples(2.0);
  Buffer b(n, 0.0f);
  Rng rng(108);
  const double hits[] = {0.0, 0.15, 0.55, 0.70, 1.0, 1.15, 1.55, 1.70};
  for (double at : hits) {
    Buffer clack(Samples(0.25), 0.0f);
    Add(clack, {.len = 0.12, .f0 = 110, .f1 = 62, .glide = 0.02, .decay = 0.035, .amp = 0.9});
    Add(clack, rng,
        {.len = 0.06,
         .attack = 0.0003,
         .decay = 0.008,
         .lp0 = 2200,
         .lp1 = 2200,
         .q = 1.2,
         .band = true,
         .amp = 0.9});
    const double detune = 1.0 + 0.02 * rng.Bipolar();
    AddModes(clack, 0.0,
             {{620 * detune, 0.03, 0.25},
              {1130 * detune, 0.025, 0.2},
              {2470 * detune, 0.015, 0.15},
              {3310 * detune, 0.01, 0.1}});
    AddWrapped(b, clack, Samples(at), 0.7f + 0.3f * rng.Uniform());
  }
  Buffer rumble = LoopedNoise(rng, n, 140, 25, 1.0, false);
  Buffer roll = LoopedNoise(rng, n, 600, 250, 1.2, true);
  for (std::size_t i = 0; i < n; ++i) {
    const double t = double(i) / kRate;
    // The wheels turn five times a second; the hum sits at 50 Hz.
    const double wobble = 1.0 + 0.3 * Sine(5.0 * t);
    b[i] += static_cast<float>(1.1 * rumble[i] + 0.25 * wobble * roll[i] + 0.04 * Sine(50.0 * t) +
                               0.015 * Sine(2850.0 * t) * (0.5 + 0.5 * Sine(0.5 * t)));
  }
  return b;
}

Buffer Explosion() {
  Buffer b(Samples(0.85));
  Rng rng(109);
  Add(b, {.len = 0.6,
          .f0 = 150,
          .f1 = 45,
          .glide = 0.06,
          .attack = 0.001,
          .decay = 0.13,
          .amp = 0.9,
          .drive = 2});
  Add(b, rng,
      {.len = 0.8,
       .attack = 0.002,
       .decay = 0.14,
       .lp0 = 5500,
       .lp1 = 450,
       .sweep = 0.14,
       .amp = 1.3,
       .drive = 1.5});
  Add(b, rng,
      {.at = 0.02,
       .len = 0.75,
       .attack = 0.01,
       .decay = 0.18,
       .lp0 = 6000,
       .lp1 = 4000,
       .hp0 = 1500,
       .hp1 = 1200,
       .sweep = 0.3,
       .sparse = 0.006,
       .amp = 0.5});
  AddRoom(b, 0.3, 1.0, 0.5);
  return b;
}

// A short "uhh!": a falling voiced pulse through vowel formants.
Buffer Grunt() {
  const double len = 0.45;
  Buffer b(Samples(len));
  Rng rng(110);
  Svf f1, f2, f3;
  double phase = 0;
  for (std::size_t i = 0; i < b.size(); ++i) {
    const double t = double(i) / kRate;
    if (i % 16 == 0) {
      const double open = std::exp(-t / 0.2);  // "uh" closing towards "oh"
      f1.Set(480 + 200 * open, 7);
      f2.Set(850 + 300 * open, 9);
      f3.Set(2500, 12);
    }
    const double pitch = Glide(175, 92, t, 0.14) * (1.0 + 0.012 * rng.Bipolar());
    phase += pitch / kRate;
    phase -= std::floor(phase);
    // Glottal pulse: a saw rounded by squaring its rising part.
    const float glottal = static_cast<float>(phase * phase * 2.0 - 1.0);
    const float breath = rng.Bipolar() * static_cast<float>(0.15 + 0.5 * Env(t, 0.0, 0.0, 0.03));
    const float src = glottal + breath;
    f1.Run(src);
    f2.Run(src);
    f3.Run(src);
    const float voice = f1.k * f1.band + 0.6f * f2.k * f2.band + 0.25f * f3.k * f3.band;
    b[i] = static_cast<float>(Env(t, 0.015, 0.09, 0.09)) * Drive(voice, 1.5);
  }
  return b;
}

Buffer Reload() {
  Buffer b(Samples(0.48));
  Rng rng(111);
  // Magazine seated ...
  AddModes(b, 0, {{1850, 0.03, 0.5}, {2900, 0.02, 0.4}, {4300, 0.012, 0.3}, {780, 0.04, 0.3}});
  Add(b, rng,
      {.len = 0.03, .attack = 0.0001, .decay = 0.005, .hp0 = 1500, .hp1 = 1500, .amp = 0.8});
  Add(b, {.len = 0.1, .f0 = 210, .f1 = 120, .glide = 0.02, .decay = 0.025, .amp = 0.45});
  // ... the slide drawn back along the rail ...
  Add(b, rng,
      {.at = 0.09,
       .len = 0.1,
       .attack = 0.03,
       .decay = 0.025,
       .lp0 = 3200,
       .lp1 = 4200,
       .sweep = 0.05,
       .q = 2.0,
       .band = true,
       .amp = 0.3});
  // ... and snapping home.
  AddModes(b, 0.21, {{1400, 0.04, 0.6}, {2200, 0.03, 0.5}, {3700, 0.015, 0.4}, {5200, 0.01, 0.3}});
  Add(b, rng,
      {.at = 0.21,
       .len = 0.03,
       .attack = 0.0001,
       .decay = 0.004,
       .hp0 = 2000,
       .hp1 = 2000,
       .amp = 1.0});
  Add(b, {.at = 0.21, .len = 0.1, .f0 = 260, .f1 = 140, .glide = 0.02, .decay = 0.03, .amp = 0.5});
  AddRoom(b, 0.15, 0.6, 0.3);
  return b;
}

// Brass note: two detuned saws through a low-pass that opens on the attack.
void AddBrass(Buffer& b, double at, double len, double hz, double amp) {
  const std::size_t start = Samples(at);
  const std::size_t n = Samples(len + 0.25);
  Saw s1, s2;
  s1.SetFreq(hz * 1.003);
  s2.SetFreq(hz * 0.997);
  s2.phase = 0.37f;
  Svf lp;
  for (std::size_t i = 0; i < n && start + i < b.size(); ++i) {
    const double t = double(i) / kRate;
    if (i % 16 == 0) {
      const double open = t < 0.03 ? t / 0.03 : Glide(1.0, 0.45, t - 0.03, 0.15);
      lp.Set(hz * (1.5 + 6.0 * open), 1.1);
    }
    const double env = t < len ? std::min(1.0, t / 0.012) : std::exp(-(t - len) / 0.06);
    b[start + i] += static_cast<float>(amp * env) * lp.Low(0.5f * (s1.Next() + s2.Next()));
  }
}

Buffer LevelStart() {
  Buffer b(Samples(1.35));
  // Three pick-up notes into a held major chord, over a timpani stroke.
  const double g4 = 392.0, c5 = 523.25, e5 = 659.26, g5 = 783.99;
  AddBrass(b, 0.00, 0.09, g4, 0.5);
  AddBrass(b, 0.11, 0.09, c5, 0.5);
  AddBrass(b, 0.22, 0.09, e5, 0.5);
  AddBrass(b, 0.33, 0.72, g5, 0.55);
  AddBrass(b, 0.33, 0.72, e5, 0.35);
  AddBrass(b, 0.33, 0.72, c5, 0.35);
  AddBrass(b, 0.33, 0.72, 261.63, 0.35);
  Add(b, {.at = 0.33,
          .len = 0.9,
          .f0 = 110,
          .f1 = 87,
          .glide = 0.05,
          .attack = 0.002,
          .decay = 0.25,
          .amp = 0.6});
  AddRoom(b, 0.35, 1.0, 0.4);
  return b;
}

Buffer Hit() {
  Buffer b(Samples(0.22));
  Rng rng(113);
  // The thump of the body...
  Add(b, {.len = 0.2, .f0 = 190, .f1 = 62, .glide = 0.02, .decay = 0.04, .amp = 0.6, .drive = 1.2});
  Add(b, rng,
      {.len = 0.1,
       .attack = 0.0005,
       .decay = 0.014,
       .lp0 = 1400,
       .lp1 = 400,
       .sweep = 0.03,
       .amp = 0.5});
  // ...under a sharp slap in the 1-4 kHz band, which carries on small speakers.
  Add(b, rng,
      {.len = 0.06,
       .attack = 0.0002,
       .decay = 0.016,
       .lp0 = 2400,
       .lp1 = 2000,
       .q = 0.9,
       .band = true,
       .amp = 6.0});
  AddModes(b, 0.001, {{1650, 0.022, 1.0}, {2750, 0.016, 0.8}, {3600, 0.01, 0.6}});
  return b;
}

// Bell: inharmonic partials, the higher ones dying first.
void AddBell(Buffer& b, double at, double hz, double amp, double decay) {
  static constexpr Mode kPartials[] = {
      {1.0, 1.0, 1.0}, {2.0, 0.6, 0.35}, {2.76, 0.4, 0.3}, {5.4, 0.2, 0.15}};
  for (const Mode& p : kPartials) {
    if (hz * p.freq > 0.4 * kRate) continue;
    AddModes(b, at, {{hz * p.freq, decay * p.decay, amp * p.amp}}, 1.0, 0.001);
  }
}

Buffer Chime() {
  Buffer b(Samples(0.85));
  AddBell(b, 0.0, 1318.5, 0.6, 0.18);
  AddBell(b, 0.08, 1975.5, 0.7, 0.25);
  AddBell(b, 0.08, 987.77, 0.25, 0.3);
  return b;
}

Buffer Whoosh() {
  Buffer b(Samples(0.6));
  Rng rng(115);
  Add(b, rng,
      {.len = 0.6,
       .attack = 0.22,
       .decay = 0.09,
       .lp0 = 400,
       .lp1 = 2600,
       .hp0 = 150,
       .hp1 = 300,
       .sweep = 0.25,
       .q = 1.3,
       .band = true,
       .amp = 1.0});
  return b;
}

Buffer MenuClick() {
  Buffer b(Samples(0.03));
  Rng rng(116);
  AddModes(b, 0, {{2200, 0.0035, 0.7}, {4500, 0.002, 0.4}, {900, 0.004, 0.3}});
  Add(b, rng,
      {.len = 0.006, .attack = 0.0001, .decay = 0.001, .hp0 = 2500, .hp1 = 2500, .amp = 0.5});
  return b;
}

struct Recipe {
  const char* file;
  Buffer (*make)();
  double rmsDb;  // level of the loudest 50 ms
  bool loops;
};

// Shots and blasts lead; clicks, loops and the soft spares sit a little lower
// so that they don't tire the ear under the action.
const Recipe kRecipes[] = {
    {"Click.wav", MenuClick, -19, false}, {"0.wav", Pistol, -13, false},
    {"1.wav", EnemyRifle, -13, false},    {"2.wav", MachineGun, -14, false},
    {"3.wav", Launcher, -13, false},      {"4.wav", BigBlast, -12, false},
    {"5.wav", DryClick, -20, false},      {"6.wav", TargetAlarm, -18, false},
    {"7.wav", EngineLoop, -19, true},     {"8.wav", TrainLoop, -18, true},
    {"9.wav", Explosion, -12, false},     {"10.wav", Grunt, -15, false},
    {"11.wav", Reload, -16, false},       {"12.wav", LevelStart, -16, false},
    {"13.wav", Hit, -14, false},          {"14.wav", Chime, -17, false},
    {"15.wav", Whoosh, -19, false},
};

}  // namespace

std::vector<EffectSound> MakeEffects() {
  std::vector<EffectSound> out;
  for (const Recipe& r : kRecipes) {
    Buffer samples = r.make();
    Finish(samples, r.rmsDb, r.loops);
    out.push_back({r.file, std::move(samples), r.loops});
  }
  return out;
}

}  // namespace assets::sound
