// The byte layout of "Config.cfg", apart from the file itself: the reader and
// the writer work on bytes in memory so that damaged input can be tested and
// fuzzed without a disk.
//
// Layout (integers little-endian): Windowed, MusicOn, SoundOn, BossKey (one byte
// each), Country, then ten times the entry's Name and its signed 32-bit Score.
// A string is one length byte n and n bytes, each stored complemented (xor 0xFF).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "settings/Settings.h"

namespace gh {

// The most bytes a reader ever looks at: every string 255 long.
inline constexpr size_t MaxConfigBytes = 4 + 256 + 10 * (256 + 4);
// The least a whole file holds: every string empty.
inline constexpr size_t MinConfigBytes = 4 + 1 + 10 * (1 + 4);

// Reads the fields in layout order into `settings`. A field that does not fit in
// what is left of `bytes` (a cut file, a length byte that promises more than
// there is) stops the reading: it and every later field keep the value they had.
// Returns how many fields were read (4 settings + Country + 10 x 2 = 25 for a
// whole file); bytes after the last field are never looked at.
int ReadConfig(std::string_view bytes, Settings& settings);
inline constexpr int ConfigFieldCount = 25;

// The bytes a save writes. A string longer than 255 characters is stored with
// its first 255, so the length byte always tells the truth.
std::string WriteConfig(const Settings& settings);

}  // namespace gh
