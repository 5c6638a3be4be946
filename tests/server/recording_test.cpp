// Recordings on the score server: the upload after a submission, its refusals,
// the verification pool with a stand-in verifier, the page's marks, the
// download and the verified-only table.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <fstream>
#include <optional>

#include "ServerFixture.h"
#include "ServerProcess.h"
#include "scores/ScoreProtocol.h"
#include "scores/WebScores.h"
#include "server/VerifyPool.h"

namespace gh::scores::test {
namespace {

namespace fs = std::filesystem;

// Answers each job as the real verifier's protocol does, the job's text saying
// how: "verified ..." and "refused ..." are answered as they are; "hang" never
// answers, "crash" dies, "garbage" answers nonsense, "memory" refuses with its
// address-space limit in KiB, and "gate FILE LINE" answers LINE once FILE exists.
constexpr const char* FakeVerifier = R"sh(#!/bin/sh
[ "$1 $3 $4" = "--data --serve " ] || { echo "usage: $*" >&2; exit 2; }
while len=$(head -c 4 | od -An -tu4 | tr -d ' '); [ -n "$len" ]; do
  job=$(head -c "$len")
  case "$job" in
    hang) exec sleep 600 ;;
    crash) kill -9 $$ ;;
    garbage) printf 'zzz 1 2\n' ;;
    memory) printf 'refused %s\n' "$(ulimit -v)" ;;
    gate\ *) set -- $job; while [ ! -e "$2" ]; do sleep 0.01; done; shift 2; printf '%s\n' "$*" ;;
    *) printf '%s\n' "$job" ;;
  esac
done
)sh";

struct Issued {
  std::string token, cookie;  // cookie as "name=value"
};

class RecordingTest : public ServiceTest {
 protected:
  void SetUp() override {
    ServiceTest::SetUp();
    verifier_ = dir_ / "fake-verify";
    std::ofstream(verifier_) << FakeVerifier;
    fs::permissions(verifier_, fs::perms::owner_all);
  }
  void TearDown() override {
    pool_.reset();
    ServiceTest::TearDown();
  }

  // The service with `options`, and a pool of `workers` stand-in verifiers
  // (none: recordings wait in the database).
  void Serve(ServiceOptions options, VerifyOptions verify, HttpLimits limits = {}) {
    pool_.reset();
    Start(options, limits);
    verify.program = verifier_.string();
    verify.dataDir = (dir_ / "Data").string();
    if (verify.workers > 0) {
      pool_ = std::make_unique<VerifyPool>(*storage_, verify, [this](const std::string& line) {
        std::lock_guard lock(logMutex_);
        log_.push_back(line);
      });
      service_->OnRecording([this](int64_t id) { pool_->Enqueue(id); });
    }
  }
  VerifyOptions Workers(int n, int jobSeconds = 30) {
    VerifyOptions v;
    v.workers = n;
    v.jobSeconds = jobSeconds;
    return v;
  }
  bool Idle() { return pool_ && pool_->WaitIdle(std::chrono::seconds(30)); }

  // The game's two requests: the version request and the submission.
  Issued Submit(const std::string& name, int score) {
    auto client = Client();
    auto res = client.Get("/cgi/version.pl?version&prg=Gravelhorn2");
    if (!res || res->status != 200) return {};
    Issued issued{gh::TokenFromReply(res->body), res->get_header_value("Set-Cookie")};
    issued.cookie = issued.cookie.substr(0, issued.cookie.find(';'));
    const std::string inf =
        gh::EncodeSubmission(gh::SubmissionText(name, score, issued.token, "Here"));
    auto sent = client.Get("/cgi/version.pl?hs&prg=Gravelhorn2&inf=" + inf,
                           httplib::Headers{{"Cookie", issued.cookie}});
    EXPECT_TRUE(sent && sent->status == 200);
    return issued;
  }
  // The upload as the game makes it; the status and the reply's body.
  std::pair<int, std::string> Upload(const Issued& issued, const std::string& body,
                                     const std::string& method = "POST") {
    auto client = Client();
    const std::string path = "/cgi/version.pl?rec&prg=Gravelhorn2&p=" + issued.token;
    httplib::Headers headers;
    if (!issued.cookie.empty()) headers.emplace("Cookie", issued.cookie);
    auto res = method == "POST" ? client.Post(path, headers, body, "application/octet-stream")
                                : client.Get(path, headers);
    return res ? std::pair(res->status, res->body) : std::pair(-1, std::string());
  }
  std::string Page(const std::string& extra = "") {
    auto res = Client().Get("/cgi/version.pl?prg=Gravelhorn2&show&type=0" + extra);
    return res && res->status == 200 ? res->body : "<no page>";
  }
  ScoreRow RowOf(const std::string& name) {
    for (const ScoreRow& row : storage_->TopScores(100))
      if (row.name == name) return row;
    ADD_FAILURE() << "no row " << name;
    return {};
  }

