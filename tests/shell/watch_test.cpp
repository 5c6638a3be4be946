// Watching recorded games: a game played to the table and watched from its
// row, the speeds, a recording this build cannot play, and a recording named
// on the command line.
#include "shell/Watch.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <random>

#include "MenuFixture.h"
#include "game/Playback.h"
#include "game/Player.h"
#include "game/Recording.h"
#include "game/Terrorist.h"
#include "scores/TableRecordings.h"
#include "settings/ConfigFile.h"

namespace gh::test {
namespace {

namespace fs = std::filesystem;

// Where the HUD prints the score and the level's clock.
constexpr float HudScoreX = 6.5f, HudScoreY = 11.3f;
constexpr float HudClockX = -14.0f, HudClockY = 11.3f;

// A table whose tenth entry any finished game beats.
Settings LowTable() {
  Settings data;
  for (int i = 0; i < 10; ++i) {
    data.HighScores[i].Name = "Old" + std::to_string(i);
    data.HighScores[i].Score = 9 - i - (i == 9 ? 10 : 0);  // 9, 8, ..., 1, -10
  }
  return data;
}

// The version of the build's Data/ (read where the build keeps it).
uint64_t BuildDataVersion() {
  const fs::path before = fs::current_path();
  fs::current_path(GH_BIN_DIR);
  const Result<uint64_t> version = ReadDataVersion();
  fs::current_path(before);
  EXPECT_TRUE(version) << version.error().message;
  return version ? *version : 0;
}

// A game nobody plays: the pointer in the middle, nothing pressed, `frames`
// frames long.
GameRecording IdleGame(uint32_t frames, int32_t score) {
  GameRecording r;
  r.DataVersion = BuildDataVersion();
  r.ProgramVersion = ThisProgramVersion();
  r.Seed = 77;
  r.Score = score;
  for (uint32_t i = 0; i < frames; ++i) {
    RecordedFrame f;
    f.Input.Tick = 1000 + i * 1000 / 60;
    r.Frames.push_back(f);
  }
  return r;
}

// A Config.cfg whose table holds `name` with `score` (row `row`), and beside
// it the recordings folder keeping `bytes` for that entry.
HarnessOptions WithKeptGame(const fs::path& folder, const std::string& name, int32_t score,
                            const std::string& bytes) {
  Settings settings = LowTable();
  settings.HighScores[2] = HighScore{name, score};
  fs::create_directories(folder / RecordingsFolderName);
  std::ofstream(folder / RecordingsFolderName / "game-1.rec", std::ios::binary) << bytes;
  std::ofstream(folder / RecordingsFolderName / RecordingsIndexName, std::ios::binary)
      << WriteRecordingsIndex({KeptRecording{name, score, "game-1.rec"}});
  HarnessOptions options;
  options.folder = folder;
  options.config = WriteConfig(settings);
  return options;
}

class WatchTest : public MenuTest {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("gh-watch-" + std::to_string(std::random_device()()));
    fs::create_directories(folder_);
  }
  void TearDown() override {
    MenuTest::TearDown();
    std::error_code ec;
    fs::remove_all(folder_, ec);
  }

  void OpenTable() {
    ClickOn(Menu().HighScores);
    ASSERT_TRUE(OnScreen(Screen::HighScores));
    h->Step(1);
  }

  // The text printed centred at (x, y) now ("" when none), and how many texts
  // are printed there.
  std::string PrintedAt(float x, float y, int* count = nullptr) const {
    std::string text;
    int n = 0;
    for (const auto& p : h->Prints()) {
      if (p.centered && std::abs(p.x - x) < 0.01f && std::abs(p.y - y) < 0.01f) {
        text = p.text;
        ++n;
      }
    }
    if (count) *count = n;
    return text;
  }

  // Aims at a terrorist on the scene, if any, with the trigger held: a player
  // who scores.
  void AimAtATerrorist() {
    Game* game = h->Shell().RunningGame();
    if (!game) return;
    for (const auto* row : {&game->LowerTerrorists(), &game->UpperTerrorists()}) {
      for (const auto& t : *row) {
        if (!t->Active() || t->Is(Terrorist::Pose::Dying)) continue;
        const AnimatedMesh& mesh = t->PoseMesh(t->CurrentPose());
        h->MouseAt(mesh.X, mesh.Y);
        h->ButtonDown();
        return;
      }
    }
    h->ButtonUp();
  }

