// Entering a result into the local table of ten.
#include <vector>

#include "SettingsFixture.h"
#include "scores/HighScoreTable.h"
#include "settings/ConfigFile.h"

namespace gh::test {
namespace {

using HighScoreTable = InTempFolder;

std::vector<std::pair<std::string, int32_t>> Table() {
  std::vector<std::pair<std::string, int32_t>> t;
  for (const auto& e : HighScores) t.emplace_back(e.Name, e.Score);
  return t;
}

TEST_F(HighScoreTable, OnlyAScoreAboveTheTenthQualifies) {
  ResetHighScores();  // the tenth holds 500
  struct Case {
    int32_t score;
    bool qualifies;
  };
  for (const Case c : {Case{500, false}, Case{501, true}, Case{499, false}, Case{0, false},
                       Case{-1, false}, Case{INT32_MAX, true}}) {
    EXPECT_EQ(QualifiesForHighScores(c.score), c.qualifies) << c.score;
  }
  HighScores[9].Score = -10;
  EXPECT_TRUE(QualifiesForHighScores(-9));
  EXPECT_FALSE(QualifiesForHighScores(-10));
}

TEST_F(HighScoreTable, OnePointAboveTheTenthReplacesIt) {
  ResetHighScores();
  AddHighScore("Low", 501);
  EXPECT_EQ(HighScores[9].Name, "Low");
  EXPECT_EQ(HighScores[9].Score, 501);
  EXPECT_EQ(HighScores[8].Score, 1000);
}

TEST_F(HighScoreTable, AnEqualScoreLandsJustBelowItsEqual) {
  ResetHighScores();
  HighScores[3].Name = "First3500";
  AddHighScore("Second3500", 3500);
  EXPECT_EQ(HighScores[3].Name, "First3500");
  EXPECT_EQ(HighScores[4].Name, "Second3500");
  EXPECT_EQ(HighScores[4].Score, 3500);
  EXPECT_EQ(HighScores[5].Score, 3000);
  EXPECT_EQ(HighScores[9].Score, 1000);  // 500 is gone
}

TEST_F(HighScoreTable, ANewBestLandsFirstAndTheOldTenthIsLost) {
  ResetHighScores();
  for (int i = 0; i < 10; ++i) HighScores[i].Name = "E" + std::to_string(i);
  const auto before = Table();
  AddHighScore("Best", 5001);
  const auto after = Table();
  EXPECT_EQ(after[0], std::make_pair(std::string("Best"), 5001));
  for (int i = 1; i < 10; ++i) EXPECT_EQ(after[i], before[i - 1]) << i;
}

TEST_F(HighScoreTable, AnEmptyNameIsStoredAndKept) {
  ResetHighScores();
  AddHighScore("", 2600);
  EXPECT_EQ(HighScores[5].Name, "");
  EXPECT_EQ(HighScores[5].Score, 2600);
  ResetToStartValues();
  ASSERT_EQ(LoadSettings(), LoadResult::Loaded);
  EXPECT_EQ(HighScores[5].Name, "");
  EXPECT_EQ(HighScores[5].Score, 2600);
}

TEST_F(HighScoreTable, ATableLoadedOutOfOrderIsSortedStablyByTheSamePass) {
  const int32_t scores[10] = {10, 30, 20, 30, 50, 10, 40, 20, 50, 99};
  for (int i = 0; i < 10; ++i) HighScores[i] = {"n" + std::to_string(i), scores[i]};
  AddHighScore("new", 30);  // replaces n9 (99)
  const std::vector<std::pair<std::string, int32_t>> expected = {
      {"n4", 50},  {"n8", 50}, {"n6", 40}, {"n1", 30}, {"n3", 30},
      {"new", 30}, {"n2", 20}, {"n7", 20}, {"n0", 10}, {"n5", 10}};
  EXPECT_EQ(Table(), expected);
}

TEST_F(HighScoreTable, SwapExchangesNeighboursAndIgnoresOtherIndexes) {
  ResetHighScores();
  HighScores[0].Name = "top";
  SwapHighScores(1);
  EXPECT_EQ(HighScores[0].Score, 4500);
  EXPECT_EQ(HighScores[1].Name, "top");
  EXPECT_EQ(HighScores[1].Score, 5000);
  SwapHighScores(9);
  EXPECT_EQ(HighScores[8].Score, 500);
  EXPECT_EQ(HighScores[9].Score, 1000);
  const auto before = Table();
  for (uint8_t bad : {0, 10, 255}) SwapHighScores(bad);
  EXPECT_EQ(Table(), before);
}

TEST_F(HighScoreTable, TheFileHoldsTheNewTableAsSoonAsTheScoreIsAdded) {
  ASSERT_EQ(LoadSettings(), LoadResult::Created);
  Country = "Chile";
  EXPECT_TRUE(AddHighScore("Ana", 4100));
  ConfigData onDisk;
  ASSERT_EQ(ReadConfig(ReadBytes("Config.cfg"), onDisk), ConfigFieldCount);
  EXPECT_TRUE(onDisk == CurrentConfig());
  EXPECT_EQ(onDisk.HighScores[2].Name, "Ana");
  EXPECT_EQ(onDisk.Country, "Chile");
}

TEST_F(HighScoreTable, AScoreAddedWhileTheFileIsMissingIsNotWiped) {
  ASSERT_EQ(LoadSettings(), LoadResult::Created);
  std::filesystem::remove("Config.cfg");
  EXPECT_TRUE(AddHighScore("Kept", 9999));
  EXPECT_EQ(HighScores[0].Name, "Kept");
  ResetToStartValues();
  ASSERT_EQ(LoadSettings(), LoadResult::Loaded);
  EXPECT_EQ(HighScores[0].Name, "Kept");
  EXPECT_EQ(HighScores[0].Score, 9999);
}

TEST_F(HighScoreTable, AFailedSaveKeepsTheNewEntryInMemory) {
  std::filesystem::create_directory("Config.cfg");  // cannot be written
  ResetHighScores();
  EXPECT_FALSE(AddHighScore("Mem", 777));
  EXPECT_EQ(HighScores[9].Name, "Mem");
  EXPECT_TRUE(std::filesystem::is_directory("Config.cfg"));
}

}  // namespace
}  // namespace gh::test
