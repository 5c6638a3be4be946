#include "server/ScoreService.h"

#include <sys/random.h>

#include <charconv>
#include <chrono>
#include <cstdio>
#include <ctime>

#include "scores/ScoreProtocol.h"
#include "server/Submission.h"

namespace gh::scores {

namespace {

namespace protocol = gh::protocol;

// The page shows text and an inline style sheet, never a script or a frame.
constexpr const char* PagePolicy =
    "default-src 'none'; style-src 'unsafe-inline'; base-uri 'none'; form-action 'none'; "
    "frame-ancestors 'none'";

int64_t SystemMillis() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

// Texts of a refusal with the value of every "|p=" field left out: a token is
// never written to the log.
std::string WithoutTokens(std::string_view text) {
  std::string out;
  size_t at = 0;
  while (true) {
    const size_t field = text.find(protocol::TokenFieldName, at);
    if (field == std::string_view::npos) break;
    const size_t value = field + protocol::TokenFieldName.size();
    out.append(text.substr(at, value - at)).append("(token)");
    const size_t next = text.find('|', value);
    at = next == std::string_view::npos ? text.size() : next;
  }
  out.append(text.substr(at));
  return out;
}

void StandardErrorLog(const std::string& line) {
  std::fprintf(stderr, "%s\n", line.c_str());
  std::fflush(stderr);
}

std::string Date(int64_t seconds) {
  const std::time_t t = static_cast<std::time_t>(seconds);
  std::tm tm{};
  gmtime_r(&t, &tm);
  char text[16];
  std::strftime(text, sizeof text, "%Y-%m-%d", &tm);
  return text;
}

// Log lines carry the submitted texts with anything unprintable as \xNN, so a
// forged name cannot forge log lines.
std::string Printable(std::string_view text, size_t max = 64) {
  std::string out;
  for (unsigned char c : text.substr(0, max)) {
    if (c >= 0x20 && c < 0x7F && c != '\\') {
      out.push_back(static_cast<char>(c));
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    }
  }
  if (text.size() > max) out += "...";
  return out;
}

}  // namespace

bool RateLimiter::Allow(const std::string& address, int64_t nowMs) {
  if (perMinute_ <= 0) return true;
  std::lock_guard lock(mutex_);
  // Forget addresses whose buckets have drained, so a flood of addresses
  // cannot grow the map without bound.
  if (buckets_.size() >= 100000) {
    for (auto it = buckets_.begin(); it != buckets_.end();) {
      const double drained = (nowMs - it->second.second) * perMinute_ / 60000.0;
      it = it->second.first - drained <= 0 ? buckets_.erase(it) : std::next(it);
    }
    if (buckets_.size() >= 100000) return false;
  }
  auto& [fill, last] = buckets_[address];
  const double drained = (nowMs - last) * perMinute_ / 60000.0;
  fill = std::max(0.0, fill - std::max(0.0, drained));
  last = nowMs;
  if (fill + 1 > perMinute_) return false;
  fill += 1;
  return true;
}

size_t RateLimiter::Tracked() const {
  std::lock_guard lock(mutex_);
  return buckets_.size();
}

std::string RandomHex(size_t bytes) {
  std::string raw(bytes, '\0');
  size_t got = 0;
  while (got < bytes) {
    const ssize_t n = getrandom(raw.data() + got, bytes - got, 0);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw std::runtime_error("no random numbers from the system");
    }
    got += static_cast<size_t>(n);
  }
  static const char* digits = "0123456789abcdef";
  std::string hex;
  for (unsigned char c : raw) {
    hex.push_back(digits[c >> 4]);
    hex.push_back(digits[c & 15]);
  }
  return hex;
}

std::string CookieValue(const std::string& header, const std::string& name) {
  size_t at = 0;
  while (at < header.size()) {
    size_t end = header.find(';', at);
    if (end == std::string::npos) end = header.size();
    std::string_view pair(header.data() + at, end - at);
    while (!pair.empty() && pair.front() == ' ') pair.remove_prefix(1);
    const size_t eq = pair.find('=');
    if (eq != std::string_view::npos && pair.substr(0, eq) == name) {
      std::string_view value = pair.substr(eq + 1);
      while (!value.empty() && value.back() == ' ') value.remove_suffix(1);
      return std::string(value);
    }
    at = end + 1;
  }
  return {};
}

