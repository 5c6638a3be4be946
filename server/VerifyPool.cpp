#include "server/VerifyPool.h"

#include <charconv>
#include <exception>
#include <filesystem>

namespace gh::scores {

namespace {

// A reason as the page and the log show it: one printable line, bounded.
std::string CleanReason(std::string_view text) {
  std::string out;
  for (const unsigned char c : text.substr(0, 200)) out.push_back(c >= 0x20 && c != 0x7F ? c : '?');
  if (out.empty()) out = "no reason given";
  return out;
}

bool ReadNumber(std::string_view& text, int64_t& value) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end == text.data()) return false;
  text.remove_prefix(static_cast<size_t>(end - text.data()));
  return true;
}

constexpr std::string_view VerifiedWord = "verified ";
constexpr std::string_view RefusedWord = "refused ";

}  // namespace

Verdict ReadVerdict(const std::string& line, int64_t claimedScore) {
  std::string_view text(line);
  if (text.substr(0, RefusedWord.size()) == RefusedWord)
    return {RecordingState::Refused, CleanReason(text.substr(RefusedWord.size())), 0};
  int64_t score = 0, level = 0, frames = 0;
  if (text.substr(0, VerifiedWord.size()) == VerifiedWord) {
    text.remove_prefix(VerifiedWord.size());
    if (ReadNumber(text, score) && ReadNumber(text, level) && ReadNumber(text, frames) &&
        text.find_first_not_of(' ') == std::string_view::npos) {
      if (score != claimedScore)
        return {RecordingState::Refused,
                "the recording ends with score " + std::to_string(score) + ", not " +
                    std::to_string(claimedScore),
                frames};
      return {RecordingState::Verified, "", frames};
    }
  }
  return {RecordingState::Refused, "the verifier's answer was not understood", 0};
}

VerifyPool::VerifyPool(Storage& storage, VerifyOptions options, Log log)
    : storage_(storage), options_(std::move(options)), log_(std::move(log)) {
  command_.program = options_.program;
  std::string dataDir = options_.dataDir;
  if (dataDir.empty()) {
    const std::filesystem::path folder = std::filesystem::path(options_.program).parent_path();
    dataDir = folder.empty() ? "." : folder.string();
  }
  command_.args = {"--data", dataDir, "--serve"};
  command_.memoryBytes = static_cast<uint64_t>(options_.memoryMb) << 20;
  for (int i = 0; i < options_.workers; ++i) threads_.emplace_back([this] { Work(); });
}

VerifyPool::~VerifyPool() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  stop_.Raise();
  changed_.notify_all();
  for (std::thread& t : threads_) t.join();
}

void VerifyPool::Enqueue(int64_t id) {
  {
    std::lock_guard lock(mutex_);
    if (threads_.empty() || queued_.count(id) || playing_.count(id)) return;
    if (queue_.size() >= options_.queue) {
      rescan_ = true;  // it waits in the database
      return;
    }
    queue_.push_back(id);
    queued_.insert(id);
  }
  changed_.notify_all();
}

size_t VerifyPool::Queued() const {
  std::lock_guard lock(mutex_);
  return queue_.size();
}

bool VerifyPool::WaitIdle(std::chrono::milliseconds limit) const {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, limit, [this] {
    return threads_.empty() || (queue_.empty() && playing_.empty() && !rescan_ && scanning_ == 0);
  });
}

// Fills the queue from the database's pending rows, oldest first; when some
// did not fit, the next empty queue looks again.
void VerifyPool::Rescan() {
  const int limit = static_cast<int>(options_.queue + threads_.size());
  std::vector<int64_t> ids;
  try {
    ids = storage_.PendingRecordings(limit);
  } catch (const std::exception& e) {
    Note(std::string("pending recordings not read: ") + e.what());
  }
  {
    std::lock_guard lock(mutex_);
    bool left = false;
    for (const int64_t id : ids) {
      if (queued_.count(id) || playing_.count(id)) continue;
      if (queue_.size() >= options_.queue) {
        left = true;
        continue;
      }
      queue_.push_back(id);
      queued_.insert(id);
    }
    rescan_ = rescan_ || left || static_cast<int>(ids.size()) == limit;
  }
  changed_.notify_all();
}

void VerifyPool::Work() {
  std::unique_ptr<VerifierProcess> process;
  std::unique_lock lock(mutex_);
  while (true) {
    // Rows uploaded through another front end on the same database are found
    // by looking now and then.
    if (!changed_.wait_for(lock, std::chrono::seconds(30),
                           [this] { return stopping_ || !queue_.empty() || rescan_; }))
      rescan_ = true;
    if (stopping_) break;
    if (queue_.empty()) {
      rescan_ = false;
      ++scanning_;
      lock.unlock();
      Rescan();
      lock.lock();
      --scanning_;
      changed_.notify_all();
      continue;
    }
    const int64_t id = queue_.front();
    queue_.pop_front();
    queued_.erase(id);
    playing_.insert(id);
    lock.unlock();
    Verify(id, process);
    lock.lock();
    playing_.erase(id);
    changed_.notify_all();
  }
}

void VerifyPool::Verify(int64_t id, std::unique_ptr<VerifierProcess>& process) {
  std::optional<PendingRecording> job;
  try {
    job = storage_.LoadPending(id);
  } catch (const std::exception& e) {
    Note("recording of row " + std::to_string(id) + " not read: " + e.what());
    return;
  }
  if (!job) return;  // gone, or verified meanwhile
  if (!process) {
    try {
      process = std::make_unique<VerifierProcess>(command_);
    } catch (const std::exception& e) {
      // Misconfigured: the row waits, and the next worker to free tries again.
      Note(std::string("no verifier: ") + e.what());
      std::unique_lock lock(mutex_);
      changed_.wait_for(lock, std::chrono::seconds(10), [this] { return stopping_; });
      rescan_ = true;
      return;
    }
  }
  std::string line;
  const int64_t deadline = VerifierProcess::SteadyMs() + int64_t(options_.jobSeconds) * 1000;
  Verdict verdict;
  switch (process->Ask(job->bytes, deadline, stop_, line)) {
    case VerifierProcess::Outcome::Stopped:
      return;  // the row stays pending for the next start
    case VerifierProcess::Outcome::Answered:
      verdict = ReadVerdict(line, job->score);
      if (verdict.reason == "the verifier's answer was not understood") process.reset();
      break;
    case VerifierProcess::Outcome::TimedOut:
      process.reset();  // killed; a fresh one takes the next job
      verdict.reason = "took too long";
      break;
    case VerifierProcess::Outcome::Ended:
      verdict.reason = "the verifier stopped (" + process->ExitText() + ")";
      process.reset();
      break;
    case VerifierProcess::Outcome::TooLong:
      process.reset();
      verdict.reason = "the verifier's answer was not understood";
      break;
  }
  try {
    storage_.SetVerification(id, verdict.state, verdict.reason, verdict.frames);
  } catch (const std::exception& e) {
    Note("verification of row " + std::to_string(id) + " not stored: " + e.what());
    return;
  }
  Note("recording of row " + std::to_string(id) +
       (verdict.state == RecordingState::Verified
            ? " verified (" + std::to_string(verdict.frames) + " frames)"
            : " refused: " + verdict.reason));
}

}  // namespace gh::scores
