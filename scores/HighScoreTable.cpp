#include "scores/HighScoreTable.h"

#include <utility>

#include "game/Game.h"
#include "settings/Settings.h"
#include "shell/Shell.h"

namespace gh {

bool QualifiesForHighScores(int32_t score) { return HighScores[9].Score < score; }

void SwapHighScores(uint8_t index) {
  if (index < 1 || index > 9) return;
  std::swap(HighScores[index - 1], HighScores[index]);
}

bool AddHighScore(const std::string& name, int32_t score, std::string* error) {
  HighScores[9] = THiScores{name, score};
  // Exchanging only when the upper entry is strictly lower keeps equal scores
  // in their order: the new result stops just below its equal.
  for (int i = 0; i <= 9; ++i)
    for (int j = 9; j >= i + 1; --j)
      if (HighScores[j - 1].Score < HighScores[j].Score) SwapHighScores(static_cast<uint8_t>(j));
  return SaveSettings(error);
}

bool AddHighScore() {
  if (!Game) return false;
  return AddHighScore(PlayerName, Game->Score);
}

}  // namespace gh
