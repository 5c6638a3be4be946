// The list of results the score server has not taken: its file, read back
// whatever it holds, and which rows of the table it marks.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "scores/UnsentScores.h"

namespace gh {
namespace {

namespace fs = std::filesystem;

TEST(UnsentScoresText, AnyNameAndCountryReadBackAsWritten) {
  const std::vector<UnsentScore> entries = {
      {"Ann", 4200, "Peru"},
      {"", 0, ""},
      {"tab\there", -7, "new\nline"},
      {"back\\slash \\t", 2147483647, "cr\r end"},
      {std::string("\x01\x7f\xff\xe9 bytes", 9), -2147483647 - 1, "|pipe|"},
      {"end", 1, "gravelhorn2-unsent 1"},
  };
  const std::string text = WriteUnsentScores(entries);
  std::vector<std::string> problems;
  EXPECT_EQ(ReadUnsentScores(text, problems), entries);
  EXPECT_TRUE(problems.empty());
  // One line per entry, between the header and "end".
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 8);
}

TEST(UnsentScoresText, DamageIsSkippedWithAMessage) {
  const std::string head = "gravelhorn2-unsent 1\n";
  const std::string good = "5\tAnn\tPeru\n";
  const struct {
    std::string text;
    size_t entries;  // the good line's, when it is read
    std::string problem;
  } cases[] = {
      {"", 0, "does not begin"},
      {"garbage\n" + good + "end\n", 0, "does not begin"},
      {head + good + "x5\tBob\t\nend\n", 1, "line 3 is damaged"},
      {head + "5\tBob\nend\n" + good, 0, "line 2 is damaged"},
      {head + "5\tB\tc\td\n" + good + "end\n", 1, "line 2 is damaged"},
      {head + "99999999999\tB\tc\n" + good + "end\n", 1, "line 2 is damaged"},
      {head + "\tB\tc\n" + good + "end\n", 1, "line 2 is damaged"},
      {head + "5\tB\\q\tc\n" + good + "end\n", 1, "line 2 is damaged"},
      {head + "5\tB\\x4\tc\n" + good + "end\n", 1, "line 2 is damaged"},
      {head + "5\tB\\\tc\n" + good + "end\n", 1, "line 2 is damaged"},
      {head + good + "5\tB\x01\tc\nend\n", 1, "line 3 is damaged"},
      {head + good, 1, "ends before"},
      {head + good + "en", 1, "ends before"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    std::vector<std::string> problems;
    const auto entries = ReadUnsentScores(c.text, problems);
    ASSERT_EQ(entries.size(), c.entries);
    if (c.entries == 1) {
      EXPECT_EQ(entries[0], (UnsentScore{"Ann", 5, "Peru"}));
    }
    ASSERT_FALSE(problems.empty());
    EXPECT_NE(problems.back().find(c.problem), std::string::npos) << problems.back();
  }
}

class UnsentScoresFile : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device seed;
    dir_ = fs::temp_directory_path() / ("gh-unsent-" + std::to_string(seed()));
    fs::create_directories(dir_);
    path_ = (dir_ / UnsentScoresFileName).string();
  }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path dir_;
  std::string path_;
};

TEST_F(UnsentScoresFile, AShorterListReplacesALongerOneWhole) {
  UnsentScores list(path_);
  for (int i = 0; i < 5; ++i) list.Add({"Player number " + std::to_string(i), 100 * i, "Far"});
  ASSERT_TRUE(list.Save());
  ASSERT_TRUE(list.Remove({"Player number 3", 300, "Far"}));
  EXPECT_FALSE(list.Remove({"Player number 3", 300, "Far"}));
  list.Remove({"Player number 0", 0, "Far"});
  ASSERT_TRUE(list.Save());

  UnsentScores again(path_);
  again.Load();
  EXPECT_EQ(again.Entries(), list.Entries());
  ASSERT_EQ(again.Entries().size(), 3u);
}

TEST_F(UnsentScoresFile, NoFileIsAnEmptyListAndAFolderInItsPlaceIsNoCrash) {
  UnsentScores list(path_);
  list.Add({"Stale", 1, ""});
  list.Load();
  EXPECT_TRUE(list.Entries().empty());
  fs::create_directory(path_);
  list.Load();
  EXPECT_TRUE(list.Entries().empty());
  list.Add({"Ann", 1, ""});
  const Status saved = list.Save();
  ASSERT_FALSE(saved);
  EXPECT_NE(saved.error().message.find(UnsentScoresFileName), std::string::npos)
      << saved.error().message;
}

HighScoreList Table(std::initializer_list<HighScore> top) {
  HighScoreList table;
  size_t i = 0;
  for (const auto& e : top) table[i++] = e;
  for (; i < 10; ++i) table[i] = HighScore{"Anonymous", static_cast<int32_t>(100 - i)};
  return table;
}

TEST(UnsentScoresRows, EachEntryMarksOneRowOfItsNameAndScore) {
  UnsentScores list("unused");
  list.Add({"Bob", 500, "A"});
  list.Add({"Ann", 900, "B"});
  list.Add({"Gone", 50, "C"});
  // Two rows alike and one entry: one of them is marked, the higher.
  const auto table = Table({{"Ann", 900}, {"Bob", 500}, {"Bob", 500}, {"Bob", 400}});
  const std::array<int, 10> expected = {1, 0, -1, -1, -1, -1, -1, -1, -1, -1};
  EXPECT_EQ(list.Rows(table), expected);

  // The result whose row left the table is dropped; the others stay in order.
  EXPECT_TRUE(list.KeepOnly(table));
  EXPECT_EQ(list.Entries(), (std::vector<UnsentScore>{{"Bob", 500, "A"}, {"Ann", 900, "B"}}));
  EXPECT_FALSE(list.KeepOnly(table));
}

}  // namespace
}  // namespace gh
