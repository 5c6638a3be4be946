// The desktop parts of SdlPlatform that differ between systems: the clock and
// the URL opener (xdg-open).
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>

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
