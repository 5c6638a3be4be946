// The settings and the table as the running program uses them: printed on the
// HIGH SCORE screen, read at start, and a damaged file at start.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
#include <random>
#include <vector>

#include "SettingsFixture.h"
#include "harness/Harness.h"
#include "platform/System.h"
#include "settings/ConfigFile.h"
#include "shell/Shell.h"
#include "ui/DXCtrl.h"
#include "ui/Menus.h"

namespace gh::test {
namespace {

Settings TableOnFile() {
  Settings d;
  d.Country = "Chile";
  const char* names[10] = {"Ace", "", "Third", "d", "e", "f", "g", "h", "i", "Last"};
  const int32_t scores[10] = {123456, 9000, 8000, 7000, 6000, 5000, 4000, 3000, 0, -50};
  for (int i = 0; i < 10; ++i) d.HighScores[i] = {names[i], scores[i]};
  return d;
}

class Program : public ::testing::Test {
 protected:
  // Starts the program; `toMenu` waits until the main menu is drawn.
  void Start(std::optional<std::string> config, bool toMenu) {
    HarnessOptions options;
    options.config = std::move(config);
    h = std::make_unique<Harness>(options);
    if (!toMenu) {
      h->Step(5);  // the settings are read on the first idle frame
      return;
    }
    ASSERT_TRUE(h->StepUntilPrint("High Score", 1500))
        << "the main menu never appeared; exited " << h->Exited()
        << ", errors: " << (h->Platform().errors.empty() ? "none" : h->Platform().errors[0]);
    h->Step(2);
  }

  void OpenHighScores() {
    for (const auto& s : h->Sprites()) {
      if (s.handle == TextButtons[2]->Sprite.get()) {
        h->MouseAt(s.x, s.y);
        h->Step(1);
        h->Click();
        ASSERT_TRUE(h->StepUntilPrint("HIGH SCORE", 100));
        return;
      }
    }
    FAIL() << "the High Score button is not on screen";
  }

