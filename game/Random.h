// Chances. The program draws each game's seed from its own generator
// (`Chances`, seeded when the resources are loaded, and by tests that need the
// same run of games twice); a game draws every chance of its play from its own
// small generator (`GameDice`), whose state is part of the game's progress, so
// that the same seed and input play the same game on any build: integer
// arithmetic only, and floats made from integers exactly.
#pragma once
#include <cstdint>
#include <random>

namespace gh {

class Chances {
 public:
  void Seed(uint32_t seed) { generator_.seed(seed); }
  // Uniform over 0 .. n - 1; 0 when n < 1.
  int Below(int n);
  // A new game's seed.
  uint64_t DrawSeed();

 private:
  std::mt19937 generator_{5489u};
};

// A permuted congruential generator (32-bit output, one 64-bit state).
class GameDice {
 public:
  GameDice() = default;
  explicit GameDice(uint64_t seed) { Seed(seed); }
  void Seed(uint64_t seed);
  uint32_t Next();
  // Uniform over 0 .. n - 1 without bias; 0 when n < 1.
  int Below(int n);
  // Uniform in [low, high): 24 random bits scaled by a power of two (exact),
  // then one multiply and one add, rounded the same everywhere.
  float Between(float low, float high);
  uint64_t State() const { return state_; }
  bool operator==(const GameDice&) const = default;

 private:
  uint64_t state_ = 0;
};

}  // namespace gh
