#include "server/VerifierProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <stdexcept>

namespace gh::scores {

namespace {

constexpr size_t MaxAnswerBytes = 4096;

void CloseFd(int& fd) {
  if (fd >= 0) close(fd);
  fd = -1;
}

}  // namespace

int64_t VerifierProcess::SteadyMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

StopSignal::StopSignal() {
  if (pipe2(fds_, O_CLOEXEC | O_NONBLOCK) != 0)
    throw std::runtime_error(std::string("no pipe: ") + std::strerror(errno));
}

StopSignal::~StopSignal() {
  CloseFd(fds_[0]);
  CloseFd(fds_[1]);
}

void StopSignal::Raise() {
  // Never read: once raised, every poll on it wakes at once.
  const char byte = 1;
  [[maybe_unused]] const ssize_t n = write(fds_[1], &byte, 1);
}

VerifierProcess::VerifierProcess(const VerifierCommand& command) {
  int pair[2];
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0)
    throw std::runtime_error(std::string("no socket pair: ") + std::strerror(errno));
  // The child reports a failed exec on this pipe; a successful one closes it.
  int report[2];
  if (pipe2(report, O_CLOEXEC) != 0) {
    close(pair[0]);
    close(pair[1]);
    throw std::runtime_error(std::string("no pipe: ") + std::strerror(errno));
  }
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(command.program.c_str()));
  for (const std::string& a : command.args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);

  const pid_t pid = fork();
  if (pid == 0) {
    // The child: only async-signal-safe calls until exec.
    if (command.memoryBytes > 0) {
      const rlimit limit{command.memoryBytes, command.memoryBytes};
      setrlimit(RLIMIT_AS, &limit);
    }
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    signal(SIGPIPE, SIG_DFL);
    dup2(pair[1], 0);
    dup2(pair[1], 1);
    // The server's sockets and database stay with the server.
    const int keep = report[1];
    if (keep > 3) close_range(3, static_cast<unsigned>(keep) - 1, 0);
    close_range(static_cast<unsigned>(keep) + 1, ~0u, 0);
    execvp(argv[0], argv.data());
    const int error = errno;
    [[maybe_unused]] const ssize_t n = write(keep, &error, sizeof error);
    _exit(127);
  }
  close(pair[1]);
  close(report[1]);
  if (pid < 0) {
    const int error = errno;
    close(pair[0]);
    close(report[0]);
    throw std::runtime_error(std::string("cannot start a process: ") + std::strerror(error));
  }
  pid_ = pid;
  fd_ = pair[0];
  int error = 0;
  ssize_t got;
  do {
    got = read(report[0], &error, sizeof error);
  } while (got < 0 && errno == EINTR);
  close(report[0]);
  if (got == static_cast<ssize_t>(sizeof error)) {
    ExitText();
    CloseFd(fd_);
    throw std::runtime_error("cannot run " + command.program + ": " + std::strerror(error));
  }
  fcntl(fd_, F_SETFL, fcntl(fd_, F_GETFL) | O_NONBLOCK);
}

VerifierProcess::~VerifierProcess() {
  if (!reaped_ && pid_ > 0) kill(pid_, SIGKILL);
  ExitText();
  CloseFd(fd_);
}

std::string VerifierProcess::ExitText() {
  if (!reaped_ && pid_ > 0) {
    // Its output is closed: it ends, or is made to.
    kill(pid_, SIGKILL);
    while (waitpid(pid_, &status_, 0) < 0 && errno == EINTR) {
    }
    reaped_ = true;
  }
  if (WIFEXITED(status_)) return "exited with status " + std::to_string(WEXITSTATUS(status_));
  if (WIFSIGNALED(status_)) return "killed by signal " + std::to_string(WTERMSIG(status_));
  return "ended";
}

VerifierProcess::Outcome VerifierProcess::Ask(std::string_view job, int64_t deadlineMs,
                                              const StopSignal& stop, std::string& line) {
  std::string out(4, '\0');
  const uint32_t length = static_cast<uint32_t>(job.size());
  for (int i = 0; i < 4; ++i) out[static_cast<size_t>(i)] = static_cast<char>(length >> (8 * i));
  out.append(job);
  size_t sent = 0;
  while (true) {
    if (const size_t nl = pending_.find('\n'); nl != std::string::npos) {
      line = pending_.substr(0, nl);
      pending_.erase(0, nl + 1);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      return Outcome::Answered;
    }
    if (pending_.size() > MaxAnswerBytes) return Outcome::TooLong;
    const int64_t left = deadlineMs - SteadyMs();
    if (left <= 0) return Outcome::TimedOut;
    pollfd fds[2] = {{fd_, static_cast<short>(POLLIN | (sent < out.size() ? POLLOUT : 0)), 0},
                     {stop.Fd(), POLLIN, 0}};
    const int ready = poll(fds, 2, static_cast<int>(std::min<int64_t>(left, 60000)));
    if (ready < 0 && errno != EINTR) return Outcome::Ended;
    if (ready <= 0) continue;
    if (fds[1].revents) return Outcome::Stopped;
    if (fds[0].revents & POLLOUT) {
      // MSG_NOSIGNAL: a child gone away is an answer, not a SIGPIPE.
      const ssize_t n = send(fd_, out.data() + sent, out.size() - sent, MSG_NOSIGNAL);
      if (n > 0) sent += static_cast<size_t>(n);
      if (n < 0 && errno != EAGAIN && errno != EINTR) return Outcome::Ended;
    }
    if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) {
      char buffer[1024];
      const ssize_t n = recv(fd_, buffer, sizeof buffer, 0);
      if (n == 0) return Outcome::Ended;
      if (n < 0 && errno != EAGAIN && errno != EINTR) return Outcome::Ended;
      if (n > 0) pending_.append(buffer, static_cast<size_t>(n));
    }
  }
}

}  // namespace gh::scores
