#include "SoakRun.h"

#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <fstream>
#include <sstream>

#include "game/Game.h"
#include "harness/replay/RandomInput.h"
#include "shell/Shell.h"
#include "ui/WidgetSet.h"

#if defined(__SANITIZE_ADDRESS__)
// From the sanitizer runtime (its header is not on g++'s include path).
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace gh::test::replay {

long long HeapInUse() {
#if defined(__SANITIZE_ADDRESS__)
  return static_cast<long long>(__sanitizer_get_current_allocated_bytes());
#else
  return static_cast<long long>(mallinfo2().uordblks);
#endif
}

long RssKb() {
  std::ifstream statm("/proc/self/statm");
  long size = 0, resident = 0;
  statm >> size >> resident;
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

namespace {

double CpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

SoakSample Sample(uint64_t frame, bool sessionStart) {
  SoakSample s;
  s.frame = frame;
  s.rssKb = RssKb();
  s.heap = HeapInUse();
  s.objects = Engine().ihObjectCount();
  s.sessionStart = sessionStart;
  return s;
}

}  // namespace

SoakFigures RunSoak(uint32_t seed, uint64_t frames, uint64_t sampleEvery, int sessionFrames,
                    bool progress) {
  SoakFigures f;
  const double cpu0 = CpuSeconds();
  while (f.frames < frames) {
    const uint32_t sessionSeed = seed * 7919u + static_cast<uint32_t>(f.sessions);
    {
      Recorder r(sessionSeed, std::nullopt);
      RandomInput input(sessionSeed);
      // The same start every time: the menu up, before any random input.
      bool menuSampled = false;
      for (int i = 0; i < 1500 && !r.Exited(); ++i) {
        if (r.H().Shell().CurrentScreen() == Screen::Menu &&
            r.H().Shell().PreviousScreen() == Screen::FadeIn && r.H().Shell().Resources().Cursor) {
          r.Step(5);
          f.samples.push_back(Sample(f.frames + r.Frames(), true));
          menuSampled = true;
          break;
        }
        r.Step();
      }
      if (!menuSampled) f.errors.push_back("session " + std::to_string(f.sessions) + ": no menu");
      while (!r.Exited() && r.Frames() < static_cast<uint32_t>(sessionFrames) &&
             f.frames + r.Frames() < frames) {
        input.Frame(r);
        if ((f.frames + r.Frames()) % sampleEvery == 0)
          f.samples.push_back(Sample(f.frames + r.Frames(), false));
      }
      r.Close();
      if (!r.Exited()) {
        f.errors.push_back(
            "session " + std::to_string(f.sessions) + " (seed " + std::to_string(sessionSeed) +
            ") did not end when closed: screen " +
            std::to_string(static_cast<int>(r.H().Shell().CurrentScreen())) + ", game phase " +
            std::to_string(r.H().Shell().RunningGame()
                               ? static_cast<int>(r.H().Shell().RunningGame()->Phase())
                               : -99) +
            ", engine opens " + std::to_string(Engine().ihOpenCount()) + ", active " +
            std::to_string(r.H().Platform().active) + ", window open " +
            std::to_string(r.H().Platform().windowOpen));
        std::fprintf(stderr, "%s\n", f.errors.back().c_str());
      }
      r.Finish();
      for (const auto& e : r.H().Platform().errors) f.errors.push_back(e);
      f.visited.insert(input.Visited().begin(), input.Visited().end());
      f.frames += r.Frames();
      if (progress) {
        std::printf("session %d (seed %u): %u frames, exit %d, total %llu frames\n", f.sessions,
                    sessionSeed, r.Frames(), r.H().ExitCode(),
                    static_cast<unsigned long long>(f.frames));
        std::fflush(stdout);
      }
    }
    ++f.sessions;
  }
  f.cpuSeconds = CpuSeconds() - cpu0;
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  f.peakRssKb = usage.ru_maxrss;
  return f;
}

std::string Describe(const SoakFigures& f) {
  std::ostringstream out;
  out << "frames " << f.frames << " (" << f.frames / 60.0 / 60.0 << " min of game time), sessions "
      << f.sessions << ", CPU " << f.cpuSeconds << " s, peak RSS " << f.peakRssKb << " kB\n";
  out << "visited:";
  for (int v : f.visited) out << ' ' << v;
  out << "\nsamples (frame, RSS kB, heap bytes, engine objects, * = menu after start):\n";
  for (const auto& s : f.samples)
    out << "  " << s.frame << ' ' << s.rssKb << ' ' << s.heap << ' ' << s.objects
        << (s.sessionStart ? " *" : "") << "\n";
  for (const auto& e : f.errors) out << "error: " << e << "\n";
  return out.str();
}

}  // namespace gh::test::replay