ScoreService::ScoreService(Storage& storage, ServiceOptions options, Clock clock, Log log)
    : storage_(storage),
      options_(std::move(options)),
      clock_(clock ? std::move(clock) : Clock(SystemMillis)),
      log_(log ? std::move(log) : Log(StandardErrorLog)),
      versionLimit_(options_.versionPerMinute),
      submitLimit_(options_.submitPerMinute),
      uploadLimit_(options_.uploadPerMinute) {}

std::string LogTime(int64_t ms) {
  const std::time_t t = static_cast<std::time_t>(ms / 1000);
  std::tm tm{};
  gmtime_r(&t, &tm);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &tm);
  return text;
}

void ScoreService::Note(const std::string& line) { log_(LogTime(clock_()) + " " + line); }

HttpResponse ScoreService::Handle(const HttpRequest& req) {
  HttpResponse res;
  res.headers.emplace_back("X-Content-Type-Options", "nosniff");
  if (req.path != protocol::ScriptPath) {
    res.Set(404, "text/plain", "not found\n");
    return res;
  }
  const bool head = req.method == "HEAD";
  // A recording's upload: the bare word, the product and the token.
  const bool upload = req.Has(protocol::RecordingParam) && req.Has(protocol::UploadTokenParam) &&
                      req.Value(protocol::ProductParam) == protocol::Product;
  if (upload && req.method != "POST") {
    res.headers.emplace_back("Allow", "POST");
    res.Set(405, "text/plain", "only POST\n");
    return res;
  }
  if (req.method != "GET" && !head && !upload) {
    res.headers.emplace_back("Allow", "GET, HEAD");
    res.Set(405, "text/plain", "only GET\n");
    return res;
  }
  if (req.hasBody && !upload) {
    res.Set(400, "text/plain", "a request with a body\n");
    res.close = true;
    return res;
  }
  const std::string client =
      ClientAddress(req.peer, req.Header("x-forwarded-for"), options_.trustedProxies);
  SummariseRefusals(clock_());
  // The game sends bare words ("version", "hs", "show") as parameters
  // without a value; every query also names the product.
  const bool ours = req.Value(protocol::ProductParam) == protocol::Product;
  const bool version = req.Has(protocol::VersionWord), submit = req.Has(protocol::SubmitWord),
             show = req.Has(protocol::PageWord);
  const bool download =
      req.Has(protocol::RecordingParam) && !req.Value(protocol::RecordingParam).empty();
  try {
    if (upload) {
      return Upload(req, client);
    } else if (ours && download && !version && !submit && !show) {
      return Download(req.Value(protocol::RecordingParam));
    } else if (ours && show && req.Value(protocol::TableParam) == protocol::ScoreTable) {
      return Page(req.Value(protocol::VerifiedParam) == "1");
    } else if (head && ours && (version || submit)) {
      // Only GET issues tokens and takes submissions.
      res.headers.emplace_back("Allow", "GET");
      res.Set(405, "text/plain", "only GET\n");
    } else if (ours && version && !submit && !show) {
      return Version(client);
    } else if (ours && submit && req.Has(protocol::SubmissionParam) && !version) {
      return Submit(req, client);
    } else {
      res.Set(400, "text/plain", "unknown query\n");
    }
  } catch (const StorageBusy& e) {
    Note(std::string("busy: ") + e.what());
    res.headers.emplace_back("Retry-After", "5");
    res.Set(503, "text/plain", "the score table is busy, try again\n");
  } catch (const std::exception& e) {
    Note(std::string("error: ") + e.what());
    res.Set(500, "text/plain", "server error\n");
  }
  return res;
}

HttpResponse ScoreService::Version(const std::string& client) {
  HttpResponse res;
  res.headers.emplace_back("X-Content-Type-Options", "nosniff");
  if (!versionLimit_.Allow(RateGroup(client), clock_())) {
    res.Set(429, "text/plain", "too many requests\n");
    return res;
  }
  const int64_t now = NowSeconds();
  {
    // Run-out tokens are swept about once a minute, by whichever request comes.
    std::lock_guard lock(purgeMutex_);
    if (now >= nextPurge_) {
      nextPurge_ = now + 60;
      storage_.PurgeTokens(now);
    }
  }
  const std::string token = RandomHex(TokenLength / 2);
  const std::string cookie = RandomHex(16);
  storage_.IssueToken(token, cookie, now + options_.tokenSeconds);
  res.headers.emplace_back(
      "Set-Cookie", std::string(CookieName) + "=" + cookie + "; Path=/cgi; Max-Age=" +
                        std::to_string(options_.tokenSeconds) + "; HttpOnly; SameSite=Strict");
  res.headers.emplace_back("Cache-Control", "no-store");
  // The game takes the fifth field; the others say what answered and when.
  res.Set(
      200, "text/html",
      "1|" + std::string(protocol::Product) + "|2.0|" + std::to_string(now) + "|" + token + "|");
  return res;
}

