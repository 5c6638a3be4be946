// The game's entry point: the real platform and the engine library beside the program.
#include "shell/Program.h"

#include <limits.h>
#include <unistd.h>

#include <string>

#include "platform/SdlPlatform.h"

namespace {

// Data/, Config.cfg and play.url are found beside the program, wherever it was started from.
std::string ProgramFolder() {
  char path[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return ".";
  std::string full(path, static_cast<size_t>(n));
  const size_t slash = full.rfind('/');
  return slash == std::string::npos ? "." : full.substr(0, slash);
}

}  // namespace

int main() {
  const std::string folder = ProgramFolder();
  if (chdir(folder.c_str()) != 0) return 1;
  gh::SdlPlatform platform;
  return gh::ProgramMain(platform, folder + "/system.so");
}
