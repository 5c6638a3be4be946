// A bonus box comes down on its parachute, opens and waits twelve seconds for
// the player to hold the button on its content.
#pragma once
#include <array>
#include <cstdint>
#include <memory>

#include "Actor.h"
#include "Meshes.h"
#include "platform/Result.h"

namespace gh {

// What a box holds. The four weapon boxes hold a spare magazine of weapons
// 1-4 (the first weapon never comes in a box).
enum class BonusType : int8_t {
  RifleMagazine = 1,
  MachineGunMagazine = 2,
  LauncherMagazine = 3,
  BlasterMagazine = 4,
  HealthPenalty = 5,  // -30 health
  HealthRefill = 6,   // health back to full
  Points = 7,         // +100
  ExtraLife = 8,
};
inline constexpr int BonusTypeCount = 8;

class BonusBox : public Actor {
 public:
  enum class Stage : uint8_t { Falling, Opening, Open };
  // How long an open box waits to be taken, in milliseconds.
  static constexpr uint32_t WaitMs = 12000;

  static Result<std::unique_ptr<BonusBox>> Create(Game& game);
  ~BonusBox() override;

  void Update() override;
  // Applies the content to the running game.
  void ApplyBonus();

  Stage CurrentStage() const { return stage_; }
  bool Is(Stage stage) const { return Active() && stage_ == stage; }
  BonusType Content() const { return type_; }
  float X() const { return x_; }  // world x of the parachute and the box
  float Y() const { return y_; }  // world y of the parachute; the box hangs 2 below
  uint32_t OpenedTick() const { return openedTick_; }  // game clock when it opened
  AnimatedMesh* Box1() const { return box1_.get(); }
  AnimatedMesh* Box2() const { return box2_.get(); }
  StaticMesh* Parachute() const { return parachute_.get(); }
  StaticMesh* Icon() const { return icon_.get(); }
  TextureRef ContentPicture(BonusType type) const { return textures_[static_cast<int>(type) - 1]; }

  // Test seams: the content (the icon keeps the drawn one's picture) and the
  // place of a box that is on the scene.
  void SetContentForTests(BonusType type) { type_ = type; }
  void MoveForTests(float x, float y) {
    x_ = x;
    y_ = y;
  }

 private:
  explicit BonusBox(Game& game);

  bool MayComeOn() const override { return true; }
  void ComeOn() override;
  void GoOff() override;
  void PlaceMeshes();
  float SpacedX(float x) const;

  // Freed last to first: the meshes before the content pictures, which the
  // icon's mesh may still show.
  std::array<TextureHandle, BonusTypeCount> textures_;  // entry n - 1 for type n
  std::unique_ptr<StaticMesh> icon_;
  std::unique_ptr<StaticMesh> parachute_;
  std::unique_ptr<AnimatedMesh> box2_;
  std::unique_ptr<AnimatedMesh> box1_;
  Stage stage_ = Stage::Falling;
  BonusType type_ = BonusType::RifleMagazine;
  float x_ = 0;
  float y_ = 0;
  uint32_t openedTick_ = 0;
};

}  // namespace gh
