// A whole game played by a script, as a player would: it shoots the nearest
// dangerous terrorist, the marked vehicles with the machine gun when it has
// one, and takes every open box but the health penalty. Played to the seventh
// level it must have shown every enemy kind and both scenes.
#include <array>
#include <cstdio>
#include <set>

#include "PlayFixture.h"
#include "game/Terrorist.h"

namespace gh::test {
namespace {

struct Target {
  float x = 0, y = 0;
  bool found = false;
};

// Where the script aims this frame, and with which weapon.
Target ChooseTarget(Game& game, int& weapon) {
  Target t;
  weapon = 0;
  for (const auto& box : game.BonusBoxes()) {
    if (box->Is(BonusBox::Stage::Open) && box->Content() != BonusType::HealthPenalty) {
      return {box->Icon()->X, box->Icon()->Y, true};
    }
  }
  // A marked vehicle, while the machine gun has shots.
  const bool gun = game.State().Ammo[2] + game.State().Magazines[2] > 0;
  for (const auto& car : game.Aircraft()) {
    if (gun && car->Active() && car->Health() >= 0 && !car->Arrow()->Hidden &&
        std::abs(car->Body()->X) < 13.0f) {
      weapon = 2;
      return {car->Body()->X, car->Body()->Y, true};
    }
  }
  // The terrorist nearest to the gun's side shoots first.
  float best = -100;
  for (const auto* rows : {&game.UpperTerrorists(), &game.LowerTerrorists()}) {
    for (const auto& terror : *rows) {
      AnimatedMesh* sprite = terror->Active() ? &terror->PoseMesh(terror->CurrentPose()) : nullptr;
      if (!sprite || terror->Is(Terrorist::Pose::Dying) || std::abs(sprite->X) > 15.0f) continue;
      if (sprite->X > best) {
        best = sprite->X;
        t = {sprite->X, sprite->Y, true};
      }
    }
  }
  return t;
}

TEST_F(PlayTest, AScriptedGameReachesTheSeventhLevelAndShowsEveryEnemyKindAndBothScenes) {
  h->Shell().RunningGame()->Enemies().Max = static_cast<uint8_t>(
      h->Shell().RunningGame()->State().Level + 1);  // chance spawning as the game has it
  h->Shell().RunningGame()->Bonuses().Max = h->Shell().RunningGame()->Enemies().Max;
  std::set<int> kinds;
  std::array<bool, 2> scenes{};
  std::set<int> levels;
  bool truckWithAlarm = false;
  int frame = 0;
  const int limit = 60 * 60 * 10;
  for (; frame < limit && h->Shell().RunningGame(); ++frame) {
    for (Actor* e : h->Shell().RunningGame()->Enemies().Members) {
      // The enemy list holds only enemies.
      if (e->Active()) kinds.insert(static_cast<int>(static_cast<Enemy*>(e)->Kind()));
    }
    scenes[0] = scenes[0] || MeshOnScreen(h->Shell().RunningGame()->Scene1()->Handle);
    scenes[1] = scenes[1] || MeshOnScreen(h->Shell().RunningGame()->Scene2()->Handle);
    levels.insert(h->Shell().RunningGame()->State().Level);
    for (const auto& truck : h->Shell().RunningGame()->Trucks()) {
      truckWithAlarm = truckWithAlarm || (truck->Active() && !truck->Arrow()->Hidden &&
                                          MeshOnScreen(h->Shell().RunningGame()->Alarm()->Handle));
    }
    if (h->Shell().RunningGame()->State().Level >= 6 && kinds.size() == 7 && truckWithAlarm) break;

    int weapon = 0;
    const Target t = ChooseTarget(*h->Shell().RunningGame(), weapon);
    if (h->Shell().RunningGame()->State().Weapon != weapon &&
        h->Shell().RunningGame()->CanChooseWeapon(weapon)) {
      // The keys 1 to 5 choose a weapon when released.
      h->Post(iMsgKeyUp, '1' + weapon);
    }
    if (h->Shell().RunningGame()->State().Ammo[h->Shell().RunningGame()->State().Weapon] <= 0 &&
        h->Shell().RunningGame()->State().Magazines[h->Shell().RunningGame()->State().Weapon] > 0) {
      h->MouseAt(t.x, t.y);
      h->Click(1);  // a right click loads a spare magazine
      continue;
    }
    if (t.found) {
      h->MouseAt(t.x, t.y);
      h->ButtonDown();
    } else {
      h->ButtonUp();
    }
    h->Step(1);
  }
  h->ButtonUp();
  ASSERT_NE(h->Shell().RunningGame(), nullptr) << "the script lost the game at frame " << frame;
  std::printf("[ replay   ] level %d after %d frames, score %d, lives %d\n",
              h->Shell().RunningGame()->State().Level + 1, frame,
              h->Shell().RunningGame()->State().Score, h->Shell().RunningGame()->State().Lives);
  EXPECT_GE(h->Shell().RunningGame()->State().Level, 6);
  for (int kind = 0; kind <= 6; ++kind) EXPECT_TRUE(kinds.count(kind)) << "kind " << kind;
  EXPECT_TRUE(scenes[0]);
  EXPECT_TRUE(scenes[1]);
  EXPECT_EQ(levels.size(), 7u);
  EXPECT_TRUE(truckWithAlarm);
}

}  // namespace
}  // namespace gh::test
