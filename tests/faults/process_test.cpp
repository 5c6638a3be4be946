// The built program in situations the headless harness cannot make: no display
// at all, no audio device, and an installed copy started through its launcher.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "harness/Desktop.h"

namespace gh::test {
namespace {

namespace fs = std::filesystem;

const char* const DisplayMessage = "Gravelhorn 2 needs a graphical display";

// The program keeps Config.cfg beside itself: each test runs a copy in a
// folder of its own, with links to the built engine library and Data/.
class ProgramRun : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    folder_ =
        fs::temp_directory_path() / ("gh_process_" + std::to_string(getpid()) + "_" + info->name());
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    CopyProgramTo(folder_);
  }
  void TearDown() override {
    std::error_code ec;
    if (!HasFailure()) fs::remove_all(folder_, ec);
  }
  fs::path folder_;
};

TEST_F(ProgramRun, NoDisplayGivesAClearMessageAndExitCode1) {
  ChildProcess game({(folder_ / "gravelhorn2").string()}, {NoLeakCheck()},
                    {"DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER"},
                    (folder_ / "game.log").string());
  ASSERT_TRUE(game.Started());
  ASSERT_TRUE(WaitFor([&] { return game.Ended(); }, 60)) << "it did not stop";
  const std::string log = ReadFile(folder_ / "game.log");
  EXPECT_EQ(game.ExitCode(), 1) << log;
  EXPECT_NE(log.find(DisplayMessage), std::string::npos) << log;
  EXPECT_EQ(log.find("Sanitizer"), std::string::npos) << log;
}

TEST_F(ProgramRun, NoAudioDevicePlaysSilently) {
  for (const char* tool : {"Xvfb", "xdotool"})
    if (!HaveTool(tool)) GTEST_SKIP() << tool << " is not installed";
  VirtualDisplay display(folder_ / "xvfb.log");
  ASSERT_TRUE(display.Ready()) << "Xvfb did not start";
  ChildProcess game(
      {(folder_ / "gravelhorn2").string()},
      {"DISPLAY=" + display.Name(), "SDL_AUDIODRIVER=no_such_audio_device", NoLeakCheck()},
      {"WAYLAND_DISPLAY", "SDL_VIDEODRIVER"}, (folder_ / "game.log").string());
  ASSERT_TRUE(game.Started());
  const auto window = [&] { return !display.GameWindow().empty(); };
  ASSERT_TRUE(WaitFor([&] { return window() || game.Ended(); }, 60) && !game.Ended())
      << ReadFile(folder_ / "game.log");
  // It keeps running with its window up: the menu, without sound.
  EXPECT_FALSE(WaitFor([&] { return game.Ended(); }, 3)) << ReadFile(folder_ / "game.log");
  EXPECT_TRUE(window());
  // A close request ends it in order: Config.cfg is written, exit code 0.
  game.Signal(SIGTERM);
  ASSERT_TRUE(WaitFor([&] { return game.Ended(); }, 60));
  const std::string log = ReadFile(folder_ / "game.log");
  EXPECT_EQ(game.ExitCode(), 0) << log;
  EXPECT_TRUE(fs::exists(folder_ / "Config.cfg")) << log;
  EXPECT_EQ(log.find("Sanitizer"), std::string::npos) << log;
}

