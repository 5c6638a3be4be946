// The built program under Xvfb, driven with real X input (xdotool) and watched
// through screenshots (ImageMagick). Every wait polls for what a player would
// see, with a deadline; the test skips when Xvfb, xdotool or import is missing.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "harness/ChildProcess.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

bool OnPath(const std::string& tool) {
  const char* path = std::getenv("PATH");
  std::stringstream dirs(path ? path : "");
  std::string dir;
  while (std::getline(dirs, dir, ':'))
    if (!dir.empty() && access((dir + "/" + tool).c_str(), X_OK) == 0) return true;
  return false;
}

using Process = gh::test::ChildProcess;

// Polls `done` every 50 ms until it holds or `seconds` passed. The deadlines
// are generous (a loaded machine, sanitizers); a wait ends as soon as it holds.
bool WaitFor(const std::function<bool()>& done, double seconds) {
  const auto end = Clock::now() + std::chrono::milliseconds(static_cast<int>(seconds * 1000));
  while (Clock::now() < end) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return done();
}

std::string Output(const std::string& command) {
  std::string out;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    pclose(pipe);
  }
  return out;
}

struct Rect {
  int x = 0, y = 0, w = 0, h = 0;
};

class Desktop {
 public:
  explicit Desktop(const fs::path& folder) : folder_(folder) {
    // The server picks a free display and writes its number to a pipe, so tests
    // running side by side never share one.
    int fds[2];
    if (pipe(fds) != 0) return;
    xvfb_.emplace(std::vector<std::string>{"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen",
                                           "0", "1024x768x24", "-nolisten", "tcp"},
                  std::vector<std::string>{}, (folder_ / "xvfb.log").string());
    close(fds[1]);
    std::string number;
    char c;
    while (read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    close(fds[0]);
    if (number.empty() || !xvfb_->Started()) {
      xvfb_.reset();
      return;
    }
    display_ = ":" + number;
    // A window manager, as every desktop has: full screen is its business.
    wm_.emplace(std::vector<std::string>{"evilwm"}, std::vector<std::string>{"DISPLAY=" + display_},
                (folder_ / "wm.log").string());
  }

  bool Ready() const { return !display_.empty(); }
  const std::string& Display() const { return display_; }

  std::string Run(const std::string& command) const {
    return Output("DISPLAY=" + display_ + " " + command + " 2>/dev/null");
  }

  // The game's window, found by its title.
  std::string Window() const {
    std::string id = Run("xdotool search --name '^Gravelhorn 2$'");
    const size_t end = id.find('\n');
    return end == std::string::npos ? id : id.substr(0, end);
  }

  std::optional<Rect> WindowRect() const {
    const std::string window = Window();
    if (window.empty()) return std::nullopt;
    const std::string text = Run("xdotool getwindowgeometry --shell " + window);
    Rect r;
    auto value = [&](const char* key) {
      const size_t at = text.find(std::string(key) + "=");
      return at == std::string::npos ? -1 : std::atoi(text.c_str() + at + std::strlen(key) + 1);
    };
    r.x = value("X");
    r.y = value("Y");
    r.w = value("WIDTH");
    r.h = value("HEIGHT");
    if (r.w <= 0 || r.h <= 0) return std::nullopt;
    return r;
  }

  // A point of the 800 x 600 view on the root window: the view keeps 4:3 inside
  // the window, with black bars in full screen.
  std::optional<std::pair<int, int>> ViewPoint(double vx, double vy) const {
    const auto r = WindowRect();
    if (!r) return std::nullopt;
    const double scale = std::min(r->w / 800.0, r->h / 600.0);
    const double ox = r->x + (r->w - 800.0 * scale) / 2;
    const double oy = r->y + (r->h - 600.0 * scale) / 2;
    return std::pair{static_cast<int>(std::lround(ox + vx * scale)),
                     static_cast<int>(std::lround(oy + vy * scale))};
  }

  // Screen units (-16..16, -12..12) of the view.
  std::optional<std::pair<int, int>> UnitPoint(double x, double y) const {
    return ViewPoint((x + 16) * 25, (12 - y) * 25);
  }

  bool MoveTo(double x, double y) const {
    const auto p = UnitPoint(x, y);
    if (!p) return false;
    Run("xdotool mousemove " + std::to_string(p->first) + " " + std::to_string(p->second));
    return true;
  }

  bool ClickAt(double x, double y) const {
    if (!MoveTo(x, y)) return false;
    // Let a frame or two pass over the widget so that it takes the focus.
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    Run("xdotool click 1");
    return true;
  }

  void Key(const std::string& key) const { Run("xdotool key " + key); }
  void Type(const std::string& text) const { Run("xdotool type --delay 120 '" + text + "'"); }

  // Pixels of a rectangle in screen units, as RGB bytes.
  std::vector<unsigned char> Pixels(double left, double top, double right, double bottom,
                                    int& width) const {
    const auto a = UnitPoint(left, top);
    const auto b = UnitPoint(right, bottom);
    width = 0;
    if (!a || !b) return {};
    width = std::max(1, b->first - a->first);
    const int height = std::max(1, b->second - a->second);
    const std::string bytes =
        Run("import -window root -crop " + std::to_string(width) + "x" + std::to_string(height) +
            "+" + std::to_string(a->first) + "+" + std::to_string(a->second) + " -depth 8 rgb:-");
    return {bytes.begin(), bytes.end()};
  }

  // How many pixels of the area are close to the colour.
  int CountColour(double left, double top, double right, double bottom, int r, int g, int b) const {
    int width = 0;
    const auto px = Pixels(left, top, right, bottom, width);
    int count = 0;
    for (size_t i = 0; i + 2 < px.size(); i += 3) {
      if (std::abs(px[i] - r) < 40 && std::abs(px[i + 1] - g) < 40 && std::abs(px[i + 2] - b) < 40)
        ++count;
    }
    return count;
  }

  void Screenshot(const fs::path& file) const {
    const auto r = WindowRect();
    if (!r) return;
    Run("import -window root -crop " + std::to_string(r->w) + "x" + std::to_string(r->h) + "+" +
        std::to_string(r->x) + "+" + std::to_string(r->y) + " " + file.string());
  }

 private:
  fs::path folder_;
  std::string display_;
  std::optional<Process> xvfb_;
  std::optional<Process> wm_;  // declared after the server: ended before it
};

// The game folder: a copy of the program (it makes the folder holding it the
// current one) beside the engine library and Data/ of the build.
fs::path MakeGameFolder() {
  char pattern[] = "/tmp/gh-e2e-XXXXXX";
  const char* made = mkdtemp(pattern);
  if (!made) return {};
  const fs::path folder = made;
  const fs::path bin = GH_BIN_DIR;
  fs::copy_file(bin / "gravelhorn2", folder / "gravelhorn2");
  fs::create_symlink(bin / "system.so", folder / "system.so");
  fs::create_directory_symlink(bin / "Data", folder / "Data");
  return folder;
}

class EndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* tool : {"Xvfb", "evilwm", "xdotool", "import"})
      if (!OnPath(tool)) GTEST_SKIP() << tool << " is not installed";
    if (!fs::exists(fs::path(GH_BIN_DIR) / "gravelhorn2")) GTEST_SKIP() << "no built program";
    folder_ = MakeGameFolder();
    ASSERT_FALSE(folder_.empty());
    desktop_.emplace(folder_);
    ASSERT_TRUE(desktop_->Ready()) << "Xvfb did not start";
  }

  void TearDown() override {
    game_.reset();
    desktop_.reset();
    std::error_code ec;
    if (!HasFailure() && !folder_.empty()) fs::remove_all(folder_, ec);
  }

  void StartGame() {
    // In a sanitizer build the desktop's libraries (D-Bus under SDL) leave
    // allocations at exit that no suppression reaches; the program's own leaks
    // are the headless tests' business, its exit status is this test's.
    const char* asan = std::getenv("ASAN_OPTIONS");
    const std::string asanOptions = std::string("ASAN_OPTIONS=") +
                                    (asan && *asan ? std::string(asan) + ":" : "") +
                                    "detect_leaks=0";
    game_.emplace(std::vector<std::string>{(folder_ / "gravelhorn2").string()},
                  std::vector<std::string>{"DISPLAY=" + desktop_->Display(),
                                           "SDL_AUDIODRIVER=dummy", asanOptions},
                  (folder_ / "game.log").string());
    ASSERT_TRUE(game_->Started());
  }

  const Desktop& D() const { return *desktop_; }

  // The main menu: the orange caption of "Exit Game", and neither a screen
  // title nor a question.
  bool MenuShown() const {
    return D().CountColour(-3, -6.8, 3, -7.6, 255, 120, 0) > 30 && !TitleShown() &&
           !QuestionShown();
  }
  // A yellow screen title ("OPTIONS", "HIGH SCORE", "HELP") at the top.
  bool TitleShown() const { return D().CountColour(-2, 9.2, 14, 7.0, 255, 255, 0) > 200; }
  // The green question text of the question box.
  bool QuestionShown() const { return D().CountColour(-6, 3.8, 6, 2.2, 43, 255, 0) > 30; }

  std::string Log() const {
    std::ifstream file(folder_ / "game.log");
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
  }

  fs::path folder_;
  std::optional<Desktop> desktop_;
  std::optional<Process> game_;
};

