// The player's settings and the local high-score table, kept in "Config.cfg".
#pragma once
#include <array>
#include <cstdint>
#include <string>

namespace gh {

struct THiScores {
  std::string Name;
  int32_t Score = 0;

  bool operator==(const THiScores&) const = default;
};

extern uint8_t Windowed;  // 1 window, 0 full screen
extern uint8_t MusicOn;
extern uint8_t SoundOn;
extern uint8_t BossKey;  // keyboard scan code, F12 (88) by default
extern std::string Country;
extern std::string PlayerName;                // typed in the name box; not stored
extern std::array<THiScores, 10> HighScores;  // best first

extern const char* const ConfigFileName;  // "Config.cfg"
// Beside it: held locked by the one copy of the program that uses the folder.
extern const char* const ConfigLockFileName;  // "Config.cfg.lock"

enum class LoadResult {
  Loaded,      // read whole
  Created,     // there was no file: the defaults, written at once unless
               // the caller asked to write them itself (NewFile::SaveLater)
  Damaged,     // cut short: values read before the damage kept, the rest the
               // first start's (FirstStartConfig); the damaged file was copied
               // aside (DamagedCopyName) before any save can overwrite it
  Unreadable,  // there is a file but it cannot be read (SettingsError says
               // why): nothing changed in memory, and saves refuse to replace
               // it until it can be read
};

// A first start's new file is written by LoadSettings, or later by the caller:
// the program shows its first picture before it, since a file system that
// syncs slowly (tens of milliseconds here) would otherwise hold up the window.
enum class NewFile { SaveNow, SaveLater };
LoadResult LoadSettings(NewFile newFile = NewFile::SaveNow);
// Writes the settings and the table. The file is replaced as a whole, never
// half-written, and bytes of the old file past the new end are kept (the
// layout relies on them). False when the file cannot be read or written;
// `error` says why and the old file is left as it was.
bool SaveSettings(std::string* error = nullptr);
void ResetHighScores();
// Removes what a save cut short (a crash, a kill) left beside the file. Only
// for the copy of the program that holds ConfigLockFileName: another copy's
// save under way would look the same.
void RemoveUnfinishedSaves();

// Where the last damaged file was copied ("Config.cfg.damaged", or with a
// number after it when that name holds another file); empty when the copy
// could not be made.
std::string DamagedCopyName();
// Why the last LoadSettings did not read the file (empty after a good load).
std::string SettingsError();

}  // namespace gh