  fs::path verifier_;
  std::unique_ptr<VerifyPool> pool_;
};

constexpr const char* VerifiedTitle = "title=\"verified: played again by the server\"";

TEST_F(RecordingTest, AnUploadWaitsThenIsVerifiedMarkedAndOfferedForDownload) {
  Serve({}, Workers(0));
  const Issued issued = Submit("Ann", 1234);
  // Bytes of every value, as a recording's are.
  std::string recording = "verified 1234 3 600";
  const auto [status, body] = Upload(issued, recording);
  EXPECT_EQ(status, 202);
  EXPECT_EQ(body, "queued\n");
  ScoreRow row = RowOf("Ann");
  EXPECT_EQ(row.recording, RecordingState::Pending);
  EXPECT_EQ(Page().find(VerifiedTitle), std::string::npos);
  const std::string download = "/cgi/version.pl?prg=Gravelhorn2&rec=" + std::to_string(row.id);
  EXPECT_EQ(Client().Get(download)->status, 404) << "not verified yet";

  // A pool started now finds the waiting recording in the database.
  Serve({}, Workers(2));
  ASSERT_TRUE(Idle());
  row = RowOf("Ann");
  EXPECT_EQ(row.recording, RecordingState::Verified);
  const std::string page = Page();
  EXPECT_NE(page.find(VerifiedTitle), std::string::npos) << page;
  EXPECT_NE(page.find("href=\"?prg=Gravelhorn2&amp;rec=" + std::to_string(row.id) + "\""),
            std::string::npos)
      << page;
  auto res = Client().Get(download);
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 200);
  EXPECT_EQ(res->body, recording);
  EXPECT_EQ(res->get_header_value("Content-Type"), "application/octet-stream");
  EXPECT_EQ(res->get_header_value("Content-Disposition"),
            "attachment; filename=\"gravelhorn2-" + std::to_string(row.id) + ".gh2rec\"");
  EXPECT_TRUE(Logged("recording of row " + std::to_string(row.id) + " verified"));
}

// The game's own client against this server: score, cookie, token and
// recording meet, and the row ends verified.
TEST_F(RecordingTest, TheGamesClientUploadsItsRecordingAndTheRowIsVerified) {
  Serve({}, Workers(1));
  gh::SetScoreServerAddress(Address());
  gh::RecordingUpload upload;
  EXPECT_TRUE(gh::SubmitScore("Ada", 4321, "UK", std::string("verified 4321 5 9000"), &upload));
  gh::SetScoreServerAddress("");
  EXPECT_EQ(upload.state, gh::RecordingUpload::State::Uploaded) << upload.reason;
  ASSERT_TRUE(Idle());
  EXPECT_EQ(RowOf("Ada").recording, RecordingState::Verified);
}

