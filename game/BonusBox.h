// Bonus boxes and the hit effect. A box comes down on its parachute, opens and
// waits twelve seconds for the player to hold the button on its content; the
// hit effect is the particle burst (with its sound) of a destroyed vehicle.
#pragma once
#include <array>
#include <cstdint>
#include <memory>

#include "Sprites.h"

namespace gh {

class TBonus : public TBaseBonus {
 public:
  // State values besides 255 (inactive).
  static constexpr uint8_t Falling = 0;
  static constexpr uint8_t Opening = 1;
  static constexpr uint8_t Open = 2;
  // How long an open box waits to be taken, in milliseconds.
  static constexpr uint32_t WaitMs = 12000;

  explicit TBonus(TGame& game);
  ~TBonus() override;

  void Activate() override;
  void Update() override;
  void Deactivate() override;

  // Applies the content (BonusType) to the running game.
  void ApplyBonus();

  std::array<TextureHandle, 8> Textures;  // content pictures; entry n - 1 for type n
  int8_t BonusType = 1;  // 1-4 weapons 2-5, 5 -30 health, 6 full health, 7 +100, 8 +1 life
  float X = 0;           // world x of the parachute and the box
  float Y = 0;           // world y of the parachute; the box hangs 2 below
  std::unique_ptr<TAniSprite> Box1Sprite;
  std::unique_ptr<TAniSprite> Box2Sprite;
  std::unique_ptr<TStaticSprite> ParachuteSprite;
  std::unique_ptr<TStaticSprite> IconSprite;
  uint32_t OpenedTick = 0;

 private:
  void PlaceSprites();
  float SpacedX(float x) const;
};

// A burst of particles. The owner sets BurstFrames to 0 and then calls Emit or
// EmitAt once a frame until it returns false: twenty calls, one sound at the
// start.
class THit {
 public:
  static constexpr uint16_t BurstLength = 20;

  explicit THit(TGame& game);
  ~THit();
  THit(const THit&) = delete;
  THit& operator=(const THit&) = delete;

  // Moves the emitter to (x, y) and emits; true while the burst is not over.
  bool EmitAt(float x, float y);
  // Emits where the emitter is; true while the burst is not over.
  bool Emit();
  // Places the emitter for the next emits.
  void MoveTo(float x, float y);

  TGame& Owner;
  ParticleSystemHandle Particles;
  EmitterHandle Emitter;  // freed before its particle system
  uint16_t BurstFrames = 0;
  // Where the emitter was last placed.
  float X = 0;
  float Y = 0;
};

}  // namespace gh
