#include "Terrorist.h"

#include "Game.h"
#include "Player.h"
#include "Random.h"
#include "engine/EngineCalls.h"
#include "engine/ScreenUnits.h"

namespace gh {

namespace {
// Beyond this the terrorist has walked off the scene.
constexpr float ExitX = 16.2f;
// Terrorists standing at or left of this never hurt the player.
constexpr float ShotLimitX = -8.0f;
}  // namespace

Result<std::unique_ptr<Terrorist>> Terrorist::Create(Game& game, EnemyKind kind, int8_t row,
                                                     float step, const std::string& name) {
  const float scale = row == -2 ? 0.5f : 0.2f;
  const float y = row;
  auto shoot = AnimatedMesh::Load(name, scale, y, 0.0f, 5, 6, 10);
  if (!shoot) return shoot.error();
  auto die = AnimatedMesh::Load(name, scale, y, 0.0f, 7, 18, 10);
  if (!die) return die.error();
  // Right-to-left walkers have their own walking pictures.
  auto walk = AnimatedMesh::Load(step < 0 ? name + "R" : name, scale, y, step, 1, 4, 10);
  if (!walk) return walk.error();
  return std::unique_ptr<Terrorist>(
      new Terrorist(game, kind, std::move(*shoot), std::move(*die), std::move(*walk)));
}

Terrorist::Terrorist(Game& game, EnemyKind kind, std::unique_ptr<AnimatedMesh> shoot,
                     std::unique_ptr<AnimatedMesh> die, std::unique_ptr<AnimatedMesh> walk)
    : Enemy(game, kind), walk_(std::move(walk)), shoot_(std::move(shoot)), die_(std::move(die)) {}

Terrorist::~Terrorist() = default;

AnimatedMesh& Terrorist::PoseMesh(Pose pose) const {
  switch (pose) {
    case Pose::Shooting:
      return *shoot_;
    case Pose::Dying:
      return *die_;
    case Pose::Walking:
      break;
  }
  return *walk_;
}

void Terrorist::ComeOn() {
  pose_ = Pose::Walking;
  walk_->X = walk_->Step < 0 ? 16.0f : walk_->Step > 0 ? -16.0f : 0.0f;
  walk_->Frame = 0;
  shoot_->Frame = 0;
  die_->Frame = 0;
  walk_->Show();
  health_ = static_cast<int16_t>(static_cast<int>(kind_) * 2);
}

void Terrorist::GoOff() {
  walk_->Hide();
  shoot_->Hide();
  die_->Hide();
}

void Terrorist::Update() {
  Game& game = game_;

  if ((pose_ == Pose::Walking || pose_ == Pose::Shooting) && game_.Random(100) == 5) {
    PoseMesh(pose_).Hide();
    pose_ = pose_ == Pose::Walking ? Pose::Shooting : Pose::Walking;
    shoot_->X = walk_->X;
    shoot_->Y = walk_->Y;
    PoseMesh(pose_).Show();
  }

  if (pose_ == Pose::Shooting && shoot_->Frame == 1 && game_.Random(10) == 0 &&
      shoot_->X > ShotLimitX) {
    game.PlaySound(GameSound::RifleShot);
    game.FlashHit();
    game.TakeHealth(1);
  }

  const int16_t before = health_;
  const bool underPointer = game.PointsAt(walk_->Handle) || game.PointsAt(shoot_->Handle);
  if (underPointer && game.Input().Fire && game.GetPlayer()) {
    game.GetPlayer()->TryDamage(health_);
  }
  if (health_ != before) game.PlaySound(GameSound::TerroristHit);

  if (health_ <= 0) {
    if (pose_ != Pose::Dying) {
      game.PlaySound(GameSound::TerroristDeath);
      PoseMesh(pose_).Hide();
      pose_ = Pose::Dying;
      die_->X = walk_->X;
      die_->Y = walk_->Y;
      die_->Show();
    } else if (die_->Frame > 9) {
      Deactivate();
      game.AddScore(static_cast<int>(kind_) * 10);
      return;
    }
  }

  PoseMesh(pose_).Animate(game.AnimationTick());

  if (walk_->X > ExitX || walk_->X < -ExitX) Deactivate();
}

}  // namespace gh
