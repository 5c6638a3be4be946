// The real program on the headless engine, brought to a playing game through
// the main menu, with nothing coming on by chance: each test brings on the
// boxes and vehicles it needs.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "engine/EngineCalls.h"
#include "game/BonusBox.h"
#include "game/Game.h"
#include "game/Player.h"
#include "game/Random.h"
#include "game/Vehicles.h"
#include "harness/Harness.h"
#include "shell/Shell.h"
#include "ui/WidgetSet.h"

namespace gh::test {

// Plays ("kind" 1) or stops (3) of the game sound "Data\Sound\<n>.wav".
inline int CountGameSound(const std::vector<ihSoundEvent>& events, int n, int kind = 1) {
  const std::string want = "sound/" + std::to_string(n) + ".wav";
  return static_cast<int>(std::count_if(events.begin(), events.end(), [&](const ihSoundEvent& e) {
    const std::string file = NormalisedFile(e.file);
    return e.kind == kind && file.size() >= want.size() &&
           file.compare(file.size() - want.size(), want.size(), want) == 0;
  }));
}

class PlayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    HarnessOptions options;
    options.seed = 5;
    h = std::make_unique<Harness>(options);
    ASSERT_TRUE(h->StepUntil([&] { return h->Shell().CurrentScreen() == Screen::FadeIn; }, 600));
    ASSERT_TRUE(h->StepUntil([&] { return h->Shell().CurrentScreen() == Screen::Menu; }, 900));
    h->Step(2);
    // "Start Game", as a player picks it.
    ASSERT_NE(h->Shell().Widgets(), nullptr);
    iVec2 at{};
    iSpriteLocation(h->Shell().Widgets()->StartGame->Sprite, &at);
    h->MouseAt(at.x, at.y);
    h->Step(1);
    h->Click();
    ASSERT_TRUE(h->StepUntil(
        [&] {
          return h->Shell().RunningGame() &&
                 h->Shell().RunningGame()->Phase() == GamePhase::Playing;
        },
        600));
    h->MouseAt(0, 8);
    Quiet();
    h->Step(1);
    h->SoundEvents();
  }

  void TearDown() override { h.reset(); }

  // Nothing comes on by chance until the next level starts.
  void Quiet() {
    h->Shell().RunningGame()->Enemies().Max = 0;
    h->Shell().RunningGame()->Bonuses().Max = 0;
  }

  // Makes `level` (0-based) the current one, for the enemy filter.
  void AtLevel(int level) {
    h->Shell().RunningGame()->StateForTests().Level = static_cast<int16_t>(level);
  }

  // Brings a vehicle on now, marked with the arrow or not, and leaves chance
  // spawning off. True when it came on.
  bool BringOn(Actor& vehicle, bool marked) {
    // The game's generator decides the arrow: find a seed that decides as asked.
    for (uint32_t seed = 1;; ++seed) {
      GameDice dice(seed);
      if ((dice.Below(2) == 0) == marked) {
        h->Shell().RunningGame()->StateForTests().Dice.Seed(seed);
        break;
      }
    }
    h->Shell().RunningGame()->Enemies().Max =
        static_cast<uint8_t>(h->Shell().RunningGame()->Enemies().Active + 1);
    vehicle.Activate();
    h->Shell().RunningGame()->Enemies().Max = 0;
    return vehicle.Active();
  }

  // Opens a box at once: it is brought on, then falls and opens frame by frame.
  void OpenBox(BonusBox& box, BonusType type) {
    box.Activate();
    ASSERT_TRUE(box.Is(BonusBox::Stage::Falling));
    box.SetContentForTests(type);
    ASSERT_TRUE(h->StepUntil([&] { return box.Is(BonusBox::Stage::Open); }, 600));
  }

  // Holds the left button on a world point for a frame.
  void HoldAt(float x, float y) {
    h->MouseAt(x, y);
    h->ButtonDown();
    h->Step(1);
  }

  // Whether the engine draws this world quad now.
  bool MeshOnScreen(MeshRef mesh) const {
    const auto meshes = h->Meshes();
    return std::any_of(meshes.begin(), meshes.end(),
                       [&](const ihMesh& m) { return m.handle == mesh.get(); });
  }

  bool SpriteOnScreen(SpriteRef sprite) const {
    const auto sprites = h->Sprites();
    return std::any_of(sprites.begin(), sprites.end(),
                       [&](const ihSprite& s) { return s.handle == sprite.get(); });
  }

  // Arms the player with a loaded weapon.
  void Arm(int weapon) {
    h->Shell().RunningGame()->StateForTests().Magazines[weapon] = 5;
    h->Shell().RunningGame()->StateForTests().Ammo[weapon] = MagazineSize[weapon];
    h->Shell().RunningGame()->ChangeWeapon(weapon);
  }

  std::unique_ptr<Harness> h;
};

}  // namespace gh::test
