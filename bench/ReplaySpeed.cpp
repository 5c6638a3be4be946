// The kept replays (tests/replay/data) played on the headless engine, the real
// program inside this process: frames per CPU second against real time (60
// frames a second). Prints figures; never fails on time.
//
// The timed rounds play without the scene checksum that the replay tests take
// every frame (a test's cost, not the program's); one more round, not timed,
// checks the scenes against the kept expectation.
//
//   bench_replay_speed [name=game] [rounds=3]
// Instructions per frame: valgrind --tool=callgrind bench_replay_speed menus 1
// (callgrind counts every instruction of the process, start-up included).
#include <cstdio>
#include <cstdlib>
#include <string>

#include "BenchStats.h"
#include "harness/replay/ReplayFile.h"
#include "harness/replay/ReplayPlayer.h"

int main(int argc, char** argv) {
  using namespace gh::test::replay;
  const std::string name = argc > 1 ? argv[1] : "game";
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
  const std::string path = std::string(GH_SOURCE_DIR) + "/tests/replay/data/" + name + ".replay";
  std::string error;
  const auto text = LoadFile(path, error);
  const auto recording = text ? Read(*text, error) : std::nullopt;
  if (!recording) {
    std::fprintf(stderr, "%s: %s\n", path.c_str(), error.c_str());
    return 1;
  }
  std::printf("replay %s: %u frames (%.1f s of game time), %d rounds\n", name.c_str(),
              recording->frames, recording->frames / 60.0, rounds);
  double load[3] = {};
  if (getloadavg(load, 3) == 3)
    std::printf("load average %.2f %.2f %.2f\n", load[0], load[1], load[2]);
  std::printf(
      "round  frames   CPU s   wall s  x real time (CPU)  x real time (wall)  us/frame (CPU)  "
      "same end\n");
  Expectation first;
  for (int round = 0; round < rounds; ++round) {
    const double cpu0 = bench::CpuSeconds();
    const uint64_t wall0 = bench::MonotonicNs();
    const PlayResult r = Play(*recording, false);
    const double cpu = bench::CpuSeconds() - cpu0;
    const double wall = (bench::MonotonicNs() - wall0) / 1e9;
    if (round == 0) first = r.seen;
    std::printf("%5d  %6u  %6.3f  %7.3f  %17.0f  %18.0f  %14.1f  %s\n", round + 1, r.seen.frames,
                cpu, wall, r.seen.frames / 60.0 / cpu, r.seen.frames / 60.0 / wall,
                cpu / r.seen.frames * 1e6, Compare(first, r.seen).empty() ? "yes" : "NO");
  }
  const std::string expectPath = path.substr(0, path.size() - 7) + ".expect";
  const auto expectText = LoadFile(expectPath, error);
  const auto expected = expectText ? ReadExpectation(*expectText, error) : std::nullopt;
  if (!expected) {
    std::printf("scenes not checked: %s: %s\n", expectPath.c_str(), error.c_str());
  } else {
    const std::string diff = Compare(*expected, Play(*recording).seen);
    std::printf("every frame's scene as kept (a round with checksums, not timed): %s\n",
                diff.empty() ? "yes" : ("NO\n" + diff).c_str());
  }
  std::printf(
      "\nEach round starts the program afresh (start-up, menus, the whole session, quit).\n"
      "x real time: game seconds per CPU (or wall) second; the program runs on the\n"
      "harness's own thread, one frame per step.\n");
  return 0;
}
