// Placeholder until the game lands: an empty scene.
#include "Game.h"

namespace gh {

TGame::TGame() = default;
TGame::~TGame() = default;
void TGame::RunFrame() {}
bool TGame::CanChooseWeapon(int weapon) const {
  return weapon >= 0 && weapon < 5 && Ammo[weapon] + Magazines[weapon] > 0;
}
void TGame::ChangeWeapon(int weapon) {
  HideWeapon(Weapon);
  Weapon = static_cast<int8_t>(weapon);
  ShowWeapon(Weapon);
}
void TGame::HideWeapon(int) {}
void TGame::ShowWeapon(int) {}

}  // namespace gh