// The program itself: its verifiers are started from its settings, and what
// they find is logged with its time once.
TEST_F(RecordingTest, TheServerProgramVerifiesWithTheVerifierOfItsSettings) {
  const std::string log = (dir_ / "program.log").string();
  ServerProcess server({"--db", (dir_ / "program.sqlite").string(), "--verify-workers", "1",
                        "--verify-program", verifier_.string(), "--verify-data", dir_.string()},
                       log);
  ASSERT_GT(server.Port(), 0);
  gh::SetScoreServerAddress(server.Address());
  gh::RecordingUpload upload;
  EXPECT_TRUE(gh::SubmitScore("Prog", 555, "UK", std::string("verified 555 1 10"), &upload));
  gh::SetScoreServerAddress("");
  EXPECT_EQ(upload.state, gh::RecordingUpload::State::Uploaded) << upload.reason;
  httplib::Client client("127.0.0.1", server.Port());
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  std::string page;
  while (page.find(VerifiedTitle) == std::string::npos &&
         std::chrono::steady_clock::now() < until) {
    auto res = client.Get("/cgi/version.pl?prg=Gravelhorn2&show&type=0");
    page = res ? res->body : "";
  }
  EXPECT_NE(page.find(VerifiedTitle), std::string::npos) << page;
  EXPECT_EQ(server.Stop(), 0);
  std::ifstream in(log);
  const std::string text((std::istreambuf_iterator<char>(in)), {});
  const size_t at = text.find("recording of row 1 verified (10 frames)");
  ASSERT_NE(at, std::string::npos) << text;
  const size_t lineStart = text.rfind('\n', at) == std::string::npos ? 0 : text.rfind('\n', at) + 1;
  EXPECT_EQ(at - lineStart, std::string("2026-01-31T12:00:00Z ").size())
      << "one time in front: " << text.substr(lineStart, at - lineStart);
}

TEST_F(RecordingTest, AForgedSubmissionIsNotVerifiedAndAbsentFromTheVerifiedTable) {
  Serve({}, Workers(1));
  Submit("Forger", 99999);  // the protocol's two requests, no recording
  ASSERT_EQ(Upload(Submit("Honest", 1234), "verified 1234 3 600").first, 202);
  ASSERT_TRUE(Idle());
  EXPECT_EQ(RowOf("Forger").recording, RecordingState::None);
  const std::string all = Page();
  ASSERT_NE(all.find("Forger"), std::string::npos);
  const std::string forgerRow =
      all.substr(all.find("Forger"), all.find("</tr>", all.find("Forger")) - all.find("Forger"));
  EXPECT_EQ(forgerRow.find("mark"), std::string::npos) << forgerRow;
  EXPECT_NE(all.find("&amp;verified=1\">Only verified scores</a>"), std::string::npos);

  const struct {
    const char* what;
    bool verifiedOnly;
    std::string query;
  } views[] = {
      {"the verified view", false, "&verified=1"},
      {"the world table with verified-only", true, ""},
  };
  for (const auto& v : views) {
    ServiceOptions options;
    options.verifiedOnly = v.verifiedOnly;
    Serve(options, Workers(0));
    const std::string page = Page(v.query);
    EXPECT_EQ(page.find("Forger"), std::string::npos) << v.what;
    EXPECT_NE(page.find("Honest"), std::string::npos) << v.what;
  }
}

TEST_F(RecordingTest, TheVerifiersAnswersDecideTheRowAndAFailingWorkerIsReplaced) {
  VerifyOptions verify = Workers(1, 1);
  verify.memoryMb = 256;
  Serve({}, verify);
  const struct {
    const char* job;
    RecordingState state;
    std::string reason;
  } cases[] = {
      {"verified 1000 2 100", RecordingState::Refused,
       "the recording ends with score 1000, not 1234"},
      {"refused the recording is damaged", RecordingState::Refused, "the recording is damaged"},
      {"hang", RecordingState::Refused, "took too long"},
      {"crash", RecordingState::Refused, "the verifier stopped (killed by signal 9)"},
      {"garbage", RecordingState::Refused, "the verifier's answer was not understood"},
      {"memory", RecordingState::Refused, std::to_string(256 * 1024)},
      // After each failure above a fresh worker takes the next job.
      {"verified 1234 2 100", RecordingState::Verified, ""},
  };
  int n = 0;
  for (const auto& c : cases) {
    const std::string name = "Row" + std::to_string(n++);
    ASSERT_EQ(Upload(Submit(name, 1234), c.job).first, 202) << c.job;
    ASSERT_TRUE(Idle()) << c.job;
    const ScoreRow row = RowOf(name);
    EXPECT_EQ(row.recording, c.state) << c.job;
    EXPECT_EQ(row.recordingReason, c.reason) << c.job;
  }
  const std::string page = Page();
  EXPECT_NE(page.find("title=\"refused: took too long\""), std::string::npos) << page;
}

