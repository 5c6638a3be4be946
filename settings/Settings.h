// The player's settings and the local high-score table, kept in "Config.cfg".
#pragma once
#include <array>
#include <cstdint>
#include <string>

namespace gh {

struct THiScores {
  std::string Name;
  int32_t Score = 0;
};

extern uint8_t Windowed;  // 1 window, 0 full screen
extern uint8_t MusicOn;
extern uint8_t SoundOn;
extern uint8_t BossKey;   // keyboard scan code, F12 (88) by default
extern std::string Country;
extern std::string PlayerName;  // typed in the name box; not stored
extern std::array<THiScores, 10> HighScores;  // best first

extern const char* const ConfigFileName;  // "Config.cfg"

enum class LoadResult {
  Loaded,   // read whole
  Created,  // there was no file: written with the defaults
  Damaged,  // cut short or unreadable: values read before the damage kept,
            // defaults for the rest; the damaged file was copied aside
};

LoadResult LoadSettings();
// False when the file cannot be written; `error` says why.
bool SaveSettings(std::string* error = nullptr);
void ResetHighScores();
void DrawHighScoreTable();

}  // namespace gh
