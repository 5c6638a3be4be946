// Results that entered the local table but that the score server has not taken
// (yet): kept in a small text file of their own beside Config.cfg, whose bytes
// stay as they are, so the table can mark them and send them later.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "settings/Settings.h"

namespace gh {

inline constexpr const char* UnsentScoresFileName = "UnsentScores.txt";

struct UnsentScore {
  std::string name;
  int32_t score = 0;
  std::string country;  // as it was when the game ended

  bool operator==(const UnsentScore&) const = default;
};

// The file's text: a header line, one line per entry (score, name and country
// separated by tabs, with "\\", "\t", "\n", "\r" and "\xHH" escapes for the
// bytes that would break a line), then "end". The one-step replace of the
// platform keeps an old file's bytes past the new end: they follow "end" and
// are never read.
std::string WriteUnsentScores(const std::vector<UnsentScore>& entries);
// The entries of a file's text; each damaged line, or a damaged file, adds a
// sentence to `problems` and is skipped.
std::vector<UnsentScore> ReadUnsentScores(std::string_view text,
                                          std::vector<std::string>& problems);

class UnsentScores {
 public:
  explicit UnsentScores(std::string path = UnsentScoresFileName) : path_(std::move(path)) {}

  // Replaces the list by the file's: a missing file is an empty list, damaged
  // lines are skipped with a message on standard error.
  void Load();
  // Writes the list in one step.
  Status Save() const;

  void Add(const UnsentScore& entry) { entries_.push_back(entry); }
  // Removes one entry equal to `entry`; false when there is none.
  bool Remove(const UnsentScore& entry);
  void Clear() { entries_.clear(); }
  // Drops the entries whose row has left `table`; true when any went.
  bool KeepOnly(const HighScoreList& table);
  // For each row of `table`, the index of the entry it holds, or -1. A row
  // holds an entry of its name and score, each entry at most one row, the
  // higher rows first: rows alike are alike to the player too.
  std::array<int, 10> Rows(const HighScoreList& table) const;

  const std::vector<UnsentScore>& Entries() const { return entries_; }

 private:
  std::string path_;
  std::vector<UnsentScore> entries_;
};

}  // namespace gh
