#include "Random.h"

namespace gh {

int Chances::Below(int n) {
  if (n < 1) return 0;
  return std::uniform_int_distribution<int>(0, n - 1)(generator_);
}

}  // namespace gh
