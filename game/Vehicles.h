// Aircraft, cars, trains and trucks. They cross the scene one at a time; half
// of them carry a target arrow and switch the alarm on: those must be shot.
// Only the machine gun and the launcher hurt them (the blaster destroys
// everything); a destroyed vehicle stops and bursts for twenty frames before
// it leaves the scene.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "Actor.h"
#include "Burst.h"
#include "Meshes.h"
#include "platform/Result.h"

namespace gh {

// What every vehicle has: the target arrow that may float above it and the
// burst of its destruction.
class VehicleBase : public Enemy {
 public:
  AnimatedMesh* Arrow() const { return arrow_.get(); }
  Burst* GetBurst() const { return burst_.get(); }

 protected:
  VehicleBase(Game& game, EnemyKind kind, std::unique_ptr<AnimatedMesh> arrow);

  // One vehicle on the scene at a time.
  bool MayComeOn() const override;
  // The part of coming on that every vehicle shares, after it placed its
  // bodies and its arrow.
  void ComeOnShared();
  // The scoring and the alarm of leaving, after the bodies are hidden.
  void GoOffShared();
  // A shot at it while the pointer is on it: only the machine gun and the
  // launcher hurt a vehicle (the blaster works on its own).
  void TakeShot();

  std::unique_ptr<AnimatedMesh> arrow_;
  std::unique_ptr<Burst> burst_;
};

// A one-picture vehicle: aircraft, cars and trains. A positive step drives
// left to right and takes the pictures of the folder name + "R".
class Vehicle : public VehicleBase {
 public:
  static Result<std::unique_ptr<Vehicle>> Create(Game& game, EnemyKind kind, float y, float step,
                                                 const std::string& name);
  ~Vehicle() override;

  void Update() override;

  AnimatedMesh* Body() const { return body_.get(); }

 private:
  Vehicle(Game& game, EnemyKind kind, std::unique_ptr<AnimatedMesh> body,
          std::unique_ptr<AnimatedMesh> arrow);

  void ComeOn() override;
  void GoOff() override;

  std::unique_ptr<AnimatedMesh> body_;
  // The burst's place is set: by the shot that destroyed it, or at the first
  // step of its burst.
  bool burstPlaced_ = false;
};

// A truck: a cabin and a trailer `gap` units behind it, driven as one.
class Truck : public VehicleBase {
 public:
  static Result<std::unique_ptr<Truck>> Create(Game& game, float y, float step, float gap,
                                               const std::string& cabinName,
                                               const std::string& trailerName);
  ~Truck() override;

  void Update() override;

  // The x between cabin and trailer, where the arrow floats and the burst is.
  float MiddleX() const;
  AnimatedMesh* Cabin() const { return cabin_.get(); }
  AnimatedMesh* Trailer() const { return trailer_.get(); }
  float Gap() const { return gap_; }

 private:
  Truck(Game& game, float gap, std::unique_ptr<AnimatedMesh> cabin,
        std::unique_ptr<AnimatedMesh> trailer, std::unique_ptr<AnimatedMesh> arrow);

  void ComeOn() override;
  void GoOff() override;

  std::unique_ptr<AnimatedMesh> cabin_;
  std::unique_ptr<AnimatedMesh> trailer_;
  float gap_ = 0;
};

}  // namespace gh
