// Aircraft, cars, trains and trucks. They cross the scene one at a time; half
// of them carry a target arrow and switch the alarm on: those must be shot.
// Only weapons 2 and 3 hurt them (weapon 4 destroys everything); a destroyed
// vehicle stops and bursts for twenty frames before it leaves the scene.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "Bonus.h"
#include "Sprites.h"

namespace gh {

// A one-picture vehicle: aircraft (kind 0), cars (4) and trains (5), and the
// two halves of a truck. A positive Step drives left to right and takes the
// pictures of the folder Name + "R".
class TCar : public TBaseEnemy {
 public:
  TCar(TGame& game, uint8_t kind, float y, float step, const std::string& name, bool listed);
  ~TCar() override;

  void Activate() override;
  void Update() override;
  void Deactivate() override;

  std::unique_ptr<THit> Hit;
  std::unique_ptr<TAniSprite> Arrow;  // only when listed
  std::unique_ptr<TAniSprite> Body;

 private:
  // The burst's place is set: by the shot that destroyed it, or at the first
  // step of its burst.
  bool BurstPlaced = false;
};

// A truck (kind 6): a cabin and a trailer Gap units behind it, driven as one.
class TKamazCar : public TBaseEnemy {
 public:
  TKamazCar(TGame& game, uint8_t kind, float y, float step, float gap, const std::string& cabinName,
            const std::string& trailerName);
  ~TKamazCar() override;

  void Activate() override;
  void Update() override;
  void Deactivate() override;

  // The x between cabin and trailer, where the arrow floats and the burst is.
  float MiddleX() const;

  // Never activated or updated as enemies: only their bodies are used.
  std::unique_ptr<TCar> Cabin;
  std::unique_ptr<TCar> Trailer;
  std::unique_ptr<TAniSprite> Arrow;  // only when listed
  float Gap = 0;
  std::unique_ptr<THit> Hit;
};

}  // namespace gh
