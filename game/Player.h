// The player's gun: draws the current weapon turned towards the pointer, fires
// while the left button is held, counts shots, flies the launcher's
// projectile, reloads on a right click and takes a life when the health is gone.
#pragma once
#include <array>
#include <cstdint>
#include <memory>

#include "Meshes.h"
#include "platform/Result.h"

namespace gh {

class Game;

// The five weapons, by their place in the weapon table and the HUD's row.
enum Weapon : int8_t {
  Pistol = 0,      // never runs dry
  Rifle = 1,       // four hits in one shot
  MachineGun = 2,  // fast; unlimited on every third level
  Launcher = 3,    // flies a projectile to the aimed point
  Blaster = 4,     // destroys every active enemy at once
};
inline constexpr int WeaponCount = 5;

// The weapon table, indexed by weapon.
inline constexpr std::array<uint32_t, WeaponCount> FireDelay{300, 300, 100, 1000, 1000};  // ms
inline constexpr std::array<int16_t, WeaponCount> Damage{1, 4, 1, 10, 100};
inline constexpr std::array<int16_t, WeaponCount> MagazineSize{8, 4, 30, 1, 1};

// Where the launcher's projectile leaves the gun.
inline constexpr float MuzzleX = 3.84f;
inline constexpr float MuzzleY = -3.58f;

class Player {
 public:
  static Result<std::unique_ptr<Player>> Create(Game& game);
  ~Player();
  Player(const Player&) = delete;
  Player& operator=(const Player&) = delete;

  // Called by an enemy whose mesh is under the pointer: takes the current
  // weapon's damage from `health` when the weapon would fire this frame.
  void TryDamage(int16_t& health) const;
  // One frame of the player, after the enemies and boxes of that frame.
  void Update();

  // The aim: which of a weapon's four pictures faces the pointer.
  int AimColumn() const;

  // The game clock of the last shot.
  uint32_t LastShotTick() const { return lastShotTick_; }
  SpriteRef GunSprite(int weapon) const { return guns_[weapon].Sprite; }

 private:
  explicit Player(Game& game);
  bool WouldFire() const;

  Game& game_;
  uint32_t lastShotTick_ = 0;
  std::unique_ptr<AnimatedMesh> fireMesh_;  // the launcher's projectile
  // The last launcher shot: the aimed point and the flight towards it.
  float targetX_ = 0;
  float targetY_ = 0;
  float flightStepX_ = 0;
  float flightStepY_ = 0;
  // What gunTextures_ shows: "Player\1.png" ... "Player\27.png", in that
  // order; declared before the sprites, so freed after them.
  std::array<TextureHandle, 27> gunPictures_;
  // The gun pictures by weapon * 8 + aim column (+ 4 firing); the last two
  // weapons have one resting and one firing picture for every aim.
  std::array<TextureRef, 40> gunTextures_{};
  // Each gun sprite, then the picture it was made with (shown until the
  // weapon is first drawn): freed sprite first, weapon by weapon.
  struct Gun {
    TextureHandle Picture;
    SpriteHandle Sprite;
  };
  std::array<Gun, WeaponCount> guns_;
};

}  // namespace gh
