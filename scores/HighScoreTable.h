// Entering a finished game's result into the local table of ten.
#pragma once
#include <cstdint>
#include <string>

namespace gh {

// The result enters the table when it beats the tenth entry, strictly.
bool QualifiesForHighScores(int32_t score);
// Replaces the tenth entry with (name, score), sorts (stable, best first) and
// saves at once. False when the save failed (why in `error`, if given); the
// table in memory keeps the new entry either way.
bool AddHighScore(const std::string& name, int32_t score, std::string* error = nullptr);
// The running game's result under the typed name (PlayerName, Game->Score);
// nothing happens without a running game.
bool AddHighScore();
// Exchanges entries index - 1 and index (1..9); other values change nothing.
void SwapHighScores(uint8_t index);

}  // namespace gh