TEST_F(EndToEnd, OptionsDisplayToggleCountryAndExitSaveTheCountry) {
  StartGame();
  ASSERT_TRUE(WaitFor([&] { return !D().Window().empty(); }, 60)) << Log();
  ASSERT_TRUE(WaitFor([&] { return MenuShown(); }, 90)) << "no main menu\n" << Log();

  // Options (its button's centre is at (0, 2)).
  ASSERT_TRUE(D().ClickAt(0, 2.0));
  ASSERT_TRUE(WaitFor([&] { return TitleShown(); }, 90)) << "no options screen";

  // Full screen: the right half of the display toggle; the engine restarts and
  // the options screen comes back, now filling the screen.
  ASSERT_TRUE(D().ClickAt(5.0, 4.3));
  ASSERT_TRUE(WaitFor(
      [&] {
        const auto r = D().WindowRect();
        return r && r->w == 1024 && r->h == 768;
      },
      60))
      << "no full screen\n"
      << Log();
  ASSERT_TRUE(WaitFor([&] { return TitleShown(); }, 60)) << "options did not come back";
  D().Screenshot(folder_ / "options-full-screen.png");

  // And back to a window: the left half.
  ASSERT_TRUE(D().ClickAt(-2.0, 4.3));
  ASSERT_TRUE(WaitFor(
      [&] {
        const auto r = D().WindowRect();
        return r && r->w == 800 && r->h == 600;
      },
      60))
      << "no window\n"
      << Log();
  ASSERT_TRUE(WaitFor([&] { return TitleShown(); }, 60)) << "options did not come back";

  // The country: click into its box and type, the pointer resting on the box.
  ASSERT_TRUE(D().ClickAt(4.0, -2.6));
  D().Type("Wales");
  // Leave by the menu's "Exit Game" and "Yes".
  D().Key("Escape");
  ASSERT_TRUE(WaitFor([&] { return MenuShown(); }, 30));
  ASSERT_TRUE(D().ClickAt(0, -7.2));
  ASSERT_TRUE(WaitFor([&] { return QuestionShown(); }, 90)) << "no exit question";
  ASSERT_TRUE(D().ClickAt(-4.8, -4.0));  // "Yes"
  ASSERT_TRUE(WaitFor([&] { return game_->Ended(); }, 60)) << "the program did not end";
  EXPECT_TRUE(WIFEXITED(game_->Status()));
  EXPECT_EQ(WEXITSTATUS(game_->Status()), 0) << Log();

  std::ifstream config(folder_ / "Config.cfg", std::ios::binary);
  ASSERT_TRUE(config.good()) << "no Config.cfg";
  std::stringstream bytes;
  bytes << config.rdbuf();
  std::string stored = "Wales";  // strings are stored complemented
  for (char& c : stored) c = static_cast<char>(~static_cast<unsigned char>(c));
  EXPECT_NE(bytes.str().find(stored), std::string::npos) << "the country was not saved";
}

