// A game played through the built program under Xvfb with real X input
// (xdotool), watched through screenshots (ImageMagick): start from the menu, the
// level caption, a terrorist found on screen and shot by holding the button on
// it, the pause, and leaving with Escape and "Yes"; and the whole score loop:
// a high score entered, sent to the score server, watched from its row and
// verified by the server. Skipped when Xvfb, evilwm,
// xdotool or import is missing. Screenshots go to e2e-game/ of the build folder.
#include <gtest/gtest.h>
#include <httplib.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "../server/ServerProcess.h"
#include "harness/Desktop.h"
#include "settings/ConfigFile.h"
#include "settings/Settings.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using gh::test::ChildProcess;
using gh::test::WaitFor;

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

void WriteFile(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// The pixels of the 800 x 600 view, RGB, and questions about them in screen
// units (x -16..16, y -12..12).
struct View {
  std::string rgb;  // 800 * 600 * 3 bytes when captured

  bool Valid() const { return rgb.size() == 800u * 600u * 3u; }
  const unsigned char* At(int px, int py) const {
    return reinterpret_cast<const unsigned char*>(rgb.data()) + (py * 800 + px) * 3;
  }
  static int Px(double x) { return std::clamp(static_cast<int>((x + 16) * 25), 0, 800); }
  static int Py(double y) { return std::clamp(static_cast<int>((12 - y) * 25), 0, 600); }

  int CountNear(double left, double top, double right, double bottom, int r, int g, int b,
                int tolerance = 50) const {
    if (!Valid()) return 0;
    int count = 0;
    for (int y = Py(top); y < Py(bottom); ++y) {
      for (int x = Px(left); x < Px(right); ++x) {
        const unsigned char* p = At(x, y);
        if (std::abs(p[0] - r) < tolerance && std::abs(p[1] - g) < tolerance &&
            std::abs(p[2] - b) < tolerance) {
          ++count;
        }
      }
    }
    return count;
  }

  double Brightness(double left, double top, double right, double bottom) const {
    if (!Valid()) return 0;
    double sum = 0;
    long n = 0;
    for (int y = Py(top); y < Py(bottom); ++y) {
      for (int x = Px(left); x < Px(right); ++x, ++n) {
        const unsigned char* p = At(x, y);
        sum += (p[0] + p[1] + p[2]) / 3.0;
      }
    }
    return n ? sum / n : 0;
  }
};

// The desktop as the test sees the game on it: its 800 x 600 view, held 1:1 in
// the window.
class GameDesktop : public gh::test::Desktop {
 public:
  using Desktop::Desktop;

  // The view's top-left corner on the root window.
  bool Locate() {
    const auto r = GameWindowRect();
    if (!r || r->w < 800 || r->h < 600) return false;
    x_ = r->x + (r->w - 800) / 2;
    y_ = r->y + (r->h - 600) / 2;
    return true;
  }

  // The window manager may still move the window after it appeared: every
  // pointer move and capture looks for it anew.
  void MoveTo(double x, double y) {
    Locate();
    MovePointer(x_ + View::Px(x), y_ + View::Py(y));
  }
  void ButtonDown() const { Run("xdotool mousedown 1"); }
  void Type(const std::string& text) const { Run("xdotool type --delay 100 '" + text + "'"); }
  void ButtonUp() const { Run("xdotool mouseup 1"); }
  // A click the program cannot miss: the button stays down for a few frames.
  void Click() const {
    ButtonDown();
    Sleep(120);
    ButtonUp();
  }

  View Capture() {
    Locate();
    return View{CaptureRgb({x_, y_, 800, 600})};
  }
  void Screenshot(const fs::path& file) {
    Locate();
    CaptureFile({x_, y_, 800, 600}, file);
  }

 private:
  int x_ = 0, y_ = 0;
};

constexpr int Green[3] = {43, 255, 0};
constexpr int Red[3] = {255, 0, 0};

// The lanes where terrorists walk: the upper row at y 0 (1 unit tall), the
// lower at -2 (2.5 units tall); the right end leaves the gun out.
constexpr double LaneLeft = -15.5, LaneRight = 8.0, LaneTop = 0.8, LaneBottom = -3.3;
// The widest a walking terrorist stands in the view, in pixels (a car is wider).
constexpr int MaxWalkerPx = 70;

// Where the scene differs from an empty one: the centre of the widest run of
// changed columns in the lanes, or nothing (also when most of the scene
// changed at once, as in the red flash of a terrorist's shot).
std::optional<std::pair<double, double>> FindChange(const View& empty, const View& now) {
  if (!empty.Valid() || !now.Valid()) return std::nullopt;
  const int x0 = View::Px(LaneLeft), x1 = View::Px(LaneRight);
  const int y0 = View::Py(LaneTop), y1 = View::Py(LaneBottom);
  std::vector<int> changed(x1 - x0, 0);
  std::vector<long> rowSum(x1 - x0, 0);
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) {
      const unsigned char* a = empty.At(x, y);
      const unsigned char* b = now.At(x, y);
      if (std::abs(a[0] - b[0]) + std::abs(a[1] - b[1]) + std::abs(a[2] - b[2]) > 90) {
        ++changed[x - x0];
        rowSum[x - x0] += y;
      }
    }
  }
  const int busy =
      static_cast<int>(std::count_if(changed.begin(), changed.end(), [](int c) { return c > 4; }));
  if (busy > (x1 - x0) / 2) return std::nullopt;
  int bestStart = -1, bestLength = 0;
  for (int i = 0; i < x1 - x0;) {
    if (changed[i] <= 4) {
      ++i;
      continue;
    }
    int j = i;
    while (j < x1 - x0 && changed[j] > 4) ++j;
    // Wider than a walker is a vehicle, which the first weapon cannot hurt.
    if (j - i > bestLength && j - i <= MaxWalkerPx) {
      bestLength = j - i;
      bestStart = i;
    }
    i = j;
  }
  if (bestLength < 8) return std::nullopt;
  long sum = 0, n = 0;
  for (int i = bestStart; i < bestStart + bestLength; ++i) {
    sum += rowSum[i];
    n += changed[i];
  }
  const double px = x0 + bestStart + bestLength / 2.0;
  const double py = static_cast<double>(sum) / n;
  return std::pair{px / 25.0 - 16.0, 12.0 - py / 25.0};
}

class GameEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* tool : {"Xvfb", "evilwm", "xprop", "xdotool", "import"})
      if (!gh::test::HaveTool(tool)) GTEST_SKIP() << tool << " is not installed";
    const fs::path bin = GH_BIN_DIR;
    if (!fs::exists(bin / "gravelhorn2")) GTEST_SKIP() << "no built program";
    folder_ = gh::test::MakeGameFolder("gh-e2e-game");
    ASSERT_FALSE(folder_.empty());
    shots_ = bin.parent_path() / "e2e-game";
    fs::create_directories(shots_);
    desktop_.emplace(folder_);
    ASSERT_TRUE(desktop_->Ready()) << desktop_->Problem();
  }

  void TearDown() override {
    program_.reset();
    desktop_.reset();
    std::error_code ec;
    if (!HasFailure() && !folder_.empty()) fs::remove_all(folder_, ec);
  }

  GameDesktop& D() { return *desktop_; }
  std::string Log() const { return gh::test::ReadFile(folder_ / "game.log"); }

  // The main menu: the orange captions of its six buttons (not just the
  // pointer), and no question.
  bool MenuShown() {
    const View v = D().Capture();
    return v.CountNear(-6, 5.5, 6, -9, 255, 120, 0) > 600 && !QuestionShown(v);
  }
  static bool QuestionShown(const View& v) {
    return v.CountNear(-8, 4.0, 8, 2.0, Green[0], Green[1], Green[2]) > 30;
  }
  // The stage panel's green "LEVEL n" at the top right: the HUD of a playing frame.
  static bool HudShown(const View& v) {
    return v.CountNear(11.0, 12.0, 16.0, 10.5, Green[0], Green[1], Green[2]) > 20;
  }
  static int ScoreInk(const View& v) {
    return v.CountNear(4.0, 12.0, 9.0, 10.5, Green[0], Green[1], Green[2]);
  }

  // Starts the built program in the test's folder and waits for its menu.
  void StartProgram(std::vector<std::string> environment = {}) {
    environment.insert(environment.end(), {"DISPLAY=" + D().Name(), "SDL_AUDIODRIVER=dummy"});
    program_.emplace(std::vector<std::string>{(folder_ / "gravelhorn2").string()}, environment,
                     (folder_ / "game.log").string());
    ASSERT_TRUE(program_->Started());
    ASSERT_TRUE(WaitFor([&] { return D().Locate(); }, 60)) << Log();
    ASSERT_TRUE(WaitFor([&] { return MenuShown(); }, 90)) << "no main menu\n" << Log();
  }

  // "Start Game" from the menu, through the level's caption to play: the
  // scene without enemies and the ink of the score 0 come back.
  void StartGame(View& empty, int& scoreZero) {
    // The menu takes a moment to settle under the pointer, as a player's eye would.
    Sleep(1000);
    D().MoveTo(0, 4.3);
    Sleep(300);
    D().Click();
    View intro;
    auto clicked = Clock::now();
    ASSERT_TRUE(WaitFor(
        [&] {
          // The caption lasts about three seconds; a loaded machine may read the
          // screen too slowly to catch it, and then the HUD's "LEVEL 1" must do.
          intro = D().Capture();
          if (intro.CountNear(-6, 1.5, 6, -1.5, Green[0], Green[1], Green[2]) > 300 ||
              HudShown(intro)) {
            return true;
          }
          // Still the menu after a while: click again, as a player would.
          if (Clock::now() - clicked > std::chrono::seconds(4) &&
              intro.CountNear(-6, 5.5, 6, -9, 255, 120, 0) > 600 && !QuestionShown(intro)) {
            D().MoveTo(0, 4.3);
            Sleep(300);
            D().Click();
            clicked = Clock::now();
          }
          return false;
        },
        90))
        << "no \"LEVEL 1\"\n"
        << Log();
    D().Screenshot(shots_ / "1-intro.png");

    // The HUD comes with play; the scene is empty for a moment.
    D().MoveTo(0, 8.0);
    // The reference is taken once the caption is gone: a caption left in it
    // would read as a change in the lanes for the rest of the game.
    ASSERT_TRUE(WaitFor(
        [&] {
          empty = D().Capture();
          return HudShown(empty) &&
                 empty.CountNear(-6, 1.5, 6, -1.5, Green[0], Green[1], Green[2]) <= 300;
        },
        30))
        << "no HUD";
    scoreZero = ScoreInk(empty);
    ASSERT_GT(scoreZero, 5);
  }

  // Finds a terrorist standing to shoot, puts the sight on it and holds the
  // button, until the score changes. A walker crosses the scene faster than
  // a busy machine reads the screen and moves the pointer, but one that stops
  // to shoot stands for about a hundred frames, long enough for the two hits
  // that kill it.
  void ShootATerrorist(const View& empty, int scoreZero) {
    bool scored = false;
    int attempts = 0;
    const auto deadline = Clock::now() + std::chrono::seconds(300);
    while (!scored && Clock::now() < deadline && !program_->Ended()) {
      D().MoveTo(0, 8.0);  // the sight out of the lanes while looking
      Sleep(40);
      const View now = D().Capture();
      if (ScoreInk(now) > scoreZero + 5) {
        scored = true;
        break;
      }
      if (!HudShown(now)) continue;  // a caption or a pause: wait
      const auto target = FindChange(empty, now);
      if (!target) continue;
      Sleep(80);
      const auto second = FindChange(empty, D().Capture());
      if (!second || std::abs(second->second - target->second) > 1.0 ||
          std::abs(second->first - target->first) > 0.5) {
        continue;  // walking, or two different things: look again
      }
      D().MoveTo(second->first, second->second);
      D().ButtonDown();
      ++attempts;
      // Two hits kill a first-level terrorist; the pistol fires every 300 ms.
      const auto holdUntil = Clock::now() + std::chrono::milliseconds(1500);
      while (Clock::now() < holdUntil && !program_->Ended()) Sleep(20);
      D().ButtonUp();
      scored = ScoreInk(D().Capture()) > scoreZero + 5;
    }
    D().Screenshot(shots_ / "2-play-after-kill.png");
    ASSERT_TRUE(scored) << "no terrorist was shot within the time (" << attempts << " attempts)\n"
                        << Log();
  }

  // Escape in play asks; "Yes" ends the game with its GAME OVER.
  void LeaveTheGame() {
    D().Key("Escape");
    ASSERT_TRUE(WaitFor([&] { return QuestionShown(D().Capture()); }, 10)) << "no exit question";
    D().Screenshot(shots_ / "4-exit-question.png");
    ClickYes();
    ASSERT_TRUE(WaitFor(
        [&] {
          return D().Capture().CountNear(-12, 2.5, 12, -2.5, Red[0], Red[1], Red[2], 40) > 500;
        },
        15))
        << "no \"GAME OVER\"";
    D().Screenshot(shots_ / "5-game-over.png");
  }

  void ClickYes() {
    D().MoveTo(-4.8, -4.0);
    Sleep(200);
    D().Click();
  }

  fs::path folder_, shots_;
  std::optional<GameDesktop> desktop_;
  std::optional<ChildProcess> program_;
};

