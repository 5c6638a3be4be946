// The score server's one endpoint, the game's script path, answering the
// game's three queries: the version request (a token and a session cookie),
// the submission and the HTML score page; and the upload of a submitted
// game's recording, and a verified recording's download. Independent of the
// HTTP library.
#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>

#include "server/ClientAddress.h"
#include "server/Http.h"
#include "server/Storage.h"

namespace gh::scores {

struct ServiceOptions {
  char key = 'G';        // the key letter a submission must carry
  int64_t minScore = 1;  // plausible scores, both ends included
  int64_t maxScore = 10000000;
  int64_t tokenSeconds = 300;  // how long a token stays good
  size_t maxNameBytes = 24;    // longer names and countries are cut
  size_t maxCountryBytes = 24;
  int pageRows = 100;  // rows on the score page
  // Requests per minute per address, for the version request and the
  // submission each; a burst of as many is allowed. 0: no limit.
  int versionPerMinute = 60;
  int submitPerMinute = 30;
  int uploadPerMinute = 30;  // recordings' uploads, the same way
  // The largest recording taken (the HTTP layer reads no more).
  size_t maxRecordingBytes = 4u << 20;
  // The page's default view counts only rows whose recordings were verified.
  bool verifiedOnly = false;
  std::string title = "Gravelhorn 2 - World's Highscores";
  // Peers whose X-Forwarded-For names the client (a reverse proxy's address).
  TrustedProxies trustedProxies;
  // Refusals logged one by one in a minute; the rest are counted and summed up.
  int refusalLinesPerMinute = 20;
};

// A leaky-bucket limit per address, bounded in the addresses it remembers.
class RateLimiter {
 public:
  explicit RateLimiter(int perMinute) : perMinute_(perMinute) {}
  // True when a request from `address` at `nowMs` is within the limit.
  bool Allow(const std::string& address, int64_t nowMs);
  size_t Tracked() const;

 private:
  int perMinute_;
  mutable std::mutex mutex_;
  std::map<std::string, std::pair<double, int64_t>> buckets_;  // fill, last time
};

class ScoreService {
 public:
  using Clock = std::function<int64_t()>;  // milliseconds since 1970
  using Log = std::function<void(const std::string&)>;

  // `clock` and `log` default to the system clock and standard error.
  ScoreService(Storage& storage, ServiceOptions options, Clock clock = {}, Log log = {});

  // Answers one request: the script path by GET (HEAD for the page), 404 for
  // other paths, 405 for other methods. Safe to call from many threads.
  HttpResponse Handle(const HttpRequest& req);

  const ServiceOptions& Options() const { return options_; }
  // Called with a row's id when its recording has been kept (the
  // verification pool queues it). Set before the first request.
  void OnRecording(std::function<void(int64_t)> listener) { onRecording_ = std::move(listener); }

  // Writes a line to the log with the time in front.
  void Note(const std::string& line);

 private:
  HttpResponse Version(const std::string& client);
  HttpResponse Submit(const HttpRequest& req, const std::string& client);
  HttpResponse Upload(const HttpRequest& req, const std::string& client);
  HttpResponse Download(const std::string& id);
  HttpResponse Page(bool verifiedView);
  // The log line names `what` was refused; the reply's body is `answer`.
  HttpResponse Refuse(const std::string& client, int status, const std::string& reason,
                      const std::string& what = "submission",
                      const std::string& answer = "refused");
  void SummariseRefusals(int64_t nowMs);
  int64_t NowSeconds() const { return clock_() / 1000; }

  Storage& storage_;
  ServiceOptions options_;
  Clock clock_;
  Log log_;
  RateLimiter versionLimit_, submitLimit_, uploadLimit_;
  std::function<void(int64_t)> onRecording_;
  std::mutex purgeMutex_;
  int64_t nextPurge_ = 0;
  // Refusals of the current minute: how many, and those not logged by reason.
  std::mutex refusalMutex_;
  int64_t refusalWindowEnd_ = 0;
  int refusalsLogged_ = 0;
  std::map<std::string, int64_t> refusalsUnlogged_;
};

// Log lines' time: "2026-01-31T12:00:00Z".
std::string LogTime(int64_t ms);

// The HTML score page for these rows, best first; `verifiedView` is the view
// of verified rows only (reached by its link).
std::string RenderPage(const std::vector<ScoreRow>& rows, const ServiceOptions& options,
                       bool verifiedView = false);
// The value of cookie `name` in a Cookie header, or "".
std::string CookieValue(const std::string& header, const std::string& name);
// `bytes` random bytes from the system's generator, as lowercase hex.
std::string RandomHex(size_t bytes);

inline constexpr const char* CookieName = "gh2session";

}  // namespace gh::scores
