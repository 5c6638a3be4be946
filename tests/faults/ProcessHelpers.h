// Running the built program (or its launcher) as a separate process, and a
// virtual X display for it.
#pragma once
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "harness/ChildProcess.h"

namespace gh::test {

// Checks `done` every 50 ms until it holds or `seconds` passed: a real process
// runs on the wall clock. The deadlines are generous (loaded machine, sanitizers).
inline bool WaitFor(const std::function<bool()>& done, double seconds) {
  const auto end = std::chrono::steady_clock::now() +
                   std::chrono::milliseconds(static_cast<int>(seconds * 1000));
  while (std::chrono::steady_clock::now() < end) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return done();
}

inline std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline std::string CommandOutput(const std::string& command) {
  std::string out;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    pclose(pipe);
  }
  return out;
}

inline bool HaveTool(const std::string& tool) {
  return std::system(("command -v " + tool + " >/dev/null 2>&1").c_str()) == 0;
}

// An Xvfb server on a display number of its own choosing.
class VirtualDisplay {
 public:
  explicit VirtualDisplay(const std::filesystem::path& log) {
    int fds[2];
    if (pipe(fds) != 0) return;
    server_.emplace(std::vector<std::string>{"Xvfb", "-displayfd", std::to_string(fds[1]),
                                             "-screen", "0", "1024x768x24", "-nolisten", "tcp"},
                    std::vector<std::string>{}, std::vector<std::string>{}, log.string());
    close(fds[1]);
    std::string number;
    char c;
    while (read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    close(fds[0]);
    if (!number.empty() && server_->Started()) display_ = ":" + number;
  }
  bool Ready() const { return !display_.empty(); }
  const std::string& Name() const { return display_; }

 private:
  std::optional<ChildProcess> server_;
  std::string display_;
};

// Sanitizer builds: the desktop's own libraries leave allocations at exit that
// no suppression reaches; the program's leaks are the headless tests' business.
inline std::string NoLeakCheck() {
  const char* asan = std::getenv("ASAN_OPTIONS");
  return std::string("ASAN_OPTIONS=") + (asan && *asan ? std::string(asan) + ":" : "") +
         "detect_leaks=0";
}

}  // namespace gh::test
