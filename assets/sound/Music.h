// The two tunes, composed in code: a small step sequencer playing chords,
// bass, melodies, arpeggios and drums on subtractive voices.
#pragma once
#include <string>

#include "Synth.h"

namespace assets::sound {

// A stereo loop at kRate: the sample after the last one is the first, so the
// tune repeats without a seam.
struct Tune {
  Buffer left, right;
};

// Menu.ogg: a moody, driving theme in A minor. False with `error` if the score
// does not read.
bool ComposeMenuTheme(Tune& tune, std::string& error);
// Game.ogg: a tense, energetic action loop in E minor.
bool ComposeGameTheme(Tune& tune, std::string& error);

}  // namespace assets::sound
