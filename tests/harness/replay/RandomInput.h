// Seeded random input for the whole program: clicks (often on what is shown),
// held buttons, keys, typing, the wheel, window messages, focus loss and
// restore. The same seed and the same program give the same session.
#pragma once
#include <cstdint>
#include <random>
#include <set>

#include "ReplayPlayer.h"

namespace gh::test::replay {

class RandomInput {
 public:
  explicit RandomInput(uint32_t seed) : rng_(seed) {}
  // Gives one frame's input to the recorder and steps it one frame.
  void Frame(Recorder& r);
  // Screens and game phases seen so far (screen * 100 + phase + 50 in game).
  const std::set<int>& Visited() const { return visited_; }

 private:
  uint32_t Below(uint32_t n) { return static_cast<uint32_t>(rng_() % n); }
  bool Chance(uint32_t perThousand) { return Below(1000) < perThousand; }
  void PointAtSomethingShown(Recorder& r);

  std::mt19937 rng_;
  int inactiveFrames_ = 0;
  int holdFrames_ = 0;
  std::set<int> visited_;
};

}  // namespace gh::test::replay