// A data file that stops the program: after its message the program ends by
// itself with exit code 1, also when asked to end while the message is up,
// and never through an abort of the GL loader at exit.
TEST_F(ProgramRun, AMissingDataFileEndsWithExitCode1AfterItsMessage) {
  for (const char* tool : {"Xvfb", "xdotool"})
    if (!HaveTool(tool)) GTEST_SKIP() << tool << " is not installed";
  struct Case {
    const char* file;
    bool terminate;  // SIGTERM while the message is up, instead of OK
  };
  const std::vector<Case> cases = {
      {"Data/MenuBack.jpg", false},
      {"Data/MenuBack.jpg", true},
      {"Data/font/BancoDi.wid", false},
      {"Data/Help.txt", false},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.file) + (c.terminate ? ", SIGTERM" : ", OK"));
    const fs::path folder = folder_ / std::to_string(n++);
    fs::create_directories(folder);
    CopyProgramTo(folder);
    // Data/ as links to the build's files, less the one the case removes.
    fs::remove(folder / "Data");
    const fs::path data = fs::canonical(fs::path(GH_BIN_DIR) / "Data");
    for (const auto& entry : fs::recursive_directory_iterator(data)) {
      const fs::path to = folder / "Data" / fs::relative(entry.path(), data);
      if (entry.is_directory()) {
        fs::create_directories(to);
      } else {
        fs::create_directories(to.parent_path());
        fs::create_symlink(entry.path(), to);
      }
    }
    ASSERT_TRUE(fs::remove(folder / c.file));

    VirtualDisplay display(folder / "xvfb.log");
    ASSERT_TRUE(display.Ready()) << "Xvfb did not start";
    const fs::path logFile = folder / "game.log";
    ChildProcess game({(folder / "gravelhorn2").string()},
                      {"DISPLAY=" + display.Name(), "SDL_AUDIODRIVER=dummy", NoLeakCheck()},
                      {"WAYLAND_DISPLAY", "SDL_VIDEODRIVER"}, logFile.string());
    ASSERT_TRUE(game.Started());
    // The message is written to standard error just before its box shows; the
    // box is the one window with the game's title (the game's own is not shown yet).
    const auto box = [&]() -> std::optional<ScreenRect> {
      const std::string tree = display.Run("xwininfo -root -children");
      const size_t at = tree.find("\"Gravelhorn 2\": ()");
      ScreenRect r;
      if (at == std::string::npos ||
          std::sscanf(tree.c_str() + at, "\"Gravelhorn 2\": () %dx%d+%d+%d", &r.w, &r.h, &r.x,
                      &r.y) != 4)
        return std::nullopt;
      return r;
    };
    const auto boxUp = [&] {
      return ReadFile(logFile).find(c.file) != std::string::npos && box().has_value();
    };
    ASSERT_TRUE(WaitFor([&] { return game.Ended() || boxUp(); }, 60)) << ReadFile(logFile);
    ASSERT_FALSE(game.Ended()) << "no message waited for the player: " << ReadFile(logFile);
    if (c.terminate) {
      game.Signal(SIGTERM);
    } else {
      // OK sits in the middle of the box's foot.
      const ScreenRect r = *box();
      display.MovePointer(r.x + r.w / 2, r.y + r.h - 26);
      display.Run("xdotool click 1");
    }
    ASSERT_TRUE(WaitFor([&] { return game.Ended(); }, 30)) << ReadFile(logFile);
    const std::string log = ReadFile(logFile);
    EXPECT_EQ(game.ExitCode(), 1) << "ended by a signal or with another code: " << log;
    EXPECT_EQ(log.find("Couldn't find current"), std::string::npos) << log;
    EXPECT_EQ(log.find("Sanitizer"), std::string::npos) << log;
  }
}

// A graphics driver without OpenGL 3.3 (Mesa told to offer 3.0 at most): the
// message names what is missing, not a display that is there.
TEST_F(ProgramRun, NoOpenGl33SaysWhatIsMissing) {
  if (!HaveTool("Xvfb")) GTEST_SKIP() << "Xvfb is not installed";
  VirtualDisplay display(folder_ / "xvfb.log");
  ASSERT_TRUE(display.Ready()) << "Xvfb did not start";
  const fs::path logFile = folder_ / "game.log";
  ChildProcess game({(folder_ / "gravelhorn2").string()},
                    {"DISPLAY=" + display.Name(), "MESA_GL_VERSION_OVERRIDE=3.0", NoLeakCheck()},
                    {"WAYLAND_DISPLAY", "SDL_VIDEODRIVER"}, logFile.string());
  ASSERT_TRUE(game.Started());
  // The message goes to the log before its box opens (which waits for the player).
  const auto told = [&] {
    return ReadFile(logFile).find("driver does not offer") != std::string::npos;
  };
  ASSERT_TRUE(WaitFor([&] { return told() || game.Ended(); }, 60)) << ReadFile(logFile);
  game.Signal(SIGKILL);
  // Lines are wrapped for the box: compare the words.
  std::string log = ReadFile(logFile);
  for (char& c : log)
    if (c == '\n') c = ' ';
  EXPECT_NE(
      log.find("The game needs OpenGL 3.3, which this computer's graphics driver does not offer"),
      std::string::npos)
      << log;
  EXPECT_EQ(log.find("no display"), std::string::npos) << log;
  EXPECT_EQ(log.find("Sanitizer"), std::string::npos) << log;
}