TEST_F(RecordingTest, TheQueueIsBoundedAndRowsLeftOutArePickedUpLater) {
  VerifyOptions verify = Workers(1);
  verify.queue = 1;
  Serve({}, verify);
  const fs::path gate = dir_ / "open";
  for (const char* name : {"A", "B", "C", "D"})
    ASSERT_EQ(Upload(Submit(name, 1234), "gate " + gate.string() + " verified 1234 1 60").first,
              202);
  // One is being played (or about to be), one waits in the queue, the others
  // wait in the database.
  EXPECT_LE(pool_->Queued(), 1u);
  std::ofstream(gate) << "";
  ASSERT_TRUE(Idle());
  for (const char* name : {"A", "B", "C", "D"})
    EXPECT_EQ(RowOf(name).recording, RecordingState::Verified) << name;
}

TEST_F(RecordingTest, UploadsAreRefusedWithTheirReasons) {
  ServiceOptions options;
  options.tokenSeconds = 60;
  options.maxRecordingBytes = 100;
  Serve(options, Workers(0));
  const Issued good = Submit("Ann", 1234);
  Issued otherCookie = Submit("Bob", 1234);
  otherCookie.cookie = std::string(CookieName) + "=00000000000000000000000000000000";
  const Issued late = Submit("Cy", 1234);
  const Issued empty = Submit("Di", 1234);
  const Issued big = Submit("Ed", 1234);
  const Issued noCookie = {Submit("Flo", 1234).token, ""};
  const Issued unknown = {std::string(32, 'a'), good.cookie};
  const Issued malformed = {"../x", good.cookie};
  ASSERT_EQ(Upload(good, "first").first, 202);
  const struct {
    const char* what;
    Issued issued;
    std::string body, method;
    int status;
    std::string reason;
    int64_t advance = 0;
  } cases[] = {
      {"a GET", good, "", "GET", 405, "only POST"},
      {"a second upload", good, "again", "POST", 409,
       "this score's recording was uploaded already"},
      {"another cookie", otherCookie, "x", "POST", 403, "the score was stored with another cookie"},
      {"no cookie", noCookie, "x", "POST", 403, "the score was stored with another cookie"},
      {"an unknown token", unknown, "x", "POST", 404, "no score was stored with this token"},
      {"a malformed token", malformed, "x", "POST", 404, "no score was stored with this token"},
      {"no body", empty, "", "POST", 400, "no recording in the body"},
      {"a body over the service's cap", big, std::string(101, 'x'), "POST", 413,
       "the recording is over 100 bytes"},
      {"after the token's time", late, "x", "POST", 410, "the token's time is over", 61},
  };
  for (const auto& c : cases) {
    Advance(c.advance);
    const auto [status, body] = Upload(c.issued, c.body, c.method);
    EXPECT_EQ(status, c.status) << c.what;
    EXPECT_EQ(body, c.reason + "\n") << c.what;
  }
  for (const char* name : {"Bob", "Cy", "Di", "Ed", "Flo"})
    EXPECT_EQ(RowOf(name).recording, RecordingState::None) << name;
  EXPECT_TRUE(Logged("refused recording from 127.0.0.1: the token's time is over"));
}

TEST_F(RecordingTest, UploadsHaveARateLimitPerAddress) {
  ServiceOptions options;
  options.uploadPerMinute = 2;
  Serve(options, Workers(0));
  std::vector<int> statuses;
  for (int i = 0; i < 3; ++i) statuses.push_back(Upload(Submit("N", 1234), "x").first);
  EXPECT_EQ(statuses, (std::vector<int>{202, 202, 429}));
}

