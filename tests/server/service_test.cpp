// The score server over HTTP on the loopback: what the game's client gets, and
// what a forger gets.
#include <algorithm>

#include "ServerFixture.h"
#include "scores/WebScores.h"
#include "server/Submission.h"

namespace gh::scores::test {
namespace {

const char* const VersionPath = "/cgi/version.pl?version&prg=Gravelhorn2";
const char* const PagePath = "/cgi/version.pl?prg=Gravelhorn2&show&type=0";

struct Issued {
  std::string token, cookie;  // cookie as "name=value"
};

// A version request as the game makes it: the token and the session cookie.
Issued AskVersion(httplib::Client& client) {
  auto res = client.Get(VersionPath);
  if (!res || res->status != 200) return {};
  const std::string token = gh::TokenFromReply(res->body);
  std::string cookie = res->get_header_value("Set-Cookie");
  cookie = cookie.substr(0, cookie.find(';'));
  return {token, cookie};
}

int Send(httplib::Client& client, const std::string& cookie, const std::string& inf) {
  httplib::Headers headers;
  if (!cookie.empty()) headers.emplace("Cookie", cookie);
  auto res = client.Get("/cgi/version.pl?hs&prg=Gravelhorn2&inf=" + inf, headers);
  return res ? res->status : -1;
}

std::string Inf(const std::string& name, int score, const std::string& token,
                const std::string& country) {
  return gh::EncodeSubmission(gh::SubmissionText(name, score, token, country));
}

std::string Page(httplib::Client& client) {
  auto res = client.Get(PagePath);
  return res && res->status == 200 ? res->body : "<no page>";
}

TEST_F(ServiceTest, TheVersionReplyCarriesAFreshTokenAndASessionCookie) {
  auto client = Client();
  auto res = client.Get(VersionPath);
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 200);
  EXPECT_GE(std::count(res->body.begin(), res->body.end(), '|'), 5) << res->body;
  const std::string token = gh::TokenFromReply(res->body);
  EXPECT_TRUE(IsWellFormedToken(token)) << res->body;
  const std::string cookie = res->get_header_value("Set-Cookie");
  EXPECT_EQ(cookie.rfind(std::string(CookieName) + "=", 0), 0u) << cookie;
  EXPECT_NE(cookie.find("HttpOnly"), std::string::npos) << cookie;
  EXPECT_NE(gh::TokenFromReply(client.Get(VersionPath)->body), token);
  EXPECT_EQ(storage_->CountTokens(), 2);
}

// The game's own client, SubmitScore, against this server: the row arrives.
TEST_F(ServiceTest, TheGamesClientSubmitsAndTheRowIsOnThePage) {
  gh::SetScoreServerAddress(Address());
  EXPECT_TRUE(gh::SubmitScore("Ada|Lovelace", 4321, "UK|Wales"));
  gh::SetScoreServerAddress("");
  ASSERT_EQ(storage_->CountScores(), 1);
  const ScoreRow row = storage_->TopScores(1)[0];
  EXPECT_EQ(row.name, "Ada|Lovelace");
  EXPECT_EQ(row.country, "UK|Wales");
  EXPECT_EQ(row.score, 4321);
  auto client = Client();
  const std::string page = Page(client);
  EXPECT_NE(page.find("Ada|Lovelace"), std::string::npos);
  EXPECT_NE(page.find("4321"), std::string::npos);
  EXPECT_NE(page.find("2023-11-14"), std::string::npos) << "the date of the test's clock";
  EXPECT_EQ(storage_->CountTokens(), 0) << "the token was used up";
}

// Each forged or broken submission is refused, logged with its reason, and
// stores nothing.
TEST_F(ServiceTest, RefusedSubmissionsStoreNothingAndAreLoggedWithTheReason) {
  auto client = Client();
  const Issued used = AskVersion(client);
  ASSERT_EQ(Send(client, used.cookie, Inf("first", 100, used.token, "x")), 200);
  ASSERT_EQ(storage_->CountScores(), 1);

  struct Case {
    const char* what;
    std::function<std::string(const Issued&)> inf;  // from a fresh token
    std::function<std::string(const Issued&)> cookie;
    int64_t wait;
    const char* reason;
  };
  const auto own = [](const Issued& i) { return i.cookie; };
  const Case cases[] = {
      {"replayed token", [&](const Issued&) { return Inf("again", 100, used.token, "x"); },
       [&](const Issued&) { return used.cookie; }, 0, "unknown or already used token"},
      {"token of another cookie", [](const Issued& i) { return Inf("n", 100, i.token, "x"); },
       [&](const Issued&) { return used.cookie; }, 0, "token issued with another cookie"},
      {"no cookie", [](const Issued& i) { return Inf("n", 100, i.token, "x"); },
       [](const Issued&) { return std::string(); }, 0, "token issued with another cookie"},
      {"expired token", [](const Issued& i) { return Inf("n", 100, i.token, "x"); }, own, 301,
       "expired token"},
      {"made-up token",
       [](const Issued&) { return Inf("n", 100, "00000000000000000000000000000000", "x"); }, own, 0,
       "unknown or already used token"},
      {"wrong key",
       [](const Issued& i) {
         std::string text = gh::SubmissionText("n", 100, i.token, "x");
         text.replace(text.find("|key=") + 5, 1, "Q");
         return gh::EncodeSubmission(text);
       },
       own, 0, "wrong key Q"},
      {"score too high", [](const Issued& i) { return Inf("n", 10000001, i.token, "x"); }, own, 0,
       "score out of range"},
      {"score zero", [](const Issued& i) { return Inf("n", 0, i.token, "x"); }, own, 0,
       "score out of range"},
      {"oversized inf", [](const Issued&) { return std::string(MaxSymbols + 8, 'A'); }, own, 0,
       "too long"},
      {"non-decodable inf", [](const Issued&) { return std::string("NFTGGNB0"); }, own, 0,
       "does not decode"},
      {"inf of a cut block", [](const Issued& i) { return Inf("n", 100, i.token, "x").substr(1); },
       own, 0, "does not decode"},
      {"empty inf", [](const Issued&) { return std::string(); }, own, 0, "does not start"},
      {"no token sent", [](const Issued&) { return Inf("n", 100, "", "x"); }, own, 0,
       "no score, key and well-formed token"},
  };
  for (const auto& c : cases) {
    const Issued fresh = AskVersion(client);
    ASSERT_FALSE(fresh.token.empty()) << c.what;
    Advance(c.wait);
    const int status = Send(client, c.cookie(fresh), c.inf(fresh));
    EXPECT_TRUE(status == 400 || status == 403) << c.what << ": " << status;
    EXPECT_TRUE(Logged(c.reason)) << c.what << ": no log line with \"" << c.reason << "\"";
  }
  EXPECT_EQ(storage_->CountScores(), 1);
  EXPECT_EQ(Page(client).find("again"), std::string::npos);
}

TEST_F(ServiceTest, MarkupInNamesShowsAsText) {
  auto client = Client();
  const Issued i = AskVersion(client);
  ASSERT_EQ(
      Send(client, i.cookie, Inf("<script>x()</script>", 700, i.token, "<img src=x onerror=y>")),
      200);
  const std::string page = Page(client);
  EXPECT_EQ(page.find("<script>x"), std::string::npos);
  EXPECT_EQ(page.find("<img"), std::string::npos);
  EXPECT_NE(page.find("&lt;script&gt;x()&lt;/script&gt;"), std::string::npos);
  EXPECT_NE(page.find("&lt;img src=x onerror=y&gt;"), std::string::npos);
}

TEST_F(ServiceTest, LongNamesAreCutAndControlBytesDropped) {
  auto client = Client();
  const Issued i = AskVersion(client);
  ASSERT_EQ(Send(client, i.cookie, Inf(std::string(60, 'N') + "\x1b[31m", 700, i.token, "C\r\nD")),
            200);
  const ScoreRow row = storage_->TopScores(1)[0];
  EXPECT_EQ(row.name, std::string(24, 'N'));
  EXPECT_EQ(row.country, "CD");
}

TEST_F(ServiceTest, EveryOtherRequestIsAnError) {
  auto client = Client();
  const struct {
    const char* path;
    int status;
  } cases[] = {
      {"/cgi/version.pl", 400},
      {"/cgi/version.pl?version", 400},
      {"/cgi/version.pl?version&prg=Other", 400},
      {"/cgi/version.pl?prg=Gravelhorn2&show&type=1", 400},
      {"/cgi/version.pl?hs&prg=Gravelhorn2", 400},
      {"/cgi/version.pl?version&hs&prg=Gravelhorn2&inf=A", 400},
      {"/cgi/versionXpl?version&prg=Gravelhorn2", 404},
      {"/", 404},
      {"/cgi/other.pl?version&prg=Gravelhorn2", 404},
  };
  for (const auto& c : cases) {
    auto res = client.Get(c.path);
    ASSERT_TRUE(res) << c.path;
    EXPECT_EQ(res->status, c.status) << c.path;
  }
  auto post = client.Post(VersionPath, "x", "text/plain");
  ASSERT_TRUE(post);
  EXPECT_NE(post->status, 200);
  EXPECT_EQ(storage_->CountTokens(), 0);
}

TEST_F(ServiceTest, RateLimitsPerAddressRecoverWithTime) {
  ServiceOptions options;
  options.versionPerMinute = 3;
  options.submitPerMinute = 2;
  Start(options);
  auto client = Client();
  for (int n = 0; n < 3; ++n) EXPECT_EQ(client.Get(VersionPath)->status, 200) << n;
  EXPECT_EQ(client.Get(VersionPath)->status, 429);
  const std::string junk = "/cgi/version.pl?hs&prg=Gravelhorn2&inf=AAAAAAAA";
  for (int n = 0; n < 2; ++n) EXPECT_EQ(client.Get(junk)->status, 400) << n;
  EXPECT_EQ(client.Get(junk)->status, 429);
  EXPECT_TRUE(Logged("rate limit"));
  Advance(20);  // a third of a minute lets one more version request through
  EXPECT_EQ(client.Get(VersionPath)->status, 200);
  EXPECT_EQ(client.Get(VersionPath)->status, 429);
  Advance(60);
  EXPECT_EQ(client.Get(junk)->status, 400);
  // The page has no limit.
  EXPECT_EQ(client.Get(PagePath)->status, 200);
}

TEST(RateLimiter, ForgetsDrainedAddressesInsteadOfGrowing) {
  RateLimiter limiter(60);
  for (int a = 0; a < 100000; ++a) ASSERT_TRUE(limiter.Allow("client-" + std::to_string(a), 0));
  EXPECT_EQ(limiter.Tracked(), 100000u);
  // A minute later every bucket has drained: the next new address sweeps them.
  EXPECT_TRUE(limiter.Allow("new", 60000));
  EXPECT_EQ(limiter.Tracked(), 1u);
}

HttpRequest Request(const std::string& method, const std::string& query,
                    const std::string& peer = "198.51.100.7") {
  HttpRequest req;
  req.method = method;
  req.path = "/cgi/version.pl";
  req.peer = peer;
  size_t at = 0;
  while (at < query.size()) {
    size_t amp = query.find('&', at);
    if (amp == std::string::npos) amp = query.size();
    const std::string pair = query.substr(at, amp - at);
    const size_t eq = pair.find('=');
    if (eq == std::string::npos) {
      req.query.push_back({pair, "", false});
    } else {
      req.query.push_back({pair.substr(0, eq), pair.substr(eq + 1), true});
    }
    at = amp + 1;
  }
  return req;
}

std::string HeaderOf(const HttpResponse& res, const std::string& name) {
  for (const auto& [n, v] : res.headers)
    if (n == name) return v;
  return {};
}

// Methods, bodies and HEAD: only a GET issues a token or takes a submission.
TEST_F(ServiceTest, OnlyAGetWithoutABodyHasEffects) {
  const struct {
    const char* what;
    const char* method;
    const char* query;
    bool body;
    int status;
    const char* allow;
  } cases[] = {
      {"POST", "POST", "version&prg=Gravelhorn2", false, 405, "GET, HEAD"},
      {"PUT", "PUT", "version&prg=Gravelhorn2", false, 405, "GET, HEAD"},
      {"DELETE", "DELETE", "prg=Gravelhorn2&show&type=0", false, 405, "GET, HEAD"},
      {"HEAD of the version request", "HEAD", "version&prg=Gravelhorn2", false, 405, "GET"},
      {"HEAD of a submission", "HEAD", "hs&prg=Gravelhorn2&inf=AAAAAAAA", false, 405, "GET"},
      {"GET with a body", "GET", "version&prg=Gravelhorn2", true, 400, ""},
      {"HEAD of the page", "HEAD", "prg=Gravelhorn2&show&type=0", false, 200, ""},
  };
  for (const auto& c : cases) {
    HttpRequest req = Request(c.method, c.query);
    req.hasBody = c.body;
    const HttpResponse res = service_->Handle(req);
    EXPECT_EQ(res.status, c.status) << c.what;
    EXPECT_EQ(HeaderOf(res, "Allow"), c.allow) << c.what;
    if (c.body) EXPECT_TRUE(res.close) << c.what << ": the body must not be read as a request";
  }
  EXPECT_EQ(storage_->CountTokens(), 0);
  EXPECT_FALSE(Logged("refused")) << "no submission was looked at";
}

TEST_F(ServiceTest, ThePageForbidsScriptsAndSniffing) {
  const HttpResponse res = service_->Handle(Request("GET", "prg=Gravelhorn2&show&type=0"));
  ASSERT_EQ(res.status, 200);
  EXPECT_EQ(HeaderOf(res, "X-Content-Type-Options"), "nosniff");
  const std::string policy = HeaderOf(res, "Content-Security-Policy");
  EXPECT_NE(policy.find("default-src 'none'"), std::string::npos) << policy;
  EXPECT_EQ(policy.find("script-src"), std::string::npos) << policy;
}

// Who counts as the client, and whose budget a request takes.
TEST_F(ServiceTest, RateLimitsGroupIpv6By64AndReadForwardedForOnlyFromTrustedProxies) {
  ServiceOptions options;
  options.versionPerMinute = 2;
  options.trustedProxies.Add("10.0.0.1");
  Start(options);
  const auto version = [&](const std::string& peer, const std::string& forwarded = "") {
    HttpRequest req = Request("GET", "version&prg=Gravelhorn2", peer);
    if (!forwarded.empty()) req.headers.emplace_back("x-forwarded-for", forwarded);
    return service_->Handle(req).status;
  };
  // One /64: its two addresses share one budget of 2.
  EXPECT_EQ(version("2001:db8:1:2::1"), 200);
  EXPECT_EQ(version("2001:db8:1:2:aaaa::9"), 200);
  EXPECT_EQ(version("2001:db8:1:2:ffff:ffff:ffff:ffff"), 429);
  EXPECT_EQ(version("2001:db8:1:3::1"), 200) << "the next /64 is someone else";
  // Behind the trusted proxy each player has a budget of his own.
  for (const char* player : {"203.0.113.1", "203.0.113.2"}) {
    EXPECT_EQ(version("10.0.0.1", player), 200) << player;
    EXPECT_EQ(version("10.0.0.1", std::string("192.0.2.66, ") + player), 200)
        << "a forged left entry does not give a new budget";
    EXPECT_EQ(version("10.0.0.1", player), 429) << player;
  }
  // An untrusted peer's header is ignored: the peer's own budget.
  EXPECT_EQ(version("198.51.100.1", "203.0.113.50"), 200);
  EXPECT_EQ(version("198.51.100.1", "203.0.113.51"), 200);
  EXPECT_EQ(version("198.51.100.1", "203.0.113.52"), 429);
}

TEST(ClientAddress, TheRightMostUntrustedEntryBehindTrustedProxies) {
  TrustedProxies trusted;
  trusted.Add("10.0.0.1");
  trusted.Add("::1");
  const struct {
    const char* peer;
    const char* forwarded;
    const char* client;
  } cases[] = {
      {"10.0.0.1", "203.0.113.9", "203.0.113.9"},
      {"10.0.0.1", "1.1.1.1, 203.0.113.9", "203.0.113.9"},
      {"10.0.0.1", "203.0.113.9, ::1", "203.0.113.9"},
      {"::1", " 2001:db8::7 ,10.0.0.1", "2001:db8::7"},
      {"10.0.0.1", "10.0.0.1, ::1", "10.0.0.1"},
      {"10.0.0.1", "", "10.0.0.1"},
      {"10.0.0.1", "not-an-address", "10.0.0.1"},
      {"10.0.0.1", "203.0.113.9, junk", "10.0.0.1"},
      {"198.51.100.4", "203.0.113.9", "198.51.100.4"},
      {"::ffff:198.51.100.4", "", "198.51.100.4"},
      {"::ffff:10.0.0.1", "[2001:db8::8]", "2001:db8::8"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ClientAddress(c.peer, c.forwarded, trusted), c.client)
        << c.peer << " / " << c.forwarded;
  EXPECT_EQ(RateGroup("2001:db8:1:2:3:4:5:6"), "2001:db8:1:2::/64");
  EXPECT_EQ(RateGroup("203.0.113.9"), "203.0.113.9");
  EXPECT_THROW(trusted.Add("proxy.example"), std::invalid_argument);
}

// Log lines carry the time; a flood of refusals is summed up, not written line
// by line; a token is never written.
TEST_F(ServiceTest, RefusalsAreLoggedWithTheTimeSummedUpInAFloodAndWithoutTokens) {
  const Issued i = [&] {
    auto client = Client();
    return AskVersion(client);
  }();
  ASSERT_FALSE(i.token.empty());
  // The middle twice (ambiguous): the text, token and all, would be logged.
  const std::string middle = "|score=5|key=G|p=" + i.token + "|add=";
  const std::string ambiguous = Inf("x" + middle + "y", 5, i.token, "z");
  HttpRequest req = Request("GET", "hs&prg=Gravelhorn2&inf=" + ambiguous);
  EXPECT_EQ(service_->Handle(req).status, 400);
  ASSERT_TRUE(Logged("ambiguous"));
  EXPECT_FALSE(Logged(i.token)) << "a token in the log";
  EXPECT_EQ(Log().back().rfind("2023-11-14T22:13:20Z ", 0), 0u) << Log().back();

  const size_t before = Log().size();
  for (int n = 0; n < 500; ++n) service_->Handle(Request("GET", "hs&prg=Gravelhorn2&inf=AAAAAAAB"));
  const size_t flood = Log().size() - before;
  EXPECT_LE(flood, 20u) << "one line per refusal";
  Advance(61);
  service_->Handle(Request("GET", "prg=Gravelhorn2&show&type=0"));
  ASSERT_GT(Log().size(), before + flood);
  const std::string summary = Log().back();
  EXPECT_NE(summary.find(std::to_string(500 - 19) + " more refusals"), std::string::npos)
      << summary;
}

TEST_F(ServiceTest, TheEmptyTableSaysSo) {
  auto client = Client();
  const std::string page = Page(client);
  EXPECT_NE(page.find("No scores yet"), std::string::npos);
  EXPECT_NE(page.find("name=\"viewport\""), std::string::npos);
}

}  // namespace
}  // namespace gh::scores::test
