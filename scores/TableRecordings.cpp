#include "scores/TableRecordings.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <system_error>

#include "platform/System.h"
#include "scores/TextFields.h"

namespace gh {

namespace {

constexpr std::string_view Header = "gravelhorn2-recordings 1";
constexpr std::string_view FilePrefix = "game-";
constexpr std::string_view FileSuffix = ".rec";
// Ten lines of at most a few hundred bytes; a longer index is read this far.
constexpr size_t MaxIndexBytes = 64 * 1024;
constexpr size_t MaxNumberDigits = 9;

// The number in a name the store makes ("game-17.rec": 17), or -1.
int64_t FileNumber(std::string_view name) {
  if (name.size() <= FilePrefix.size() + FileSuffix.size()) return -1;
  if (name.substr(0, FilePrefix.size()) != FilePrefix) return -1;
  if (name.substr(name.size() - FileSuffix.size()) != FileSuffix) return -1;
  const std::string_view digits =
      name.substr(FilePrefix.size(), name.size() - FilePrefix.size() - FileSuffix.size());
  if (digits.size() > MaxNumberDigits) return -1;
  int64_t number = 0;
  for (const char c : digits) {
    if (c < '0' || c > '9') return -1;
    number = number * 10 + (c - '0');
  }
  return number;
}

bool ParseEntry(std::string_view line, KeptRecording& entry) {
  const size_t tab1 = line.find('\t');
  if (tab1 == std::string_view::npos) return false;
  const size_t tab2 = line.find('\t', tab1 + 1);
  if (tab2 == std::string_view::npos || line.find('\t', tab2 + 1) != std::string_view::npos)
    return false;
  const std::string_view score = line.substr(0, tab1);
  const char* end = score.data() + score.size();
  const auto parsed = std::from_chars(score.data(), end, entry.score);
  if (score.empty() || parsed.ec != std::errc() || parsed.ptr != end) return false;
  entry.file = std::string(line.substr(tab2 + 1));
  return UnescapeField(line.substr(tab1 + 1, tab2 - tab1 - 1), entry.name) &&
         IsRecordingFileName(entry.file);
}

void Report(const std::string& text) { std::fprintf(stderr, "Gravelhorn 2: %s\n", text.c_str()); }

}  // namespace

bool IsRecordingFileName(std::string_view name) { return FileNumber(name) >= 0; }

std::string WriteRecordingsIndex(const std::vector<KeptRecording>& entries) {
  std::vector<std::string> lines;
  for (const KeptRecording& e : entries) {
    std::string& line = lines.emplace_back(std::to_string(e.score));
    line += '\t';
    AppendEscapedField(line, e.name);
    line += '\t';
    line += e.file;
  }
  return WriteEntryLines(Header, lines);
}

std::vector<KeptRecording> ReadRecordingsIndex(std::string_view text,
                                               std::vector<std::string>& problems) {
  std::vector<KeptRecording> entries;
  ReadEntryLines(
      text, Header,
      [&](std::string_view line) {
        KeptRecording entry;
        if (!ParseEntry(line, entry)) return false;
        for (const KeptRecording& e : entries)
          if (e.file == entry.file) return false;  // one file belongs to one entry
        entries.push_back(std::move(entry));
        return true;
      },
      problems);
  return entries;
}

void TableRecordings::Load(const HighScoreList& table, bool tidy, const Check& check) {
  entries_.clear();
  bool dropped = false;
  const Result<std::string> index = ReadFileStart(IndexPath(), MaxIndexBytes);
  if (!index) {
    if (index.error().code != std::errc::no_such_file_or_directory)
      Report(index.error().message + "; the table's games cannot be watched");
  } else {
    std::vector<std::string> problems;
    std::vector<KeptRecording> listed = ReadRecordingsIndex(*index, problems);
    for (const std::string& problem : problems)
      Report("\"" + IndexPath() + "\" is damaged: " + problem + "; ignored");
    dropped = !problems.empty();
    for (KeptRecording& entry : listed) {
      const Result<std::string> bytes = ReadFileStart(PathOf(entry.file), MaxFileBytes);
      if (!bytes) {
        Report(bytes.error().message + "; that entry's game cannot be watched");
      } else if (check && !check(*bytes, HighScore{entry.name, entry.score})) {
        Report("\"" + PathOf(entry.file) + "\" is damaged; that entry's game cannot be watched");
      } else {
        entries_.push_back(std::move(entry));
        continue;
      }
      dropped = true;
    }
  }
  if (!tidy) return;
  dropped = KeepOnly(table) || dropped;
  if (dropped && !entries_.empty()) {
    if (const Status written = WriteIndex(); !written) {
      Report(written.error().message);
      return;  // the old index still names what it named: nothing goes
    }
  } else if (dropped) {
    (void)RemoveFile(IndexPath());
  }
  RemoveUnnamed();
  RemoveLeftoverReplacements(IndexPath());
}

Status TableRecordings::Keep(const std::string& name, int32_t score, std::string_view bytes,
                             const HighScoreList& table, bool follow) {
  if (Status folder = MakeFolder(folder_); !folder) return folder;
  const std::string file = NewFileName();
  // The name is free: no entry has it and no file of the folder (CreateNewFile
  // would not replace one).
  if (Status created = CreateNewFile(PathOf(file), bytes); !created) return created;
  // Rows below the new entry's that are alike take the older recordings first:
  // the new one goes after every entry already there.
  entries_.push_back(KeptRecording{name, score, file});
  if (follow) return Follow(table);
  return WriteIndex();
}

Status TableRecordings::Follow(const HighScoreList& table) {
  KeepOnly(table);
  if (Status written = WriteIndex(); !written) return written;
  RemoveUnnamed();
  return {};
}

std::array<int, 10> TableRecordings::Rows(const HighScoreList& table) const {
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

std::optional<std::string> TableRecordings::RowBytes(int row, const HighScoreList& table) const {
  if (row < 0 || row >= static_cast<int>(table.size())) return std::nullopt;
  const int entry = Rows(table)[static_cast<size_t>(row)];
  if (entry < 0) return std::nullopt;
  Result<std::string> bytes =
      ReadFileStart(PathOf(entries_[static_cast<size_t>(entry)].file), MaxFileBytes);
  if (!bytes) {
    Report(bytes.error().message);
    return std::nullopt;
  }
  return std::move(*bytes);
}

std::optional<std::string> TableRecordings::EntryBytes(const std::string& name, int32_t score,
                                                       const HighScoreList& table) const {
  for (size_t row = 0; row < table.size(); ++row) {
    if (table[row].Name != name || table[row].Score != score) continue;
    if (std::optional<std::string> bytes = RowBytes(static_cast<int>(row), table)) return bytes;
  }
  return std::nullopt;
}

bool TableRecordings::KeepOnly(const HighScoreList& table) {
  std::vector<bool> held(entries_.size(), false);
  for (const int i : Rows(table)) {
    if (i >= 0) held[static_cast<size_t>(i)] = true;
  }
  // In table order, so that the index reads as the table does.
  std::vector<KeptRecording> kept;
  for (const int i : Rows(table)) {
    if (i >= 0) kept.push_back(std::move(entries_[static_cast<size_t>(i)]));
  }
  const bool changed = kept.size() != entries_.size();
  entries_ = std::move(kept);
  return changed;
}

Status TableRecordings::WriteIndex() const {
  if (Status folder = MakeFolder(folder_); !folder) return folder;
  return ReplaceFileKeepingTail(IndexPath(), WriteRecordingsIndex(entries_));
}

void TableRecordings::RemoveUnnamed() const {
  const Result<std::vector<std::string>> files = FilesInFolder(folder_);
  if (!files) return;
  for (const std::string& file : *files) {
    if (!IsRecordingFileName(file)) continue;
    bool named = false;
    for (const KeptRecording& e : entries_) named = named || e.file == file;
    if (named) continue;
    if (const Status removed = RemoveFile(PathOf(file)); !removed) Report(removed.error().message);
  }
}

std::string TableRecordings::NewFileName() const {
  // The smallest number no entry and no file of the folder has.
  std::vector<int64_t> taken;
  for (const KeptRecording& e : entries_) taken.push_back(FileNumber(e.file));
  if (const Result<std::vector<std::string>> files = FilesInFolder(folder_)) {
    for (const std::string& file : *files) taken.push_back(FileNumber(file));
  }
  std::sort(taken.begin(), taken.end());
  int64_t number = 1;
  for (const int64_t t : taken) {
    if (t == number) ++number;
  }
  return std::string(FilePrefix) + std::to_string(number) + std::string(FileSuffix);
}

}  // namespace gh
