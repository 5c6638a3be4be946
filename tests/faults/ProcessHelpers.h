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

extern char** environ;

namespace gh::test {

// A started process with its output (both streams) in a file; killed and
// reaped when the object goes if it has not ended.
class ChildProcess {
 public:
  // `unset` names variables removed from the inherited environment; `set`
  // entries ("NAME=value") replace or add.
  ChildProcess(const std::vector<std::string>& argv, const std::vector<std::string>& set,
               const std::vector<std::string>& unset, const std::string& log) {
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    std::vector<std::string> envStrings;
    for (char** e = environ; *e; ++e) {
      const std::string entry = *e;
      const std::string key = entry.substr(0, entry.find('=') + 1);
      bool drop = false;
      for (const auto& x : set) drop = drop || x.rfind(key, 0) == 0;
      for (const auto& x : unset) drop = drop || key == x + "=";
      if (!drop) envStrings.push_back(entry);
    }
    for (const auto& e : set) envStrings.push_back(e);
    std::vector<char*> env;
    for (auto& e : envStrings) env.push_back(e.data());
    env.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    if (posix_spawnp(&pid_, args[0], &actions, nullptr, args.data(), env.data()) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
  }
  ~ChildProcess() {
    if (pid_ > 0 && !ended_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool Started() const { return pid_ > 0; }
  bool Ended() {
    if (ended_) return true;
    int status = 0;
    if (pid_ > 0 && waitpid(pid_, &status, WNOHANG) == pid_) {
      ended_ = true;
      status_ = status;
    }
    return ended_;
  }
  void Signal(int sig) {
    if (pid_ > 0 && !ended_) kill(pid_, sig);
  }
  // The exit code, or -1 when it ended by a signal (or has not ended).
  int ExitCode() const { return ended_ && WIFEXITED(status_) ? WEXITSTATUS(status_) : -1; }

 private:
  pid_t pid_ = -1;
  bool ended_ = false;
  int status_ = 0;
};

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
