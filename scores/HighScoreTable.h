// Entering a finished game's result into the local table of ten. The caller
// owns the table and saves it.
#pragma once
#include <cstdint>
#include <string>

#include "settings/Settings.h"

namespace gh {

// The result enters the table when it beats the tenth entry, strictly.
bool QualifiesForHighScores(const HighScoreList& table, int32_t score);
// Replaces the tenth entry with (name, score) and sorts (stable, best first).
void AddHighScore(HighScoreList& table, const std::string& name, int32_t score);
// Exchanges entries index - 1 and index (1..9); other values change nothing.
void SwapHighScores(HighScoreList& table, uint8_t index);

}  // namespace gh