TEST_F(GameEndToEnd, StartShootPauseAndLeave) {
  StartProgram();
  if (HasFatalFailure()) return;
  View empty;
  int scoreZero = 0;
  StartGame(empty, scoreZero);
  if (HasFatalFailure()) return;
  ShootATerrorist(empty, scoreZero);
  if (HasFatalFailure()) return;

  // P pauses: "PAUSE" over a darkened scene.
  D().MoveTo(9.0, 6.0);
  Sleep(300);
  const double lit = D().Capture().Brightness(-16, 8, 16, -8);
  D().Key("p");
  View paused;
  ASSERT_TRUE(WaitFor(
      [&] {
        paused = D().Capture();
        return paused.CountNear(-4, 1, 4, -1, Green[0], Green[1], Green[2]) > 100 &&
               paused.Brightness(-16, 8, 16, -8) < lit * 0.7;
      },
      10))
      << "no pause";
  D().Screenshot(shots_ / "3-pause.png");

  // Escape resumes a paused game; the next one asks, and "Yes" ends the game.
  D().Key("Escape");
  ASSERT_TRUE(WaitFor([&] { return HudShown(D().Capture()); }, 10)) << "Escape did not resume";
  LeaveTheGame();
  if (HasFatalFailure()) return;
  // A score of this size stays below the table: back to the menu (a better one
  // would be asked for its name).
  ASSERT_TRUE(WaitFor([&] { return MenuShown() || QuestionShown(D().Capture()); }, 30))
      << "neither the menu nor the name question\n"
      << Log();
  D().Screenshot(shots_ / "6-after-game.png");
}

