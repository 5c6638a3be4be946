// One running game: created when the game screen is entered, freed at the end
// of its game-over flow (or when the engine stops).
#pragma once
#include <array>
#include <cstdint>

namespace gh {

class TGame {
 public:
  TGame();
  ~TGame();
  TGame(const TGame&) = delete;
  TGame& operator=(const TGame&) = delete;

  // One frame of the game, inside the engine's run phase.
  void RunFrame();

  // Weapon selection (mouse wheel, keys 1-5, weapon boxes, an empty weapon).
  bool CanChooseWeapon(int weapon) const;
  // The weapon display rule: hides weapon `Weapon`, makes `weapon` current and shows it.
  void ChangeWeapon(int weapon);
  // Hides the current weapon's gun, picture and shows its icon (first half of a change).
  void HideWeapon(int weapon);
  // Shows a weapon's gun and picture and hides its icon (second half of a change).
  void ShowWeapon(int weapon);

  int8_t Phase = 0;
  uint32_t LastTick = 0;
  int32_t TimeLeft = 0;
  int16_t Lives = 0;
  int16_t Health = 0;
  int16_t Level = 0;
  int32_t Score = 0;
  std::array<int16_t, 5> Ammo{};
  std::array<int16_t, 5> Magazines{};
  int8_t Weapon = 0;
};

}  // namespace gh
