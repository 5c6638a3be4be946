// The desktop parts of SdlPlatform that differ between systems: the clock and
// the URL opener (xdg-open).
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>

#include "platform/SdlPlatform.h"

extern char** environ;

namespace gh {

uint32_t SdlPlatform::TickCount() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  const uint64_t ms = static_cast<uint64_t>(ts.tv_sec) * 1000u + ts.tv_nsec / 1000000;
  return static_cast<uint32_t>(ms);
}

void SdlPlatform::ShellOpen(const std::string& target) {
  ReapChildren();
  // An argument vector, never a shell command line: the target may hold anything.
  std::string program = "xdg-open";
  char* argv[] = {program.data(), const_cast<char*>(target.c_str()), nullptr};
  pid_t pid = 0;
  if (posix_spawnp(&pid, "xdg-open", nullptr, nullptr, argv, environ) == 0) {
    children_.push_back(pid);
  }
}

namespace {

// SDL's own handlers turn the signals into a quit event, which a message box
// never reads: the desktop's request to end would hang on the box.
extern "C" void EndAtOnce(int) { _exit(1); }

struct StopSignals {
  struct sigaction term {};
  struct sigaction interrupt {};
  bool saved = false;
};

StopSignals& SavedStopSignals() {
  static StopSignals saved;
  return saved;
}

}  // namespace

void SdlPlatform::EndOnStopSignals(bool on) {
  StopSignals& saved = SavedStopSignals();
  if (on) {
    struct sigaction end {};
    end.sa_handler = EndAtOnce;
    sigemptyset(&end.sa_mask);
    saved.saved = sigaction(SIGTERM, &end, &saved.term) == 0 &&
                  sigaction(SIGINT, &end, &saved.interrupt) == 0;
  } else if (saved.saved) {
    sigaction(SIGTERM, &saved.term, nullptr);
    sigaction(SIGINT, &saved.interrupt, nullptr);
    saved.saved = false;
  }
}

void SdlPlatform::ReapChildren() {
  std::erase_if(children_, [](pid_t pid) { return waitpid(pid, nullptr, WNOHANG) != 0; });
}

}  // namespace gh
