#include "scores/UnsentScores.h"

#include <charconv>
#include <cstdio>
#include <system_error>
#include <utility>

#include "platform/System.h"
#include "scores/TextFields.h"

namespace gh {

namespace {

constexpr std::string_view Header = "gravelhorn2-unsent 1";
// More than any ten entries need; a longer file is read this far.
constexpr size_t MaxFileBytes = 64 * 1024;

bool ParseEntry(std::string_view line, UnsentScore& entry) {
  const size_t tab1 = line.find('\t');
  if (tab1 == std::string_view::npos) return false;
  const size_t tab2 = line.find('\t', tab1 + 1);
  if (tab2 == std::string_view::npos || line.find('\t', tab2 + 1) != std::string_view::npos) {
    return false;
  }
  const std::string_view score = line.substr(0, tab1);
  const char* end = score.data() + score.size();
  const auto parsed = std::from_chars(score.data(), end, entry.score);
  if (score.empty() || parsed.ec != std::errc() || parsed.ptr != end) return false;
  return UnescapeField(line.substr(tab1 + 1, tab2 - tab1 - 1), entry.name) &&
         UnescapeField(line.substr(tab2 + 1), entry.country);
}

}  // namespace

std::string WriteUnsentScores(const std::vector<UnsentScore>& entries) {
  std::vector<std::string> lines;
  for (const UnsentScore& e : entries) {
    std::string& line = lines.emplace_back(std::to_string(e.score));
    line += '\t';
    AppendEscapedField(line, e.name);
    line += '\t';
    AppendEscapedField(line, e.country);
  }
  return WriteEntryLines(Header, lines);
}

std::vector<UnsentScore> ReadUnsentScores(std::string_view text,
                                          std::vector<std::string>& problems) {
  std::vector<UnsentScore> entries;
  ReadEntryLines(
      text, Header,
      [&](std::string_view line) {
        UnsentScore entry;
        if (!ParseEntry(line, entry)) return false;
        entries.push_back(std::move(entry));
        return true;
      },
      problems);
  return entries;
}

void UnsentScores::Load() {
  entries_.clear();
  const Result<std::string> bytes = ReadFileStart(path_, MaxFileBytes);
  if (!bytes) {
    const std::error_code error = bytes.error().code;
    if (error != std::errc::no_such_file_or_directory) {
      std::fprintf(stderr, "Gravelhorn 2: cannot read \"%s\": %s; no score is marked as not sent\n",
                   path_.c_str(), error.message().c_str());
    }
    return;
  }
  std::vector<std::string> problems;
  entries_ = ReadUnsentScores(*bytes, problems);
  for (const std::string& problem : problems) {
    std::fprintf(stderr, "Gravelhorn 2: \"%s\" is damaged: %s; ignored\n", path_.c_str(),
                 problem.c_str());
  }
}

Status UnsentScores::Save() const {
  return ReplaceFileKeepingTail(path_, WriteUnsentScores(entries_));
}

bool UnsentScores::Remove(const UnsentScore& entry) {
  for (auto it = entries_.begin(); it != entries_.end(); ++it) {
    if (*it == entry) {
      entries_.erase(it);
      return true;
    }
  }
  return false;
}

std::array<int, 10> UnsentScores::Rows(const HighScoreList& table) const {
  std::array<int, 10> rows;
  rows.fill(-1);
  std::vector<bool> used(entries_.size(), false);
  for (size_t row = 0; row < table.size(); ++row) {
    for (size_t i = 0; i < entries_.size(); ++i) {
      if (!used[i] && entries_[i].name == table[row].Name &&
          entries_[i].score == table[row].Score) {
        used[i] = true;
        rows[row] = static_cast<int>(i);
        break;
      }
    }
  }
  return rows;
}

bool UnsentScores::KeepOnly(const HighScoreList& table) {
  std::vector<bool> held(entries_.size(), false);
  for (const int i : Rows(table)) {
    if (i >= 0) held[static_cast<size_t>(i)] = true;
  }
  std::vector<UnsentScore> kept;
  for (size_t i = 0; i < entries_.size(); ++i) {
    if (held[i]) kept.push_back(std::move(entries_[i]));
  }
  const bool changed = kept.size() != entries_.size();
  entries_ = std::move(kept);
  return changed;
}

}  // namespace gh
