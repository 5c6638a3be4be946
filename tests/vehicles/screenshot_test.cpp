// Screenshots of the vehicles and boxes drawn by the window backend (run under
// xvfb-run; skipped without a display). The program starts headless, restarts
// its engine on the window backend, and each scene is brought on and captured
// to shots/vehicles/ beside the build's bin/ (or $GH_SHOTS_DIR).
#include <cstdlib>
#include <filesystem>

#include "PlayFixture.h"
#include "harness/WindowCapture.h"

namespace gh::test {
namespace {

struct Shot : ViewPixels {
  // Summed colour difference over a square of pixels around a world point.
  long DifferenceAround(const Shot& other, float x, float y, int half = 12) const {
    if (width != other.width || height != other.height || width == 0) return 0;
    const int cx = static_cast<int>((x + 16.0f) / 32.0f * width);
    const int cy = static_cast<int>((12.0f - y) / 24.0f * height);
    long sum = 0;
    for (int py = std::max(0, cy - half); py < std::min(height, cy + half); ++py) {
      for (int px = std::max(0, cx - half); px < std::min(width, cx + half); ++px) {
        const size_t i = (static_cast<size_t>(py) * width + px) * 4;
        for (int c = 0; c < 3; ++c) sum += std::abs(rgba[i + c] - other.rgba[i + c]);
      }
    }
    return sum;
  }
};

class ScreenshotTest : public PlayTest {
 protected:
  void SetUp() override {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) GTEST_SKIP() << "no DISPLAY: run under xvfb-run";
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    ASSERT_TRUE(capture.Bind());

    HarnessOptions options;
    options.seed = 5;
    h = std::make_unique<Harness>(options);
    ASSERT_TRUE(h->StepUntil(
        [&] { return h->Shell().CurrentScreen() == Screen::Menu && h->Shell().FadeLevel() >= 1; },
        900));
    // The next engine start opens a window: a click on the frame restarts it.
    ASSERT_TRUE(capture.OpenWindow(*h));
    h->Step(5);
    h->Shell().SwitchScreen(Screen::Game);
    ASSERT_NE(h->Shell().RunningGame(), nullptr);
    ASSERT_TRUE(h->StepUntil(
        [&] {
          return h->Shell().RunningGame() &&
                 h->Shell().RunningGame()->Phase() == GamePhase::Playing;
        },
        600));
    Quiet();
    // The window runs on the real clock: a slow machine must not reach the
    // next level (new walkers, boxes, another scene) in the middle of the pictures.
    h->Shell().RunningGame()->StateForTests().TimeLeft = 3'600'000;
    h->MouseAt(14, 11);
    AtLevel(6);
    folder = ShotsFolder("vehicles");
  }

  void TearDown() override {
    capture.Stop();
    PlayTest::TearDown();
    Engine().ihHeadlessEnable(1);
  }

  Shot Capture() { return Shot{capture.Read()}; }

  Shot Save(const std::string& name) {
    Shot s = Capture();
    EXPECT_GT(s.width, 0) << name;
    if (s.width == 0) return s;
    WindowCapture::SavePng(s, folder / (name + ".png"));
    return s;
  }

  WindowCapture capture;
  std::filesystem::path folder;
};

TEST_F(ScreenshotTest, VehiclesBurstsAndBoxes) {
  const float alarmX = h->Shell().RunningGame()->Alarm()->X,
              alarmY = h->Shell().RunningGame()->Alarm()->Y;
  const Shot empty = Capture();

  // A marked truck in the middle of the first scene, with the alarm on.
  Truck& truck = *h->Shell().RunningGame()->Trucks()[4];
  ASSERT_TRUE(BringOn(truck, true));
  ASSERT_TRUE(h->StepUntil([&] { return truck.MiddleX() < 2.0f; }, 900));
  h->Step(1);
  const Shot truckShot = Save("truck_arrow_alarm");
  EXPECT_GT(truckShot.DifferenceAround(empty, truck.Cabin()->X, truck.Cabin()->Y), 5000);
  EXPECT_GT(truckShot.DifferenceAround(empty, truck.Arrow()->X, truck.Arrow()->Y, 6), 2000);
  EXPECT_GT(truckShot.DifferenceAround(empty, alarmX, alarmY, 6), 2000);

  // It bursts where it stands.
  truck.Destroy();
  h->Step(4);
  const Shot burst = Save("explosion_truck");
  EXPECT_GT(burst.DifferenceAround(truckShot, truck.MiddleX(), truck.Cabin()->Y, 30), 5000);
  ASSERT_TRUE(h->StepUntil([&] { return !truck.Active(); }, 60));

  // An aircraft high up.
  Vehicle& plane = *h->Shell().RunningGame()->Aircraft()[3];
  ASSERT_TRUE(BringOn(plane, false));
  ASSERT_TRUE(h->StepUntil([&] { return plane.Body()->X < 3.0f; }, 900));
  h->Step(1);
  const Shot planeShot = Save("aircraft");
  EXPECT_GT(planeShot.DifferenceAround(empty, plane.Body()->X, plane.Body()->Y), 5000);
  plane.Destroy();
  h->Step(3);
  Save("explosion_aircraft");
  ASSERT_TRUE(h->StepUntil([&] { return !plane.Active(); }, 60));

  // A train in the second scene.
  AtLevel(7);
  h->Shell().RunningGame()->ShowScenery(1);
  Vehicle& train = *h->Shell().RunningGame()->Trains()[0];
  h->Step(2);
  const Shot secondScene = Capture();
  ASSERT_TRUE(BringOn(train, true));
  ASSERT_TRUE(h->StepUntil([&] { return train.Body()->X < 4.0f; }, 900));
  h->Step(1);
  const Shot trainShot = Save("train");
  EXPECT_GT(trainShot.DifferenceAround(secondScene, train.Body()->X, train.Body()->Y), 5000);
  train.Deactivate();

  // A box under its parachute, then open.
  BonusBox& box = *h->Shell().RunningGame()->BonusBoxes()[0];
  box.Activate();
  box.MoveForTests(-4.0f, box.Y());
  box.SetContentForTests(BonusType::BlasterMagazine);
  iMeshTextureSet(box.Icon()->Handle, box.ContentPicture(BonusType::BlasterMagazine));
  h->Step(150);
  const Shot falling = Save("box_falling");
  EXPECT_GT(falling.DifferenceAround(secondScene, box.X(), box.Y()), 5000);
  ASSERT_TRUE(h->StepUntil([&] { return box.Is(BonusBox::Stage::Opening); }, 300));
  h->Step(6);
  Save("box_opening");
  ASSERT_TRUE(h->StepUntil([&] { return box.Is(BonusBox::Stage::Open); }, 120));
  h->Step(1);
  const Shot open = Save("box_open");
  EXPECT_GT(open.DifferenceAround(secondScene, box.Icon()->X, box.Icon()->Y), 5000);
}

}  // namespace
}  // namespace gh::test
