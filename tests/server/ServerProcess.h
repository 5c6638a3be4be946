// The built gravelhorn2-scores started on a free loopback port; the port is read
// from its first line of output. Stopped with SIGTERM when the object goes.
#pragma once
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

extern char** environ;

namespace gh::scores::test {

class ServerProcess {
 public:
  ServerProcess(std::vector<std::string> args, const std::string& log) {
    args.insert(args.begin(), std::string(GH_BIN_DIR) + "/gravelhorn2-scores");
    args.insert(args.end(), {"--bind", "127.0.0.1", "--port", "0"});
    int out[2];
    if (pipe(out) != 0) return;
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addopen(&actions, 2, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    out_ = out[0];
    if (pid_ > 0) ReadPort();
  }
  ~ServerProcess() {
    Stop();
    if (out_ >= 0) close(out_);
  }
  ServerProcess(const ServerProcess&) = delete;
  ServerProcess& operator=(const ServerProcess&) = delete;

  int Port() const { return port_; }
  pid_t Pid() const { return pid_; }
  // For a caller that waited for the process itself.
  void Reaped() { pid_ = -1; }
  std::string Address() const { return "http://127.0.0.1:" + std::to_string(port_); }
  const std::string& Output() const { return output_; }

  // Sends SIGTERM and waits; the exit code (-1 for a signal or no process).
  int Stop() {
    if (pid_ <= 0) return exitCode_;
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return exitCode_;
  }

 private:
  // Reads until "listening on 127.0.0.1:<port>" has come, the process closed
  // its output, or a minute passed.
  void ReadPort() {
    const std::string marker = "listening on 127.0.0.1:";
    for (int rounds = 0; rounds < 600; ++rounds) {
      pollfd p{out_, POLLIN, 0};
      if (poll(&p, 1, 100) < 0) return;
      if (p.revents == 0) continue;
      char buffer[256];
      const ssize_t n = read(out_, buffer, sizeof buffer);
      if (n <= 0) return;
      output_.append(buffer, static_cast<size_t>(n));
      const size_t at = output_.find(marker);
      if (at != std::string::npos && output_.find(',', at) != std::string::npos) {
        port_ = std::stoi(output_.substr(at + marker.size()));
        return;
      }
    }
  }

  pid_t pid_ = -1;
  int out_ = -1;
  int port_ = 0;
  int exitCode_ = -1;
  std::string output_;
};

}  // namespace gh::scores::test