// Raw request bytes on a fresh loopback connection; the reply's status line,
// read within 10 s: "" when the server closed the connection without one. With
// `keep` the connection stays open and is handed over.
std::string StatusAfter(int port, const std::string& bytes, int* keep = nullptr) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(static_cast<uint16_t>(port));
  inet_pton(AF_INET, "127.0.0.1", &to.sin_addr);
  std::string reply = "<nothing in 10 s>";
  if (connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0 &&
      send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size())) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    std::string got;
    while (got.find("\r\n") == std::string::npos && std::chrono::steady_clock::now() < until) {
      pollfd p{fd, POLLIN, 0};
      if (poll(&p, 1, 200) <= 0) continue;
      char buffer[512];
      const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
      if (n <= 0) {
        reply = got;
        break;
      }
      got.append(buffer, static_cast<size_t>(n));
      reply = got;
    }
  }
  if (keep) {
    *keep = fd;
  } else {
    close(fd);
  }
  return reply.substr(0, reply.find("\r\n"));
}

TEST_F(RecordingTest, TheHttpLayerRefusesBodiesOverItsCapWithoutReadingThem) {
  HttpLimits limits;
  limits.bodyBytes = 64 * 1024;
  Serve({}, Workers(0), limits);
  const Issued issued = Submit("Ann", 1234);
  const std::string head = "POST /cgi/version.pl?rec&prg=Gravelhorn2&p=" + issued.token +
                           " HTTP/1.1\r\nHost: x\r\nCookie: " + issued.cookie + "\r\n";
  const std::string chunk = std::string("1000\r\n") + std::string(0x1000, 'x') + "\r\n";
  std::string chunks;
  for (int i = 0; i < 17; ++i) chunks += chunk;  // 68 KiB, then no end
  const struct {
    const char* what;
    std::string bytes;
    std::string status;
  } cases[] = {
      // The head alone: answered at once, no byte of the body awaited.
      {"a length over the cap", head + "Content-Length: 1000000000\r\n\r\n", "HTTP/1.1 413"},
      // No reply can be queued in the middle of a body: the connection is cut.
      {"chunks past the cap", head + "Transfer-Encoding: chunked\r\n\r\n" + chunks, ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(StatusAfter(port_, c.bytes).substr(0, 12), c.status) << c.what;
  EXPECT_EQ(RowOf("Ann").recording, RecordingState::None);
  // Under the cap, chunked or not, the body arrives whole.
  std::string bytes(60 * 1024, '\0');
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7);
  ASSERT_EQ(Upload(issued, bytes).first, 202);
  EXPECT_EQ(storage_->LoadPending(RowOf("Ann").id)->bytes, bytes);
}

// Many uploads at once share one budget of memory: one that would go over it
// is turned away at its head.
TEST_F(RecordingTest, UploadsBeingReadShareOneBudget) {
  HttpLimits limits;
  limits.bodiesBytes = 100 * 1024;
  Serve({}, Workers(0), limits);
  const Issued issued = Submit("Ann", 1234);
  const std::string head = "POST /cgi/version.pl?rec&prg=Gravelhorn2&p=" + issued.token +
                           " HTTP/1.1\r\nHost: x\r\nCookie: " + issued.cookie +
                           "\r\nContent-Length: 80000\r\n";
  // The first one's head is taken (the server asks for its body), and its
  // body never comes.
  int first = -1;
  EXPECT_EQ(StatusAfter(port_, head + "Expect: 100-continue\r\n\r\n", &first),
            "HTTP/1.1 100 Continue");
  EXPECT_EQ(StatusAfter(port_, head + "\r\n").substr(0, 12), "HTTP/1.1 503");
  close(first);
  EXPECT_EQ(RowOf("Ann").recording, RecordingState::None);
}

}  // namespace
}  // namespace gh::scores::test
