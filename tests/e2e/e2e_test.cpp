// The built program under Xvfb, driven with real X input (xdotool) and watched
// through screenshots (ImageMagick). Every wait polls for what a player would
// see, with a deadline; the test skips when Xvfb, xdotool or import is missing.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "harness/Desktop.h"

namespace {

namespace fs = std::filesystem;
using gh::test::ChildProcess;
using gh::test::WaitFor;

// The desktop as the test sees the game on it: points of its 800 x 600 view.
class GameDesktop : public gh::test::Desktop {
 public:
  using Desktop::Desktop;

  // A point of the 800 x 600 view on the root window: the view keeps 4:3 inside
  // the window, with black bars in full screen.
  std::optional<std::pair<int, int>> ViewPoint(double vx, double vy) const {
    const auto r = GameWindowRect();
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
    MovePointer(p->first, p->second);
    return true;
  }

  bool ClickAt(double x, double y) const {
    if (!MoveTo(x, y)) return false;
    // Let a frame or two pass over the widget so that it takes the focus.
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    Run("xdotool click 1");
    return true;
  }

  void Type(const std::string& text) const { Run("xdotool type --delay 120 '" + text + "'"); }

  // How many pixels of a rectangle in screen units are close to the colour.
  int CountColour(double left, double top, double right, double bottom, int r, int g, int b) const {
    const auto a = UnitPoint(left, top);
    const auto z = UnitPoint(right, bottom);
    if (!a || !z) return 0;
    const std::string px = CaptureRgb({a->first, a->second, std::max(1, z->first - a->first),
                                       std::max(1, z->second - a->second)});
    int count = 0;
    for (size_t i = 0; i + 2 < px.size(); i += 3) {
      const auto* p = reinterpret_cast<const unsigned char*>(px.data() + i);
      if (std::abs(p[0] - r) < 40 && std::abs(p[1] - g) < 40 && std::abs(p[2] - b) < 40) ++count;
    }
    return count;
  }

  // The game's window as it stands.
  void Screenshot(const fs::path& file) const {
    if (const auto r = GameWindowRect()) CaptureFile(*r, file);
  }
};

class EndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* tool : {"Xvfb", "evilwm", "xprop", "xdotool", "import"})
      if (!gh::test::HaveTool(tool)) GTEST_SKIP() << tool << " is not installed";
    if (!fs::exists(fs::path(GH_BIN_DIR) / "gravelhorn2")) GTEST_SKIP() << "no built program";
    folder_ = gh::test::MakeGameFolder("gh-e2e");
    ASSERT_FALSE(folder_.empty());
    desktop_.emplace(folder_);
    ASSERT_TRUE(desktop_->Ready()) << desktop_->Problem();
  }

  void TearDown() override {
    game_.reset();
    desktop_.reset();
    std::error_code ec;
    if (!HasFailure() && !folder_.empty()) fs::remove_all(folder_, ec);
  }

  void StartGame() {
    game_.emplace(std::vector<std::string>{(folder_ / "gravelhorn2").string()},
                  std::vector<std::string>{"DISPLAY=" + desktop_->Name(), "SDL_AUDIODRIVER=dummy",
                                           gh::test::NoLeakCheck()},
                  (folder_ / "game.log").string());
    ASSERT_TRUE(game_->Started());
  }

  const GameDesktop& D() const { return *desktop_; }

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

  std::string Log() const { return gh::test::ReadFile(folder_ / "game.log"); }

  fs::path folder_;
  std::optional<GameDesktop> desktop_;
  std::optional<ChildProcess> game_;
};

TEST_F(EndToEnd, OptionsDisplayToggleCountryAndExitSaveTheCountry) {
  StartGame();
  ASSERT_TRUE(WaitFor([&] { return !D().GameWindow().empty(); }, 60)) << Log();
  ASSERT_TRUE(WaitFor([&] { return MenuShown(); }, 90)) << "no main menu\n" << Log();

  // Options (its button's centre is at (0, 2)).
  ASSERT_TRUE(D().ClickAt(0, 2.0));
  ASSERT_TRUE(WaitFor([&] { return TitleShown(); }, 90)) << "no options screen";

  // Full screen: the right half of the display toggle; the engine restarts and
  // the options screen comes back, now filling the screen.
  ASSERT_TRUE(D().ClickAt(5.0, 4.3));
  ASSERT_TRUE(WaitFor(
      [&] {
        const auto r = D().GameWindowRect();
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
        const auto r = D().GameWindowRect();
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
  ASSERT_TRUE(WaitFor([&] { return !D().GameWindow().empty(); }, 60)) << Log();
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
  // Two presses inside one frame count as one: wait for the question to close.
  D().Key("Escape");
  ASSERT_TRUE(WaitFor([&] { return !QuestionShown() && TitleShown(); }, 30));
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
