#include "Bonus.h"

#include <cmath>
#include <limits>
#include <string>

#include "Game.h"
#include "Random.h"
#include "engine/EngineCalls.h"
#include "engine/ScreenUnits.h"
#include "game/GameHost.h"
#include "platform/Platform.h"

namespace gh {

namespace {

constexpr float StartY = 14.0f;    // just above the top of the scene
constexpr float FallStep = 0.05f;  // per frame
constexpr float LandY = 1.0f;      // the parachute's y where the box lands
constexpr float HangBelow = 2.0f;  // the box hangs this far below the parachute

// Moves an animation back to its first picture, on the mesh too, due to
// advance at its next call as after creation.
void Rewind(TAniSprite& sprite) {
  sprite.Frame = 0;
  sprite.LastTick = 0;
  if (!sprite.Frames.empty() && sprite.Frames[0]) {
    iMeshTextureSet(sprite.Mesh, sprite.Frames[0]);
  }
}

// Boxes land side by side at one height: a box keeps at least this far from
// every other box on the scene.
constexpr float BoxSpacing = 5.4f;  // a box picture's width, 130 pixels, and a little
constexpr float FirstX = -10.0f, LastX = 16.0f;

}  // namespace

// The drawn place if it keeps clear of the other active boxes; else the
// nearest place beside one of them that does (no further random draw, so
// the game's sequence of chances stays the same). Kept as drawn if none does.
float TBonus::SpacedX(float x) const {
  auto clear = [&](float at) {
    if (at < FirstX || at > LastX) return false;
    for (const TBaseBonus* b : Owner.BonusList) {
      const auto* other = static_cast<const TBonus*>(b);
      if (other != this && other->State != 255 && std::abs(other->X - at) < BoxSpacing) {
        return false;
      }
    }
    return true;
  };
  if (clear(x)) return x;
  float best = x, bestDistance = std::numeric_limits<float>::max();
  for (const TBaseBonus* b : Owner.BonusList) {
    const auto* other = static_cast<const TBonus*>(b);
    if (other == this || other->State == 255) continue;
    for (float at : {other->X - BoxSpacing, other->X + BoxSpacing}) {
      if (clear(at) && std::abs(at - x) < bestDistance) {
        best = at;
        bestDistance = std::abs(at - x);
      }
    }
  }
  return best;
}

// ---- TBonus --------------------------------------------------------------------

TBonus::TBonus(TGame& game) : TBaseBonus(game, true) {
  X = 0;
  Y = StartY;
  BonusType = 1;
  for (int i = 0; i < 8; ++i) {
    Textures[i] = iTextureCreate(("Data\\Game\\Bonus\\" + std::to_string(i + 1) + ".png").c_str());
  }
  Box1Sprite = std::make_unique<TAniSprite>("Box1", 1.0f, Y, 0.0f, 1, 4, 10);
  IconSprite =
      std::make_unique<TStaticSprite>("Bonus\\" + std::to_string(BonusType) + ".png", X, Y, false);
  ParachuteSprite = std::make_unique<TStaticSprite>("Bonus\\para.png", X, Y, false);
  Box2Sprite = std::make_unique<TAniSprite>("Box2", 1.0f, Y, 0.0f, 1, 4, 10);
  State = 255;
}

TBonus::~TBonus() {
  // The sprites go first: the icon's mesh may still show one of the textures.
  Box1Sprite.reset();
  Box2Sprite.reset();
  ParachuteSprite.reset();
  IconSprite.reset();
  // A game builds its boxes anew each time; the content pictures go with them.
  for (TextureHandle& texture : Textures) texture.reset();
}

void TBonus::Activate() {
  if (State != 255) return;
  TBaseBonus::Activate();
  X = SpacedX(iFloatRand(-10.0f, 16.0f));
  Y = StartY;
  BonusType = static_cast<int8_t>(iIntRand(1, 8));
  if (BonusType < 1 || BonusType > 8) BonusType = 1;
  ParachuteSprite->X = X;
  ParachuteSprite->Y = Y;
  ParachuteSprite->Show();
  // The machine gun comes more often than the rest.
  if (Random(6) == 5) BonusType = 2;
  iMeshTextureSet(IconSprite->Mesh, Textures[BonusType - 1]);
  // A box that opened before ended with its two halves on different pictures;
  // each opening plays both from the first one.
  Rewind(*Box1Sprite);
  Rewind(*Box2Sprite);
  State = Falling;
}

void TBonus::PlaceSprites() {
  Box1Sprite->X = X;
  Box1Sprite->Y = Y - HangBelow;
  Box2Sprite->X = X;
  Box2Sprite->Y = Y - HangBelow;
  IconSprite->X = X;
  IconSprite->Y = Y - HangBelow;
  ParachuteSprite->X = X;
  ParachuteSprite->Y = Y;
  ParachuteSprite->UpdatePosition();
  IconSprite->UpdatePosition();
}

void TBonus::Update() {
  switch (State) {
    case Falling:
      Y -= FallStep;
      if (Y < LandY) {
        State = Opening;
        Box1Sprite->Show();
        Box2Sprite->Show();
        IconSprite->Show();
        ParachuteSprite->Hide();
        return;
      }
      PlaceSprites();
      return;
    case Opening: {
      bool wrapped = Box1Sprite->Animate();
      if (!wrapped) wrapped = Box2Sprite->Animate();
      if (wrapped) {
        State = Open;
        OpenedTick = Owner.Now();
        Box1Sprite->Hide();
        Box2Sprite->Hide();
        return;
      }
      PlaceSprites();
      return;
    }
    case Open:
      if (iMouseButtonDown(0) && iMeshPicked(Camera, IconSprite->Mesh)) {
        ApplyBonus();
        Deactivate();
        return;
      }
      if (Owner.Now() - OpenedTick > WaitMs) Deactivate();
      return;
    default:
      return;
  }
}

void TBonus::Deactivate() {
  TBaseBonus::Deactivate();
  Box1Sprite->Hide();
  Box2Sprite->Hide();
  ParachuteSprite->Hide();
  IconSprite->Hide();
}

void TBonus::ApplyBonus() {
  TGame& game = Owner;
  switch (BonusType) {
    case 1:
    case 2:
    case 3:
    case 4:
      game.Magazines[BonusType] = static_cast<int16_t>(game.Magazines[BonusType] + 1);
      // Also for the current weapon: hiding and showing it again leaves the
      // display as it was.
      game.ChangeWeapon(BonusType);
      break;
    case 5:
      game.Health = static_cast<int16_t>(game.Health - 30);
      break;
    case 6:
      game.Health = 50;
      break;
    case 7:
      game.Score += 100;
      break;
    case 8:
      if (game.Lives < std::numeric_limits<int16_t>::max()) {
        game.Lives = static_cast<int16_t>(game.Lives + 1);
      }
      break;
    default:
      break;
  }
}

// ---- THit ----------------------------------------------------------------------

THit::THit(TGame& game) : Owner(game) {
  Particles = iParticleCreate("Data\\Hit.png", 10);
  iParticleRenderModeSet(Particles, 2);
  const iVec3 noGravity{0, 0, 0};
  iParticleGravitySet(Particles, &noGravity);
  iParticleAirResistanceSet(Particles, 0.2f);
  const iVec3 startColour{0.98f, 0.94f, 0.67f};
  const iVec3 endColour{0.25f, 0.05f, 0.01f};
  iParticleColorSet(Particles, &startColour, &endColour);
  iParticleLifeTimeSet(Particles, 0.4f);
  Emitter = iParticleEmitterCreate(Particles);
  const iVec3 low{-0.9f, -0.9f, -0.9f};
  const iVec3 high{0.9f, 0.9f, 0.9f};
  iParticleEmitterDirectionSet(Emitter, &low, &high);
  const iVec2 smallest{2.0f, 2.2f};
  const iVec2 largest{5.0f, 5.5f};
  iParticleEmitterScaleSet(Emitter, &smallest, &largest);
  iParticleShow(Particles);
}

THit::~THit() = default;

void THit::MoveTo(float x, float y) {
  X = x;
  Y = y;
  const iVec3 at{x, y, 0};
  iParticleEmitterLocationSet(Emitter, &at);
}

bool THit::EmitAt(float x, float y) {
  MoveTo(x, y);
  return Emit();
}

bool THit::Emit() {
  iParticleEmitterEmit(Emitter, 10.0f, 0.99f);
  if (BurstFrames == 0) PlayGameSound(Owner.Sounds[9], false);
  // Held at the end so that a burst left running cannot wrap back to its start.
  if (BurstFrames < BurstLength) ++BurstFrames;
  return BurstFrames < BurstLength;
}

}  // namespace gh
