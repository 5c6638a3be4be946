// A short random-input soak of every screen and the game (a few minutes of
// game time); the hour-long one is bench/soak_long. Under the sanitizers any
// fault ends the run with a report; here the program must also show no error,
// keep coming back to the same menu with the same engine objects, and hold no
// more heap from one start to the next.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "SoakRun.h"
#include "shell/Shell.h"

namespace gh::test::replay {
namespace {

TEST(Soak, RandomInputEverywhereLeavesNothingBehind) {
  const SoakFigures f = RunSoak(2026, 5 * 60 * 60, 3000, 6000, std::getenv("GH_SOAK_PROGRESS"));
  SCOPED_TRACE(Describe(f));
  if (std::getenv("GH_SOAK_PROGRESS")) std::printf("%s", Describe(f).c_str());
  EXPECT_TRUE(f.errors.empty());
  // The menu and the game both saw the random input.
  EXPECT_TRUE(f.visited.count(static_cast<int>(Screen::Menu) * 100));
  EXPECT_TRUE(std::any_of(f.visited.begin(), f.visited.end(), [](int v) {
    return v / 100 == static_cast<int>(Screen::Game) && v % 100 != 0;
  }));
  EXPECT_GE(f.visited.size(), 6u);

  std::vector<SoakSample> starts;
  for (const auto& s : f.samples)
    if (s.sessionStart) starts.push_back(s);
  ASSERT_GE(starts.size(), 3u);
  for (const auto& s : starts)
    EXPECT_EQ(s.objects, starts.front().objects) << "at frame " << s.frame;
  // Heap at the menu after a start: the later starts hold no more than the
  // second (the first start fills caches that live as long as the process).
  const long long second = starts[1].heap;
  for (size_t i = 2; i < starts.size(); ++i)
    EXPECT_LE(starts[i].heap, second + 256 * 1024) << "start at frame " << starts[i].frame;
}

}  // namespace
}  // namespace gh::test::replay
