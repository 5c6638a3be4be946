// The player's gun: draws the current weapon turned towards the pointer, fires
// while the left button is held, counts shots, flies the heavy weapon's
// projectile, reloads on a right click and takes a life when the health is gone.
#pragma once
#include <array>
#include <cstdint>
#include <memory>

#include "Sprites.h"

namespace gh {

class TGame;

// The weapon table, indexed by weapon.
inline constexpr std::array<uint32_t, 5> FireDelay{300, 300, 100, 1000, 1000};  // ms
inline constexpr std::array<int16_t, 5> Damage{1, 4, 1, 10, 100};
inline constexpr std::array<int16_t, 5> MagazineSize{8, 4, 30, 1, 1};

// Where the heavy weapon's projectile leaves the gun.
inline constexpr float MuzzleX = 3.84f;
inline constexpr float MuzzleY = -3.58f;

// The last shot of weapon 3: the aimed point and the flight towards it.
extern float TargetX;
extern float TargetY;
extern float FlightAngle;
extern float FlightDistance;

class TPlayer {
 public:
  explicit TPlayer(TGame& game);
  ~TPlayer();
  TPlayer(const TPlayer&) = delete;
  TPlayer& operator=(const TPlayer&) = delete;

  // Called by an enemy whose mesh is under the pointer: takes the current
  // weapon's damage from `health` when the weapon would fire this frame.
  void TryDamage(int16_t& health) const;
  // One frame of the player, after the enemies and boxes of that frame.
  void Update();

  // The aim: which of a weapon's four pictures faces the pointer.
  static int AimColumn();

  uint32_t LastShotTick = 0;
  std::unique_ptr<TAniSprite> FireSprite;
  std::array<SpriteHandle, 5> GunSprites;
  // The gun pictures by weapon * 8 + aim column (+ 4 firing); the last two
  // weapons have one resting and one firing picture for every aim.
  std::array<TextureRef, 40> GunTextures{};
  // The picture each gun sprite was made with, shown until the weapon is first drawn.
  std::array<TextureHandle, 5> GunSpriteTextures;

 private:
  bool WouldFire() const;

  // What GunTextures shows: "Player\1.png" ... "Player\27.png", in that order.
  std::array<TextureHandle, 27> GunPictures;

  TGame& Owner;
};

}  // namespace gh
