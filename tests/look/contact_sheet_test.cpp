// Every screen and scene of the game drawn by the window backend, one after
// another in one run of the real program (under xvfb-run; skipped without a
// display): the menus, the options, the table with a long typed name, the help
// pages, the questions, the level intro, both scenes in play with each kind of
// vehicle, an explosion, an open box, the pause, a life lost, the game over
// and the name entry. Each picture goes to shots/look/ beside the build's bin/
// (or $GH_SHOTS_DIR), numbered in the order shown; tools/contact_sheet.sh puts
// them on one sheet. Each shot is checked for showing something new, and the
// few rules of composition a picture alone can break are checked here too.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "engine/EngineCalls.h"
#include "game/BonusBox.h"
#include "game/Game.h"
#include "game/Player.h"
#include "game/Random.h"
#include "game/Terrorist.h"
#include "game/Vehicles.h"
#include "harness/Harness.h"
#include "harness/WindowCapture.h"
#include "settings/Settings.h"
#include "shell/Shell.h"
#include "ui/WidgetSet.h"

namespace gh::test {
namespace {

struct Shot : ViewPixels {
  // Mean absolute colour difference per pixel against another view.
  double Difference(const Shot& other) const {
    if (width != other.width || height != other.height || width == 0) return 255;
    long long sum = 0;
    for (size_t i = 0; i < rgba.size(); i += 4) {
      for (int c = 0; c < 3; ++c) sum += std::abs(rgba[i + c] - other.rgba[i + c]);
    }
    return static_cast<double>(sum) / (static_cast<double>(width) * height);
  }
};

class ContactSheet : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) GTEST_SKIP() << "no DISPLAY: run under xvfb-run";
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    ASSERT_TRUE(capture.Bind());
    HarnessOptions options;
    options.seed = 7;
    h = std::make_unique<Harness>(options);
    ASSERT_TRUE(h->StepUntil(
        [&] { return h->Shell().CurrentScreen() == Screen::Menu && h->Shell().FadeLevel() >= 1; },
        900));
    ASSERT_TRUE(capture.OpenWindow(*h));
    ASSERT_TRUE(h->StepUntil([&] { return h->Shell().CurrentScreen() == Screen::Menu; }, 900));
    folder = ShotsFolder("look");
    for (const auto& old : std::filesystem::directory_iterator(folder)) {
      if (old.path().extension() == ".png") std::filesystem::remove(old.path());
    }
  }

  void TearDown() override {
    capture.Stop();
    h.reset();
    Engine().ihHeadlessEnable(1);
  }

  // Saves the last presented view as "<nn>-<name>.png"; it must differ from
  // the shot before it (a screen that failed to come up repeats the last).
  Shot Save(const std::string& name) {
    Shot s{capture.Read()};
    EXPECT_GT(s.width, 0) << name;
    if (s.width == 0) return s;
    char number[16];
    std::snprintf(number, sizeof number, "%02d-", ++count);
    WindowCapture::SavePng(s, folder / (number + name + ".png"));
    EXPECT_GT(s.Difference(last), 0.5) << name << " looks like the shot before it";
    last = s;
    return s;
  }

  // A shot of the scene in play, taken on a frame without the red flash of a
  // terrorist's hit (one frame each, frequent on the later levels): the
  // pictures show the scene as lit.
  Shot SaveLit(const std::string& name) {
    iColor green{};
    for (int i = 0; i < 20; ++i) {
      Engine().ihLight(1, nullptr, &green);
      if (green.green > 0.5f) break;
      h->Step(1);
    }
    EXPECT_GT(green.green, 0.5f) << name << ": the scene stayed red";
    return Save(name);
  }

  void PointAt(const Widget* button) {
    ASSERT_NE(button, nullptr);
    iVec2 at{};
    iSpriteLocation(button->Sprite, &at);
    h->MouseAt(at.x, at.y);
    h->Step(1);
  }

  void Press(const Widget* button) {
    PointAt(button);
    h->Click();
    h->Step(2);
  }

  // Answers the open question box with "Yes" or "No".
  void Answer(bool yes) { Press(yes ? h->Shell().Widgets()->Yes : h->Shell().Widgets()->No); }

  // Brings an enemy on now, whatever the level's limits.
  void BringOn(Actor& enemy) {
    h->Shell().RunningGame()->Enemies().Max =
        static_cast<uint8_t>(h->Shell().RunningGame()->Enemies().Active + 1);
    enemy.Activate();
    h->Shell().RunningGame()->Enemies().Max = 0;
  }

  // A terrorist standing at x in its lane.
  void PlaceTerror(Terrorist& t, float x) {
    BringOn(t);
    ASSERT_TRUE(t.Is(Terrorist::Pose::Walking));
    h->Step(1);
    t.WalkMesh()->X = x;
    t.ShootMesh()->X = x;
    h->Step(1);
  }

  // No new walkers or boxes, and a level clock that cannot run out: the window
  // runs on the real clock, and a slow machine would otherwise reach the next
  // level (which lets boxes fall again) in the middle of the pictures.
  void Quiet() {
    h->Shell().RunningGame()->Enemies().Max = 0;
    h->Shell().RunningGame()->Bonuses().Max = 0;
    h->Shell().RunningGame()->StateForTests().TimeLeft = 3'600'000;
  }

  WindowCapture capture;
  std::unique_ptr<Harness> h;
  std::filesystem::path folder;
  Shot last;
  int count = 0;
};

