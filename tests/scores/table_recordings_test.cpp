// The table's recordings: a file per entry and an index, following the table
// as results enter it and leave it, and read back whatever the folder holds.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <set>

#include "scores/HighScoreTable.h"
#include "scores/TableRecordings.h"

namespace gh {
namespace {

namespace fs = std::filesystem;

std::string FileBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

class TableRecordingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    top_ = fs::temp_directory_path() / ("gh-recordings-" + std::to_string(std::random_device()()));
    fs::create_directories(top_);
    folder_ = top_ / "Recordings";
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(top_, ec);
  }

  TableRecordings Store() const { return TableRecordings(folder_.string()); }

  // Enters (name, score) into the table, as the shell does, and keeps a
  // recording for it.
  void Enter(TableRecordings& store, const std::string& name, int32_t score) {
    AddHighScore(table_, name, score);
    ASSERT_TRUE(store.Keep(name, score, GameBytes(name, score), table_));
  }
  static std::string GameBytes(const std::string& name, int32_t score) {
    return "game of " + name + " " + std::to_string(score);
  }
  // What the program checks of a file: here, that it is the entry's game.
  static TableRecordings::Check Check() {
    return [](std::string_view bytes, const HighScore& e) {
      return bytes == GameBytes(e.Name, e.Score);
    };
  }

  // The store's files in the folder.
  std::set<std::string> Files() const {
    std::set<std::string> files;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(folder_, ec))
      if (IsRecordingFileName(e.path().filename().string()))
        files.insert(e.path().filename().string());
    return files;
  }

  // Which rows have a recording, as a fresh start reads the folder.
  std::array<bool, 10> RowsAfterStart(bool tidy = true) const {
    TableRecordings store = Store();
    store.Load(table_, tidy, Check());
    std::array<bool, 10> rows{};
    for (int row = 0; row < 10; ++row) {
      const auto bytes = store.RowBytes(row, table_);
      rows[row] = bytes.has_value();
      if (bytes) {
        EXPECT_EQ(*bytes, GameBytes(table_[row].Name, table_[row].Score)) << row;
      }
    }
    return rows;
  }

  fs::path top_;
  fs::path folder_;
  HighScoreList table_ = FirstStartHighScores();
};

TEST_F(TableRecordingsTest, AnEntryKeepsItsGameInAFileTheIndexNames) {
  TableRecordings store = Store();
  store.Load(table_, true);
  EXPECT_FALSE(fs::exists(folder_)) << "nothing to keep, nothing made";
  Enter(store, "Ann", 4200);  // row 2
  Enter(store, "Bob", 4200);  // row 3: below its equal
  Enter(store, "Ann", 4200);  // row 4: the same name and score again
  ASSERT_EQ(Files().size(), 3u);

  // Each row reads back its own game, also after a new start.
  const std::array<bool, 10> expected{false, false, true, true, true};
  EXPECT_EQ(RowsAfterStart(), expected);
  EXPECT_EQ(Files().size(), 3u);
  const std::string index = FileBytes(folder_ / "index.txt");
  EXPECT_LT(index.find("\tAnn\t"), index.find("\tBob\t")) << "the index is in table order";
  // The entry asked for by name and score.
  EXPECT_EQ(store.EntryBytes("Bob", 4200, table_), GameBytes("Bob", 4200));
  EXPECT_EQ(store.EntryBytes("Bob", 4199, table_), std::nullopt);
}

