#include "Player.h"

#include <cmath>
#include <string>

#include "Game.h"
#include "engine/EngineCalls.h"
#include "engine/ScreenUnits.h"
#include "game/GameHost.h"
#include "platform/Platform.h"

namespace gh {

float TargetX = 0;
float TargetY = 0;
float FlightAngle = 0;
float FlightDistance = 0;

namespace {

struct GunPlace {
  int picture;  // the picture the gun sprite is made from
  float x, y;
};
constexpr GunPlace GunPlaces[5] = {{1, 7.8f, -7.09f},
                                   {9, 9.14f, -8.09f},
                                   {17, 8.02f, -7.73f},
                                   {25, 9.87f, -4.8f},
                                   {26, 10.82f, -3.4f}};

std::string PlayerPicture(int n) { return "Data\\Game\\Player\\" + std::to_string(n) + ".png"; }

// A screen sprite showing the picture at its pixel size, hidden, as CreatePicture
// makes it, but keeping its texture so that the game can free it, and with an
// empty picture instead of an error when the file cannot be read. It lies under
// the question box.
SpriteHandle GunPicture(const std::string& file, float x, float y, TextureHandle& texture) {
  uint16_t width = 0, height = 0;
  PictureSize(file, width, height);
  SpriteHandle sprite = iSpriteCreate("Data\\sprite.x", 0);
  iSpritePrioritySet(sprite, GameSpritePriority);
  texture = iTextureCreate(file.c_str());
  iSpriteTextureSet(sprite, texture);
  const iVec2 scale{PixelsToScale(width), PixelsToScale(height)};
  iSpriteScaleSet(sprite, &scale);
  const iVec2 at{x, y};
  iSpriteLocationSet(sprite, &at);
  return sprite;
}

}  // namespace

TPlayer::TPlayer(TGame& game) : Owner(game) {
  FireSprite = std::make_unique<TAniSprite>("Fire", 1.0f, 0.0f, 0.0f, 1, 4, 8);
  for (int w = 0; w < 5; ++w) {
    const GunPlace& g = GunPlaces[w];
    GunSprites[w] = GunPicture(PlayerPicture(g.picture), g.x, g.y, GunSpriteTextures[w]);
  }
  for (int i = 0; i < 27; ++i) GunPictures[i] = iTextureCreate(PlayerPicture(i + 1).c_str());
  for (int i = 0; i < 24; ++i) GunTextures[i] = GunPictures[i];
  for (int i = 24; i < 32; ++i) GunTextures[i] = GunPictures[24];  // heavy weapon
  for (int i = 32; i < 36; ++i) GunTextures[i] = GunPictures[25];  // rocket, resting
  for (int i = 36; i < 40; ++i) GunTextures[i] = GunPictures[26];  // rocket, firing
}

// Each gun sprite goes with the picture it was made with, then the gun pictures.
TPlayer::~TPlayer() {
  for (int w = 0; w < 5; ++w) {
    GunSprites[w].reset();
    GunSpriteTextures[w].reset();
  }
  GunTextures.fill(TextureRef());
  for (TextureHandle& picture : GunPictures) picture.reset();
}

int TPlayer::AimColumn() {
  const int column = static_cast<int>(iMouseX() * 4.0f);  // truncated toward zero
  return column < 0 ? 0 : column > 3 ? 3 : column;
}

bool TPlayer::WouldFire() const {
  const int w = Owner.Weapon;
  if (w < 0 || w > 4) return false;
  return iMouseButtonDown(0) != 0 && Owner.Now() - LastShotTick > FireDelay[w] && Owner.Ammo[w] > 0;
}

void TPlayer::TryDamage(int16_t& health) const {
  if (WouldFire()) health = static_cast<int16_t>(health - Damage[Owner.Weapon]);
}

void TPlayer::Update() {
  TGame& g = Owner;

  // A life is lost only below 0: health exactly 0 is still alive.
  if (g.Health < 0) {
    g.Health = 50;
    g.Lives = static_cast<int16_t>(g.Lives - 1);
    g.Phase = g.Lives < 0 ? PhaseGameOver : PhaseLifeLost;
    g.CaptionLevel = 0;
  }

  g.Ammo[0] = 99;

  if (!FireSprite->Hidden) {
    if (FireSprite->Animate()) {
      FireSprite->Hide();
      FireSprite->X = MuzzleX;
      FireSprite->Y = MuzzleY;
    }
    FireSprite->X += std::cos(FlightAngle) * FlightDistance / 30.0f;
    FireSprite->Y += std::sin(FlightAngle) * FlightDistance / 30.0f;
  }

  if (g.Weapon < 0 || g.Weapon > 4) g.ChangeWeapon(0);
  if (g.Ammo[g.Weapon] <= 0 && g.Magazines[g.Weapon] <= 0) g.StepWeapon(-1);

  if ((g.Level + 1) % 3 == 0) g.Ammo[2] = 99;

  const int w = g.Weapon;
  const int column = AimColumn();
  if (WouldFire()) {
    iSpriteTextureSet(GunSprites[w], GunTextures[w * 8 + 4 + column]);
    LastShotTick = g.Now();
    PlayGameSound(g.Sounds[w], false);
    g.Ammo[w] = static_cast<int16_t>(g.Ammo[w] - 1);
    if (w == 3) {
      const iVec2 target = PointerOnPlane();
      TargetX = target.x;
      TargetY = target.y;
      FireSprite->Frame = 0;
      FireSprite->X = MuzzleX;
      FireSprite->Y = MuzzleY;
      FireSprite->Show();
      FlightAngle = std::atan2(TargetY - MuzzleY, TargetX - MuzzleX);
      FlightDistance = std::hypot(TargetY - MuzzleY, TargetX - MuzzleX);
    }
    if (w == 4) {
      for (TBaseEnemy* enemy : g.EnemyList) {
        if (enemy->State != 255) enemy->Health = -2;
      }
    }
    return;  // no dry click, resting picture or reload in a frame with a shot
  }

  if (iMouseButtonDown(0) && g.Ammo[w] <= 0) PlayGameSound(g.Sounds[5], false);
  iSpriteTextureSet(GunSprites[w], GunTextures[w * 8 + column]);
  if (iMouseButtonClick(1)) g.Reload();
}

}  // namespace gh
