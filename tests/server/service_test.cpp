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

TEST_F(ServiceTest, TheEmptyTableSaysSo) {
  auto client = Client();
  const std::string page = Page(client);
  EXPECT_NE(page.find("No scores yet"), std::string::npos);
  EXPECT_NE(page.find("name=\"viewport\""), std::string::npos);
}

}  // namespace
}  // namespace gh::scores::test
