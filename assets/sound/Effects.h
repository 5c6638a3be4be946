// The sound effects: weapon shots, vehicles, explosions, voices and the
// interface click, synthesised from noise, tones and resonances.
#pragma once
#include <string>
#include <vector>

#include "Synth.h"

namespace assets::sound {

struct EffectSound {
  std::string file;  // name inside Sound/, e.g. "0.wav"
  Buffer samples;    // mono, kRate, finished (levelled, inside -1 dBFS)
  bool loops;        // plays as a seamless loop
};

// Click.wav and 0.wav .. 15.wav, in that order.
std::vector<EffectSound> MakeEffects();

}  // namespace assets::sound