  std::unique_ptr<Harness> h;
};

TEST_F(Program, TheHighScoreScreenPrintsRankNameAndScoreOfEveryRow) {
  Start(WriteConfig(TableOnFile()), true);
  if (HasFatalFailure()) return;
  OpenHighScores();
  if (HasFatalFailure()) return;
  const auto prints = h->Prints();
  const Settings table = TableOnFile();
  auto find = [&](const std::string& text, float x, float y) -> const ihPrint* {
    for (const auto& p : prints)
      if (text == p.text && std::abs(p.x - x) < 1e-4f && std::abs(p.y - y) < 1e-4f) return &p;
    return nullptr;
  };
  for (int i = 0; i < 10; ++i) {
    SCOPED_TRACE("row " + std::to_string(i));
    const auto y = static_cast<float>(4.1 - 1.43 * i);
    const float alpha = i == 0 ? 1.0f : 0.5f;
    struct Column {
      std::string text;
      float x;
      bool centred;
    };
    const Column columns[] = {{std::to_string(i + 1), -7.5f, true},
                              {table.HighScores[i].Name, -3.8f, false},
                              {std::to_string(table.HighScores[i].Score), 7.7f, true}};
    for (const Column& c : columns) {
      if (c.text.empty()) continue;  // an empty name prints nothing to see
      const ihPrint* p = find(c.text, c.x, y);
      ASSERT_NE(p, nullptr) << c.text;
      EXPECT_EQ(p->centered != 0, c.centred) << c.text;
      EXPECT_FLOAT_EQ(p->scaleX, 0.8f);
      EXPECT_FLOAT_EQ(p->scaleY, 0.8f);
      EXPECT_FLOAT_EQ(p->spacing, -0.1f);
      EXPECT_FLOAT_EQ(p->color.red, 1.0f);
      EXPECT_FLOAT_EQ(p->color.green, 0.47f);
      EXPECT_FLOAT_EQ(p->color.blue, 0.0f);
      EXPECT_FLOAT_EQ(p->color.alpha, alpha);
    }
  }
  EXPECT_NE(find("-50", 7.7f, static_cast<float>(4.1 - 1.43 * 9)), nullptr);
}

TEST_F(Program, ADamagedFileIsReportedOnceAndKeptWhileTheGameRuns) {
  const std::string whole = WriteConfig(TableOnFile());
  const std::string cut = whole.substr(0, 4 + 6 + 4 + 2);  // into the first name's score
  Start(cut, false);
  h->Step(100);
  int reports = 0;
  for (const auto& e : h->Platform().errors) reports += e.find("Config.cfg") != std::string::npos;
  EXPECT_EQ(reports, 1);
  EXPECT_EQ(h->Shell().PlayerSettings().Country, "Chile");           // read before the damage
  EXPECT_EQ(h->Shell().PlayerSettings().HighScores[0].Name, "Ace");  // its score was cut
  // The message promises default values: the rest of the table is the first
  // start's, never ten empty names with 0.
  EXPECT_EQ(h->Shell().PlayerSettings().HighScores[0].Score, 5000);
  for (int i = 1; i < 10; ++i)
    EXPECT_EQ(h->Shell().PlayerSettings().HighScores[i], (HighScore{"Anonymous", 5000 - 500 * i}))
        << i;
  EXPECT_EQ(ReadBytes(h->Folder() / "Config.cfg.damaged"), cut);
}

// A "Config.cfg" that cannot be read is reported once, and the table holds no
// scores rather than a first start's, which the player could take for theirs.
TEST_F(Program, AnUnreadableFileIsReportedAndTheTableHoldsNoScores) {
  std::random_device seed;
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("gh-unreadable-" + std::to_string(seed()));
  ASSERT_TRUE(std::filesystem::create_directories(folder / "Config.cfg"));
  HarnessOptions options;
  options.folder = folder;
  h = std::make_unique<Harness>(options);
  ASSERT_TRUE(h->StepUntilPrint("High Score", 1500));
  int reports = 0;
  for (const auto& e : h->Platform().errors)
    reports += e.find("cannot be used") != std::string::npos;
  EXPECT_EQ(reports, 1);
  EXPECT_EQ(h->Shell().PlayerSettings().HighScores, HighScoreList{});
  h.reset();
  std::error_code ec;
  std::filesystem::remove_all(folder, ec);
}

TEST_F(Program, ClosingTheWindowKeepsWhatWasChangedInThisRun) {
  Start(WriteConfig(TableOnFile()), true);
  // What the Options screen's widgets write.
  h->Shell().PlayerSettings().Country = "Peru";
  h->Shell().PlayerSettings().SoundOn = 0;
  h->Shell().PlayerSettings().BossKey = 63;
  h->Close();
  ASSERT_TRUE(h->Exited());
  Settings onDisk;
  ASSERT_EQ(ReadConfig(ReadBytes(h->ConfigPath()), onDisk), ConfigFieldCount);
  EXPECT_EQ(onDisk.Country, "Peru");
  EXPECT_EQ(onDisk.SoundOn, 0);
  EXPECT_EQ(onDisk.BossKey, 63);
  EXPECT_EQ(onDisk.HighScores[0], (HighScore{"Ace", 123456}));
  EXPECT_TRUE(h->Platform().errors.empty());
}

TEST_F(Program, MessagesAreWrappedToAReadableWidthWithNothingLost) {
  const std::string whole = WriteConfig(TableOnFile());
  Start(whole.substr(0, 20), false);
  ASSERT_FALSE(h->Platform().errors.empty());
  const std::string shown = h->Platform().errors[0];
  std::string joined = shown;
  for (char& c : joined)
    if (c == '\n') c = ' ';
  // Every word arrives, in order; "Config.cfg.damaged" is longer than nothing.
  EXPECT_NE(joined.find("was damaged. The game starts with what could be read"), std::string::npos)
      << shown;
  EXPECT_NE(joined.find("\"Config.cfg.damaged\""), std::string::npos) << shown;
  size_t lines = 0, start = 0;
  for (;;) {
    const size_t end = std::min(shown.find('\n', start), shown.size());
    EXPECT_LE(end - start, 60u) << "a line too wide for the box: "
                                << shown.substr(start, end - start);
    ++lines;
    if (end == shown.size()) break;
    start = end + 1;
  }
  EXPECT_GE(lines, 3u);
}

TEST_F(Program, TheFirstStartWritesTheDefaultTable) {
  Start(std::nullopt, false);
  Settings onDisk;
  const std::string bytes = ReadBytes(h->ConfigPath());
  EXPECT_EQ(bytes.size(), 145u);
  ASSERT_EQ(ReadConfig(bytes, onDisk), ConfigFieldCount);
  EXPECT_EQ(onDisk.HighScores[0], (HighScore{"Anonymous", 5000}));
  EXPECT_TRUE(h->Platform().errors.empty());
}

// ---- one copy per folder -------------------------------------------------------

class OneCopyPerFolder : public InTempFolder {
 protected:
  std::unique_ptr<Harness> StartHere(const std::string& config) {
    HarnessOptions options;
    options.folder = folder_;
    options.config = config;
    return std::make_unique<Harness>(options);
  }
};

TEST_F(OneCopyPerFolder, ASecondCopySaysSoAndExitsWithoutTouchingTheFile) {
  const std::string config = WriteConfig(TableOnFile());
  // The first copy, as another process would hold the folder.
  FileLock first;
  const Result<FileLock::Outcome> taken = first.Take((folder_ / ConfigLockFileName).string());
  ASSERT_TRUE(taken);
  ASSERT_EQ(*taken, FileLock::Outcome::Taken);

  auto second = StartHere(config);
  second->Step(50);
  ASSERT_TRUE(second->Exited()) << "the second copy ran on and would save its own old table";
  EXPECT_EQ(second->ExitCode(), 1);
  ASSERT_EQ(second->Platform().errors.size(), 1u);
  EXPECT_NE(second->Platform().errors[0].find("already running in this folder"), std::string::npos);
  second.reset();
  EXPECT_EQ(FileBytes(), config);

  // Once the first copy has gone, the next start runs.
  first.Release();
  auto next = StartHere(config);
  ASSERT_TRUE(next->StepUntilPrint("High Score", 1500));
  EXPECT_TRUE(next->Platform().errors.empty());
}

TEST_F(OneCopyPerFolder, WhatASaveCutShortLeftIsRemovedAtStartAndNothingElse) {
  struct Case {
    const char* name;
    bool removed;
  };
  const std::vector<Case> cases = {
      {"Config.cfg.new4242-0", true},    {"Config.cfg.new1-17", true},
      {"Config.cfg.new4242", false},     {"Config.cfg.newer", false},
      {"Config.cfg.new12-3.txt", false}, {"Other.cfg.new12-3", false},
      {"Config.cfg.damaged", false},
  };
  for (const Case& c : cases) WriteBytes(folder_ / c.name, "left");
  auto program = StartHere(WriteConfig(TableOnFile()));
  ASSERT_TRUE(program->StepUntilPrint("High Score", 1500));
  for (const Case& c : cases)
    EXPECT_EQ(std::filesystem::exists(folder_ / c.name), !c.removed) << c.name;
}

}  // namespace
}  // namespace gh::test
