#include "Random.h"

#include <random>

namespace gh {

namespace {
std::mt19937& Generator() {
  static std::mt19937 generator(5489u);
  return generator;
}
}  // namespace

void SeedRandom(uint32_t seed) { Generator().seed(seed); }

int Random(int n) {
  if (n < 1) return 0;
  return std::uniform_int_distribution<int>(0, n - 1)(Generator());
}

}  // namespace gh
