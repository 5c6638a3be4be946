// The foot enemy: walks along one of two lanes, now and then stands to shoot
// at the player, dies when its health is shot away and scores by kind.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "Actor.h"
#include "Meshes.h"
#include "platform/Result.h"

namespace gh {

class Terrorist : public Enemy {
 public:
  enum class Pose : uint8_t { Walking, Shooting, Dying };

  // Kind Terrorist1-3; row is the lane's world y (-2: the near lane, drawn
  // larger); a negative step walks right to left.
  static Result<std::unique_ptr<Terrorist>> Create(Game& game, EnemyKind kind, int8_t row,
                                                   float step, const std::string& name);
  ~Terrorist() override;

  void Update() override;

  // What it is doing while active.
  Pose CurrentPose() const { return pose_; }
  bool Is(Pose pose) const { return Active() && pose_ == pose; }
  // The mesh of a pose.
  AnimatedMesh& PoseMesh(Pose pose) const;
  AnimatedMesh* WalkMesh() const { return walk_.get(); }
  AnimatedMesh* ShootMesh() const { return shoot_.get(); }
  AnimatedMesh* DieMesh() const { return die_.get(); }

  // Test seam: makes an active terrorist stand and shoot from now on.
  void StandToShootForTests() { pose_ = Pose::Shooting; }

 private:
  Terrorist(Game& game, EnemyKind kind, std::unique_ptr<AnimatedMesh> shoot,
            std::unique_ptr<AnimatedMesh> die, std::unique_ptr<AnimatedMesh> walk);

  void ComeOn() override;
  void GoOff() override;

  std::unique_ptr<AnimatedMesh> walk_;
  std::unique_ptr<AnimatedMesh> shoot_;
  std::unique_ptr<AnimatedMesh> die_;
  Pose pose_ = Pose::Walking;
};

}  // namespace gh