void ScoreService::SummariseRefusals(int64_t nowMs) {
  std::string summary;
  {
    std::lock_guard lock(refusalMutex_);
    if (nowMs < refusalWindowEnd_) return;
    if (!refusalsUnlogged_.empty()) {
      int64_t total = 0;
      std::string reasons;
      for (const auto& [reason, count] : refusalsUnlogged_) {
        total += count;
        reasons += (reasons.empty() ? "" : ", ") + reason + " " + std::to_string(count);
      }
      summary = std::to_string(total) + " more refusals in the last minute: " + reasons;
      refusalsUnlogged_.clear();
    }
    refusalsLogged_ = 0;
    refusalWindowEnd_ = nowMs + 60000;
  }
  if (!summary.empty()) Note(summary);
}

HttpResponse ScoreService::Refuse(const std::string& client, int status, const std::string& reason,
                                  const std::string& what, const std::string& answer) {
  {
    std::unique_lock lock(refusalMutex_);
    if (refusalsLogged_ >= options_.refusalLinesPerMinute) {
      // A flood: counted by the reason's kind (its words before any detail).
      const std::string kind =
          reason.substr(0, std::min(reason.find_first_of(":(\"0123456789"), size_t{40}));
      ++refusalsUnlogged_[kind.substr(0, kind.find_last_not_of(' ') + 1)];
    } else {
      ++refusalsLogged_;
      lock.unlock();
      Note("refused " + what + " from " + client + ": " + reason);
    }
  }
  HttpResponse res;
  res.headers.emplace_back("X-Content-Type-Options", "nosniff");
  res.headers.emplace_back("Cache-Control", "no-store");
  res.Set(status, "text/plain", answer + "\n");
  return res;
}

HttpResponse ScoreService::Submit(const HttpRequest& req, const std::string& client) {
  if (!submitLimit_.Allow(RateGroup(client), clock_())) return Refuse(client, 429, "rate limit");
  const std::string inf = req.Value(protocol::SubmissionParam);
  if (inf.size() > MaxSymbols)
    return Refuse(client, 400, "inf of " + std::to_string(inf.size()) + " symbols is too long");
  const auto text = DecodeSymbols(inf);
  // The symbols carry the token: only their count is logged.
  if (!text)
    return Refuse(client, 400, "inf does not decode (" + std::to_string(inf.size()) + " symbols)");
  const ParseResult parsed = ParseSubmission(*text);
  if (!parsed.submission)
    return Refuse(client, 400, parsed.error + ": " + Printable(WithoutTokens(*text), 200));
  const Submission& s = *parsed.submission;
  const std::string who =
      " (name \"" + Printable(s.name) + "\", score " + std::to_string(s.score) + ")";
  if (s.key != options_.key) return Refuse(client, 403, std::string("wrong key ") + s.key + who);
  if (s.score < options_.minScore || s.score > options_.maxScore)
    return Refuse(client, 403, "score out of range" + who);

  ScoreRow row;
  row.name = CleanText(s.name, options_.maxNameBytes);
  row.country = CleanText(s.country, options_.maxCountryBytes);
  row.score = s.score;
  row.time = NowSeconds();
  row.address = client;
  const std::string cookie = CookieValue(req.Header("cookie"), CookieName);
  const TokenCheck check = storage_.Submit(s.token, cookie, row.time, row);
  if (check != TokenCheck::Accepted) return Refuse(client, 403, TokenCheckText(check) + who);
  HttpResponse res;
  res.headers.emplace_back("X-Content-Type-Options", "nosniff");
  res.headers.emplace_back("Cache-Control", "no-store");
  res.Set(200, "text/plain", "OK\n");
  return res;
}

