// Fine aiming on any display: the built program under Xvfb, the system pointer
// moved one pixel at a time with xdotool, and the game's own pointer read back
// from the engine's trace of drawn quads (GH_QUAD_TRACE). The game must follow
// every pixel and never put the system pointer anywhere else. Skipped when
// Xvfb, evilwm or xdotool is missing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "harness/Desktop.h"
#include "settings/ConfigFile.h"

namespace {

namespace fs = std::filesystem;
using gh::test::ChildProcess;
using gh::test::WaitFor;

// Reads the quad trace as the game writes it: complete frames only, and of
// each the centre of the last quad that shows the pointer's picture.
class QuadTrace {
 public:
  QuadTrace(fs::path file, int pointerWidth, int pointerHeight)
      : file_(std::move(file)), width_(pointerWidth), height_(pointerHeight) {}

  // Frames complete so far (a frame is complete once the next one began).
  int Frames() {
    Read();
    return complete_;
  }
  // The pointer's centre in the last complete frame, in pixels of the view.
  std::optional<std::pair<double, double>> Pointer() {
    Read();
    return completePointer_;
  }

 private:
  void Read() {
    std::ifstream in(file_, std::ios::binary);
    if (!in) return;
    in.seekg(offset_);
    std::string chunk((std::istreambuf_iterator<char>(in)), {});
    pending_ += chunk;
    offset_ += static_cast<std::streamoff>(chunk.size());
    size_t start = 0, end;
    while ((end = pending_.find('\n', start)) != std::string::npos) {
      Line(pending_.substr(start, end - start));
      start = end + 1;
    }
    pending_.erase(0, start);
  }

  void Line(const std::string& line) {
    if (line.rfind("f ", 0) == 0) {
      if (started_) {
        ++complete_;
        completePointer_ = pointer_;
      }
      started_ = true;
      pointer_.reset();
      return;
    }
    unsigned texture = 0;
    int w = 0, h = 0;
    char mode = 0;
    double x0, y0, x1, y1;
    if (std::sscanf(line.c_str(), "q %u %d %d %c %lf %lf %lf %lf", &texture, &w, &h, &mode, &x0,
                    &y0, &x1, &y1) == 8 &&
        w == width_ && h == height_) {
      pointer_ = std::pair{(x0 + x1) / 2, (y0 + y1) / 2};
    }
  }

  fs::path file_;
  int width_, height_;
  std::streamoff offset_ = 0;
  std::string pending_;
  bool started_ = false;
  int complete_ = 0;
  std::optional<std::pair<double, double>> pointer_, completePointer_;
};

// A PNG's size from its header.
std::pair<int, int> PictureSize(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  unsigned char b[24] = {};
  in.read(reinterpret_cast<char*>(b), sizeof b);
  auto be = [&](int at) { return b[at] << 24 | b[at + 1] << 16 | b[at + 2] << 8 | b[at + 3]; };
  return {be(16), be(20)};
}

struct Display {
  const char* size;  // of the X screen
  int width, height;
  bool fullScreen;
};

class PointerOnDisplay : public ::testing::TestWithParam<Display> {
 protected:
  void SetUp() override {
    for (const char* tool : {"Xvfb", "evilwm", "xprop", "xdotool"})
      if (!gh::test::HaveTool(tool)) GTEST_SKIP() << tool << " is not installed";
    if (!fs::exists(fs::path(GH_BIN_DIR) / "gravelhorn2")) GTEST_SKIP() << "no built program";
    folder_ = gh::test::MakeGameFolder("gh-pointer");
    ASSERT_FALSE(folder_.empty());
    desktop_.emplace(folder_, std::vector<std::string>{"evilwm", "-fn", "fixed"}, GetParam().size);
    ASSERT_TRUE(desktop_->Ready()) << desktop_->Problem();
  }

  void TearDown() override {
    game_.reset();
    desktop_.reset();
    std::error_code ec;
    if (!HasFailure() && !folder_.empty()) fs::remove_all(folder_, ec);
  }

