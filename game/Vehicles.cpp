#include "Vehicles.h"

#include <cmath>

#include "Game.h"
#include "Player.h"
#include "Random.h"
#include "engine/EngineCalls.h"
#include "engine/ScreenUnits.h"

namespace gh {

namespace {

constexpr int16_t VehicleHealth = 3;  // four machine-gun hits or one launcher shot
constexpr int ScoreChange = 50;
// A car enters this far (plus its width) from the centre on its near side and
// leaves this far (plus its width) beyond the centre on the far side.
constexpr float CarEntry = 16.0f;
constexpr float CarExit = 27.0f;
// A truck's cabin enters this far from the centre; it leaves at TruckExit.
constexpr float TruckEntry = 20.0f;
constexpr float TruckExit = 40.0f;
// How far above the lane the arrow floats.
constexpr float CarArrowRise = 2.0f;
constexpr float TruckArrowRise = 4.0f;

float Sign(float v) { return v > 0 ? 1.0f : v < 0 ? -1.0f : 0.0f; }

Result<std::unique_ptr<AnimatedMesh>> LoadArrow(float y, float step) {
  return AnimatedMesh::Load("Arrow", 1.0f, y, step, 1, 2, 20);
}

// A vehicle's picture: its folder, or the folder + "R" when it drives left to right.
Result<std::unique_ptr<AnimatedMesh>> LoadBody(const std::string& name, float y, float step) {
  return AnimatedMesh::Load(step > 0 ? name + "R" : name, 1.0f, y, step, 1, 1, 3);
}

}  // namespace

// ---- VehicleBase ---------------------------------------------------------------

VehicleBase::VehicleBase(Game& game, EnemyKind kind, std::unique_ptr<AnimatedMesh> arrow)
    : Enemy(game, kind), arrow_(std::move(arrow)), burst_(std::make_unique<Burst>(game)) {}

bool VehicleBase::MayComeOn() const { return Enemy::MayComeOn() && !game_.VehicleActive(); }

void VehicleBase::ComeOnShared() {
  Game& game = game_;
  if (game_.Random(2) == 0) {
    arrow_->Show();
    game.PlaySound(GameSound::TargetArrow);
    game.CountArrow(+1);
  }
  health_ = VehicleHealth;
  game.ShowAlarmIfMarked();
  burst_->Restart();
  game.SetVehicleActive(true);
  switch (kind_) {
    case EnemyKind::Car:
    case EnemyKind::Truck:
      game.PlaySound(GameSound::RoadEngine, true);
      break;
    case EnemyKind::Train:
      game.PlaySound(GameSound::TrainEngine, true);
      break;
    default:
      break;
  }
}

void VehicleBase::GoOffShared() {
  Game& game = game_;
  const bool destroyed = health_ < 0;
  if (!arrow_->Hidden) {
    game.AddScore(destroyed ? ScoreChange : -ScoreChange);
    arrow_->Hide();
    game.CountArrow(-1);
  } else if (destroyed) {
    game.AddScore(-ScoreChange);
  }
  game.HideAlarmIfUnmarked();
  game.SetVehicleActive(false);
}

void VehicleBase::TakeShot() {
  Player* player = game_.GetPlayer();
  if (!player) return;
  const int weapon = game_.CurrentWeapon();
  if (weapon == Weapon::MachineGun || weapon == Weapon::Launcher) player->TryDamage(health_);
}

// ---- Vehicle -------------------------------------------------------------------

Result<std::unique_ptr<Vehicle>> Vehicle::Create(Game& game, EnemyKind kind, float y, float step,
                                                 const std::string& name) {
  auto body = LoadBody(name, y, step);
  if (!body) return body.error();
  auto arrow = LoadArrow(y, step);
  if (!arrow) return arrow.error();
  return std::unique_ptr<Vehicle>(new Vehicle(game, kind, std::move(*body), std::move(*arrow)));
}

Vehicle::Vehicle(Game& game, EnemyKind kind, std::unique_ptr<AnimatedMesh> body,
                 std::unique_ptr<AnimatedMesh> arrow)
    : VehicleBase(game, kind, std::move(arrow)), body_(std::move(body)) {}

Vehicle::~Vehicle() = default;

void Vehicle::ComeOn() {
  body_->X = -Sign(body_->Step) * (CarEntry + body_->ScaleX);
  body_->Show();
  arrow_->X = body_->X;
  arrow_->Y = body_->Y + CarArrowRise;
  burstPlaced_ = false;
  ComeOnShared();
}

void Vehicle::GoOff() {
  body_->Hide();
  GoOffShared();
  game_.StopSound(GameSound::RoadEngine);
  game_.StopSound(GameSound::TrainEngine);
}

void Vehicle::Update() {
  if (health_ < 0) {
    // Destroyed without an aimed shot (the blaster): the burst is at the vehicle.
    const bool going = burstPlaced_ ? burst_->Emit() : burst_->EmitAt(body_->X, body_->Y);
    burstPlaced_ = true;
    if (!going) Deactivate();
    return;
  }

  body_->Animate(game_.AnimationTick());
  const float direction = Sign(body_->Step);
  // Above the vehicle, near its rear end.
  arrow_->X = body_->X - direction * (body_->ScaleX / 2 - std::abs(body_->Step));
  arrow_->Y = body_->Y + CarArrowRise;
  arrow_->Animate(game_.AnimationTick());
  const float exit = CarExit + body_->ScaleX;
  if (body_->X > exit || body_->X < -exit) {
    Deactivate();  // escaped
    return;
  }

  if (game_.PointsAt(body_->Handle) && game_.Input().Fire) {
    TakeShot();
    if (health_ < 0) {
      // The burst is where the shot struck.
      const iVec2 pointer = game_.PointerOnPlane();
      burst_->MoveTo(pointer.x, pointer.y);
      burstPlaced_ = true;
    }
  }
}

// ---- Truck ---------------------------------------------------------------------

Result<std::unique_ptr<Truck>> Truck::Create(Game& game, float y, float step, float gap,
                                             const std::string& cabinName,
                                             const std::string& trailerName) {
  auto cabin = LoadBody(cabinName, y, step);
  if (!cabin) return cabin.error();
  auto trailer = LoadBody(trailerName, y, step);
  if (!trailer) return trailer.error();
  auto arrow = LoadArrow(y, step);
  if (!arrow) return arrow.error();
  return std::unique_ptr<Truck>(
      new Truck(game, gap, std::move(*cabin), std::move(*trailer), std::move(*arrow)));
}

Truck::Truck(Game& game, float gap, std::unique_ptr<AnimatedMesh> cabin,
             std::unique_ptr<AnimatedMesh> trailer, std::unique_ptr<AnimatedMesh> arrow)
    : VehicleBase(game, EnemyKind::Truck, std::move(arrow)),
      cabin_(std::move(cabin)),
      trailer_(std::move(trailer)),
      gap_(gap) {}

Truck::~Truck() = default;

float Truck::MiddleX() const { return (cabin_->X + trailer_->X) / 2; }

void Truck::ComeOn() {
  // The cabin leads; the trailer follows Gap units behind.
  const float from = -Sign(cabin_->Step);
  cabin_->X = from * TruckEntry;
  trailer_->X = from * (TruckEntry + gap_);
  cabin_->Show();
  trailer_->Show();
  arrow_->X = MiddleX();
  arrow_->Y = cabin_->Y + TruckArrowRise;
  ComeOnShared();
}

void Truck::GoOff() {
  cabin_->Hide();
  trailer_->Hide();
  GoOffShared();
  game_.StopSound(GameSound::RoadEngine);
}

void Truck::Update() {
  AnimatedMesh& cabin = *cabin_;
  AnimatedMesh& trailer = *trailer_;
  if (health_ < 0) {
    if (!burst_->EmitAt(MiddleX(), cabin.Y)) Deactivate();
    return;
  }

  cabin.Animate(game_.AnimationTick());
  trailer.Animate(game_.AnimationTick());
  arrow_->X = MiddleX();
  arrow_->Y = cabin.Y + TruckArrowRise;
  arrow_->Animate(game_.AnimationTick());
  if ((trailer.Step < 0 && trailer.X < -TruckExit) || (trailer.Step > 0 && cabin.X > TruckExit)) {
    Deactivate();  // escaped
    return;
  }

  const bool underPointer = game_.PointsAt(cabin.Handle) || game_.PointsAt(trailer.Handle);
  if (underPointer && game_.Input().Fire) TakeShot();
}

}  // namespace gh
