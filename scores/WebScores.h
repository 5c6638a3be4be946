// The score server client: the version request, the encoded submission and the
// address of the online score page.
#pragma once
#include <chrono>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "platform/Result.h"

namespace gh {

extern const char* const SymbolAlphabet;  // 32 symbols, value 0 first

// What became of a game's recording sent after its score: the server took it
// to verify (202 "queued"), or it is "not verified", with the server's reason
// or what went wrong. A server that does not know recordings answers
// anything else, and that too is "not verified".
struct RecordingUpload {
  enum class State { None, Pending, Uploaded, NotVerified };
  State state = State::None;  // None: no recording to send, or the score was not taken
  std::string reason;         // for NotVerified
};

// Sends a game's result: the player's name, the score and the country. True
// only when the server took it: both requests answered with a 2xx status and
// the submission's answer is not a refusal. Anything else (no connection, an
// error status, a broken or dropped transfer, a time-out) is false. Blocks
// until the requests have ended. With a recording, a taken score is followed
// by one more request that uploads it; its outcome goes to `upload` and never
// makes the send fail.
bool SubmitScore(const std::string& name, int score, const std::string& country,
                 const std::optional<std::string>& recording = std::nullopt,
                 RecordingUpload* upload = nullptr);

// The same exchange on a thread of its own, so that frames go on while it
// runs. The server's address and the time-outs are taken when it starts.
class ScoreSend {
 public:
  enum class Result { Pending, Sent, Failed };

  ScoreSend(const std::string& name, int score, const std::string& country,
            std::optional<std::string> recording = std::nullopt);
  // Gives up on a send still under way and waits for its thread, which the
  // cancel ends at once.
  ~ScoreSend();
  ScoreSend(const ScoreSend&) = delete;
  ScoreSend& operator=(const ScoreSend&) = delete;

  // Pending until every request has ended, the recording's upload included.
  Result Poll() const;
  // The recording's upload, reported apart from the score's send.
  RecordingUpload Upload() const;
  // Gives up: the request under way ends at once. A send whose score the
  // server has taken counts as sent (its recording's upload, if under way,
  // as not verified); any other send not yet ended counts as failed.
  void Cancel();
  // Waits until the send has ended, at most `limit`; true when it has.
  bool WaitFor(std::chrono::milliseconds limit) const;

 private:
  struct Shared;
  std::unique_ptr<Shared> shared_;
  std::thread thread_;
};

std::string ToBitText(const std::string& text);
std::string BitTextToSymbols(std::string bits);
std::string EncodeSubmission(const std::string& text);
// The text between the fourth and the fifth "|" of a version reply, or empty.
std::string TokenFromReply(std::string reply);
// The submission text before encoding, padded to a multiple of 5.
std::string SubmissionText(const std::string& name, int score, const std::string& token,
                           const std::string& country);

// Where requests go: "http://host[:port]". The build's address, unless the
// environment variable ScoreServerVariable or the first line of the file
// ScoreServerFile in the program's folder names another; SetScoreServerAddress
// overrides all of them, and with "" gives the choice back to them.
inline constexpr const char* ScoreServerVariable = "GRAVELHORN2_SCORE_SERVER";
inline constexpr const char* ScoreServerFile = "ScoreServer.txt";
std::string ScoreServerAddress();
void SetScoreServerAddress(const std::string& address);
// The address in `text` when it is one: "http://" or "https://" and a host,
// nothing unprintable; trailing "/" dropped. An Error otherwise.
Result<std::string> CheckedServerAddress(std::string text);
// A PEM file of certificate authorities that a https:// score server's
// certificate must chain to instead of the system's (a private CA of a LAN
// party or a test); the host name is still checked.
inline constexpr const char* ScoreCaVariable = "GRAVELHORN2_SCORE_CA";
// The online score table's address, opened in the browser.
std::string ScorePageAddress();
// The address a recording is uploaded to after the score that `token` sent.
std::string RecordingUploadAddress(const std::string& token);

// Time-outs of each request: to connect, and for the whole request. A request
// that runs out of time has failed. Defaults 4000 and 10000 ms.
void SetScoreTimeouts(long connectMs, long totalMs);
// The most of a version reply that is read: the transfer stops there and the
// cut reply counts as received.
inline constexpr size_t MaxReplyBytes = 64 * 1024;

}  // namespace gh
