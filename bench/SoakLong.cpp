// The long soak: seeded random input over every screen and the game on the
// headless engine for an hour of game time (216000 frames) or as long as asked,
// session after session. Build it with -DGH_SANITIZE=ON to run it under the
// address and undefined-behaviour sanitizers. Prints the samples and how
// memory and the engine's live objects moved; never fails on time.
//
//   bench_soak_long [frames=216000] [seed=2026] [session frames=20000]
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "SoakRun.h"

int main(int argc, char** argv) {
  using namespace gh::test::replay;
  const uint64_t frames = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 216000;
  const uint32_t seed = argc > 2 ? static_cast<uint32_t>(std::atoi(argv[2])) : 2026;
  const int sessionFrames = argc > 3 ? std::atoi(argv[3]) : 20000;
  const SoakFigures f = RunSoak(seed, frames, 6000, sessionFrames, true);
  std::printf("%s", Describe(f).c_str());

  std::vector<SoakSample> starts;
  for (const auto& s : f.samples)
    if (s.sessionStart) starts.push_back(s);
  if (starts.size() >= 3) {
    auto [lo, hi] = std::minmax_element(starts.begin() + 1, starts.end(),
                                        [](auto& a, auto& b) { return a.heap < b.heap; });
    auto [olo, ohi] = std::minmax_element(starts.begin(), starts.end(),
                                          [](auto& a, auto& b) { return a.objects < b.objects; });
    std::printf(
        "\nat the menu after each start (%zu starts, the first left out for heap and RSS):\n"
        "  engine objects  %d .. %d\n"
        "  heap in use     %lld .. %lld bytes (second start %lld, last %lld)\n"
        "  RSS             second start %ld kB, last %ld kB\n",
        starts.size(), olo->objects, ohi->objects, lo->heap, hi->heap, starts[1].heap,
        starts.back().heap, starts[1].rssKb, starts.back().rssKb);
  }
  std::printf(
      "\nReading it: the engine objects at the menu after a start must be the same every\n"
      "time; heap in use at those points must not climb from start to start (a leak grows\n"
      "it by what each session loses); RSS may rise at first while the allocator warms up\n"
      "(under the address sanitizer its quarantine holds freed memory) and then stays.\n"
      "%zu program errors shown.\n",
      f.errors.size());
  return f.errors.empty() ? 0 : 1;
}
