// A whole scripted game, seeded, played twice: the same score and the same
// scene in every frame.
#include "Replay.h"

#include <gtest/gtest.h>

#include "game/Game.h"
#include "shell/Shell.h"

namespace gh::test {
namespace {

ReplayResult PlayOnce() {
  HarnessOptions options;
  options.seed = 99;
  Harness h(options);
  EXPECT_TRUE(h.StepUntil([&] { return MenuShown(h); }, 900));
  h.Step(2);
  ReplayResult r = RunReplay(h, 4242, 6000);
  EXPECT_EQ(h.Shell().RunningGame(), nullptr);
  EXPECT_EQ(h.Shell().CurrentScreen(), Screen::Menu);
  return r;
}

TEST(Replay, TheSameSeedAndScriptGiveTheSameGameTwice) {
  const ReplayResult first = PlayOnce();
  const ReplayResult second = PlayOnce();
  EXPECT_GT(first.shots, 50);
  EXPECT_GE(first.kills, 3);
  EXPECT_GT(first.score, 0);
  EXPECT_GE(first.levelsReached, 2);
  EXPECT_EQ(first.score, second.score);
  EXPECT_EQ(first.kills, second.kills);
  EXPECT_EQ(first.frames, second.frames);
  ASSERT_EQ(first.checksums.size(), second.checksums.size());
  for (size_t i = 0; i < first.checksums.size(); ++i) {
    ASSERT_EQ(first.checksums[i], second.checksums[i]) << "the replays part at frame " << i;
  }
}

}  // namespace
}  // namespace gh::test
