// The recordings of the local table's entries: a folder of its own beside
// Config.cfg (whose bytes stay as they are), one file per entry and an index
// that names, in table order, the entry (name and score) each file belongs to.
// The store keeps the bytes as they are; what makes them a recording is the
// game's business (the caller's check).
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "settings/Settings.h"

namespace gh {

inline constexpr const char* RecordingsFolderName = "Recordings";
inline constexpr const char* RecordingsIndexName = "index.txt";

struct KeptRecording {
  std::string name;
  int32_t score = 0;
  std::string file;  // a name in the folder, as the store makes them ("game-17.rec")

  bool operator==(const KeptRecording&) const = default;
};

// The index's text: a header line, one line per entry (score, name and file
// separated by tabs, the name escaped as in UnsentScores.txt), then "end".
// Bytes past "end" (an older, longer index's tail) are never read.
std::string WriteRecordingsIndex(const std::vector<KeptRecording>& entries);
// The entries of an index's text; each damaged line (a file name the store
// would not make included), or a damaged index, adds a sentence to `problems`
// and is skipped.
std::vector<KeptRecording> ReadRecordingsIndex(std::string_view text,
                                               std::vector<std::string>& problems);
// Whether `name` is a file name the store makes: nothing else in the folder
// is ever read or removed by it.
bool IsRecordingFileName(std::string_view name);

class TableRecordings {
 public:
  // Whether a file's bytes are a usable recording of `entry`.
  using Check = std::function<bool(std::string_view bytes, const HighScore& entry)>;

  explicit TableRecordings(std::string folder = RecordingsFolderName)
      : folder_(std::move(folder)) {}

  // Reads the index. An entry whose file is missing, unreadable or fails
  // `check` has no recording. With `tidy` (the table is the stored one and
  // this program alone uses the folder), what no row of `table` names goes:
  // entries whose row has left the table, and the store's files that no entry
  // names (a save cut short, a removal that failed). A missing folder or index
  // is an empty store; problems are reported on standard error.
  void Load(const HighScoreList& table, bool tidy, const Check& check = {});
  // The entry (name, score) just entered into `table` keeps `bytes`: a new
  // file, then the index naming it; then, with `follow`, what has left `table`
  // goes (as Follow). The Error says what could not be written (the entry
  // then has no recording).
  Status Keep(const std::string& name, int32_t score, std::string_view bytes,
              const HighScoreList& table, bool follow = true);
  // Entries whose row has left `table` (pushed out, the table cleared) go,
  // with their files.
  Status Follow(const HighScoreList& table);

  // For each row of `table`, the index of the entry it holds, or -1. A row
  // holds an entry of its name and score, each entry at most one row, the
  // higher rows first.
  std::array<int, 10> Rows(const HighScoreList& table) const;
  // The bytes of the recording of row `row` of `table`; none when it has none
  // or its file cannot be read now.
  std::optional<std::string> RowBytes(int row, const HighScoreList& table) const;
  // The bytes of the recording of the table's entry (name, score).
  std::optional<std::string> EntryBytes(const std::string& name, int32_t score,
                                        const HighScoreList& table) const;

  const std::vector<KeptRecording>& Entries() const { return entries_; }
  std::string PathOf(const std::string& file) const { return folder_ + "/" + file; }
  std::string IndexPath() const { return PathOf(RecordingsIndexName); }

  // The largest recording file read back.
  static constexpr size_t MaxFileBytes = 16u << 20;

 private:
  // Drops the entries no row of `table` holds; true when any went.
  bool KeepOnly(const HighScoreList& table);
  Status WriteIndex() const;
  // Removes the store's files that no entry names.
  void RemoveUnnamed() const;
  std::string NewFileName() const;

  std::string folder_;
  std::vector<KeptRecording> entries_;
};

}  // namespace gh
