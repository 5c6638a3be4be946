// The foot enemy: walks along one of two lanes, now and then stands to shoot
// at the player, dies when its health is shot away and scores by kind.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "Sprites.h"

namespace gh {

class TTerror : public TBaseEnemy {
 public:
  // Kind 1-3; Row is the lane's world y (-2: the near lane, drawn larger);
  // a negative Step walks right to left.
  TTerror(TGame& game, uint8_t kind, int8_t row, float step, const std::string& name);
  ~TTerror() override;

  void Activate() override;
  void Update() override;
  void Deactivate() override;

  // The sprite of a state: 0 walking, 1 shooting, 2 dying; none when inactive.
  TAniSprite* StateSprite(uint8_t state) const;

  std::unique_ptr<TAniSprite> WalkSprite;
  std::unique_ptr<TAniSprite> ShootSprite;
  std::unique_ptr<TAniSprite> DieSprite;
};

}  // namespace gh
