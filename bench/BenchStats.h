// Timing helpers shared by the benchmark programs: a monotonic clock the parent
// and child processes agree on, CPU time, and frame-interval percentiles.
#pragma once
#include <sys/resource.h>
#include <time.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace bench {

inline uint64_t MonotonicNs() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<uint64_t>(ts.tv_sec) * 1000000000ull + static_cast<uint64_t>(ts.tv_nsec);
}

inline double CpuSeconds() {
  rusage ru;
  getrusage(RUSAGE_SELF, &ru);
  return ru.ru_utime.tv_sec + ru.ru_stime.tv_sec +
         (ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
}

struct Percentiles {
  double p50 = 0, p90 = 0, p99 = 0, max = 0;
};

// Percentiles of the intervals between consecutive times (ns), in ms.
inline Percentiles IntervalPercentiles(const std::vector<uint64_t>& times) {
  std::vector<double> ms;
  for (size_t i = 1; i < times.size(); ++i) ms.push_back((times[i] - times[i - 1]) / 1e6);
  if (ms.empty()) return {};
  std::sort(ms.begin(), ms.end());
  auto pct = [&](double p) {
    return ms[std::min(ms.size() - 1, static_cast<size_t>(p * (ms.size() - 1) + 0.5))];
  };
  return {pct(0.5), pct(0.9), pct(0.99), ms.back()};
}

// Prints what a measured child reports to its parent, one key=value a line: the
// intervals between frame starts and, when given, between presented frames (the
// moment the swap returned: what a player sees, and what the engine's frame
// trace reports).
inline void Report(uint64_t firstFrameNs, double cpuSeconds, double wallSeconds,
                   const std::vector<uint64_t>& frameStarts,
                   const std::vector<uint64_t>& presents = {}) {
  std::printf("first_frame_ns=%llu\n", static_cast<unsigned long long>(firstFrameNs));
  std::printf("cpu_s=%.4f\nwall_s=%.4f\n", cpuSeconds, wallSeconds);
  std::printf("frames=%zu\n", frameStarts.size());
  const Percentiles s = IntervalPercentiles(frameStarts);
  std::printf("p50_ms=%.3f\np90_ms=%.3f\np99_ms=%.3f\nmax_ms=%.3f\n", s.p50, s.p90, s.p99, s.max);
  if (!presents.empty()) {
    const Percentiles p = IntervalPercentiles(presents);
    std::printf(
        "present_p50_ms=%.3f\npresent_p90_ms=%.3f\npresent_p99_ms=%.3f\n"
        "present_max_ms=%.3f\n",
        p.p50, p.p90, p.p99, p.max);
  }
  std::fflush(stdout);
}

}  // namespace bench
