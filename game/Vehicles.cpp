#include "Vehicles.h"

#include <cmath>

#include "Game.h"
#include "Player.h"
#include "Random.h"
#include "engine/EngineCalls.h"
#include "engine/ScreenUnits.h"
#include "game/GameHost.h"

namespace gh {

namespace {

constexpr int16_t VehicleHealth = 3;  // four machine-gun hits or one of weapon 3
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

constexpr int SoundArrow = 6;
constexpr int SoundRoad = 7;   // cars and trucks
constexpr int SoundTrain = 8;  // trains

float Sign(float v) { return v > 0 ? 1.0f : v < 0 ? -1.0f : 0.0f; }

// The conditions every vehicle checks before it comes on.
bool MayComeOn(const TBaseEnemy& vehicle) {
  const TGame& game = vehicle.Owner;
  return game.ActiveEnemies < game.MaxEnemies && vehicle.State == 255 && !game.VehicleActive &&
         game.AllowsKind(static_cast<uint8_t>(vehicle.Kind));
}

// The part of coming on that cars and trucks share, after they placed their
// bodies (and their arrow, should it show).
void ComeOn(TBaseEnemy& vehicle, TAniSprite* arrow, THit& hit) {
  TGame& game = vehicle.Owner;
  if (vehicle.Listed && arrow && Random(2) == 0) {
    arrow->Show();
    PlayGameSound(game.Sounds[SoundArrow], false);
    game.ArrowCount = static_cast<int8_t>(game.ArrowCount + 1);
  }
  vehicle.State = 0;
  vehicle.Health = VehicleHealth;
  if (game.ArrowCount > 0 && game.Alarm) game.Alarm->Show();
  hit.BurstFrames = 0;
  game.VehicleActive = true;
  switch (vehicle.Kind) {
    case KindCar:
    case KindTruck:
      PlayGameSound(game.Sounds[SoundRoad], true);
      break;
    case KindTrain:
      PlayGameSound(game.Sounds[SoundTrain], true);
      break;
    default:
      break;
  }
}

// The scoring and the alarm of leaving, after the base part and the bodies.
void GoOff(TBaseEnemy& vehicle, TAniSprite* arrow) {
  TGame& game = vehicle.Owner;
  if (vehicle.Listed) {
    const bool destroyed = vehicle.Health < 0;
    if (arrow && !arrow->Hidden) {
      game.Score += destroyed ? ScoreChange : -ScoreChange;
      arrow->Hide();
      game.ArrowCount = static_cast<int8_t>(game.ArrowCount - 1);
    } else if (destroyed) {
      game.Score -= ScoreChange;
    }
  }
  if (game.ArrowCount <= 0 && game.Alarm) game.Alarm->Hide();
  game.VehicleActive = false;
}

// Only the machine gun and weapon 3 hurt a vehicle (weapon 4 works on its own).
void TakeShot(TGame& game, int16_t& health) {
  if (!game.Player) return;
  if (game.Weapon == 2 || game.Weapon == 3) game.Player->TryDamage(health);
}

}  // namespace

// ---- TCar ----------------------------------------------------------------------

TCar::TCar(TGame& game, uint8_t kind, float y, float step, const std::string& name, bool listed)
    : TBaseEnemy(game, listed) {
  Kind = static_cast<int8_t>(kind);
  const std::string folder = step > 0 ? name + "R" : name;
  Body = std::make_unique<TAniSprite>(folder, 1.0f, y, step, 1, 1, 3);
  if (Listed) Arrow = std::make_unique<TAniSprite>("Arrow", 1.0f, y, step, 1, 2, 20);
  Hit = std::make_unique<THit>(game);
  State = 255;
}

TCar::~TCar() = default;

void TCar::Activate() {
  if (!MayComeOn(*this)) return;
  TBaseEnemy::Activate();
  Body->X = -Sign(Body->Step) * (CarEntry + Body->ScaleX);
  Body->Show();
  if (Arrow) {
    Arrow->X = Body->X;
    Arrow->Y = Body->Y + CarArrowRise;
  }
  BurstPlaced = false;
  ComeOn(*this, Arrow.get(), *Hit);
}

void TCar::Deactivate() {
  TBaseEnemy::Deactivate();
  Body->Hide();
  GoOff(*this, Arrow.get());
  iSoundStop(Owner.Sounds[SoundRoad], 0);
  iSoundStop(Owner.Sounds[SoundTrain], 0);
}

void TCar::Update() {
  if (Health < 0) {
    // Destroyed without an aimed shot (weapon 4): the burst is at the vehicle.
    const bool going = BurstPlaced ? Hit->Emit() : Hit->EmitAt(Body->X, Body->Y);
    BurstPlaced = true;
    if (!going) Deactivate();
    return;
  }

  Body->Animate();
  const float direction = Sign(Body->Step);
  if (Arrow) {
    // Above the vehicle, near its rear end.
    Arrow->X = Body->X - direction * (Body->ScaleX / 2 - std::abs(Body->Step));
    Arrow->Y = Body->Y + CarArrowRise;
    Arrow->Animate();
  }
  const float exit = CarExit + Body->ScaleX;
  if (Body->X > exit || Body->X < -exit) {
    Deactivate();  // escaped
    return;
  }

  if (iMeshPicked(ScreenCamera(), Body->Mesh) && iMouseButtonDown(0)) {
    TakeShot(Owner, Health);
    if (Health < 0) {
      // The burst is where the shot struck.
      const iVec2 pointer = PointerOnPlane();
      Hit->MoveTo(pointer.x, pointer.y);
      BurstPlaced = true;
    }
  }
}

// ---- TKamazCar -----------------------------------------------------------------

TKamazCar::TKamazCar(TGame& game, uint8_t kind, float y, float step, float gap,
                     const std::string& cabinName, const std::string& trailerName)
    : TBaseEnemy(game, true) {
  Kind = static_cast<int8_t>(kind);
  Gap = gap;
  Cabin = std::make_unique<TCar>(game, kind, y, step, cabinName, false);
  Trailer = std::make_unique<TCar>(game, kind, y, step, trailerName, false);
  if (Listed) Arrow = std::make_unique<TAniSprite>("Arrow", 1.0f, y, step, 1, 2, 20);
  Hit = std::make_unique<THit>(game);
}

TKamazCar::~TKamazCar() = default;

float TKamazCar::MiddleX() const { return (Cabin->Body->X + Trailer->Body->X) / 2; }

void TKamazCar::Activate() {
  if (!MayComeOn(*this)) return;
  TBaseEnemy::Activate();
  // The cabin leads; the trailer follows Gap units behind.
  const float from = -Sign(Cabin->Body->Step);
  Cabin->Body->X = from * TruckEntry;
  Trailer->Body->X = from * (TruckEntry + Gap);
  Cabin->Body->Show();
  Trailer->Body->Show();
  if (Arrow) {
    Arrow->X = MiddleX();
    Arrow->Y = Cabin->Body->Y + TruckArrowRise;
  }
  ComeOn(*this, Arrow.get(), *Hit);
}

void TKamazCar::Deactivate() {
  TBaseEnemy::Deactivate();
  Cabin->Body->Hide();
  Trailer->Body->Hide();
  GoOff(*this, Arrow.get());
  iSoundStop(Owner.Sounds[SoundRoad], 0);
}

void TKamazCar::Update() {
  TAniSprite& cabin = *Cabin->Body;
  TAniSprite& trailer = *Trailer->Body;
  if (Health < 0) {
    if (!Hit->EmitAt(MiddleX(), cabin.Y)) Deactivate();
    return;
  }

  cabin.Animate();
  trailer.Animate();
  if (Arrow) {
    Arrow->X = MiddleX();
    Arrow->Y = cabin.Y + TruckArrowRise;
    Arrow->Animate();
  }
  if ((trailer.Step < 0 && trailer.X < -TruckExit) || (trailer.Step > 0 && cabin.X > TruckExit)) {
    Deactivate();  // escaped
    return;
  }

  const bool underPointer =
      iMeshPicked(ScreenCamera(), cabin.Mesh) || iMeshPicked(ScreenCamera(), trailer.Mesh);
  if (underPointer && iMouseButtonDown(0)) TakeShot(Owner, Health);
}

}  // namespace gh
