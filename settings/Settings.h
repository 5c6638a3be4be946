// The player's settings and the local high-score table, kept in "Config.cfg".
#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "platform/Result.h"

namespace gh {

// One row of the table of ten.
struct HighScore {
  std::string Name;
  int32_t Score = 0;

  bool operator==(const HighScore&) const = default;
};
using HighScoreList = std::array<HighScore, 10>;  // best first

// What a first start has: ten "Anonymous" entries from 5000 down to 500.
HighScoreList FirstStartHighScores();

// Everything "Config.cfg" holds, with a first start's values. A new setting is
// a member here and a field in ConfigFile.cpp's reader and writer.
struct Settings {
  uint8_t Windowed = 1;  // 1 window, anything else full screen
  uint8_t MusicOn = 1;
  uint8_t SoundOn = 1;
  uint8_t BossKey = 88;  // keyboard scan code, F12 by default; 0 is none
  std::string Country;
  HighScoreList HighScores = FirstStartHighScores();

  bool operator==(const Settings&) const = default;
};

extern const char* const ConfigFileName;  // "Config.cfg"
// Beside it: held locked by the one copy of the program that uses the folder.
extern const char* const ConfigLockFileName;  // "Config.cfg.lock"

enum class LoadResult {
  Loaded,   // read whole
  Created,  // there was no file: the settings keep their values (a first
            // start's), and the caller writes the new file when it likes (the
            // program shows its first picture before: a file system that syncs
            // slowly would otherwise hold up the window)
  Damaged,  // cut short: values read before the damage kept, the rest the
            // first start's; the damaged file was copied aside (damagedCopy)
            // before any save can overwrite it
};
struct SettingsLoad {
  LoadResult result = LoadResult::Loaded;
  // Damaged: where the file was copied ("Config.cfg.damaged", or with a number
  // after it when that name holds another file); empty when no copy could be made.
  std::string damagedCopy;
};

// Reads "Config.cfg" into `settings`. An Error when there is a file that cannot
// be read: `settings` is left as it was, and saves refuse to replace the file
// until it can be read.
Result<SettingsLoad> LoadSettings(Settings& settings);
// Writes the settings and the table. The file is replaced as a whole, never
// half-written, and bytes of the old file past the new end are kept (the
// layout relies on them). An Error when the file cannot be read or written:
// the old file is left as it was.
Status SaveSettings(const Settings& settings);
// Removes what a save cut short (a crash, a kill) left beside the file. Only
// for the copy of the program that holds ConfigLockFileName: another copy's
// save under way would look the same.
void RemoveUnfinishedSaves();

}  // namespace gh
