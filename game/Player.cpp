#include "Player.h"

#include <string>

#include "Game.h"
#include "engine/EngineCalls.h"
#include "engine/ScreenUnits.h"

namespace gh {

namespace {

struct GunPlace {
  int picture;  // the picture the gun sprite is made from
  float x, y;
};
constexpr GunPlace GunPlaces[WeaponCount] = {{1, 7.8f, -7.09f},
                                             {9, 9.14f, -8.09f},
                                             {17, 8.02f, -7.73f},
                                             {25, 9.87f, -4.8f},
                                             {26, 10.82f, -3.4f}};

std::string PlayerPicture(int n) { return "Data\\Game\\Player\\" + std::to_string(n) + ".png"; }

}  // namespace

Player::Player(Game& game) : game_(game) {}

// Each gun is a screen sprite showing its picture at its pixel size, hidden,
// as CreatePicture makes it, but keeping its texture so that the game can free
// it. It lies under the question box.
Result<std::unique_ptr<Player>> Player::Create(Game& game) {
  std::unique_ptr<Player> player(new Player(game));
  auto fire = AnimatedMesh::Load("Fire", 1.0f, 0.0f, 0.0f, 1, 4, 8);
  if (!fire) return fire.error();
  player->fireMesh_ = std::move(*fire);
  for (int w = 0; w < WeaponCount; ++w) {
    const GunPlace& g = GunPlaces[w];
    const std::string file = PlayerPicture(g.picture);
    const Result<PictureSize> size = MeasurePicture(file);
    if (!size) return size.error();
    Gun& gun = player->guns_[w];
    gun.Sprite = iSpriteCreate("Data\\sprite.x", 0);
    iSpritePrioritySet(gun.Sprite, GameSpritePriority);
    gun.Picture = iTextureCreate(file.c_str());
    iSpriteTextureSet(gun.Sprite, gun.Picture);
    const iVec2 scale{PixelsToScale(size->Width), PixelsToScale(size->Height)};
    iSpriteScaleSet(gun.Sprite, &scale);
    const iVec2 at{g.x, g.y};
    iSpriteLocationSet(gun.Sprite, &at);
  }
  auto& pictures = player->gunPictures_;
  auto& textures = player->gunTextures_;
  for (int i = 0; i < 27; ++i) pictures[i] = iTextureCreate(PlayerPicture(i + 1).c_str());
  for (int i = 0; i < 24; ++i) textures[i] = pictures[i];
  for (int i = 24; i < 32; ++i) textures[i] = pictures[24];  // launcher
  for (int i = 32; i < 36; ++i) textures[i] = pictures[25];  // blaster, resting
  for (int i = 36; i < 40; ++i) textures[i] = pictures[26];  // blaster, firing
  return player;
}

Player::~Player() = default;

int Player::AimColumn() const {
  const int column = game_.Input().PointerX * 4 / PointerRange;  // quarters of the view
  return column < 0 ? 0 : column > 3 ? 3 : column;
}

bool Player::WouldFire() const {
  const int w = game_.CurrentWeapon();
  if (w < 0 || w >= WeaponCount) return false;
  return game_.Input().Fire && game_.Now() - lastShotTick_ > FireDelay[w] &&
         game_.State().Ammo[w] > 0;
}

void Player::TryDamage(int16_t& health) const {
  if (WouldFire()) health = static_cast<int16_t>(health - Damage[game_.CurrentWeapon()]);
}

void Player::Update() {
  Game& g = game_;

  // A life is lost only below 0: health exactly 0 is still alive.
  if (g.State().Health < 0) g.LoseLife();

  g.FillAmmo(Weapon::Pistol);

  if (!fireMesh_->Hidden) {
    if (fireMesh_->Animate(g.AnimationTick())) {
      fireMesh_->Hide();
      fireMesh_->X = MuzzleX;
      fireMesh_->Y = MuzzleY;
    }
    // A thirtieth of the way to the aimed point each frame.
    fireMesh_->X += flightStepX_;
    fireMesh_->Y += flightStepY_;
  }

  if (g.CurrentWeapon() < 0 || g.CurrentWeapon() >= WeaponCount) g.ChangeWeapon(Weapon::Pistol);
  {
    const int w = g.CurrentWeapon();
    if (g.State().Ammo[w] <= 0 && g.State().Magazines[w] <= 0) g.StepWeapon(-1);
  }

  if (g.MachineGunUnlimited()) g.FillAmmo(Weapon::MachineGun);

  const int w = g.CurrentWeapon();
  const int column = AimColumn();
  if (WouldFire()) {
    iSpriteTextureSet(guns_[w].Sprite, gunTextures_[w * 8 + 4 + column]);
    lastShotTick_ = g.Now();
    g.PlaySound(static_cast<GameSound>(w));  // the weapons' shots are sounds 0-4
    g.SpendShot(w);
    if (w == Weapon::Launcher) {
      const iVec2 target = g.PointerOnPlane();
      targetX_ = target.x;
      targetY_ = target.y;
      fireMesh_->Frame = 0;
      fireMesh_->X = MuzzleX;
      fireMesh_->Y = MuzzleY;
      fireMesh_->Show();
      flightStepX_ = (targetX_ - MuzzleX) / 30.0f;
      flightStepY_ = (targetY_ - MuzzleY) / 30.0f;
    }
    if (w == Weapon::Blaster) {
      for (Actor* enemy : g.Enemies().Members) {
        if (enemy->Active()) enemy->Destroy();
      }
    }
    return;  // no dry click, resting picture or reload in a frame with a shot
  }

  if (g.Input().Fire && g.State().Ammo[w] <= 0) g.PlaySound(GameSound::DryClick);
  iSpriteTextureSet(guns_[w].Sprite, gunTextures_[w * 8 + column]);
  if (g.Input().Reload) g.Reload();
}

}  // namespace gh
