// The desktop parts of SdlPlatform that differ between systems: the clock and
// the URL opener (xdg-open).
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <utility>

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
    children_.push_back({pid, target});
  } else {
    failedOpens_.push_back(target);  // no xdg-open at all
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

// xdg-open ends with a nonzero status when no handler could be started; it may
// also go on running as long as the browser it started, which is success. It is
// never waited for: the frame loop asks now and then.
void SdlPlatform::ReapChildren() {
  std::erase_if(children_, [this](const Child& child) {
    int status = 0;
    const pid_t done = waitpid(child.pid, &status, WNOHANG);
    if (done == 0) return false;
    if (done < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
      failedOpens_.push_back(child.target);
    return true;
  });
}

std::vector<std::string> SdlPlatform::FailedOpens() {
  ReapChildren();
  return std::exchange(failedOpens_, {});
}

}  // namespace gh
