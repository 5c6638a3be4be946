// Bonus boxes. Placeholder: the three boxes are listed but never come down.
#pragma once

#include "Sprites.h"

namespace gh {

class TBonus : public TBaseBonus {
 public:
  TBonus() : TBaseBonus(true) {}
  void Activate() override {}
  void Update() override {}
};

}  // namespace gh
