// A scripted game on the headless engine, the real program inside this process:
// how much faster than real time it runs. Prints figures; never fails on time.
//
//   bench_game_replay [frames] [seed]
#include <linux/perf_event.h>
#include <sys/ioctl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "BenchStats.h"
#include "Replay.h"
#include "game/Game.h"
#include "shell/Shell.h"

namespace {

// Instructions retired by this process's threads, where the kernel lets us count.
class InstructionCounter {
 public:
  InstructionCounter() {
    perf_event_attr attr{};
    attr.type = PERF_TYPE_HARDWARE;
    attr.size = sizeof(attr);
    attr.config = PERF_COUNT_HW_INSTRUCTIONS;
    attr.disabled = 1;
    attr.inherit = 1;  // the program's thread too
    attr.exclude_kernel = 1;
    attr.exclude_hv = 1;
    fd_ = static_cast<int>(syscall(SYS_perf_event_open, &attr, 0, -1, -1, 0));
  }
  ~InstructionCounter() {
    if (fd_ >= 0) close(fd_);
  }
  void Start() {
    if (fd_ < 0) return;
    ioctl(fd_, PERF_EVENT_IOC_RESET, 0);
    ioctl(fd_, PERF_EVENT_IOC_ENABLE, 0);
  }
  // -1 when counting is not available.
  long long Stop() {
    if (fd_ < 0) return -1;
    ioctl(fd_, PERF_EVENT_IOC_DISABLE, 0);
    long long count = 0;
    if (read(fd_, &count, sizeof(count)) != sizeof(count)) return -1;
    return count;
  }

 private:
  int fd_ = -1;
};

}  // namespace

int main(int argc, char** argv) {
  using namespace gh;
  using namespace gh::test;
  const int frames = argc > 1 ? std::atoi(argv[1]) : 30000;
  const uint32_t seed = argc > 2 ? static_cast<uint32_t>(std::atoi(argv[2])) : 4242;

  InstructionCounter counter;  // opened before the program's thread exists
  HarnessOptions options;
  options.seed = seed;
  Harness h(options);
  if (!h.StepUntil([&] { return MenuShown(h); }, 900)) {
    std::fprintf(stderr, "the main menu never came up\n");
    return 1;
  }
  h.Step(2);

  counter.Start();
  const double cpu0 = bench::CpuSeconds();
  const uint64_t wall0 = bench::MonotonicNs();
  const ReplayResult r = RunReplay(h, seed, frames, true);
  const double wall = (bench::MonotonicNs() - wall0) / 1e9;
  const double cpu = bench::CpuSeconds() - cpu0;
  const long long instructions = counter.Stop();

  const double gameSeconds = r.frames / 60.0;
  std::printf("frames         %d (%.1f s of game time at 60 frames a second)\n", r.frames,
              gameSeconds);
  std::printf("levels reached %d, score %d, shots %d, kills %d\n", r.levelsReached, r.score,
              r.shots, r.kills);
  std::printf("wall           %.3f s  (%.0f x real time)\n", wall, gameSeconds / wall);
  std::printf("CPU            %.3f s  (%.0f x real time, %.1f us per frame)\n", cpu,
              gameSeconds / cpu, cpu / r.frames * 1e6);
  if (instructions >= 0) {
    std::printf("instructions   %.0f per frame\n", static_cast<double>(instructions) / r.frames);
  } else {
    std::printf("instructions   n/a (no hardware counters here)\n");
  }
  return h.Shell().RunningGame() == nullptr ? 0 : 1;
}
