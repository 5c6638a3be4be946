// The game's chances: one generator for the whole program, so that a run of
// games is one sequence; seeded when the resources are loaded (and by tests and
// replays that need the same game twice).
#pragma once
#include <cstdint>
#include <random>

namespace gh {

class Chances {
 public:
  void Seed(uint32_t seed) { generator_.seed(seed); }
  // Uniform over 0 .. n - 1; 0 when n < 1.
  int Below(int n);

 private:
  std::mt19937 generator_{5489u};
};

}  // namespace gh
