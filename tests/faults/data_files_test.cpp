// A missing or damaged picture, font, model or help file: the player gets a
// message that names the file, and the program then ends by itself with exit
// code 1 (a frozen frame would never answer). A missing or damaged sound or
// tune is no reason to stop: it plays as silence, and standard error names it.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>

#include "FaultHelpers.h"
#include "game/Game.h"

namespace gh::test {
namespace {

namespace fs = std::filesystem;

enum class Damage { Remove, Truncate, Garbage };

enum class Outcome { Ends, Silence };

struct Case {
  const char* name;
  const char* file;  // under the program's folder
  Damage damage;
  bool inGame;  // the file is first read when a game starts
  Outcome outcome;
  // How the message begins, when it must be the program's own (the one a menu
  // picture gets) rather than the engine's report of a failed frame.
  const char* message = "";
};

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
  return s;
}

class DataFileFault : public ::testing::TestWithParam<Case> {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() /
              ("gh_faults_" + std::to_string(::getpid()) + "_" + GetParam().name);
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    fs::copy(fs::path(GH_BIN_DIR) / "Data", folder_ / "Data", fs::copy_options::recursive);
  }
  void TearDown() override { fs::remove_all(folder_); }

  void Damage(const Case& c) {
    const fs::path file = folder_ / c.file;
    ASSERT_TRUE(fs::exists(file)) << file;
    switch (c.damage) {
      case Damage::Remove:
        fs::remove(file);
        break;
      case Damage::Truncate:
        fs::resize_file(file, std::min<uintmax_t>(fs::file_size(file), 12));
        break;
      case Damage::Garbage: {
        const auto size = fs::file_size(file);
        std::mt19937 random(7);
        std::string bytes(size, '\0');
        for (char& b : bytes) b = static_cast<char>(random());
        std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
        break;
      }
    }
  }

  fs::path folder_;
};

// Runs the program on the damaged folder and reports on standard error whether
// a message named the file and how the program ended. A program stopped by an
// error leaves the engine library's state behind, so each case runs in a
// process of its own.
void RunDamaged(const Case& c, const fs::path& folder) {
  HarnessOptions options;
  options.folder = folder;
  options.linkData = false;
  Harness h(options);

  const std::string base = Lower(fs::path(c.file).filename().string());
  const auto named = [&] {
    for (const auto& e : h.Platform().errors)
      if (Lower(e).find(base) != std::string::npos) return true;
    return false;
  };
  if (c.inGame && h.StepUntil([&] { return MainMenuShown(h) || h.Exited(); }, 900) && !h.Exited()) {
    h.Step(2);
    ClickWidget(h, h.Shell().Widgets()->StartGame);
  }
  // A file that stops the program: it ends by itself after the message. One
  // that does not: the game goes on (the menu, or a few seconds of play).
  if (c.outcome == Outcome::Ends) {
    h.StepUntil([&] { return h.Exited(); }, 900);
  } else if (c.inGame) {
    h.StepUntil(
        [&] {
          return h.Exited() || (h.Shell().RunningGame() &&
                                h.Shell().RunningGame()->Phase() == GamePhase::Playing);
        },
        900);
    h.Step(120);
  } else {
    h.StepUntil([&] { return h.Exited() || MainMenuShown(h); }, 900);
  }
  std::string shown;
  for (const auto& e : h.Platform().errors) shown += e + " | ";
  const bool ended = h.Exited();
  const bool playing =
      h.Shell().RunningGame() && h.Shell().RunningGame()->Phase() == GamePhase::Playing;
  const bool menu = MainMenuShown(h);
  const int code = h.ExitCode();
  // Whatever it did next, it still answers a close as a program should.
  if (!h.Exited()) h.Close();
  std::fprintf(stderr, "%s %s %d%s: %s\n", named() ? "NAMED" : "UNNAMED",
               ended ? "ended" : "running", code,
               playing ? " playing"
               : menu  ? " menu"
                       : "",
               shown.c_str());
  std::fflush(stderr);
  std::_Exit(0);
}

std::string Escaped(const std::string& text) {
  std::string out;
  for (char ch : text) {
    if (std::strchr(".[]()*+?{}|^$\\", ch)) out += '\\';
    out += ch;
  }
  return out;
}

TEST_P(DataFileFault, StopsWithAMessageOrPlaysSilenceAndNamesTheFile) {
  const Case c = GetParam();
  Damage(c);
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  if (c.outcome == Outcome::Ends) {
    EXPECT_EXIT(RunDamaged(c, folder_), ::testing::ExitedWithCode(0),
                std::string("NAMED ended 1: ") + c.message);
  } else {
    // One line on standard error, with the path as the system writes it; no box.
    const std::string line =
        "system\\.so: cannot load \"" + Escaped(c.file) + "\": [^\n]*it plays as silence";
    EXPECT_EXIT(RunDamaged(c, folder_), ::testing::ExitedWithCode(0),
                line + ".*UNNAMED running -1 " + (c.inGame ? "playing" : "menu") + ": \n");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Faults, DataFileFault,
    ::testing::Values(
        Case{"MenuPictureMissing", "Data/MenuBack.jpg", Damage::Remove, false, Outcome::Ends},
        Case{"LoadingPictureTruncated", "Data/loading.jpg", Damage::Truncate, false, Outcome::Ends},
        Case{"ButtonPictureMissing", "Data/b1_0.png", Damage::Remove, false, Outcome::Ends},
        Case{"EditPictureTruncated", "Data/Edit.png", Damage::Truncate, false, Outcome::Ends},
        Case{"CursorPictureGarbage", "Data/cursor.png", Damage::Garbage, false, Outcome::Ends},
        Case{"ClickSoundMissing", "Data/Sound/Click.wav", Damage::Remove, false, Outcome::Silence},
        Case{"ClickSoundGarbage", "Data/Sound/Click.wav", Damage::Garbage, false, Outcome::Silence},
        Case{"MenuTuneMissing", "Data/Sound/Menu.ogg", Damage::Remove, false, Outcome::Silence},
        Case{"MenuTuneTruncated", "Data/Sound/Menu.ogg", Damage::Truncate, false, Outcome::Silence},
        Case{"FontMissing", "Data/font/BancoDi.wid", Damage::Remove, false, Outcome::Ends},
        Case{"FontTruncated", "Data/font/BancoDi.wid", Damage::Truncate, false, Outcome::Ends},
        Case{"ModelMissing", "Data/sprite.x", Damage::Remove, false, Outcome::Ends},
        Case{"HelpMissing", "Data/Help.txt", Damage::Remove, false, Outcome::Ends},
        Case{"GameSoundMissing", "Data/Sound/3.wav", Damage::Remove, true, Outcome::Silence},
        Case{"GameTuneGarbage", "Data/Sound/Game.ogg", Damage::Garbage, true, Outcome::Silence},
        Case{"ScenePictureMissing", "Data/Game/level1.jpg", Damage::Remove, true, Outcome::Ends,
             "Cannot open file"},
        Case{"EnemyPictureMissing", "Data/Game/T1/1.png", Damage::Remove, true, Outcome::Ends,
             "Cannot open file"},
        Case{"PanelPictureTruncated", "Data/Game/Panel1.png", Damage::Truncate, true, Outcome::Ends,
             "Stream read error"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace gh::test
