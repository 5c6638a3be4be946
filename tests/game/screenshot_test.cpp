// Screenshots of the game drawn by the window backend (run under xvfb-run;
// skipped without a display): the level intro, play in both scenes, a
// terrorist hit, the pause, "YOU ARE DIE" and "GAME OVER". The program starts
// headless, restarts its engine on the window backend, and every picture goes
// to shots/game/ beside the build's bin/ (or $GH_SHOTS_DIR) for a person to
// look at; each is also checked for what it must show.
#include <cstdlib>
#include <filesystem>

#include "GameFixture.h"
#include "harness/WindowCapture.h"

namespace gh::test {
namespace {

struct Shot : ViewPixels {
  // Pixels within `tolerance` of a colour in a rectangle of screen units.
  int CountNear(float left, float top, float right, float bottom, int r, int g, int b,
                int tolerance = 50) const {
    if (width == 0) return 0;
    auto px = [&](float x) { return std::clamp(int((x + 16.0f) / 32.0f * width), 0, width); };
    auto py = [&](float y) { return std::clamp(int((12.0f - y) / 24.0f * height), 0, height); };
    int count = 0;
    for (int y = py(top); y < py(bottom); ++y) {
      for (int x = px(left); x < px(right); ++x) {
        const uint8_t* p = &rgba[(static_cast<size_t>(y) * width + x) * 4];
        if (std::abs(p[0] - r) < tolerance && std::abs(p[1] - g) < tolerance &&
            std::abs(p[2] - b) < tolerance) {
          ++count;
        }
      }
    }
    return count;
  }

  // Mean brightness (0-255) of a rectangle of screen units.
  double Brightness(float left, float top, float right, float bottom) const {
    if (width == 0) return 0;
    auto px = [&](float x) { return std::clamp(int((x + 16.0f) / 32.0f * width), 0, width); };
    auto py = [&](float y) { return std::clamp(int((12.0f - y) / 24.0f * height), 0, height); };
    double sum = 0;
    long n = 0;
    for (int y = py(top); y < py(bottom); ++y) {
      for (int x = px(left); x < px(right); ++x) {
        const uint8_t* p = &rgba[(static_cast<size_t>(y) * width + x) * 4];
        sum += (p[0] + p[1] + p[2]) / 3.0;
        ++n;
      }
    }
    return n ? sum / n : 0;
  }
};

class GameScreenshots : public GameTest {
 protected:
  void SetUp() override {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) GTEST_SKIP() << "no DISPLAY: run under xvfb-run";
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    ASSERT_TRUE(capture.Bind());

    HarnessOptions options;
    options.seed = 3;
    h = std::make_unique<Harness>(options);
    ASSERT_TRUE(h->StepUntil([this] { return MenuShown(*h); }, 900));
    // The next engine start opens a window: a double click on the frame restarts it.
    ASSERT_TRUE(capture.OpenWindow(*h));
    ASSERT_TRUE(h->StepUntil([&] { return h->Shell().CurrentScreen() == Screen::Menu; }, 900));
    h->Step(5);
    folder = ShotsFolder("game");
  }

  void TearDown() override {
    capture.Stop();
    GameTest::TearDown();
    Engine().ihHeadlessEnable(1);
  }

  Shot Save(const std::string& name) {
    Shot s{capture.Read()};
    if (s.width == 0) {
      ADD_FAILURE() << "nothing captured for " << name;
      return s;
    }
    WindowCapture::SavePng(s, folder / (name + ".png"));
    return s;
  }

  WindowCapture capture;
  std::filesystem::path folder;
};

// Green of the HUD and captions, red of the end captions.
constexpr int Green[3] = {43, 255, 0};
constexpr int Red[3] = {255, 0, 0};

TEST_F(GameScreenshots, IntroPlayPauseLifeLostAndGameOver) {
  StartGame();
  h->MouseAt(9.0f, 6.0f);
  h->Step(60);
  const Shot intro = Save("1-intro-level-1");
  EXPECT_GT(intro.CountNear(-6, 1.5f, 6, -1.5f, Green[0], Green[1], Green[2]), 300);

  // The first scene with a terrorist under fire in the near lane.
  SkipIntro();
  NoSpawns();
  Terrorist* t = h->Shell().RunningGame()->LowerTerrorists()[1].get();
  PlaceTerror(t, -3.0f);
  h->Step(1);
  const Shot calm = Save("2-play-scene-1");
  EXPECT_GT(calm.CountNear(-16, 12, 16, 10, Green[0], Green[1], Green[2]), 100);  // the HUD
  h->ButtonDown();
  ASSERT_TRUE(h->StepUntil(
      [&] {
        const AnimatedMesh* s = t->Is(Terrorist::Pose::Shooting) ? t->ShootMesh() : t->WalkMesh();
        h->MouseAt(s->X, s->Y);  // follow it with the sight
        return t->Is(Terrorist::Pose::Dying);
      },
      120));
  h->ButtonUp();
  h->Step(12);
  Save("3-terrorist-dying");
  ASSERT_TRUE(h->StepUntil([&] { return !t->Active(); }, 200));
  EXPECT_EQ(h->Shell().RunningGame()->State().Score, 10);

  // The pause: the lights go behind the scene.
  h->MouseAt(9.0f, 6.0f);
  h->Step(2);
  const Shot playing = Save("4-before-pause");
  h->Tap(Key::LetterP);
  h->Step(2);
  const Shot paused = Save("5-pause");
  EXPECT_LT(paused.Brightness(-16, 8, 16, -8), playing.Brightness(-16, 8, 16, -8) * 0.7);
  EXPECT_GT(paused.CountNear(-4, 1, 4, -1, Green[0], Green[1], Green[2]), 100);
  h->Tap(Key::LetterP);

  // A life lost.
  h->Shell().RunningGame()->StateForTests().Health = -1;
  h->Step(70);
  const Shot died = Save("6-you-are-die");
  EXPECT_GT(died.CountNear(-10, 2, 10, -2, Red[0], Red[1], Red[2], 40), 500);

  // The second scene, with terrorists in both lanes.
  ASSERT_TRUE(
      h->StepUntil([&] { return h->Shell().RunningGame()->Phase() == GamePhase::Playing; }, 200));
  h->Shell().RunningGame()->StateForTests().TimeLeft = 0;
  h->Step(2);
  ASSERT_EQ(h->Shell().RunningGame()->State().Level, 1);
  SkipIntro();
  NoSpawns();
  PlaceTerror(h->Shell().RunningGame()->UpperTerrorists()[2].get(), 4.0f);
  PlaceTerror(h->Shell().RunningGame()->LowerTerrorists()[3].get(), -7.0f);
  h->Step(20);
  const Shot second = Save("7-play-scene-2");
  EXPECT_GT(std::abs(second.Brightness(-16, 8, 16, -8) - playing.Brightness(-16, 8, 16, -8)) +
                std::abs(second.CountNear(-16, 8, 16, -8, 128, 128, 128, 60) -
                         playing.CountNear(-16, 8, 16, -8, 128, 128, 128, 60)),
            1.0)
      << "the second scene looks like the first";

  // The end of the game.
  h->Shell().RunningGame()->StateForTests().Lives = 0;
  h->Shell().RunningGame()->StateForTests().Health = -1;
  h->Step(150);
  const Shot over = Save("8-game-over");
  EXPECT_GT(over.CountNear(-12, 2.5f, 12, -2.5f, Red[0], Red[1], Red[2], 40), 1000);
}

}  // namespace
}  // namespace gh::test
