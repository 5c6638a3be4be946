// A started process with its output in a file, for tests that run the built
// program (or an X server, a window manager) beside themselves.
#pragma once
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
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
    Start(argv, set, unset, log);
  }
  ChildProcess(const std::vector<std::string>& argv, const std::vector<std::string>& set,
               const std::string& log) {
    Start(argv, set, {}, log);
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
  // The wait status once ended.
  int Status() const { return status_; }

 private:
  void Start(const std::vector<std::string>& argv, const std::vector<std::string>& set,
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

  pid_t pid_ = -1;
  bool ended_ = false;
  int status_ = 0;
};

}  // namespace gh::test
