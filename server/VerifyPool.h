// The verification of uploaded recordings: a bounded pool of verifier
// processes ("gravelhorn2-verify --data DIR --serve"), each playing one
// recording at a time again, with a bounded queue in front. A row whose
// recording finds the queue full stays pending in the database and is picked
// up from there later: at start, when the queue has emptied, and every half
// minute of idleness (rows uploaded through another front end on the same
// database are found so too).
#pragma once
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "server/Storage.h"
#include "server/VerifierProcess.h"

namespace gh::scores {

struct VerifyOptions {
  int workers = 2;  // verifier processes; 0: nothing is verified
  std::string program = "gravelhorn2-verify";
  // The folder that holds the game's Data/; empty: the program's own folder,
  // where its installation puts the data beside it.
  std::string dataDir;
  size_t queue = 64;        // recordings waiting for a worker, at most
  int jobSeconds = 30;      // one recording at most; then the worker is killed
  int64_t memoryMb = 1024;  // each worker's address space at most; 0: no limit
};

// The verifier's answer for a row that claims `claimedScore`: the state and
// reason it leaves the row with, and the frames played.
struct Verdict {
  RecordingState state = RecordingState::Refused;
  std::string reason;
  int64_t frames = 0;
};
Verdict ReadVerdict(const std::string& line, int64_t claimedScore);

class VerifyPool {
 public:
  using Log = std::function<void(const std::string&)>;

  VerifyPool(Storage& storage, VerifyOptions options, Log log);
  // Ends the jobs under way (their rows stay pending) and the workers.
  ~VerifyPool();
  VerifyPool(const VerifyPool&) = delete;
  VerifyPool& operator=(const VerifyPool&) = delete;

  // Row `id`'s recording waits for verification.
  void Enqueue(int64_t id);
  // Recordings in the queue now (not those being played).
  size_t Queued() const;
  // Waits until nothing is queued, being played or left to pick up from the
  // database, at most `limit`; true when so.
  bool WaitIdle(std::chrono::milliseconds limit) const;

 private:
  void Work();
  void Verify(int64_t id, std::unique_ptr<VerifierProcess>& process);
  void Rescan();
  void Note(const std::string& line) {
    if (log_) log_(line);
  }

  Storage& storage_;
  VerifyOptions options_;
  Log log_;
  VerifierCommand command_;
  StopSignal stop_;

  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  std::deque<int64_t> queue_;
  std::set<int64_t> queued_, playing_;
  bool rescan_ = true;  // pending rows may wait in the database
  int scanning_ = 0;    // workers reading them
  bool stopping_ = false;
  std::vector<std::thread> threads_;
};

}  // namespace gh::scores
