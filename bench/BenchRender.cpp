// Window-backend cost against the floor: runs floor_quads and the engine (this
// program in its child mode, drawing the same N quads through system.so with
// the program's frame loop) for 600 frames each, and prints CPU seconds per second,
// frame-interval percentiles and the time from exec to the first presented frame.
//
//   bench_render [quads...]          driver (default: 200 2000); needs DISPLAY
//   bench_render --engine N FRAMES   child: the engine drawing N quads
#include <SDL.h>
#include <dlfcn.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "BenchStats.h"
#include "engine/EngineSettings.h"
#include "impact_types.h"

extern char** environ;

namespace {

constexpr int kFrames = 600;

std::string ExeDir() { return std::filesystem::canonical("/proc/self/exe").parent_path().string(); }

// ---- child: the engine -----------------------------------------------------------

struct Calls {
#define IMPACT_FN(ret, name, params) ret(*name) params = nullptr;
#include "impact_api.inc"
#undef IMPACT_FN
};

int RunEngine(int quads, int frames) {
  void* lib = dlopen((ExeDir() + "/system.so").c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!lib) {
    std::fprintf(stderr, "bench_render: %s\n", dlerror());
    return 1;
  }
  Calls c;
#define IMPACT_FN(ret, name, params)                                   \
  c.name = reinterpret_cast<ret(*) params>(dlsym(lib, #name));         \
  if (!c.name) {                                                       \
    std::fprintf(stderr, "bench_render: system.so lacks " #name "\n"); \
    return 1;                                                          \
  }
#include "impact_api.inc"
#undef IMPACT_FN

  // The files the engine reads: the quad model and one 64 x 64 picture.
  char tmpl[] = "/tmp/gh-bench-XXXXXX";
  if (!mkdtemp(tmpl)) return 1;
  const std::string dir = tmpl;
  std::ofstream(dir + "/sprite.x") << "gravelhorn-quad 1\nsize 1.6 1.6\n";
  SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, 64, 64, 32, SDL_PIXELFORMAT_RGBA32);
  auto* px = static_cast<uint8_t*>(s->pixels);
  for (int i = 0; i < 64 * 64; ++i) {
    px[i * 4 + 0] = static_cast<uint8_t>(i * 7);
    px[i * 4 + 1] = 128;
    px[i * 4 + 2] = static_cast<uint8_t>(i);
    px[i * 4 + 3] = (i % 64 < 8) ? 0 : 255;
  }
  SDL_SaveBMP(s, (dir + "/quad.bmp").c_str());
  SDL_FreeSurface(s);

  if (!c.i3ImpactOpen(0, 0)) {
    std::fprintf(stderr, "bench_render: the engine did not open: %s\n", c.i3ImpactErrorText());
    return 1;
  }
  c.i3ImpactSettings(gh::EngineSettings::Windowed().Record());
  std::mt19937 rng(7);  // the floor's places
  uint64_t first = 0;
  std::vector<uint64_t> starts;
  starts.reserve(static_cast<size_t>(frames));
  double cpu0 = 0;
  uint64_t wall0 = 0;
  int done = 0;
  // The program's frame loop.
  while (c.i3ImpactIsRendering() && done < frames) {
    if (c.i3ImpactIsActive() && c.i3ImpactIsReady()) {
      c.i3ImpactMain();
      const uint64_t now = bench::MonotonicNs();
      if (done == 1) {
        cpu0 = bench::CpuSeconds();
        wall0 = now;
      }
      starts.push_back(now);
      if (c.i3ImpactIsInitializing()) {
        c.i3ImpactInitBegin();
        int32_t tex = c.iTextureCreate((dir + "/quad.bmp").c_str());
        for (int i = 0; i < quads; ++i) {
          int32_t q = c.iSpriteCreate((dir + "/sprite.x").c_str(), 0);
          c.iSpriteTextureSet(q, tex);
          iVec2 scale{1.6f, 1.6f};
          const float x = (rng() % 737) + 32.0f, y = (rng() % 537) + 32.0f;
          iVec2 at{x / 25 - 16, 12 - y / 25};
          c.iSpriteScaleSet(q, &scale);
          c.iSpriteLocationSet(q, &at);
          c.iSpriteShow(q);
        }
        c.i3ImpactInitEnd();
      }
      c.i3ImpactRunBegin();
      c.i3ImpactRunEnd();
      if (!c.i3ImpactIsSkippingRenderPhase()) c.i3ImpactRender();
      if (done == 0) first = bench::MonotonicNs();
      ++done;
    }
    c.iProcessMessages();
  }
  bench::Report(first, bench::CpuSeconds() - cpu0, (bench::MonotonicNs() - wall0) / 1e9, starts);
  c.iReset(-1, -1);
  c.i3ImpactClose();
  std::filesystem::remove_all(dir);
  return 0;
}

// ---- driver ------------------------------------------------------------------------

struct Result {
  std::map<std::string, double> values;
  double startMs = 0;
  double childCpu = 0;
  bool ok = false;
};

Result Run(const std::vector<std::string>& args) {
  Result r;
  int pipeFd[2];
  if (pipe(pipeFd) != 0) return r;
  posix_spawn_file_actions_t fa;
  posix_spawn_file_actions_init(&fa);
  posix_spawn_file_actions_adddup2(&fa, pipeFd[1], 1);
  posix_spawn_file_actions_addclose(&fa, pipeFd[0]);
  std::vector<char*> argv;
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const uint64_t spawnNs = bench::MonotonicNs();
  pid_t pid;
  int rc = posix_spawn(&pid, argv[0], &fa, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&fa);
  close(pipeFd[1]);
  if (rc != 0) {
    close(pipeFd[0]);
    return r;
  }
  std::string out;
  char buf[4096];
  ssize_t n;
  while ((n = read(pipeFd[0], buf, sizeof buf)) > 0) out.append(buf, static_cast<size_t>(n));
  close(pipeFd[0]);
  int status = 0;
  rusage ru{};
  wait4(pid, &status, 0, &ru);
  r.childCpu =
      ru.ru_utime.tv_sec + ru.ru_stime.tv_sec + (ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
  size_t pos = 0;
  while (pos < out.size()) {
    size_t end = out.find('\n', pos);
    if (end == std::string::npos) end = out.size();
    std::string line = out.substr(pos, end - pos);
    size_t eq = line.find('=');
    if (eq != std::string::npos)
      r.values[line.substr(0, eq)] = std::strtod(line.c_str() + eq + 1, nullptr);
    pos = end + 1;
  }
  r.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0 && r.values.count("cpu_s");
  if (r.ok) r.startMs = (r.values["first_frame_ns"] - static_cast<double>(spawnNs)) / 1e6;
  return r;
}

void Print(const char* who, int quads, const Result& r, double floorMsPerFrame) {
  if (!r.ok) {
    std::printf("%-7s %6d  failed to run\n", who, quads);
    return;
  }
  const double cpuPerS = r.values.at("cpu_s") / r.values.at("wall_s");
  const double msPerFrame = r.values.at("cpu_s") * 1000 / std::max(1.0, r.values.at("frames") - 1);
  std::printf("%-7s %6d  %8.3f  %6s  %7.2f  %6.2f %6.2f %6.2f %7.2f  %8.1f  %7.2f\n", who, quads,
              cpuPerS,
              floorMsPerFrame > 0
                  ? (std::to_string(msPerFrame / floorMsPerFrame).substr(0, 4) + "x").c_str()
                  : "-",
              msPerFrame, r.values.at("p50_ms"), r.values.at("p90_ms"), r.values.at("p99_ms"),
              r.values.at("max_ms"), r.startMs, r.childCpu);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 4 && std::strcmp(argv[1], "--engine") == 0)
    return RunEngine(std::atoi(argv[2]), std::atoi(argv[3]));

  const char* display = std::getenv("DISPLAY");
  if (!display || !*display) {
    std::printf("bench_render needs a display: run it under xvfb-run (see bench/README.md)\n");
    return 0;
  }
  std::vector<int> counts;
  for (int i = 1; i < argc; ++i) counts.push_back(std::atoi(argv[i]));
  if (counts.empty()) counts = {200, 2000};
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  const std::string dir = ExeDir();
  std::printf("%d frames at 60 Hz per run; quads of 64 x 64 pixels, alpha-blended\n\n", kFrames);
  std::printf(
      "program  quads  CPU s/s  vs floor  CPU ms/f  p50    p90    p99    max ms   start ms  "
      "CPU s total\n");
  for (int q : counts) {
    Result floor = Run({dir + "/floor_quads", std::to_string(q), std::to_string(kFrames)});
    Result engine =
        Run({dir + "/bench_render", "--engine", std::to_string(q), std::to_string(kFrames)});
    double floorCpu =
        floor.ok ? floor.values["cpu_s"] * 1000 / std::max(1.0, floor.values["frames"] - 1) : 0;
    Print("floor", q, floor, 0);
    Print("engine", q, engine, floorCpu);
  }
  std::printf(
      "\nHow to read: CPU s/s is CPU seconds used per second of steady running (1.0 = one core\n"
      "busy), measured from the second frame to the last. CPU ms/f is CPU per frame, the fair\n"
      "figure even when a loaded machine keeps a program from holding 60 Hz; 'vs floor' divides\n"
      "the engine's CPU per frame by the floor's (target: within 1.5x). p50..max are intervals "
      "between frame starts in ms\n"
      "(16.67 is exactly 60 Hz; a high p99 or max means stutter). 'start ms' is the time from\n"
      "exec to the first presented frame. 'CPU s total' is the whole process, start-up included.\n"
      "With Mesa's software renderer (Xvfb) drawing happens on the CPU, so both figures include\n"
      "rasterising; on a GPU the floor is far lower and the ratio matters more.\n");
  return 0;
}
