// The verifier's speed: a long recorded game (the scripted player's, left
// after `minutes` of play) played again on the headless engine, against real
// time (60 frames a second), with the start-up apart and the memory it holds.
// Each round is interleaved with a run of bench_replay_speed (the kept game
// replay, the whole program) and a start of the verifier program itself, so
// the figures of one round share the machine's load. Prints figures; never
// fails on time.
//
//   bench_verify_speed [rounds=5] [minutes=20]
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "BenchStats.h"
#include "engine/EngineCalls.h"
#include "platform/System.h"
#include "verify/Verifier.h"

namespace {

void PrintLoad(const char* when) {
  double load[3] = {};
  if (getloadavg(load, 3) == 3)
    std::printf("load average %s: %.2f %.2f %.2f\n", when, load[0], load[1], load[2]);
}

// Resident memory now (VmRSS) and at its peak (VmHWM), in MiB.
std::pair<double, double> Memory() {
  std::ifstream in("/proc/self/status");
  std::string key;
  double rss = 0, peak = 0;
  while (in >> key) {
    double kb = 0;
    if (key == "VmRSS:" && in >> kb) rss = kb / 1024;
    if (key == "VmHWM:" && in >> kb) peak = kb / 1024;
  }
  return {rss, peak};
}

// The warm rounds' "x real time" (CPU and wall) of one bench_replay_speed run:
// the mean of its rounds after the first, which decodes the pictures.
std::string ReplayFigures() {
  const std::string command = std::string(GH_BIN_DIR) + "/bench_replay_speed game 3 2>&1";
  std::FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return "not run";
  char line[512];
  double cpu = 0, wall = 0;
  int warm = 0;
  while (std::fgets(line, sizeof line, pipe)) {
    int round = 0;
    unsigned frames = 0;
    double c = 0, w = 0, xc = 0, xw = 0;
    if (std::sscanf(line, "%d %u %lf %lf %lf %lf", &round, &frames, &c, &w, &xc, &xw) == 6 &&
        round > 1) {
      cpu += xc;
      wall += xw;
      ++warm;
    }
  }
  pclose(pipe);
  if (warm == 0) return "no figures";
  char out[64];
  std::snprintf(out, sizeof out, "%7.0f  %7.0f", cpu / warm, wall / warm);
  return out;
}

// The verifier program started for nothing (no job): loading the engine
// library, opening it headless, reading the data's version, ending. ms wall.
double ProgramStartMs() {
  const std::string command = std::string(GH_BIN_DIR) + "/gravelhorn2-verify --data " + GH_BIN_DIR +
                              " --serve </dev/null >/dev/null";
  const uint64_t t0 = bench::MonotonicNs();
  const int status = std::system(command.c_str());
  const double ms = (bench::MonotonicNs() - t0) / 1e6;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? ms : -1;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::atoi(argv[1]) : 5;
  const int minutes = argc > 2 ? std::atoi(argv[2]) : 20;
  if (rounds < 1 || minutes < 1 || minutes > 240) {
    std::fprintf(stderr, "usage: bench_verify_speed [rounds=5] [minutes=20]\n");
    return 2;
  }
  PrintLoad("before");
  if (!gh::EnterFolder(GH_BIN_DIR)) return 1;

  // The recording, made by the program in a process of its own, so that this
  // process's first verification finds nothing decoded yet.
  const std::string file =
      (std::filesystem::temp_directory_path() / "bench_verify_speed.rec").string();
  const std::string command = std::string(GH_BIN_DIR) + "/gravelhorn2-verify --data " + GH_BIN_DIR +
                              " --bot 2027 " + file + " --minutes " + std::to_string(minutes) +
                              " >/dev/null";
  uint64_t t0 = bench::MonotonicNs();
  if (std::system(command.c_str()) != 0) {
    std::fprintf(stderr, "%s failed\n", command.c_str());
    return 1;
  }
  const double makeSeconds = (bench::MonotonicNs() - t0) / 1e9;
  const gh::Result<std::string> bytes = gh::ReadFileStart(file, gh::RecordingLimits{}.MaxBytes);
  const gh::Result<gh::GameRecording> made =
      bytes ? gh::DecodeRecording(*bytes) : gh::Result<gh::GameRecording>(bytes.error());
  if (!made) {
    std::fprintf(stderr, "%s: %s\n", file.c_str(), made.error().message.c_str());
    return 1;
  }
  std::printf(
      "recording: the scripted player (seed 2027, leaves after %d minutes), %zu frames "
      "(%.1f min of game), score %d, level %d, %zu bytes; the program made it in %.2f s\n",
      minutes, made->Frames.size(), made->Frames.size() / 3600.0, made->Score, made->Level + 1,
      bytes->size(), makeSeconds);

  t0 = bench::MonotonicNs();
  double c0 = bench::CpuSeconds();
  gh::Result<std::unique_ptr<gh::Verifier>> opened =
      gh::Verifier::Open(gh::LibraryPath(GH_BIN_DIR, "system"));
  if (!opened) {
    std::fprintf(stderr, "%s\n", opened.error().message.c_str());
    return 1;
  }
  gh::Verifier& verifier = **opened;
  std::printf(
      "start-up in this process (engine library loaded and opened headless, data "
      "version read): %.1f ms wall, %.1f ms CPU\n",
      (bench::MonotonicNs() - t0) / 1e6, (bench::CpuSeconds() - c0) * 1e3);

  t0 = bench::MonotonicNs();
  c0 = bench::CpuSeconds();
  const gh::Result<gh::VerifyOutcome> first = verifier.Verify(*bytes);
  if (!first) {
    std::fprintf(stderr, "%s\n", first.error().message.c_str());
    return 1;
  }
  std::printf(
      "first verification (the scene's pictures decoded on the way): %.3f s wall, %.3f s "
      "CPU: %s\n",
      (bench::MonotonicNs() - t0) / 1e9, bench::CpuSeconds() - c0, gh::OutcomeLine(*first).c_str());

  std::printf(
      "\nround  verify: CPU s  wall s  x real (CPU)  x real (wall)  us/frame  RSS MiB  peak MiB  "
      "same | replay x real (CPU, wall) | program start ms\n");
  const double gameSeconds = made->Frames.size() / 60.0;
  for (int round = 1; round <= rounds; ++round) {
    c0 = bench::CpuSeconds();
    t0 = bench::MonotonicNs();
    const gh::Result<gh::VerifyOutcome> again = verifier.Verify(*bytes);
    const double cpu = bench::CpuSeconds() - c0;
    const double wall = (bench::MonotonicNs() - t0) / 1e9;
    const auto [rss, peak] = Memory();
    const bool same = again && gh::OutcomeLine(*again) == gh::OutcomeLine(*first);
    std::printf("%5d  %13.3f  %6.3f  %12.0f  %13.0f  %8.2f  %7.1f  %8.1f  %4s", round, cpu, wall,
                gameSeconds / cpu, gameSeconds / wall, cpu / made->Frames.size() * 1e6, rss, peak,
                same ? "yes" : "NO");
    std::fflush(stdout);
    const std::string replay = ReplayFigures();
    std::printf(" | %s | %.1f\n", replay.c_str(), ProgramStartMs());
    std::fflush(stdout);
  }
  PrintLoad("after");
  std::printf(
      "\nverify: the recording decoded, checked and played again from its first frame to its\n"
      "last, the game's scene built anew each round. replay: bench_replay_speed game 3, the\n"
      "mean of its rounds 2-3. program start: gravelhorn2-verify --serve with no job, the\n"
      "whole process.\n");
  return first->Verified ? 0 : 1;
}
