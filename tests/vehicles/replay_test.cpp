// A whole game played by a script, as a player would: it shoots the nearest
// dangerous terrorist, the marked vehicles with the machine gun when it has
// one, and takes every open box but the health penalty. Played to the seventh
// level it must have shown every enemy kind and both scenes.
#include <array>
#include <cstdio>
#include <set>

#include "PlayFixture.h"
#include "game/Terror.h"

namespace gh::test {
namespace {

struct Target {
  float x = 0, y = 0;
  bool found = false;
};

// Where the script aims this frame, and with which weapon.
Target ChooseTarget(int& weapon) {
  Target t;
  weapon = 0;
  for (const auto& box : Game->Bonuses) {
    if (box->State == TBonus::Open && box->BonusType != 5) {
      return {box->IconSprite->X, box->IconSprite->Y, true};
    }
  }
  // A marked vehicle, while the machine gun has shots.
  const bool gun = Game->Ammo[2] + Game->Magazines[2] > 0;
  for (const auto& car : Game->Aircraft) {
    if (gun && car->State == 0 && car->Health >= 0 && !car->Arrow->Hidden &&
        std::abs(car->Body->X) < 13.0f) {
      weapon = 2;
      return {car->Body->X, car->Body->Y, true};
    }
  }
  // The terrorist nearest to the gun's side shoots first.
  float best = -100;
  for (const auto* rows : {&Game->UpperTerrorists, &Game->LowerTerrorists}) {
    for (const auto& terror : *rows) {
      TAniSprite* sprite = terror->StateSprite(terror->State);
      if (!sprite || terror->State == 2 || std::abs(sprite->X) > 15.0f) continue;
      if (sprite->X > best) {
        best = sprite->X;
        t = {sprite->X, sprite->Y, true};
      }
    }
  }
  return t;
}

TEST_F(PlayTest, AScriptedGameReachesTheSeventhLevelAndShowsEveryEnemyKindAndBothScenes) {
  Game->MaxEnemies = static_cast<uint8_t>(Game->Level + 1);  // chance spawning as the game has it
  Game->MaxBonuses = Game->MaxEnemies;
  std::set<int> kinds;
  std::array<bool, 2> scenes{};
  std::set<int> levels;
  bool truckWithAlarm = false;
  int frame = 0;
  const int limit = 60 * 60 * 10;
  for (; frame < limit && Game; ++frame) {
    for (TBaseEnemy* e : Game->EnemyList) {
      if (e->State != 255) kinds.insert(e->Kind);
    }
    scenes[0] = scenes[0] || MeshOnScreen(Game->Scene1->Mesh);
    scenes[1] = scenes[1] || MeshOnScreen(Game->Scene2->Mesh);
    levels.insert(Game->Level);
    for (const auto& truck : Game->Trucks) {
      truckWithAlarm = truckWithAlarm || (truck->State == 0 && !truck->Arrow->Hidden &&
                                          MeshOnScreen(Game->Alarm->Mesh));
    }
    if (Game->Level >= 6 && kinds.size() == 7 && truckWithAlarm) break;

    int weapon = 0;
    const Target t = ChooseTarget(weapon);
    if (Game->Weapon != weapon && Game->CanChooseWeapon(weapon)) {
      // The keys 1 to 5 choose a weapon when released.
      h->Post(iMsgKeyUp, '1' + weapon);
    }
    if (Game->Ammo[Game->Weapon] <= 0 && Game->Magazines[Game->Weapon] > 0) {
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
  ASSERT_NE(Game, nullptr) << "the script lost the game at frame " << frame;
  std::printf("[ replay   ] level %d after %d frames, score %d, lives %d\n", Game->Level + 1, frame,
              Game->Score, Game->Lives);
  EXPECT_GE(Game->Level, 6);
  for (int kind = 0; kind <= 6; ++kind) EXPECT_TRUE(kinds.count(kind)) << "kind " << kind;
  EXPECT_TRUE(scenes[0]);
  EXPECT_TRUE(scenes[1]);
  EXPECT_EQ(levels.size(), 7u);
  EXPECT_TRUE(truckWithAlarm);
}

}  // namespace
}  // namespace gh::test
