// Aircraft, cars, trains and trucks. Placeholder: they take their places in the
// scene's lists but never come on.
#pragma once
#include <cstdint>
#include <string>

#include "Sprites.h"

namespace gh {

class TCar : public TBaseEnemy {
 public:
  TCar(uint8_t kind, float y, float step, const std::string& name, bool listed)
      : TBaseEnemy(listed) {
    Kind = static_cast<int8_t>(kind);
    (void)y;
    (void)step;
    (void)name;
  }
  void Activate() override {}
  void Update() override {}
};

class TKamazCar : public TBaseEnemy {
 public:
  TKamazCar(uint8_t kind, float y, float step, float gap, const std::string& cabinName,
            const std::string& trailerName)
      : TBaseEnemy(true) {
    Kind = static_cast<int8_t>(kind);
    (void)y;
    (void)step;
    (void)gap;
    (void)cabinName;
    (void)trailerName;
  }
  void Activate() override {}
  void Update() override {}
};

}  // namespace gh