TEST_F(ContactSheet, EveryScreenAndScene) {
  // ---- menus ---------------------------------------------------------------------
  h->MouseAt(12, -10);
  h->Step(3);
  Save("main-menu");
  h->Tap(Key::Escape);
  ASSERT_TRUE(h->StepUntilPrint("Exit the game?", 10));
  h->Step(40);  // the buttons have come up to their steady brightness
  Save("exit-question");
  Answer(false);
  ASSERT_TRUE(h->StepUntil([&] { return h->Shell().CurrentScreen() == Screen::Menu; }, 10));

  Press(h->Shell().Widgets()->Options);
  ASSERT_EQ(h->Shell().CurrentScreen(), Screen::Options);
  h->MouseAt(12, -10);
  h->Step(3);
  Save("options");
  Press(h->Shell().Widgets()->OptionsBack);

  Press(h->Shell().Widgets()->Help);
  ASSERT_EQ(h->Shell().CurrentScreen(), Screen::HelpText);
  h->MouseAt(12, -10);
  h->Step(200);  // the text has scrolled into the middle
  Save("help-1");
  for (const char* page : {"help-2", "help-3", "help-4"}) {
    Press(h->Shell().Widgets()->Next);
    h->MouseAt(12, -10);
    h->Step(3);
    Save(page);
  }
  Press(h->Shell().Widgets()->Back);

  Press(h->Shell().Widgets()->HighScores);
  ASSERT_EQ(h->Shell().CurrentScreen(), Screen::HighScores);
  h->MouseAt(12, -10);
  h->Step(3);
  Save("high-score");
  Press(h->Shell().Widgets()->ClearTable);
  ASSERT_TRUE(h->StepUntilPrint("Do you want to clear", 10));
  h->Step(40);  // the buttons have come up to their steady brightness
  Save("clear-question");
  Answer(false);
  Press(h->Shell().Widgets()->Back);

  // ---- a game: the first scene -----------------------------------------------------
  Press(h->Shell().Widgets()->StartGame);
  ASSERT_NE(h->Shell().RunningGame(), nullptr);
  h->Shell().RunningGame()->StateForTests().Dice.Seed(99);
  h->MouseAt(9, 6);
  h->Step(40);
  Save("intro-level-1");
  ASSERT_TRUE(
      h->StepUntil([&] { return h->Shell().RunningGame()->Phase() == GamePhase::Playing; }, 400));
  Quiet();
  h->Shell().RunningGame()->StateForTests().Level =
      6;  // a level of the first scene that admits every kind there
  PlaceTerror(*h->Shell().RunningGame()->UpperTerrorists()[0], 3.0f);
  PlaceTerror(*h->Shell().RunningGame()->UpperTerrorists()[2], -9.0f);
  PlaceTerror(*h->Shell().RunningGame()->UpperTerrorists()[4], 11.0f);
  PlaceTerror(*h->Shell().RunningGame()->LowerTerrorists()[1], -4.0f);
  PlaceTerror(*h->Shell().RunningGame()->LowerTerrorists()[3], 5.0f);
  PlaceTerror(*h->Shell().RunningGame()->LowerTerrorists()[5], 12.0f);

  Vehicle& car = *h->Shell().RunningGame()->Cars()[0];
  BringOn(car);
  ASSERT_TRUE(car.Active());
  ASSERT_TRUE(h->StepUntil([&] { return car.Body()->X < 1.0f; }, 900));
  h->Step(1);
  SaveLit("scene-1-car-terrorists");
  // Shot where it is, the aim on it.
  h->MouseAt(car.Body()->X - 1.0f, car.Body()->Y);
  car.Destroy();
  h->Step(5);
  SaveLit("explosion-car");
  h->Step(12);
  SaveLit("explosion-car-late");
  ASSERT_TRUE(h->StepUntil([&] { return !car.Active(); }, 120));
  h->MouseAt(9, 6);

  Vehicle& other = *h->Shell().RunningGame()->Cars()[1];
  BringOn(other);
  ASSERT_TRUE(h->StepUntil([&] { return other.Body()->X < 9.0f; }, 900));
  h->Step(1);
  SaveLit("scene-1-second-car-behind-tree");
  ASSERT_TRUE(h->StepUntil([&] { return other.Body()->X < -6.0f; }, 900));
  // One walker of each kind, the far one behind the road, the near two before it.
  for (auto [terror, x] : {std::pair{h->Shell().RunningGame()->UpperTerrorists()[4].get(), 2.0f},
                           {h->Shell().RunningGame()->LowerTerrorists()[1].get(), -3.5f},
                           {h->Shell().RunningGame()->LowerTerrorists()[3].get(), 5.5f}}) {
    if (terror->Active()) terror->Deactivate();
    PlaceTerror(*terror, x);
  }
  ASSERT_TRUE(h->StepUntil([&] { return other.Body()->X < -7.5f; }, 900));
  h->Step(1);
  SaveLit("scene-1-car-behind-kiosk");
  other.Deactivate();

  Truck& truck = *h->Shell().RunningGame()->Trucks()[3];
  BringOn(truck);
  ASSERT_TRUE(truck.Active());
  ASSERT_TRUE(h->StepUntil([&] { return truck.MiddleX() < 4.0f; }, 1200));
  h->Step(1);
  SaveLit("scene-1-truck");
  truck.Deactivate();

  Vehicle& plane = *h->Shell().RunningGame()->Aircraft()[0];
  BringOn(plane);
  ASSERT_TRUE(h->StepUntil([&] { return plane.Body()->X < 2.0f; }, 900));
  Vehicle& plane2 = *h->Shell().RunningGame()->Aircraft()[2];
  plane.Deactivate();
  BringOn(plane2);
  ASSERT_TRUE(h->StepUntil([&] { return plane2.Body()->X < -4.0f; }, 900));
  h->Step(1);
  SaveLit("scene-1-helicopter");
  plane2.Destroy();
  h->Step(6);
  SaveLit("explosion-helicopter");
  ASSERT_TRUE(h->StepUntil([&] { return !plane2.Active(); }, 120));

  // Three boxes come down side by side at once, and no others.
  Quiet();
  for (auto& box : h->Shell().RunningGame()->BonusBoxes()) {
    if (box->Active()) box->Deactivate();
  }
  for (int i = 0; i < 3; ++i) {
    BonusBox& box = *h->Shell().RunningGame()->BonusBoxes()[i];
    box.Activate();
    box.SetContentForTests(static_cast<BonusType>(3 + i * 2));
    iMeshTextureSet(box.Icon()->Handle, box.ContentPicture(box.Content()));
  }
  h->Step(120);
  SaveLit("boxes-falling");
  ASSERT_TRUE(h->StepUntil(
      [&] { return h->Shell().RunningGame()->BonusBoxes()[0]->Is(BonusBox::Stage::Open); }, 400));
  h->Step(2);
  SaveLit("boxes-open");
  for (int i = 0; i < 3; ++i) {
    for (int j = i + 1; j < 3; ++j) {
      EXPECT_GT(std::abs(h->Shell().RunningGame()->BonusBoxes()[i]->X() -
                         h->Shell().RunningGame()->BonusBoxes()[j]->X()),
                5.2f)
          << "boxes " << i << " and " << j << " overlap";
    }
  }
  for (auto& box : h->Shell().RunningGame()->BonusBoxes()) box->Deactivate();

  h->Tap(Key::LetterP);
  h->Step(3);
  Save("pause");
  h->Tap(Key::LetterP);
  h->Step(2);

  h->Tap(Key::Escape);
  ASSERT_TRUE(h->StepUntilPrint("Exit to menu?", 10));
  h->Step(40);  // the buttons have come up to their steady brightness
  Save("exit-to-menu-question");
  Answer(false);

  h->Shell().RunningGame()->StateForTests().Health = -1;
  h->Step(70);
  Save("life-lost");
  ASSERT_TRUE(
      h->StepUntil([&] { return h->Shell().RunningGame()->Phase() == GamePhase::Playing; }, 300));

  // ---- the second scene --------------------------------------------------------------
  h->Shell().RunningGame()->StateForTests().TimeLeft = 0;
  h->Step(2);
  ASSERT_EQ(h->Shell().RunningGame()->State().Level, 7);
  h->Step(30);
  Save("intro-level-2");
  ASSERT_TRUE(
      h->StepUntil([&] { return h->Shell().RunningGame()->Phase() == GamePhase::Playing; }, 400));
  Quiet();
  for (int t : {0, 1, 2}) {
    Vehicle& train = *h->Shell().RunningGame()->Trains()[t];
    BringOn(train);
    ASSERT_TRUE(train.Active());
    ASSERT_TRUE(h->StepUntil([&] { return train.Body()->X < 2.0f - 6.0f * t; }, 1500));
    // Walkers in both lanes, in front of the trains and behind the props.
    for (auto [terror, x] :
         {std::pair{h->Shell().RunningGame()->UpperTerrorists()[1].get(), -2.0f + 3.0f * t},
          {h->Shell().RunningGame()->LowerTerrorists()[0].get(), -9.0f + 2.0f * t},
          {h->Shell().RunningGame()->LowerTerrorists()[4].get(), 4.0f - 2.0f * t}}) {
      if (terror->Active()) terror->Deactivate();
      PlaceTerror(*terror, x);
    }
    h->Step(1);
    SaveLit("scene-2-train-" + std::to_string(t + 1));
    if (t == 1) {
      train.Destroy();
      h->Step(6);
      SaveLit("explosion-train");
      ASSERT_TRUE(h->StepUntil([&] { return !train.Active(); }, 120));
    } else {
      train.Deactivate();
    }
  }

  // ---- the end -----------------------------------------------------------------------
  h->Shell().RunningGame()->StateForTests().Score =
      h->Shell().PlayerSettings().HighScores[0].Score + 1230;
  h->Shell().RunningGame()->StateForTests().Lives = 0;
  h->Shell().RunningGame()->StateForTests().Health = -1;
  ASSERT_TRUE(h->StepUntilPrint("GAME OVER", 200));
  h->Step(170);  // the caption has grown nearly to its full size
  Save("game-over");
  ASSERT_TRUE(h->StepUntil(
      [&] {
        return h->Shell().RunningGame() &&
               h->Shell().RunningGame()->Phase() == GamePhase::NameEntry;
      },
      400));
  h->Step(2);
  // A long name: the box stops taking letters where the table's column ends.
  Press(h->Shell().Widgets()->NameBox);
  h->Type("Maximilian Oberhuber-Wolkenstein");
  h->Step(2);
  Save("name-entry");
  Answer(true);
  ASSERT_TRUE(h->StepUntil(
      [&] {
        return h->Shell().RunningGame() && h->Shell().RunningGame()->Phase() == GamePhase::SendAsk;
      },
      50));
  h->Step(40);  // the buttons have come up to their steady brightness
  Save("send-question");
  Answer(false);
  ASSERT_TRUE(h->StepUntil([&] { return h->Shell().CurrentScreen() == Screen::HighScores; }, 100));
  h->MouseAt(12, -10);
  h->Step(3);
  Save("high-score-long-name");
  EXPECT_EQ(h->Shell().PlayerSettings().HighScores[0].Name.rfind("Maximilian", 0), 0u)
      << h->Shell().PlayerSettings().HighScores[0].Name;
  // The longest name the box takes ends before the score beside it.
  const iVec2 tableScale{0.8f, 0.8f};
  const std::string score = std::to_string(h->Shell().PlayerSettings().HighScores[0].Score);
  const float nameEnd = -3.8f + iPrintWidth(h->Shell().PlayerSettings().HighScores[0].Name.c_str(),
                                            &tableScale, -0.1f, ScreenFont());
  const float scoreStart = 7.7f - iPrintWidth(score.c_str(), &tableScale, -0.1f, ScreenFont()) / 2;
  EXPECT_LT(nameEnd, scoreStart - 0.3f)
      << h->Shell().PlayerSettings().HighScores[0].Name << " runs into " << score;
  EXPECT_LT(h->Shell().PlayerSettings().HighScores[0].Name.size(),
            std::string("Maximilian Oberhuber-Wolkenstein").size());
}

}  // namespace
}  // namespace gh::test
