// The game's chances: one generator, seeded when the resources are loaded (and
// by tests and replays that need the same game twice).
#pragma once
#include <cstdint>

namespace gh {

void SeedRandom(uint32_t seed);
// Uniform over 0 .. n - 1; 0 when n < 1.
int Random(int n);

}  // namespace gh
