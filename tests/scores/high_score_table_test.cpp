// Entering a result into the local table of ten.
#include <vector>

#include "SettingsFixture.h"
#include "scores/HighScoreTable.h"
#include "settings/ConfigFile.h"

namespace gh::test {
namespace {

using HighScoreTable = InTempFolder;

std::vector<std::pair<std::string, int32_t>> Rows(const HighScoreList& table) {
  std::vector<std::pair<std::string, int32_t>> t;
  for (const auto& e : table) t.emplace_back(e.Name, e.Score);
  return t;
}

TEST_F(HighScoreTable, OnlyAScoreAboveTheTenthQualifies) {
  s_.HighScores = FirstStartHighScores();  // the tenth holds 500
  struct Case {
    int32_t score;
    bool qualifies;
  };
  for (const Case c : {Case{500, false}, Case{501, true}, Case{499, false}, Case{0, false},
                       Case{-1, false}, Case{INT32_MAX, true}}) {
    EXPECT_EQ(QualifiesForHighScores(s_.HighScores, c.score), c.qualifies) << c.score;
  }
  s_.HighScores[9].Score = -10;
  EXPECT_TRUE(QualifiesForHighScores(s_.HighScores, -9));
  EXPECT_FALSE(QualifiesForHighScores(s_.HighScores, -10));
}

TEST_F(HighScoreTable, OnePointAboveTheTenthReplacesIt) {
  s_.HighScores = FirstStartHighScores();
  AddHighScore(s_.HighScores, "Low", 501);
  EXPECT_EQ(s_.HighScores[9].Name, "Low");
  EXPECT_EQ(s_.HighScores[9].Score, 501);
  EXPECT_EQ(s_.HighScores[8].Score, 1000);
}

TEST_F(HighScoreTable, AnEqualScoreLandsJustBelowItsEqual) {
  s_.HighScores = FirstStartHighScores();
  s_.HighScores[3].Name = "First3500";
  AddHighScore(s_.HighScores, "Second3500", 3500);
  EXPECT_EQ(s_.HighScores[3].Name, "First3500");
  EXPECT_EQ(s_.HighScores[4].Name, "Second3500");
  EXPECT_EQ(s_.HighScores[4].Score, 3500);
  EXPECT_EQ(s_.HighScores[5].Score, 3000);
  EXPECT_EQ(s_.HighScores[9].Score, 1000);  // 500 is gone
}

TEST_F(HighScoreTable, ANewBestLandsFirstAndTheOldTenthIsLost) {
  s_.HighScores = FirstStartHighScores();
  for (int i = 0; i < 10; ++i) s_.HighScores[i].Name = "E" + std::to_string(i);
  const auto before = Rows(s_.HighScores);
  AddHighScore(s_.HighScores, "Best", 5001);
  const auto after = Rows(s_.HighScores);
  EXPECT_EQ(after[0], std::make_pair(std::string("Best"), 5001));
  for (int i = 1; i < 10; ++i) EXPECT_EQ(after[i], before[i - 1]) << i;
}

TEST_F(HighScoreTable, AnEmptyNameIsStoredAndKept) {
  s_.HighScores = FirstStartHighScores();
  AddHighScore(s_.HighScores, "", 2600);
  EXPECT_EQ(s_.HighScores[5].Name, "");
  EXPECT_EQ(s_.HighScores[5].Score, 2600);
  ASSERT_TRUE(Save());
  ResetToStartValues();
  ASSERT_EQ(Load(), LoadResult::Loaded);
  EXPECT_EQ(s_.HighScores[5].Name, "");
  EXPECT_EQ(s_.HighScores[5].Score, 2600);
}

TEST_F(HighScoreTable, ATableLoadedOutOfOrderIsSortedStablyByTheSamePass) {
  const int32_t scores[10] = {10, 30, 20, 30, 50, 10, 40, 20, 50, 99};
  for (int i = 0; i < 10; ++i) s_.HighScores[i] = {"n" + std::to_string(i), scores[i]};
  AddHighScore(s_.HighScores, "new", 30);  // replaces n9 (99)
  const std::vector<std::pair<std::string, int32_t>> expected = {
      {"n4", 50},  {"n8", 50}, {"n6", 40}, {"n1", 30}, {"n3", 30},
      {"new", 30}, {"n2", 20}, {"n7", 20}, {"n0", 10}, {"n5", 10}};
  EXPECT_EQ(Rows(s_.HighScores), expected);
}

TEST_F(HighScoreTable, SwapExchangesNeighboursAndIgnoresOtherIndexes) {
  s_.HighScores = FirstStartHighScores();
  s_.HighScores[0].Name = "top";
  SwapHighScores(s_.HighScores, 1);
  EXPECT_EQ(s_.HighScores[0].Score, 4500);
  EXPECT_EQ(s_.HighScores[1].Name, "top");
  EXPECT_EQ(s_.HighScores[1].Score, 5000);
  SwapHighScores(s_.HighScores, 9);
  EXPECT_EQ(s_.HighScores[8].Score, 500);
  EXPECT_EQ(s_.HighScores[9].Score, 1000);
  const auto before = Rows(s_.HighScores);
  for (uint8_t bad : {0, 10, 255}) SwapHighScores(s_.HighScores, bad);
  EXPECT_EQ(Rows(s_.HighScores), before);
}

TEST_F(HighScoreTable, TheFileHoldsTheNewTableAsSoonAsTheScoreIsAdded) {
  ASSERT_EQ(Load(), LoadResult::Created);
  s_.Country = "Chile";
  AddHighScore(s_.HighScores, "Ana", 4100);
  ASSERT_TRUE(Save());
  Settings onDisk;
  ASSERT_EQ(ReadConfig(ReadBytes("Config.cfg"), onDisk), ConfigFieldCount);
  EXPECT_TRUE(onDisk == s_);
  EXPECT_EQ(onDisk.HighScores[2].Name, "Ana");
  EXPECT_EQ(onDisk.Country, "Chile");
}

TEST_F(HighScoreTable, AScoreAddedWhileTheFileIsMissingIsNotWiped) {
  ASSERT_EQ(Load(), LoadResult::Created);
  std::filesystem::remove("Config.cfg");
  AddHighScore(s_.HighScores, "Kept", 9999);
  ASSERT_TRUE(Save());
  EXPECT_EQ(s_.HighScores[0].Name, "Kept");
  ResetToStartValues();
  ASSERT_EQ(Load(), LoadResult::Loaded);
  EXPECT_EQ(s_.HighScores[0].Name, "Kept");
  EXPECT_EQ(s_.HighScores[0].Score, 9999);
}

TEST_F(HighScoreTable, AFailedSaveKeepsTheNewEntryInMemory) {
  std::filesystem::create_directory("Config.cfg");  // cannot be written
  s_.HighScores = FirstStartHighScores();
  AddHighScore(s_.HighScores, "Mem", 777);
  EXPECT_FALSE(Save());
  EXPECT_EQ(s_.HighScores[9].Name, "Mem");
  EXPECT_TRUE(std::filesystem::is_directory("Config.cfg"));
}

}  // namespace
}  // namespace gh::test
