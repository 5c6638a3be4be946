// The game's sound effects and tunes, synthesised and composed in code.
#pragma once
#include <string>

namespace assets {

// Writes Data/Sound/Click.wav, 0.wav .. 15.wav, Menu.ogg and Game.ogg below
// `dataDir`, identically on every run. False (with `error`) on failure.
bool WriteSounds(const std::string& dataDir, std::string& error);

}  // namespace assets
