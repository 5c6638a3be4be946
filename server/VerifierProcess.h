// One verifier process of the pool: started with a memory limit, fed one job at
// a time on its standard input and answering one line on its standard output,
// every exchange bounded in time. The server's only process calls live here.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace gh::scores {

struct VerifierCommand {
  std::string program;  // a path, or a name looked up in PATH
  std::vector<std::string> args;
  uint64_t memoryBytes = 0;  // the process's address space at most; 0: no limit
};

// Wakes an exchange under way from another thread (the server stopping).
class StopSignal {
 public:
  StopSignal();
  ~StopSignal();
  StopSignal(const StopSignal&) = delete;
  StopSignal& operator=(const StopSignal&) = delete;
  void Raise();
  int Fd() const { return fds_[0]; }

 private:
  int fds_[2] = {-1, -1};
};

class VerifierProcess {
 public:
  // Starts the program; std::runtime_error says why it could not be.
  explicit VerifierProcess(const VerifierCommand& command);
  // Kills the process (if it still runs) and waits for it.
  ~VerifierProcess();
  VerifierProcess(const VerifierProcess&) = delete;
  VerifierProcess& operator=(const VerifierProcess&) = delete;

  enum class Outcome {
    Answered,  // `line` holds the answer, without its newline
    TimedOut,  // no whole answer by the deadline
    Ended,     // the process closed its output or died: ExitText says how
    TooLong,   // an answer line longer than any the protocol has
    Stopped,   // the stop signal was raised
  };
  // Sends one job (its length as 4 bytes little-endian, then its bytes) and
  // reads the one line that answers it, both before `deadlineMs` (a steady
  // clock's milliseconds, SteadyMs).
  Outcome Ask(std::string_view job, int64_t deadlineMs, const StopSignal& stop, std::string& line);
  // How the process ended ("exited with status 3", "killed by signal 9");
  // waits for it.
  std::string ExitText();

  static int64_t SteadyMs();

 private:
  int pid_ = -1;
  int fd_ = -1;          // both ways: a socket is the child's standard input and output
  std::string pending_;  // bytes read past the last answer
  bool reaped_ = false;
  int status_ = 0;
};

}  // namespace gh::scores