// The whole score loop in the window: a game played with the pointer enters a
// table that any result beats, is sent to the project's score server (run with
// its real verifier), is watched from its row on the HIGH SCORE screen to its
// end, and the server's page shows it verified; the recording the table keeps
// is the one the server played again.
TEST_F(GameEndToEnd, AHighScoreIsRecordedWatchedAndVerifiedByTheServer) {
  const fs::path bin = GH_BIN_DIR;
  if (!fs::exists(bin / "gravelhorn2-scores") || !fs::exists(bin / "gravelhorn2-verify"))
    GTEST_SKIP() << "no built score server or verifier";
  // A verifier built with the address sanitizer needs more address space than
  // any limit the server would set.
  gh::scores::test::ServerProcess server(
      {"--db", (folder_ / "scores.sqlite").string(), "--verify-program",
       (bin / "gravelhorn2-verify").string(), "--verify-data", bin.string(), "--verify-memory-mb",
       "0", "--min-score", "0"},
      (folder_ / "server.log").string());
  ASSERT_GT(server.Port(), 0) << "the server did not start: " << server.Output();
  // A table whose entries are below zero: any game enters it, so the loop
  // needs no kill (shooting in the window is the first test's).
  gh::Settings settings;
  for (auto& entry : settings.HighScores) entry.Score = -1;
  WriteFile(folder_ / "Config.cfg", gh::WriteConfig(settings));
  WriteFile(folder_ / "ScoreServer.txt", server.Address() + "\n");

  StartProgram();
  if (HasFatalFailure()) return;
  View empty;
  int scoreZero = 0;
  StartGame(empty, scoreZero);
  if (HasFatalFailure()) return;
  Sleep(3000);  // a few seconds of play, the pointer moving
  D().MoveTo(-6.0, 0.0);
  Sleep(1000);
  D().MoveTo(4.0, -2.0);
  Sleep(1000);
  LeaveTheGame();
  if (HasFatalFailure()) return;

  // The name question opens with the keyboard in the name box; Enter answers it.
  ASSERT_TRUE(WaitFor([&] { return QuestionShown(D().Capture()); }, 30)) << "no name question\n"
                                                                         << Log();
  D().Type("Window");
  Sleep(300);
  D().Key("Return");
  Sleep(500);
  ASSERT_TRUE(WaitFor([&] { return QuestionShown(D().Capture()); }, 10)) << "no send question";
  D().Screenshot(shots_ / "7-send-question.png");
  ClickYes();

  // The table: its yellow "HIGH SCORE" title, and no question, twice in a row.
  auto tableShown = [&] {
    const View v = D().Capture();
    return !QuestionShown(v) && v.CountNear(-2, 9.2, 14, 7.0, 255, 255, 0) > 200;
  };
  ASSERT_TRUE(WaitFor([&] { return tableShown() && (Sleep(500), tableShown()); }, 60))
      << "no table after the send\n"
      << Log();
  D().Screenshot(shots_ / "8-table.png");
  EXPECT_EQ(gh::test::ReadFile(folder_ / "game.log").find("Cant conect"), std::string::npos);

  // Its row plays the game again in the game's view, at 8x, to its end.
  D().MoveTo(-8.8, 4.1);
  Sleep(300);
  D().Click();
  ASSERT_TRUE(WaitFor([&] { return HudShown(D().Capture()); }, 20)) << "no playback\n" << Log();
  Sleep(2500);  // the first enemies come on
  D().Screenshot(shots_ / "9-watch.png");
  for (int i = 0; i < 3; ++i) {
    D().Key("Right");
    Sleep(150);
  }
  ASSERT_TRUE(WaitFor([&] { return tableShown() && (Sleep(500), tableShown()); }, 180))
      << "the playback did not come back to the table\n"
      << Log();
  D().Screenshot(shots_ / "10-table-after-watch.png");

  // The server played the uploaded recording again and marks its row.
  httplib::Client client("127.0.0.1", server.Port());
  std::string page;
  ASSERT_TRUE(WaitFor(
      [&] {
        auto res = client.Get("/cgi/version.pl?prg=Gravelhorn2&show&type=0");
        if (res && res->status == 200) page = res->body;
        return page.find(">Window<span class=\"mark ok\"") != std::string::npos;
      },
      120))
      << "the page does not show the game verified\n"
      << page << "\n"
      << gh::test::ReadFile(folder_ / "server.log");

  // The file the table keeps for the entry is a game the verifier plays to its end.
  std::vector<fs::path> kept;
  for (const auto& file : fs::directory_iterator(folder_ / "Recordings"))
    if (file.path().filename() != "index.txt") kept.push_back(file.path());
  ASSERT_EQ(kept.size(), 1u);
  const std::string line = gh::test::CommandOutput(
      (bin / "gravelhorn2-verify").string() + " --data " + bin.string() + " " + kept[0].string());
  EXPECT_EQ(line.rfind("verified ", 0), 0u) << line;

  D().Key("Escape");
}

}  // namespace
