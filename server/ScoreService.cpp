#include "server/ScoreService.h"

#include <httplib.h>
#include <sys/random.h>

#include <chrono>
#include <cstdio>
#include <ctime>

#include "server/Submission.h"

namespace gh::scores {

namespace {

constexpr const char* ScriptPath = "/cgi/version.pl";
constexpr const char* Product = "Gravelhorn2";

int64_t SystemMillis() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
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
      submitLimit_(options_.submitPerMinute) {}

void ConfigureServer(httplib::Server& server, int threads) {
  const size_t count = static_cast<size_t>(std::max(1, threads));
  server.new_task_queue = [count] { return new httplib::ThreadPool(count); };
  server.set_tcp_nodelay(true);
  server.set_keep_alive_max_count(4);
  server.set_keep_alive_timeout(2);
  server.set_payload_max_length(4096);
  server.set_read_timeout(5, 0);
  server.set_write_timeout(5, 0);
}

void ScoreService::Mount(httplib::Server& server) {
  server.Get(R"(/cgi/version\.pl)",
             [this](const httplib::Request& req, httplib::Response& res) { Handle(req, res); });
}

void ScoreService::Handle(const httplib::Request& req, httplib::Response& res) {
  // The game sends bare words ("version", "hs", "show") as parameters
  // without a value; every query also names the product.
  const bool ours = req.get_param_value("prg") == Product;
  try {
    if (ours && req.has_param("version") && !req.has_param("hs") && !req.has_param("show")) {
      Version(req, res);
    } else if (ours && req.has_param("hs") && req.has_param("inf") && !req.has_param("version")) {
      Submit(req, res);
    } else if (ours && req.has_param("show") && req.get_param_value("type") == "0") {
      Page(res);
    } else {
      res.status = 400;
      res.set_content("unknown query\n", "text/plain");
    }
  } catch (const std::exception& e) {
    log_(std::string("error: ") + e.what());
    res.status = 500;
    res.set_content("server error\n", "text/plain");
  }
}

void ScoreService::Version(const httplib::Request& req, httplib::Response& res) {
  if (!versionLimit_.Allow(req.remote_addr, clock_())) {
    res.status = 429;
    res.set_content("too many requests\n", "text/plain");
    return;
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
  res.set_header("Set-Cookie", std::string(CookieName) + "=" + cookie +
                                   "; Path=/cgi; Max-Age=" + std::to_string(options_.tokenSeconds) +
                                   "; HttpOnly; SameSite=Strict");
  res.set_header("Cache-Control", "no-store");
  // The game takes the fifth field; the others say what answered and when.
  res.set_content(std::string("1|") + Product + "|2.0|" + std::to_string(now) + "|" + token + "|",
                  "text/html");
}

void ScoreService::Refuse(const httplib::Request& req, httplib::Response& res, int status,
                          const std::string& reason) {
  log_("refused submission from " + req.remote_addr + ": " + reason);
  res.status = status;
  res.set_header("Cache-Control", "no-store");
  res.set_content("refused\n", "text/plain");
}

void ScoreService::Submit(const httplib::Request& req, httplib::Response& res) {
  if (!submitLimit_.Allow(req.remote_addr, clock_())) return Refuse(req, res, 429, "rate limit");
  const std::string inf = req.get_param_value("inf");
  if (inf.size() > MaxSymbols)
    return Refuse(req, res, 400, "inf of " + std::to_string(inf.size()) + " symbols is too long");
  const auto text = DecodeSymbols(inf);
  if (!text) return Refuse(req, res, 400, "inf does not decode: " + Printable(inf));
  const ParseResult parsed = ParseSubmission(*text);
  if (!parsed.submission) return Refuse(req, res, 400, parsed.error + ": " + Printable(*text, 200));
  const Submission& s = *parsed.submission;
  const std::string who =
      " (name \"" + Printable(s.name) + "\", score " + std::to_string(s.score) + ")";
  if (s.key != options_.key) return Refuse(req, res, 403, std::string("wrong key ") + s.key + who);
  if (s.score < options_.minScore || s.score > options_.maxScore)
    return Refuse(req, res, 403, "score out of range" + who);

  ScoreRow row;
  row.name = CleanText(s.name, options_.maxNameBytes);
  row.country = CleanText(s.country, options_.maxCountryBytes);
  row.score = s.score;
  row.time = NowSeconds();
  const std::string cookie = CookieValue(req.get_header_value("Cookie"), CookieName);
  const TokenCheck check = storage_.Submit(s.token, cookie, row.time, row);
  if (check != TokenCheck::Accepted) return Refuse(req, res, 403, TokenCheckText(check) + who);
  res.set_header("Cache-Control", "no-store");
  res.set_content("OK\n", "text/plain");
}

void ScoreService::Page(httplib::Response& res) {
  res.set_header("Cache-Control", "no-cache");
  res.set_content(RenderPage(storage_.TopScores(options_.pageRows), options_),
                  "text/html; charset=utf-8");
}

std::string RenderPage(const std::vector<ScoreRow>& rows, const ServiceOptions& options) {
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
footer { margin-top: 18px; text-align: center; font-size: 13px; color: #8a8f99; font-weight: 400; }
@media (max-width: 520px) {
  body { font-size: 15px; }
  th.date, td.date { display: none; }
  td.score { border-right: 1px solid #1b1f26; border-radius: 0 8px 8px 0; }
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
  if (rows.empty()) {
    html += "<p class=\"empty\">No scores yet. Be the first!</p>\n";
  } else {
    html +=
        "<table>\n<thead><tr><th>#</th><th>Name</th><th>Country</th>"
        "<th class=\"score\">Score</th><th class=\"date\">Date</th></tr></thead>\n<tbody>\n";
    int rank = 0;
    for (const auto& r : rows) {
      html += "<tr><td>" + std::to_string(++rank) + "</td><td class=\"name\">" +
              EscapeHtml(r.name) + "</td><td class=\"country\">" + EscapeHtml(r.country) +
              "</td><td class=\"score\">" + std::to_string(r.score) + "</td><td class=\"date\">" +
              Date(r.time) + "</td></tr>\n";
    }
    html += "</tbody>\n</table>\n";
  }
  html += "<footer>Dates in UTC</footer>\n</main>\n</body>\n</html>\n";
  return html;
}

}  // namespace gh::scores
