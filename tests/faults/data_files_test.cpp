// A missing or damaged picture, sound, tune, font, model or help file: the
// player gets a message that names the file, and the program neither crashes
// nor hangs (it may stop after the message).
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

#include "FaultHelpers.h"
#include "game/Game.h"

namespace gh::test {
namespace {

namespace fs = std::filesystem;

enum class Damage { Remove, Truncate, Garbage };

struct Case {
  const char* name;
  const char* file;  // under the program's folder
  Damage damage;
  bool inGame;  // the file is first read when a game starts
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
// a message named the file. A program stopped by an error leaves the engine
// library's state behind, so each case runs in a process of its own.
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
  if (c.inGame && h.StepUntil([&] { return MainMenuShown() || named() || h.Exited(); }, 900) &&
      !named() && !h.Exited()) {
    h.Step(2);
    ClickWidget(h, TextButtons[0]);
  }
  h.StepUntil([&] { return named() || h.Exited(); }, 900);
  std::string shown;
  for (const auto& e : h.Platform().errors) shown += e + " | ";
  // Whatever it did next, it still answers a close as a program should.
  if (!h.Exited()) h.Close();
  std::fprintf(stderr, "%s %s: %s\n", named() ? "NAMED" : "UNNAMED",
               h.Exited() ? "closed" : "still running", shown.c_str());
  std::fflush(stderr);
  std::_Exit(0);
}

TEST_P(DataFileFault, AMessageNamesTheFile) {
  const Case c = GetParam();
  Damage(c);
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(RunDamaged(c, folder_), ::testing::ExitedWithCode(0), "NAMED closed: ");
}

INSTANTIATE_TEST_SUITE_P(
    Faults, DataFileFault,
    ::testing::Values(Case{"MenuPictureMissing", "Data/MenuBack.jpg", Damage::Remove, false},
                      Case{"LoadingPictureTruncated", "Data/loading.jpg", Damage::Truncate, false},
                      Case{"ButtonPictureMissing", "Data/b1_0.png", Damage::Remove, false},
                      Case{"EditPictureTruncated", "Data/Edit.png", Damage::Truncate, false},
                      Case{"CursorPictureGarbage", "Data/cursor.png", Damage::Garbage, false},
                      Case{"ClickSoundMissing", "Data/Sound/Click.wav", Damage::Remove, false},
                      Case{"ClickSoundGarbage", "Data/Sound/Click.wav", Damage::Garbage, false},
                      Case{"MenuTuneMissing", "Data/Sound/Menu.ogg", Damage::Remove, false},
                      Case{"MenuTuneTruncated", "Data/Sound/Menu.ogg", Damage::Truncate, false},
                      Case{"FontMissing", "Data/font/BancoDi.wid", Damage::Remove, false},
                      Case{"FontTruncated", "Data/font/BancoDi.wid", Damage::Truncate, false},
                      Case{"ModelMissing", "Data/sprite.x", Damage::Remove, false},
                      Case{"HelpMissing", "Data/Help.txt", Damage::Remove, false},
                      Case{"GameSoundMissing", "Data/Sound/3.wav", Damage::Remove, true},
                      Case{"GameTuneGarbage", "Data/Sound/Game.ogg", Damage::Garbage, true},
                      Case{"ScenePictureMissing", "Data/Game/level1.jpg", Damage::Remove, true}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace gh::test