  fs::path folder_;
};

TEST_F(WatchTest, AGameEnteredInTheTableIsWatchedFromItsRowToItsEnd) {
  HarnessOptions options;
  options.config = WriteConfig(LowTable());
  options.seed = 5;
  Start(true, options);
  ClickOn(Menu().StartGame);
  ASSERT_TRUE(h->StepUntil(
      [&] {
        return h->Shell().RunningGame() && h->Shell().RunningGame()->Phase() == GamePhase::Playing;
      },
      600));
  // Fifteen seconds of play, the pointer on whatever terrorist walks.
  auto phase = [&] { return h->Shell().RunningGame()->Phase(); };
  for (int frame = 0; frame < 900 && phase() != GamePhase::GameOver; ++frame) {
    if (phase() == GamePhase::Playing) {
      AimAtATerrorist();
    } else {
      h->ButtonUp();
    }
    h->Step(1);
  }
  h->ButtonUp();
  if (phase() != GamePhase::GameOver) {
    ASSERT_TRUE(h->StepUntil([&] { return phase() == GamePhase::Playing; }, 400));
    h->Tap(Key::Escape);
    ASSERT_TRUE(h->StepUntilPrint("Exit to menu?", 10));
    ClickOn(Menu().Yes);
  }
  const int32_t score = h->Shell().RunningGame()->State().Score;
  ASSERT_GT(score, 0) << "the game scored nothing: watching it would show nothing";
  ASSERT_TRUE(h->StepUntilPrint("Your Scores is " + std::to_string(score), 600));
  h->Shell().TypedName() = "Watcher";
  ClickOn(Menu().Yes);
  ASSERT_TRUE(h->StepUntilPrint("World's Highscores page?", 10));
  ClickOn(Menu().No);
  ASSERT_TRUE(h->StepUntil([&] { return OnScreen(Screen::HighScores); }, 10));
  h->Step(2);

  // The entry keeps its game, in the folder beside Config.cfg.
  const HighScoreList& table = h->Shell().PlayerSettings().HighScores;
  int row = -1;
  for (int i = 0; i < 10; ++i)
    if (table[i].Name == "Watcher" && table[i].Score == score) row = i;
  ASSERT_GE(row, 0);
  const auto kept = h->Shell().KeptRecording("Watcher", score);
  ASSERT_TRUE(kept.has_value());
  const Result<GameRecording> recording = DecodeRecording(*kept);
  ASSERT_TRUE(recording) << recording.error().message;
  EXPECT_EQ(recording->Score, score);
  std::array<bool, 10> watchable{};
  watchable[static_cast<size_t>(row)] = true;
  EXPECT_EQ(h->Shell().WatchableRows(), watchable);

  // Its row is marked, and the pointer on it picks it.
  const RowButton* rowButton = Menu().TableRows[static_cast<size_t>(row)];
  ASSERT_TRUE(Shown(rowButton));
  EXPECT_TRUE(h->HasPrint(">"));
  h->MouseAt(-8.0f, TableRowY(row));
  h->Step(1);
  h->Click();
  h->Step(1);
  ASSERT_TRUE(OnScreen(Screen::Watch));
  ASSERT_NE(h->Shell().Playback(), nullptr);
  EXPECT_EQ(h->Shell().RunningGame(), nullptr);

  // At 8x to the end: the HUD shows the score the entry has, once.
  for (int i = 0; i < 3; ++i) h->Tap(Key::Right);
  EXPECT_EQ(h->Shell().WatchSpeedIndex(), WatchSpeedCount - 1);
  std::string lastScore;
  int frames = 0;
  h->SoundEvents();
  while (OnScreen(Screen::Watch) && frames < 2000) {
    int printed = 0, clocks = 0;
    const std::string now = PrintedAt(HudScoreX, HudScoreY, &printed);
    PrintedAt(HudClockX, HudClockY, &clocks);
    ASSERT_LE(std::max(printed, clocks), 1)
        << "the HUD's texts of several game frames are on screen at once";
    if (!now.empty()) lastScore = now;
    // Nor is a sound started twice at once.
    std::map<std::string, int> starts;
    for (const auto& e : h->SoundEvents()) {
      if (e.kind == 1) {
        ASSERT_LE(++starts[e.file], 1) << e.file;
      }
    }
    h->Step(1);
    ++frames;
  }
  EXPECT_EQ(lastScore, std::to_string(score));
  EXPECT_TRUE(OnScreen(Screen::HighScores));
  EXPECT_EQ(h->Shell().Playback(), nullptr);
  h->Step(1);
  EXPECT_TRUE(h->HasPrint("HIGH SCORE"));
}

TEST_F(WatchTest, TheSpeedKeysSetHowManyGameFramesAnEngineFrameRuns) {
  const GameRecording game = IdleGame(6000, 7);
  Start(true, WithKeptGame(folder_, "Idle", 7, EncodeRecording(game)));
  OpenTable();
  EXPECT_EQ(h->Shell().WatchableRows(), (std::array<bool, 10>{false, false, true}));
  // The keyboard reaches the row: it is last in the widget order, before Back.
  Hover(Menu().Back);
  Press(Key::Up);
  ASSERT_EQ(Menu().List.Focused(), Menu().TableRows[2]);
  Press(Key::Enter);
  ASSERT_TRUE(OnScreen(Screen::Watch));
  h->Step(2);

  const struct {
    int key;
    double framesPerEngineFrame;
  } steps[] = {
      {0, 1},
      {Key::Right, 2},
      {Key::Equals, 4},
      {Key::KeypadPlus, 8},
      {Key::Right, 8},
      {Key::LetterP, 0},
      {Key::Space, 8},
      {Key::Left, 4},
      {Key::Minus, 2},
      {Key::KeypadMinus, 1},
      {Key::Left, 0.5},
      {Key::Left, 0.25},
      {Key::Left, 0.25},
      {Key::Right, 0.5},
  };
  for (const auto& s : steps) {
    SCOPED_TRACE(s.key);
    if (s.key) h->Tap(s.key);
    h->Step(1);
    const uint32_t before = h->Shell().Playback()->FramesPlayed();
    h->Step(8);
    EXPECT_DOUBLE_EQ((h->Shell().Playback()->FramesPlayed() - before) / 8.0,
                     s.framesPerEngineFrame);
  }
  // The wheel too.
  h->Post(iMsgWheelUp);
  h->Step(1);
  EXPECT_EQ(h->Shell().WatchSpeedIndex(), WatchNormalSpeed);

  // An engine restart (full screen) goes on where the game was.
  const uint32_t played = h->Shell().Playback()->FramesPlayed();
  h->Post(iMsgMaximize);
  ASSERT_TRUE(h->StepUntil([&] { return h->Shell().Playback() == nullptr; }, 10));
  ASSERT_TRUE(h->StepUntil(
      [&] { return OnScreen(Screen::Watch) && h->Shell().Playback() != nullptr; }, 300));
  EXPECT_GE(h->Shell().Playback()->FramesPlayed(), played);
  EXPECT_LE(h->Shell().Playback()->FramesPlayed(), played + 2);

  // The caption says what plays, and Escape goes back to the table.
  h->Step(1);
  bool captioned = false;
  for (const std::string& text : h->PrintTexts())
    captioned = captioned || text.rfind("REPLAY 1x", 0) == 0;
  EXPECT_TRUE(captioned) << ::testing::PrintToString(h->PrintTexts());
  Press(Key::Escape);
  EXPECT_TRUE(OnScreen(Screen::HighScores));
  EXPECT_EQ(h->Shell().Playback(), nullptr);
}

TEST_F(WatchTest, ARecordingThisBuildCannotPlaySaysWhyInsteadOfPlaying) {
  GameRecording game = IdleGame(600, 7);
  game.DataVersion += 1;
  const uint64_t data = BuildDataVersion();
  const Status here = CanPlayHere(game, data);
  ASSERT_FALSE(here);
  Start(true, WithKeptGame(folder_, "Foreign", 7, EncodeRecording(game)));
  OpenTable();
  ASSERT_TRUE(Shown(Menu().TableRows[2]));
  ClickOn(Menu().TableRows[2], -8.0f);
  EXPECT_FALSE(OnScreen(Screen::Watch));
  EXPECT_EQ(h->Shell().Playback(), nullptr);
  ASSERT_TRUE(h->Shell().Questions().IsOpen());
  std::string shown;
  for (const std::string& text : h->PrintTexts()) shown += text + " ";
  EXPECT_NE(shown.find(here.error().message.substr(0, 20)), std::string::npos) << shown;
  ClickOn(Menu().Yes);
  EXPECT_FALSE(h->Shell().Questions().IsOpen());
  EXPECT_TRUE(OnScreen(Screen::HighScores));
}

TEST_F(WatchTest, ARecordingNamedAtStartPlaysOrSaysWhyThenTheMenuComes) {
  const GameRecording good = IdleGame(240, 7);
  const struct {
    const char* what;
    std::optional<std::string> bytes;  // none: no such file
    const char* message;               // the start of the question's first line
  } cases[] = {
      {"a good file", EncodeRecording(good), nullptr},
      {"a missing file", std::nullopt, "The recording cannot be read."},
      {"a damaged file", EncodeRecording(good).substr(0, 40), "This recording cannot be played:"},
      {"not a recording", std::string("\x89PNG\r\n\x1a\n", 8), "This recording cannot be played:"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const fs::path file = folder_ / "friend.rec";
    fs::remove(file);
    if (c.bytes) std::ofstream(file, std::ios::binary) << *c.bytes;
    HarnessOptions options;
    options.program = ReadProgramArguments({"--replay", file.string()});
    Start(false, options);
    if (c.message) {
      ASSERT_TRUE(h->StepUntil([&] { return h->Shell().Questions().IsOpen(); }, 300));
      h->Step(1);
      bool said = false;
      for (const std::string& text : h->PrintTexts()) said = said || text.rfind(c.message, 0) == 0;
      EXPECT_TRUE(said);
      EXPECT_FALSE(OnScreen(Screen::Watch));
      ClickOn(Menu().Yes);
    } else {
      ASSERT_TRUE(h->StepUntil([&] { return OnScreen(Screen::Watch); }, 300));
      EXPECT_TRUE(h->StepUntil([&] { return h->Shell().Playback()->FramesPlayed() == 200; }, 300));
    }
    // Then the menu, as after any start.
    ASSERT_TRUE(
        h->StepUntil([&] { return OnScreen(Screen::Menu) && !Menu().StartGame->Hidden; }, 600));
    h->Close();
    EXPECT_TRUE(h->Exited());
    EXPECT_EQ(h->ExitCode(), 0);
    h.reset();
  }
}

}  // namespace
}  // namespace gh::test