// Walks every screen and the question box, keeping a screenshot of each in
// e2e-screens/ of the build folder for a person to look at.
TEST_F(EndToEnd, ScreenshotsOfEveryScreen) {
  const fs::path shots = fs::path(GH_BIN_DIR).parent_path() / "e2e-screens";
  fs::create_directories(shots);
  StartGame();
  ASSERT_TRUE(WaitFor([&] { return !D().Window().empty(); }, 60)) << Log();
  ASSERT_TRUE(WaitFor([&] { return MenuShown(); }, 90)) << Log();
  auto shot = [&](const char* name) {
    // Let the focus flash and the caption colours settle.
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    D().Screenshot(shots / (std::string(name) + ".png"));
    EXPECT_TRUE(fs::exists(shots / (std::string(name) + ".png"))) << name;
  };
  D().MoveTo(0, -0.3);  // "High Score" focused
  shot("1-menu");
  ASSERT_TRUE(D().ClickAt(0, 2.0));
  ASSERT_TRUE(WaitFor([&] { return TitleShown(); }, 30));
  ASSERT_TRUE(D().ClickAt(4.0, -2.6));  // the country box, editing
  D().Type("Wales");
  shot("2-options");
  D().Key("Escape");
  ASSERT_TRUE(WaitFor([&] { return MenuShown(); }, 30));
  ASSERT_TRUE(D().ClickAt(0, -0.3));
  ASSERT_TRUE(WaitFor([&] { return TitleShown(); }, 30));
  shot("3-high-score");
  ASSERT_TRUE(D().ClickAt(-13.3, -0.6));  // clear
  ASSERT_TRUE(WaitFor([&] { return QuestionShown(); }, 30));
  shot("4-clear-question");
  D().Key("Escape");
  D().Key("Escape");
  ASSERT_TRUE(WaitFor([&] { return MenuShown(); }, 30));
  ASSERT_TRUE(D().ClickAt(0, -2.6));
  ASSERT_TRUE(WaitFor([&] { return TitleShown(); }, 30));
  std::this_thread::sleep_for(std::chrono::milliseconds(3000));  // the text scrolls in
  shot("5-help-1");
  for (const char* page : {"6-help-2", "7-help-3", "8-help-4"}) {
    ASSERT_TRUE(D().ClickAt(12.2, -11.0));  // "Next"
    shot(page);
  }
  D().Key("Escape");
  ASSERT_TRUE(WaitFor([&] { return MenuShown(); }, 30));
  D().Key("Escape");
  ASSERT_TRUE(WaitFor([&] { return QuestionShown(); }, 30));
  shot("9-exit-question");
  D().Key("Left");
  D().Key("Return");
  ASSERT_TRUE(WaitFor([&] { return game_->Ended(); }, 60));
}

}  // namespace
