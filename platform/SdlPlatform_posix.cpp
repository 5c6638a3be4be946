// The desktop parts of SdlPlatform that differ between systems: the clock and
// the URL opener (xdg-open).
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>

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

void SdlPlatform::ReapChildren() {
  std::erase_if(children_, [](pid_t pid) { return waitpid(pid, nullptr, WNOHANG) != 0; });
}

}  // namespace gh
