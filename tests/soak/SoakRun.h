// A seeded random-input soak of the whole program on the headless engine:
// session after session (each a fresh start of the program, ended by the
// random input itself or closed after a while), with the memory and the
// engine's live objects sampled along the way.
#pragma once
#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace gh::test::replay {

struct SoakSample {
  uint64_t frame = 0;         // frames since the soak began
  long rssKb = 0;             // resident set, /proc/self/statm
  long long heap = 0;         // bytes the program holds on the heap now
  int objects = 0;            // live engine objects
  bool sessionStart = false;  // taken on the main menu right after a start
};

struct SoakFigures {
  uint64_t frames = 0;
  int sessions = 0;
  std::set<int> visited;  // screens, and game phases (screen * 100 + phase + 50)
  std::vector<SoakSample> samples;
  std::vector<std::string> errors;  // errors the program showed
  long peakRssKb = 0;
  double cpuSeconds = 0;
};

// Runs about `frames` frames from `seed`; samples every `sampleEvery` frames
// and at every session's main menu. `progress` prints a line per session.
SoakFigures RunSoak(uint32_t seed, uint64_t frames, uint64_t sampleEvery, int sessionFrames,
                    bool progress);

// Heap bytes in use, from the sanitizer's allocator or malloc's own count.
long long HeapInUse();
long RssKb();

std::string Describe(const SoakFigures& figures);

}  // namespace gh::test::replay
