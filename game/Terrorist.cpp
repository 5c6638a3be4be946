#include "Terror.h"

#include "Game.h"
#include "Player.h"
#include "Random.h"
#include "engine/EngineCalls.h"
#include "engine/ScreenUnits.h"
#include "game/GameHost.h"

namespace gh {

namespace {
constexpr uint8_t Walking = 0;
constexpr uint8_t Shooting = 1;
constexpr uint8_t Dying = 2;
// Beyond this the terrorist has walked off the scene.
constexpr float ExitX = 16.2f;
// Terrorists standing at or left of this never hurt the player.
constexpr float ShotLimitX = -8.0f;
}  // namespace

TTerror::TTerror(TGame& game, uint8_t kind, int8_t row, float step, const std::string& name)
    : TBaseEnemy(game, true) {
  Kind = static_cast<int8_t>(kind);
  const float scale = row == -2 ? 0.5f : 0.2f;
  const float y = row;
  ShootSprite = std::make_unique<TAniSprite>(name, scale, y, 0.0f, 5, 6, 10);
  DieSprite = std::make_unique<TAniSprite>(name, scale, y, 0.0f, 7, 18, 10);
  // Right-to-left walkers have their own walking pictures.
  const std::string walkName = step < 0 ? name + "R" : name;
  WalkSprite = std::make_unique<TAniSprite>(walkName, scale, y, step, 1, 4, 10);
}

TTerror::~TTerror() = default;

TAniSprite* TTerror::StateSprite(uint8_t state) const {
  switch (state) {
    case Walking:
      return WalkSprite.get();
    case Shooting:
      return ShootSprite.get();
    case Dying:
      return DieSprite.get();
    default:
      return nullptr;
  }
}

void TTerror::Activate() {
  if (Owner.ActiveEnemies >= Owner.MaxEnemies || State != 255 ||
      !Owner.AllowsKind(static_cast<uint8_t>(Kind))) {
    return;
  }
  TBaseEnemy::Activate();
  WalkSprite->X = WalkSprite->Step < 0 ? 16.0f : WalkSprite->Step > 0 ? -16.0f : 0.0f;
  WalkSprite->Frame = 0;
  ShootSprite->Frame = 0;
  DieSprite->Frame = 0;
  WalkSprite->Show();
  Health = static_cast<int16_t>(Kind * 2);
}

void TTerror::Deactivate() {
  TBaseEnemy::Deactivate();
  WalkSprite->Hide();
  ShootSprite->Hide();
  DieSprite->Hide();
}

void TTerror::Update() {
  TGame& game = Owner;

  if ((State == Walking || State == Shooting) && Random(100) == 5) {
    StateSprite(State)->Hide();
    State = State == Walking ? Shooting : Walking;
    ShootSprite->X = WalkSprite->X;
    ShootSprite->Y = WalkSprite->Y;
    StateSprite(State)->Show();
  }

  if (State == Shooting && ShootSprite->Frame == 1 && Random(10) == 0 &&
      ShootSprite->X > ShotLimitX) {
    PlayGameSound(Owner.Sounds[1], false);
    game.FlashHit();
    game.Health = static_cast<int16_t>(game.Health - 1);
  }

  const int16_t before = Health;
  const bool underPointer =
      iMeshPicked(Camera, WalkSprite->Mesh) || iMeshPicked(Camera, ShootSprite->Mesh);
  if (underPointer && iMouseButtonDown(0) && game.Player) game.Player->TryDamage(Health);
  if (Health != before) PlayGameSound(Owner.Sounds[13], false);

  if (Health <= 0) {
    if (State != Dying) {
      PlayGameSound(Owner.Sounds[10], false);
      if (TAniSprite* current = StateSprite(State)) current->Hide();
      State = Dying;
      DieSprite->X = WalkSprite->X;
      DieSprite->Y = WalkSprite->Y;
      DieSprite->Show();
    } else if (DieSprite->Frame > 9) {
      Deactivate();
      game.Score += Kind * 10;
      return;
    }
  }

  if (TAniSprite* current = StateSprite(State)) current->Animate();

  if (WalkSprite->X > ExitX || WalkSprite->X < -ExitX) Deactivate();
}

}  // namespace gh