  // Where the system pointer stands on the root window.
  std::pair<int, int> SystemPointer() const {
    const std::string text = desktop_->Run("xdotool getmouselocation --shell");
    auto value = [&](const char* key) {
      const size_t at = text.find(std::string(key) + "=");
      return at == std::string::npos ? -1 : std::atoi(text.c_str() + at + std::strlen(key) + 1);
    };
    return {value("X"), value("Y")};
  }

  fs::path folder_;
  std::optional<gh::test::Desktop> desktop_;
  std::optional<ChildProcess> game_;
};

TEST_P(PointerOnDisplay, TwentyOnePixelMovesMoveTheGamesPointerTwentyPixels) {
  const Display d = GetParam();
  gh::Settings config;
  config.Windowed = d.fullScreen ? 0 : 1;
  config.MusicOn = 0;
  std::ofstream(folder_ / "Config.cfg", std::ios::binary) << gh::WriteConfig(config);
  const fs::path trace = folder_ / "quads.txt";
  const auto [pw, ph] = PictureSize(fs::path(GH_BIN_DIR) / "Data" / "cursor.png");
  QuadTrace quads(trace, pw, ph);

  game_.emplace(
      std::vector<std::string>{(folder_ / "gravelhorn2").string()},
      std::vector<std::string>{"DISPLAY=" + desktop_->Name(), "SDL_AUDIODRIVER=dummy",
                               "GH_QUAD_TRACE=" + trace.string(), gh::test::NoLeakCheck()},
      (folder_ / "game.log").string());
  ASSERT_TRUE(game_->Started());
  const int wantW = d.fullScreen ? d.width : 800, wantH = d.fullScreen ? d.height : 600;
  std::optional<gh::test::ScreenRect> window;
  ASSERT_TRUE(WaitFor(
      [&] {
        window = desktop_->GameWindowRect();
        return window && window->w == wantW && window->h == wantH;
      },
      60))
      << "no window of " << wantW << " x " << wantH << "\n"
      << gh::test::ReadFile(folder_ / "game.log");
  // The menu has faded in and the window stands still.
  ASSERT_TRUE(WaitFor([&] { return quads.Frames() > 240; }, 120)) << "too few frames drawn";
  window = desktop_->GameWindowRect();
  ASSERT_TRUE(window);

  // The view keeps 4:3 in the window; start left of the menu's buttons.
  const double scale = std::min(window->w / 800.0, window->h / 600.0);
  const int startX = window->x + static_cast<int>((window->w - 800 * scale) / 2 + 100 * scale);
  const int startY = window->y + static_cast<int>((window->h - 600 * scale) / 2 + 300 * scale);
  desktop_->MovePointer(startX, startY);
  // Each step lets the game draw two frames with the pointer where it is.
  auto twoFrames = [&] {
    const int now = quads.Frames();
    return WaitFor([&] { return quads.Frames() >= now + 2; }, 30);
  };
  ASSERT_TRUE(twoFrames());
  const auto before = quads.Pointer();
  ASSERT_TRUE(before) << "no pointer drawn";
  ASSERT_EQ(SystemPointer(), std::pair(startX, startY));

  for (int step = 0; step < 20; ++step) {
    desktop_->Run("xdotool mousemove_relative -- 1 0");
    ASSERT_TRUE(twoFrames()) << "the game stopped drawing";
  }
  const auto after = quads.Pointer();
  ASSERT_TRUE(after);
  // The system pointer went where the mouse took it, and nowhere else.
  EXPECT_EQ(SystemPointer(), std::pair(startX + 20, startY));
  // The game's pointer followed all twenty screen pixels (view pixels are screen pixels).
  EXPECT_NEAR(after->first - before->first, 20.0, 1.5);
  EXPECT_NEAR(after->second, before->second, 1.0);
}

INSTANTIATE_TEST_SUITE_P(Displays, PointerOnDisplay,
                         ::testing::Values(Display{"1920x1080", 1920, 1080, true},
                                           Display{"1920x1080", 1920, 1080, false},
                                           Display{"1280x1024", 1280, 1024, true},
                                           Display{"1024x768", 1024, 768, true}),
                         [](const auto& info) {
                           const Display& d = info.param;
                           return std::string(d.fullScreen ? "FullScreen" : "Window") + "On" +
                                  std::to_string(d.width) + "x" + std::to_string(d.height);
                         });

}  // namespace
