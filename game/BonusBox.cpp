#include "BonusBox.h"

#include <cmath>
#include <limits>
#include <string>

#include "Game.h"
#include "Random.h"
#include "engine/EngineCalls.h"
#include "engine/ScreenUnits.h"

namespace gh {

namespace {

constexpr float StartY = 14.0f;    // just above the top of the scene
constexpr float FallStep = 0.05f;  // per frame
constexpr float LandY = 1.0f;      // the parachute's y where the box lands
constexpr float HangBelow = 2.0f;  // the box hangs this far below the parachute

// Boxes land side by side at one height: a box keeps at least this far from
// every other box on the scene.
constexpr float BoxSpacing = 5.4f;  // a box picture's width, 130 pixels, and a little
constexpr float FirstX = -10.0f, LastX = 16.0f;

}  // namespace

// The drawn place if it keeps clear of the other active boxes; else the
// nearest place beside one of them that does (no further random draw, so
// the game's sequence of chances stays the same). Kept as drawn if none does.
float BonusBox::SpacedX(float x) const {
  auto clear = [&](float at) {
    if (at < FirstX || at > LastX) return false;
    for (const Actor* b : game_.Bonuses().Members) {
      const auto* other = static_cast<const BonusBox*>(b);
      if (other != this && other->Active() && std::abs(other->x_ - at) < BoxSpacing) {
        return false;
      }
    }
    return true;
  };
  if (clear(x)) return x;
  float best = x, bestDistance = std::numeric_limits<float>::max();
  for (const Actor* b : game_.Bonuses().Members) {
    const auto* other = static_cast<const BonusBox*>(b);
    if (other == this || !other->Active()) continue;
    for (float at : {other->x_ - BoxSpacing, other->x_ + BoxSpacing}) {
      if (clear(at) && std::abs(at - x) < bestDistance) {
        best = at;
        bestDistance = std::abs(at - x);
      }
    }
  }
  return best;
}

Result<std::unique_ptr<BonusBox>> BonusBox::Create(Game& game) {
  std::unique_ptr<BonusBox> box(new BonusBox(game));
  box->y_ = StartY;
  for (int i = 0; i < BonusTypeCount; ++i) {
    box->textures_[i] =
        iTextureCreate(("Data\\Game\\Bonus\\" + std::to_string(i + 1) + ".png").c_str());
  }
  auto box1 = AnimatedMesh::Load("Box1", 1.0f, box->y_, 0.0f, 1, 4, 10);
  if (!box1) return box1.error();
  box->box1_ = std::move(*box1);
  auto icon = StaticMesh::Load("Bonus\\" + std::to_string(static_cast<int>(box->type_)) + ".png",
                               box->x_, box->y_, false);
  if (!icon) return icon.error();
  box->icon_ = std::move(*icon);
  auto parachute = StaticMesh::Load("Bonus\\para.png", box->x_, box->y_, false);
  if (!parachute) return parachute.error();
  box->parachute_ = std::move(*parachute);
  auto box2 = AnimatedMesh::Load("Box2", 1.0f, box->y_, 0.0f, 1, 4, 10);
  if (!box2) return box2.error();
  box->box2_ = std::move(*box2);
  return box;
}

BonusBox::BonusBox(Game& game) : Actor(game, game.Bonuses()) {}

BonusBox::~BonusBox() = default;

void BonusBox::ComeOn() {
  x_ = SpacedX(game_.RandomBetween(-10.0f, 16.0f));
  y_ = StartY;
  type_ = static_cast<BonusType>(1 + game_.Random(BonusTypeCount));
  parachute_->X = x_;
  parachute_->Y = y_;
  parachute_->Show();
  // The machine gun comes more often than the rest.
  if (game_.Random(6) == 5) type_ = BonusType::MachineGunMagazine;
  iMeshTextureSet(icon_->Handle, ContentPicture(type_));
  // A box that opened before ended with its two halves on different pictures;
  // each opening plays both from the first one.
  box1_->Rewind();
  box2_->Rewind();
  stage_ = Stage::Falling;
}

void BonusBox::PlaceMeshes() {
  box1_->X = x_;
  box1_->Y = y_ - HangBelow;
  box2_->X = x_;
  box2_->Y = y_ - HangBelow;
  icon_->X = x_;
  icon_->Y = y_ - HangBelow;
  parachute_->X = x_;
  parachute_->Y = y_;
  parachute_->UpdatePosition();
  icon_->UpdatePosition();
}

void BonusBox::Update() {
  switch (stage_) {
    case Stage::Falling:
      y_ -= FallStep;
      if (y_ < LandY) {
        stage_ = Stage::Opening;
        box1_->Show();
        box2_->Show();
        icon_->Show();
        parachute_->Hide();
        return;
      }
      PlaceMeshes();
      return;
    case Stage::Opening: {
      bool wrapped = box1_->Animate(game_.AnimationTick());
      if (!wrapped) wrapped = box2_->Animate(game_.AnimationTick());
      if (wrapped) {
        stage_ = Stage::Open;
        openedTick_ = game_.Now();
        box1_->Hide();
        box2_->Hide();
        return;
      }
      PlaceMeshes();
      return;
    }
    case Stage::Open:
      if (game_.Input().Fire && game_.PointsAt(icon_->Handle)) {
        ApplyBonus();
        Deactivate();
        return;
      }
      if (game_.Now() - openedTick_ > WaitMs) Deactivate();
      return;
  }
}

void BonusBox::GoOff() {
  box1_->Hide();
  box2_->Hide();
  parachute_->Hide();
  icon_->Hide();
}

void BonusBox::ApplyBonus() {
  Game& game = game_;
  switch (type_) {
    case BonusType::RifleMagazine:
    case BonusType::MachineGunMagazine:
    case BonusType::LauncherMagazine:
    case BonusType::BlasterMagazine: {
      // Box types 1-4 hold the magazines of weapons 1-4.
      const int weapon = static_cast<int>(type_);
      game.AddMagazine(weapon);
      // Also for the current weapon: hiding and showing it again leaves the
      // display as it was.
      game.ChangeWeapon(weapon);
      break;
    }
    case BonusType::HealthPenalty:
      game.TakeHealth(30);
      break;
    case BonusType::HealthRefill:
      game.RefillHealth();
      break;
    case BonusType::Points:
      game.AddScore(100);
      break;
    case BonusType::ExtraLife:
      game.AddLife();
      break;
  }
}

}  // namespace gh