// `cmake --install` into a fresh prefix (with a space, which the desktop entry
// must quote): exactly the player's files, whatever else the build holds; a
// valid desktop entry that starts the launcher by its full path; and a launcher
// that finds everything from anywhere (with no display it stops with the
// display message, not a missing file) and keeps Config.cfg in a per-user folder.
TEST_F(ProgramRun, AnInstalledCopyRunsFromItsLauncher) {
  const fs::path prefix = folder_ / "a prefix";
  const std::string install = "cmake --install '" GH_BUILD_DIR "' --prefix '" + prefix.string() +
                              "' > '" + (folder_ / "install.log").string() + "' 2>&1";
  ASSERT_EQ(std::system(install.c_str()), 0) << ReadFile(folder_ / "install.log");

  const fs::path lib = prefix / "lib/gravelhorn2";
  for (const fs::path& file :
       {lib / "Data/sprite.x", lib / "Data/font/BancoDi.wid", lib / "Data/Help.txt"}) {
    EXPECT_TRUE(fs::is_regular_file(file)) << file;
  }
  std::set<std::string> installed;
  for (const auto& entry : fs::recursive_directory_iterator(prefix)) {
    const std::string path = fs::relative(entry.path(), prefix).string();
    if (!entry.is_directory() && path.rfind("lib/gravelhorn2/Data/", 0) != 0)
      installed.insert(path);
  }
  const std::set<std::string> player = {"bin/gravelhorn2",
                                        "lib/gravelhorn2/gravelhorn2",
                                        "lib/gravelhorn2/system.so",
                                        "share/applications/gravelhorn2.desktop",
                                        "share/icons/hicolor/48x48/apps/gravelhorn2.png",
                                        "share/icons/hicolor/128x128/apps/gravelhorn2.png",
                                        "share/icons/hicolor/256x256/apps/gravelhorn2.png",
                                        "share/icons/hicolor/scalable/apps/gravelhorn2.svg"};
  EXPECT_EQ(installed, player);

  const fs::path entry = prefix / "share/applications/gravelhorn2.desktop";
  const std::string desktop = ReadFile(entry);
  for (const std::string& line :
       {"Exec=\"" + (prefix / "bin/gravelhorn2").string() + "\"\n",
        std::string("Icon=gravelhorn2\n"), std::string("Name=Gravelhorn 2\n")})
    EXPECT_NE(desktop.find(line), std::string::npos) << line << " in\n" << desktop;
  ASSERT_TRUE(HaveTool("desktop-file-validate")) << "tools/deps.sh installs desktop-file-utils";
  const std::string validate = "desktop-file-validate '" + entry.string() + "' > '" +
                               (folder_ / "validate.log").string() + "' 2>&1";
  EXPECT_EQ(std::system(validate.c_str()), 0) << ReadFile(folder_ / "validate.log");
  EXPECT_EQ(fs::status(prefix / "bin/gravelhorn2").permissions() & fs::perms::owner_exec,
            fs::perms::owner_exec);

  // Started from somewhere else, with the prefix read-only as a system one is.
  const fs::path home = folder_ / "home";
  fs::create_directories(home);
  std::system(("chmod -R a-w '" + prefix.string() + "'").c_str());
  ChildProcess launcher({(prefix / "bin/gravelhorn2").string()},
                        {"HOME=" + home.string(), NoLeakCheck()},
                        {"DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER", "XDG_DATA_HOME"},
                        (folder_ / "launcher.log").string());
  ASSERT_TRUE(launcher.Started());
  ASSERT_TRUE(WaitFor([&] { return launcher.Ended(); }, 60));
  std::system(("chmod -R u+w '" + prefix.string() + "'").c_str());
  const std::string log = ReadFile(folder_ / "launcher.log");
  EXPECT_EQ(launcher.ExitCode(), 1) << log;
  EXPECT_NE(log.find(DisplayMessage), std::string::npos) << log;
  const fs::path user = home / ".local/share/gravelhorn2";
  EXPECT_TRUE(fs::exists(user / "Data/Help.txt")) << "Data/ not reachable from " << user;
  EXPECT_TRUE(fs::exists(user / "system.so"));
  EXPECT_TRUE(fs::is_regular_file(user / "gravelhorn2"));
}

}  // namespace
}  // namespace gh::test
