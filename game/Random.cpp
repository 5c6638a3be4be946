#include "Random.h"

namespace gh {

int Chances::Below(int n) {
  if (n < 1) return 0;
  return std::uniform_int_distribution<int>(0, n - 1)(generator_);
}

uint64_t Chances::DrawSeed() {
  const uint64_t high = generator_();
  return (high << 32) | generator_();
}

namespace {
constexpr uint64_t Multiplier = 6364136223846793005ull;
constexpr uint64_t Increment = 1442695040888963407ull;  // odd: the one stream
}  // namespace

void GameDice::Seed(uint64_t seed) {
  state_ = 0;
  Next();
  state_ += seed;
  Next();
}

uint32_t GameDice::Next() {
  const uint64_t old = state_;
  state_ = old * Multiplier + Increment;
  const auto xorShifted = static_cast<uint32_t>(((old >> 18u) ^ old) >> 27u);
  const auto rotation = static_cast<uint32_t>(old >> 59u);
  return (xorShifted >> rotation) | (xorShifted << ((32u - rotation) & 31u));
}

int GameDice::Below(int n) {
  if (n < 1) return 0;
  // Lemire's multiply-and-reject: a 32-bit draw times n, the high half is the
  // result; draws in the short first stretch are thrown away.
  const auto range = static_cast<uint32_t>(n);
  uint64_t product = static_cast<uint64_t>(Next()) * range;
  auto low = static_cast<uint32_t>(product);
  if (low < range) {
    const uint32_t threshold = (0u - range) % range;
    while (low < threshold) {
      product = static_cast<uint64_t>(Next()) * range;
      low = static_cast<uint32_t>(product);
    }
  }
  return static_cast<int>(product >> 32);
}

float GameDice::Between(float low, float high) {
  const float unit = static_cast<float>(Next() >> 8) * (1.0f / 16777216.0f);
  return low + (high - low) * unit;
}

}  // namespace gh