TEST_F(TableRecordingsTest, AGameWhoseEntryLeavesTheTableIsRemoved) {
  const struct {
    const char* what;
    std::function<void(HighScoreList&)> change;
    std::array<bool, 10> rows;
  } cases[] = {
      // Two better results push the last game out.
      {"pushed out",
       [](HighScoreList& t) {
         for (int i = 0; i < 2; ++i) AddHighScore(t, "Best", 9000 + i);
       },
       {false, false, false, false, false, false, false, true}},
      {"the table cleared", [](HighScoreList& t) { t = FirstStartHighScores(); }, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(folder_);
    table_ = FirstStartHighScores();
    TableRecordings store = Store();
    store.Load(table_, true);
    Enter(store, "Mid", 2600);   // row 6
    Enter(store, "Low", 1200);   // row 10
    Enter(store, "Next", 1300);  // row 10: "Low" is pushed out at once
    EXPECT_EQ(RowsAfterStart(), (std::array<bool, 10>{false, false, false, false, false, true,
                                                      false, false, false, true}));
    ASSERT_EQ(Files().size(), 2u);

    c.change(table_);
    ASSERT_TRUE(store.Follow(table_));
    EXPECT_EQ(Files().size(), static_cast<size_t>(std::count(c.rows.begin(), c.rows.end(), true)));
    EXPECT_EQ(RowsAfterStart(), c.rows);
  }
}

TEST_F(TableRecordingsTest, ADamagedIndexOrFileLeavesTheEntryWithoutAGame) {
  const std::string head = "gravelhorn2-recordings 1\n";
  const struct {
    const char* what;
    std::string index;
    std::string file;  // the bytes of game-1.rec
    std::array<bool, 10> rows;
  } cases[] = {
      {"good", head + "4200\tAnn\tgame-1.rec\nend\n", GameBytes("Ann", 4200), {false, false, true}},
      {"garbage index", "\x89PNG\r\n", GameBytes("Ann", 4200), {}},
      {"no end line",
       head + "4200\tAnn\tgame-1.rec\n",
       GameBytes("Ann", 4200),
       {false, false, true}},
      {"cut in a line", head + "4200\tAn", GameBytes("Ann", 4200), {}},
      {"damaged file", head + "4200\tAnn\tgame-1.rec\nend\n", "game of Ann 42", {}},
      {"empty file", head + "4200\tAnn\tgame-1.rec\nend\n", "", {}},
      {"missing file", head + "4200\tAnn\tgame-2.rec\nend\n", GameBytes("Ann", 4200), {}},
      {"another entry's file",
       head + "4200\tAnn\tgame-1.rec\n4200\tBob\tgame-1.rec\nend\n",
       GameBytes("Ann", 4200),
       {false, false, true}},
      {"a file outside the folder",
       head + "4200\tAnn\t../elsewhere.rec\nend\n",
       GameBytes("Ann", 4200),
       {}},
      {"a folder for a file", head + "4200\tAnn\tgame-3.rec\nend\n", GameBytes("Ann", 4200), {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(folder_);
    fs::create_directories(folder_ / "game-3.rec");
    table_ = FirstStartHighScores();
    AddHighScore(table_, "Ann", 4200);
    AddHighScore(table_, "Bob", 4200);
    WriteBytes(folder_ / "index.txt", c.index);
    WriteBytes(folder_ / "game-1.rec", c.file);
    WriteBytes(top_ / "elsewhere.rec", GameBytes("Ann", 4200));
    const std::string config = "settings and scores";
    WriteBytes(top_ / "Config.cfg", config);
    EXPECT_EQ(RowsAfterStart(), c.rows);
    EXPECT_EQ(FileBytes(top_ / "Config.cfg"), config);
    // The damage is tidied away, and the store works on.
    TableRecordings store = Store();
    store.Load(table_, true, Check());
    AddHighScore(table_, "Cy", 4300);
    ASSERT_TRUE(store.Keep("Cy", 4300, GameBytes("Cy", 4300), table_));
    std::array<bool, 10> after = c.rows;
    std::rotate(after.begin() + 2, after.end() - 1, after.end());
    after[2] = true;
    EXPECT_EQ(RowsAfterStart(), after);
  }
}

TEST_F(TableRecordingsTest, FilesNoEntryNamesGoAtStartUnlessTheTableIsNotTheStoredOne) {
  TableRecordings store = Store();
  store.Load(table_, true);
  Enter(store, "Ann", 4200);
  WriteBytes(folder_ / "game-7.rec", "left by a save cut short");
  WriteBytes(folder_ / "index.txt.new123-0", "a replacement cut short");
  WriteBytes(folder_ / "notes.txt", "the player's own");
  // Config.cfg could not be read whole: the table in memory is not the stored
  // one, and nothing is taken from the folder.
  const HighScoreList stored = table_;
  table_ = FirstStartHighScores();
  EXPECT_EQ(RowsAfterStart(false), (std::array<bool, 10>{}));
  EXPECT_EQ(Files().size(), 2u);
  table_ = stored;
  EXPECT_EQ(RowsAfterStart(true), (std::array<bool, 10>{false, false, true}));
  EXPECT_EQ(Files(), (std::set<std::string>{"game-1.rec"}));
  EXPECT_FALSE(fs::exists(folder_ / "index.txt.new123-0"));
  EXPECT_TRUE(fs::exists(folder_ / "notes.txt"));
}

}  // namespace
}  // namespace gh