HttpResponse ScoreService::Upload(const HttpRequest& req, const std::string& client) {
  const auto refuse = [&](int status, const std::string& reason) {
    return Refuse(client, status, reason, "recording", reason);
  };
  if (!uploadLimit_.Allow(RateGroup(client), clock_())) return refuse(429, "too many requests");
  if (req.body.size() > options_.maxRecordingBytes)
    return refuse(413,
                  "the recording is over " + std::to_string(options_.maxRecordingBytes) + " bytes");
  if (req.body.empty()) return refuse(400, "no recording in the body");
  const std::string token = req.Value(protocol::UploadTokenParam);
  if (!IsWellFormedToken(token)) return refuse(404, UploadCheckText(UploadCheck::Unknown));
  const std::string cookie = CookieValue(req.Header("cookie"), CookieName);
  int64_t id = 0;
  const UploadCheck check = storage_.AttachRecording(token, cookie, NowSeconds(), req.body, id);
  switch (check) {
    case UploadCheck::Accepted:
      break;
    case UploadCheck::Unknown:
      return refuse(404, UploadCheckText(check));
    case UploadCheck::OtherCookie:
      return refuse(403, UploadCheckText(check));
    case UploadCheck::AlreadyUploaded:
      return refuse(409, UploadCheckText(check));
    case UploadCheck::Expired:
      return refuse(410, UploadCheckText(check));
  }
  if (onRecording_) onRecording_(id);
  HttpResponse res;
  res.headers.emplace_back("X-Content-Type-Options", "nosniff");
  res.headers.emplace_back("Cache-Control", "no-store");
  res.Set(202, "text/plain", std::string(UploadCheckText(check)) + "\n");
  return res;
}

HttpResponse ScoreService::Download(const std::string& idText) {
  HttpResponse res;
  res.headers.emplace_back("X-Content-Type-Options", "nosniff");
  int64_t id = 0;
  const auto [end, ec] = std::from_chars(idText.data(), idText.data() + idText.size(), id);
  std::optional<std::string> bytes;
  if (ec == std::errc() && end == idText.data() + idText.size() && id > 0)
    bytes = storage_.VerifiedRecording(id);
  if (!bytes) {
    res.Set(404, "text/plain", "no verified recording of that row\n");
    return res;
  }
  res.headers.emplace_back("Content-Disposition",
                           "attachment; filename=\"gravelhorn2-" + std::to_string(id) +
                               std::string(protocol::RecordingExtension) + "\"");
  res.headers.emplace_back("Cache-Control", "public, max-age=3600");
  res.Set(200, "application/octet-stream", std::move(*bytes));
  return res;
}

HttpResponse ScoreService::Page(bool verifiedView) {
  HttpResponse res;
  res.headers.emplace_back("X-Content-Type-Options", "nosniff");
  res.headers.emplace_back("Content-Security-Policy", PagePolicy);
  res.headers.emplace_back("Cache-Control", "no-cache");
  res.Set(200, "text/html; charset=utf-8",
          RenderPage(storage_.TopScores(options_.pageRows, verifiedView || options_.verifiedOnly),
                     options_, verifiedView));
  return res;
}

