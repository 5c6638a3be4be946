// A running program on the headless engine with a game just started, plus the
// read-backs the game's tests share.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Replay.h"
#include "engine/EngineCalls.h"
#include "game/Game.h"
#include "game/Player.h"
#include "game/Random.h"
#include "game/Terrorist.h"
#include "harness/Harness.h"
#include "shell/Shell.h"
#include "ui/WidgetSet.h"

namespace gh::test {

// Sound events of one game sound ("Data\Sound\<n>.wav").
inline int CountSound(const std::vector<ihSoundEvent>& events, int n, int kind = 1) {
  const std::string want = "sound/" + std::to_string(n) + ".wav";
  int count = 0;
  for (const auto& e : events) {
    const std::string file = NormalisedFile(e.file);
    if (e.kind == kind && file.size() >= want.size() &&
        file.compare(file.size() - want.size(), want.size(), want) == 0) {
      ++count;
    }
  }
  return count;
}

// The text printed centred at (x, y) this frame, or "" when none.
inline std::string PrintAt(const Harness& h, float x, float y) {
  for (const auto& p : h.Prints()) {
    if (p.centered && std::abs(p.x - x) < 0.01f && std::abs(p.y - y) < 0.01f) return p.text;
  }
  return "";
}

class GameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    HarnessOptions options;
    options.seed = 11;
    h = std::make_unique<Harness>(options);
    ASSERT_TRUE(h->StepUntil([this] { return MenuShown(*h); }, 900));
    h->Step(2);
    StartGame();
  }

  void TearDown() override { h.reset(); }

  void StartGame() {
    h->Shell().SwitchScreen(Screen::Game);
    ASSERT_NE(h->Shell().RunningGame(), nullptr);
    h->Shell().RunningGame()->StateForTests().Dice.Seed(1234);
  }

  void SkipIntro() {
    ASSERT_TRUE(h->StepUntil(
        [&] {
          return h->Shell().RunningGame() &&
                 h->Shell().RunningGame()->Phase() == GamePhase::Playing;
        },
        400));
  }

  // No enemy comes on by chance: the test places its own.
  void NoSpawns() {
    h->Shell().RunningGame()->Enemies().Max = 0;
    h->Shell().RunningGame()->Bonuses().Max = 0;
  }

  // Brings a terrorist on at (x, its lane) standing still until it next
  // advances, with its mesh already placed there for the next frame's picking.
  void PlaceTerror(Terrorist* t, float x) {
    const uint8_t limit = h->Shell().RunningGame()->Enemies().Max;
    h->Shell().RunningGame()->Enemies().Max =
        static_cast<uint8_t>(h->Shell().RunningGame()->Enemies().Active + 1);
    t->Activate();
    h->Shell().RunningGame()->Enemies().Max = limit;
    ASSERT_TRUE(t->Is(Terrorist::Pose::Walking));
    h->Step(1);  // the first update advances at once
    t->WalkMesh()->X = x;
    t->ShootMesh()->X = x;
    h->Step(1);  // within its delay: only re-placed
  }

  // Answers the open question box with its first button ("Yes").
  void AnswerYes() { AnswerQuestion(*h, true); }
  void AnswerNo() { AnswerQuestion(*h, false); }

  std::unique_ptr<Harness> h;
};

}  // namespace gh::test
