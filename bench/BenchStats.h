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

// Prints what a measured child reports to its parent, one key=value a line.
inline void Report(uint64_t firstFrameNs, double cpuSeconds, double wallSeconds,
                   std::vector<uint64_t> frameStarts) {
  std::vector<double> ms;
  for (size_t i = 1; i < frameStarts.size(); ++i)
    ms.push_back((frameStarts[i] - frameStarts[i - 1]) / 1e6);
  std::sort(ms.begin(), ms.end());
  auto pct = [&](double p) {
    if (ms.empty()) return 0.0;
    return ms[std::min(ms.size() - 1, static_cast<size_t>(p * (ms.size() - 1) + 0.5))];
  };
  std::printf("first_frame_ns=%llu\n", static_cast<unsigned long long>(firstFrameNs));
  std::printf("cpu_s=%.4f\nwall_s=%.4f\n", cpuSeconds, wallSeconds);
  std::printf("frames=%zu\n", frameStarts.size());
  std::printf("p50_ms=%.3f\np90_ms=%.3f\np99_ms=%.3f\nmax_ms=%.3f\n", pct(0.5), pct(0.9), pct(0.99),
              ms.empty() ? 0.0 : ms.back());
  std::fflush(stdout);
}

}  // namespace bench