std::string RenderPage(const std::vector<ScoreRow>& rows, const ServiceOptions& options,
                       bool verifiedView) {
  std::string html;
  html.reserve(4096 + rows.size() * 200);
  html += R"(<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>)";
  html += EscapeHtml(options.title);
  html += R"(</title>
<style>
:root { --night: #0d1120; --dusk: #2a1e2c; --steel: #353b45; --steel-hi: #4a525e;
  --orange: #ff8c1a; --ember: #c8541c; --silver: #dfe4ea; --green: #2bff00; --red: #ff2a1a; }
* { box-sizing: border-box; }
body { margin: 0; min-height: 100vh; color: var(--orange);
  font: 600 17px/1.35 "DejaVu Sans", Verdana, sans-serif;
  background: linear-gradient(180deg, var(--night) 0%, #161a2e 55%, var(--dusk) 85%, #3a2216 100%) fixed; }
main { max-width: 760px; margin: 0 auto; padding: 20px 12px 32px; }
h1 { margin: 4px 0 2px; text-align: center; font-size: clamp(30px, 8vw, 52px); letter-spacing: 1px;
  color: var(--silver); text-shadow: 0 2px 0 #6b727c, 0 4px 8px #000; }
h1 span { color: var(--orange); }
.rule { height: 2px; margin: 0 auto 10px; max-width: 420px;
  background: linear-gradient(90deg, transparent, var(--orange), transparent); }
h2 { margin: 0 0 16px; text-align: center; font-size: 20px; color: var(--green); letter-spacing: 2px; }
table { width: 100%; border-collapse: separate; border-spacing: 0 6px; }
th { font-size: 13px; color: var(--silver); text-transform: uppercase; letter-spacing: 1px;
  text-align: left; padding: 0 10px; }
td { padding: 9px 10px; background: linear-gradient(180deg, var(--steel-hi), var(--steel));
  border-top: 1px solid #5d6672; border-bottom: 1px solid #1b1f26; }
td:first-child { border-left: 1px solid #5d6672; border-radius: 8px 0 0 8px; color: var(--green); width: 3.2em; }
td:last-child { border-right: 1px solid #1b1f26; border-radius: 0 8px 8px 0; }
tbody tr:first-child td { border-top-color: var(--orange); border-bottom-color: var(--orange); }
tbody tr:first-child td:first-child { border-left-color: var(--orange); }
tbody tr:first-child td:last-child, tbody tr:first-child td.score { border-right-color: var(--orange); }
td.name { overflow-wrap: anywhere; }
td.score, th.score { text-align: right; }
td.score { color: var(--silver); font-variant-numeric: tabular-nums; }
td.date, td.country { color: #c9a27a; font-weight: 400; font-size: 15px; }
p.empty { text-align: center; color: var(--silver); }
p.view { margin: -8px 0 10px; text-align: center; font-size: 14px; font-weight: 400; }
a { color: var(--orange); }
.mark { margin-left: 6px; cursor: help; }
.mark.ok { color: var(--green); }
.mark.no { color: var(--red); }
td.rec { width: 1%; white-space: nowrap; font-size: 14px; font-weight: 400; }
footer { margin-top: 18px; text-align: center; font-size: 13px; color: #8a8f99; font-weight: 400; }
@media (max-width: 520px) {
  body { font-size: 15px; }
  th.date, td.date { display: none; }
  td { padding: 8px 6px; }
}
</style>
</head>
<body>
<main>
<h1>GRAVELHORN <span>2</span></h1>
<div class="rule"></div>
<h2>WORLD'S HIGHSCORES</h2>
)";
  // The view of verified rows is the page's own query with one more value.
  const std::string page = "?" + std::string(protocol::PageQuery);
  if (verifiedView) {
    html += "<p class=\"view\">Verified scores only &middot; <a href=\"" + EscapeHtml(page) +
            "\">All scores</a></p>\n";
  } else if (options.verifiedOnly) {
    html += "<p class=\"view\">Only verified scores count</p>\n";
  } else {
    html += "<p class=\"view\"><a href=\"" + EscapeHtml(page + "&verified=1") +
            "\">Only verified scores</a></p>\n";
  }
  if (rows.empty()) {
    html += "<p class=\"empty\">No scores yet. Be the first!</p>\n";
  } else {
    html +=
        "<table>\n<thead><tr><th>#</th><th>Name</th><th>Country</th>"
        "<th class=\"score\">Score</th><th class=\"date\">Date</th><th>Game</th></tr></thead>\n"
        "<tbody>\n";
    int rank = 0;
    for (const auto& r : rows) {
      std::string mark, game;
      if (r.recording == RecordingState::Verified) {
        mark =
            "<span class=\"mark ok\" title=\"verified: played again by the "
            "server\">&#10003;</span>";
        game = "<a href=\"" +
               EscapeHtml("?" + std::string(protocol::ProductParam) + "=" +
                          std::string(protocol::Product) + "&" +
                          std::string(protocol::RecordingParam) + "=" + std::to_string(r.id)) +
               "\" title=\"download the recording of this game\">recording</a>";
      } else if (r.recording == RecordingState::Refused) {
        mark = "<span class=\"mark no\" title=\"" + EscapeHtml("refused: " + r.recordingReason) +
               "\">&#10007;</span>";
      }
      html += "<tr><td>" + std::to_string(++rank) + "</td><td class=\"name\">" +
              EscapeHtml(r.name) + mark + "</td><td class=\"country\">" + EscapeHtml(r.country) +
              "</td><td class=\"score\">" + std::to_string(r.score) + "</td><td class=\"date\">" +
              Date(r.time) + "</td><td class=\"rec\">" + game + "</td></tr>\n";
    }
    html += "</tbody>\n</table>\n";
  }
  html +=
      "<footer>Dates in UTC &middot; &#10003; verified: the server replayed the game to the same "
      "score</footer>\n"
      "</main>\n</body>\n</html>\n";
  return html;
}

}  // namespace gh::scores
