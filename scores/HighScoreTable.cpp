#include "scores/HighScoreTable.h"

#include <utility>

namespace gh {

bool QualifiesForHighScores(const HighScoreList& table, int32_t score) {
  return table[9].Score < score;
}

void SwapHighScores(HighScoreList& table, uint8_t index) {
  if (index < 1 || index > 9) return;
  std::swap(table[index - 1], table[index]);
}

void AddHighScore(HighScoreList& table, const std::string& name, int32_t score) {
  table[9] = HighScore{name, score};
  // Exchanging only when the upper entry is strictly lower keeps equal scores
  // in their order: the new result stops just below its equal.
  for (int i = 0; i <= 9; ++i)
    for (int j = 9; j >= i + 1; --j)
      if (table[j - 1].Score < table[j].Score) SwapHighScores(table, static_cast<uint8_t>(j));
}

}  // namespace gh
