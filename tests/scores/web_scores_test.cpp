// The score server exchange against a real HTTP server on the loopback.
#include <gtest/gtest.h>
#include <httplib.h>
#include <stdlib.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string_view>
#include <thread>
#include <vector>

#include "harness/Environment.h"
#include "harness/SilentSocket.h"
#include "scores/WebScores.h"

namespace gh {
namespace {

const char* const VersionTarget = "/cgi/version.pl?version&prg=Gravelhorn2";
const std::string SubmitPrefix = "/cgi/version.pl?hs&prg=Gravelhorn2&inf=";

// Base-32 back to text with the game's alphabet ("?" for a foreign symbol).
std::string Decode(const std::string& symbols) {
  const std::string_view alphabet = SymbolAlphabet;
  uint32_t buffer = 0;
  int bits = 0;
  std::string text;
  for (char c : symbols) {
    const size_t v = alphabet.find(c);
    if (v == std::string_view::npos) return "?";
    buffer = buffer << 5 | static_cast<uint32_t>(v);
    bits += 5;
    if (bits >= 8) {
      bits -= 8;
      text.push_back(static_cast<char>(buffer >> bits & 0xFF));
    }
  }
  return text;
}

std::string Padded(std::string text) {
  while (text.size() % 5 != 0) text += '0';
  return text;
}

struct Seen {
  std::string method, target, body;
  httplib::Headers headers;

  std::string Header(const char* name) const {
    auto it = headers.find(name);
    return it == headers.end() ? "<none>" : it->second;
  }
  bool Has(const char* name) const { return headers.count(name) != 0; }
  std::string Submitted() const {
    if (target.rfind(SubmitPrefix, 0) != 0) return "<not a submission: " + target + ">";
    return Decode(target.substr(SubmitPrefix.size()));
  }
};

using Handler = std::function<void(const httplib::Request&, httplib::Response&)>;

class ScoreServer : public ::testing::Test {
 protected:
  void SetUp() override {
    onVersion_ = [](const httplib::Request&, httplib::Response& res) {
      res.set_content("OK|Gravelhorn2|2.0|news|T0K3N|1", "text/html");
    };
    onSubmit_ = [](const httplib::Request&, httplib::Response& res) {
      res.set_content("thanks", "text/html");
    };
    server_.Get("/cgi/version.pl", [this](const httplib::Request& req, httplib::Response& res) {
      Handler handler;
      {
        std::lock_guard lock(mutex_);
        seen_.push_back({req.method, req.target, req.body, req.headers});
        handler = req.target == VersionTarget ? onVersion_ : onSubmit_;
      }
      handler(req, res);
    });
    // The recording's upload; with no handler the server answers as one that
    // does not know the request.
    server_.Post("/cgi/version.pl", [this](const httplib::Request& req, httplib::Response& res) {
      Handler handler;
      {
        std::lock_guard lock(mutex_);
        seen_.push_back({req.method, req.target, req.body, req.headers});
        handler = onUpload_;
      }
      if (handler) {
        handler(req, res);
      } else {
        res.status = 404;
        res.set_content("<html><body>Not Found</body></html>", "text/html");
      }
    });
    port_ = server_.bind_to_any_port("127.0.0.1");
    ASSERT_GT(port_, 0);
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    while (!server_.is_running()) std::this_thread::yield();
    SetScoreServerAddress("http://127.0.0.1:" + std::to_string(port_));
    SetScoreTimeouts(3000, 6000);
  }

  void TearDown() override {
    Release();
    server_.stop();
    if (thread_.joinable()) thread_.join();
    SetScoreServerAddress(GH_SCORE_SERVER);
    SetScoreTimeouts(4000, 10000);
  }

  void OnVersion(Handler handler) {
    std::lock_guard lock(mutex_);
    seen_.clear();
    onVersion_ = std::move(handler);
  }
  void OnSubmit(Handler handler) {
    std::lock_guard lock(mutex_);
    onSubmit_ = std::move(handler);
  }
  void OnUpload(Handler handler) {
    std::lock_guard lock(mutex_);
    onUpload_ = std::move(handler);
  }

  std::vector<Seen> Requests() {
    std::lock_guard lock(mutex_);
    return seen_;
  }
  // Waits until the server has seen `count` requests, at most 20 s.
  bool WaitForRequests(size_t count) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (Requests().size() < count) {
      if (std::chrono::steady_clock::now() > until) return false;
      std::this_thread::yield();
    }
    return true;
  }

  // A handler that holds its request until the test releases it.
  Handler Hang() {
    return [this](const httplib::Request&, httplib::Response& res) {
      std::unique_lock lock(hangMutex_);
      hangCv_.wait(lock, [this] { return released_; });
      res.set_content("late", "text/html");
    };
  }
  void Release() {
    std::lock_guard lock(hangMutex_);
    released_ = true;
    hangCv_.notify_all();
  }

  // Runs the exchange and returns how long it took.
  std::chrono::milliseconds Timed(bool& result, const std::string& name = "Ann") {
    const auto start = std::chrono::steady_clock::now();
    result = SubmitScore(name, 4200, "Peru");
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 start);
  }

  httplib::Server server_;
  std::thread thread_;
  int port_ = 0;
  std::mutex mutex_;
  std::vector<Seen> seen_;
  Handler onVersion_, onSubmit_, onUpload_;
  std::mutex hangMutex_;
  std::condition_variable hangCv_;
  bool released_ = false;
};

TEST_F(ScoreServer, BothRequestsCarryTheExactPathQueryAndHeaders) {
  ASSERT_TRUE(SubmitScore("Ann", 4200, "Peru"));
  const auto requests = Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].target, VersionTarget);
  EXPECT_EQ(requests[1].Submitted(),
            Padded("type=0|name=Ann|score=4200|key=" GH_SCORE_KEY "|p=T0K3N|add=Peru|z="));
  for (const Seen& r : requests) {
    SCOPED_TRACE(r.target);
    EXPECT_EQ(r.method, "GET");
    EXPECT_EQ(r.body, "");
    EXPECT_EQ(r.Header("Accept"), "text/html, */*");
    EXPECT_EQ(r.Header("Content-Type"), "text/html");
    EXPECT_EQ(r.Header("User-Agent"), "Mozilla/3.0 (compatible; Indy Library)");
    EXPECT_EQ(r.headers.count("Accept"), 1u);
    EXPECT_EQ(r.headers.count("User-Agent"), 1u);
  }
}

TEST_F(ScoreServer, TheTokenIsTheFifthFieldOrEmpty) {
  struct Case {
    std::string reply, token;
  };
  for (const Case& c : {Case{"1|2|3|4|abc|6|7", "abc"}, Case{"1|2|3|4|tail", ""}, Case{"", ""},
                        Case{"<html>1|2|3|4|x\n|</html>", "x\n"}}) {
    SCOPED_TRACE(c.reply);
    OnVersion([c](const httplib::Request&, httplib::Response& res) {
      res.set_content(c.reply, "text/html");
    });
    ASSERT_TRUE(SubmitScore("", 7, ""));
    const auto requests = Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].Submitted(),
              Padded("type=0|name=|score=7|key=" GH_SCORE_KEY "|p=" + c.token + "|add=|z="));
  }
}

TEST_F(ScoreServer, AReplyLongerThanTheLimitIsCutNotFailed) {
  // The fifth bar lies past the limit, so the token read is empty.
  OnVersion([](const httplib::Request&, httplib::Response& res) {
    res.set_content("1|2|3|4|" + std::string(MaxReplyBytes, 'x') + "|6", "text/html");
  });
  ASSERT_TRUE(SubmitScore("Ann", 1, "Peru"));
  const auto requests = Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_NE(requests[1].Submitted().find("|p=|add=Peru|z="), std::string::npos);
}

TEST_F(ScoreServer, AnEndlessReplyIsCutAndTheExchangeGoesOn) {
  OnVersion([](const httplib::Request&, httplib::Response& res) {
    res.set_chunked_content_provider("text/html", [](size_t offset, httplib::DataSink& sink) {
      const std::string chunk = offset == 0 ? "1|2|3|4|TOK|" : std::string(4096, 'z');
      return sink.write(chunk.data(), chunk.size());
    });
  });
  // Waiting for the end would run into the time-out and fail the request.
  SetScoreTimeouts(3000, 3000);
  ASSERT_TRUE(SubmitScore("Ann", 1, ""));
  const auto requests = Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_NE(requests[1].Submitted().find("|p=TOK|add="), std::string::npos);
}

TEST_F(ScoreServer, ACookieFromTheVersionReplyIsSentWithTheSubmissionOnly) {
  OnVersion([](const httplib::Request&, httplib::Response& res) {
    res.set_header("Set-Cookie", "session=abc123; Path=/");
    res.set_content("1|2|3|4|5|", "text/html");
  });
  ASSERT_TRUE(SubmitScore("Ann", 1, ""));
  ASSERT_TRUE(SubmitScore("Bob", 2, ""));
  const auto requests = Requests();
  ASSERT_EQ(requests.size(), 4u);
  EXPECT_FALSE(requests[0].Has("Cookie"));
  EXPECT_EQ(requests[1].Header("Cookie"), "session=abc123");
  // Nothing is kept between two exchanges.
  EXPECT_FALSE(requests[2].Has("Cookie"));
  EXPECT_EQ(requests[3].Header("Cookie"), "session=abc123");
}

TEST_F(ScoreServer, AProxyFromTheEnvironmentIsNotUsed) {
  test::SilentSocket proxy;
  const std::string address = "http://127.0.0.1:" + std::to_string(proxy.Port());
  for (const char* var : {"http_proxy", "HTTP_PROXY", "ALL_PROXY", "all_proxy"})
    test::SetVariable(var, address);
  SetScoreTimeouts(1000, 1000);
  const bool sent = SubmitScore("Ann", 1, "");
  for (const char* var : {"http_proxy", "HTTP_PROXY", "ALL_PROXY", "all_proxy"})
    test::UnsetVariable(var);
  EXPECT_TRUE(sent);
  EXPECT_EQ(Requests().size(), 2u);
}

TEST_F(ScoreServer, EveryStatusButTwoHundredsFailsTheVersionRequest) {
  // Redirects (a moved server, http to https) carry a page with a token-like
  // text: it must not be taken for the reply.
  for (int status : {301, 302, 303, 307, 308, 404, 500, 503}) {
    SCOPED_TRACE(status);
    OnVersion([status](const httplib::Request&, httplib::Response& res) {
      res.status = status;
      if (status < 400) res.set_header("Location", "/cgi/version.pl?version&prg=Gravelhorn2");
      res.set_content("1|2|3|4|5|", "text/html");
    });
    EXPECT_FALSE(SubmitScore("Ann", 1, ""));
    EXPECT_EQ(Requests().size(), 1u);  // no submission follows
  }
}

TEST_F(ScoreServer, AServerThatNeverAnswersTimesOut) {
  test::SilentSocket silent;
  SetScoreServerAddress("http://127.0.0.1:" + std::to_string(silent.Port()));
  SetScoreTimeouts(300, 300);
  bool result = true;
  const auto took = Timed(result);
  EXPECT_FALSE(result);
  EXPECT_LT(took.count(), 3000);  // the client's own time-out ended it, not some default
}

TEST_F(ScoreServer, ARefusedConnectionFails) {
  int port = 0;
  {
    test::SilentSocket closed;  // its port refuses once it is closed
    port = closed.Port();
  }
  SetScoreServerAddress("http://127.0.0.1:" + std::to_string(port));
  EXPECT_FALSE(SubmitScore("Ann", 1, ""));
}

TEST_F(ScoreServer, TheSubmissionCountsOnlyWhenTheServerTookIt) {
  // A connection dropped before the whole answer arrived.
  const Handler drop = [](const httplib::Request&, httplib::Response& res) {
    res.set_content_provider(100, "text/plain",
                             [](size_t, size_t, httplib::DataSink&) { return false; });
  };
  const struct {
    const char* name;
    Handler onSubmit;
    bool sent;
  } cases[] = {
      {"our server's acceptance",
       [](const httplib::Request&, httplib::Response& res) {
         res.set_content("OK\n", "text/plain");
       },
       true},
      {"an older server's page",
       [](const httplib::Request&, httplib::Response& res) {
         res.set_content("<html>thanks</html>", "text/html");
       },
       true},
      {"an empty 200", [](const httplib::Request&, httplib::Response&) {}, true},
      {"our server's refusal",
       [](const httplib::Request&, httplib::Response& res) {
         res.status = 403;
         res.set_content("refused\n", "text/plain");
       },
       false},
      {"a refusal passed on with 200",
       [](const httplib::Request&, httplib::Response& res) {
         res.set_content("refused\n", "text/plain");
       },
       false},
      {"a server error", [](const httplib::Request&, httplib::Response& res) { res.status = 500; },
       false},
      {"a dropped connection", drop, false},
      {"no answer within the time-out", Hang(), false},
  };
  SetScoreTimeouts(2000, 2000);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    OnSubmit(c.onSubmit);
    OnVersion([](const httplib::Request&, httplib::Response& res) {
      res.set_content("1|2|3|4|TOK|", "text/html");
    });
    EXPECT_EQ(SubmitScore("Ann", 1, ""), c.sent);
    // The same on a thread of its own.
    ScoreSend send("Ann", 1, "");
    ASSERT_TRUE(send.WaitFor(std::chrono::seconds(20)));
    EXPECT_EQ(send.Poll(), c.sent ? ScoreSend::Result::Sent : ScoreSend::Result::Failed);
    EXPECT_EQ(Requests().size(), 4u);
  }
}

TEST_F(ScoreServer, ACancelledSendEndsAtOnceAndCountsAsFailed) {
  // Either request may be the one under way when the player gives up.
  for (const bool inSubmission : {false, true}) {
    SCOPED_TRACE(inSubmission ? "submission" : "version request");
    if (inSubmission) {
      OnVersion([](const httplib::Request&, httplib::Response& res) {
        res.set_content("1|2|3|4|TOK|", "text/html");
      });
      OnSubmit(Hang());
    } else {
      OnVersion(Hang());
    }
    // Far beyond the bound below: only the cancel can end it sooner.
    SetScoreTimeouts(90000, 90000);
    const auto start = std::chrono::steady_clock::now();
    {
      ScoreSend send("Ann", 1, "");
      // The request reaches the server, which holds it.
      ASSERT_TRUE(WaitForRequests(inSubmission ? 2u : 1u));
      EXPECT_EQ(send.Poll(), ScoreSend::Result::Pending);
      send.Cancel();
      EXPECT_EQ(send.Poll(), ScoreSend::Result::Failed);
    }  // its thread is joined here
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_LT(std::chrono::duration_cast<std::chrono::seconds>(took).count(), 60);
  }
  Release();
}

// After a taken score the recording goes up on the same connection settings
// and cookie; whatever the server answers, the send counts, and only our
// server's 202 counts as uploaded.
TEST_F(ScoreServer, TheRecordingFollowsATakenScoreAndItsAnswerNeverFailsTheSend) {
  const auto answer = [](int status, const char* body) {
    return [status, body](const httplib::Request&, httplib::Response& res) {
      res.status = status;
      res.set_content(body, "text/plain");
    };
  };
  using State = RecordingUpload::State;
  const struct {
    const char* what;
    Handler onUpload;
    State state;
    std::string reason;
  } cases[] = {
      {"a server without the request", nullptr, State::NotVerified,
       "the server does not verify recordings (HTTP 404)"},
      {"a page with 200", answer(200, "<html>scores</html>"), State::NotVerified,
       "the server does not verify recordings (HTTP 200)"},
      {"an unknown query", answer(400, "unknown query\n"), State::NotVerified, "unknown query"},
      {"a second upload", answer(409, "this score's recording was uploaded already\n"),
       State::NotVerified, "this score's recording was uploaded already"},
      {"taken", answer(202, "queued\n"), State::Uploaded, ""},
  };
  std::string recording("GH2\0\x01\xff recording", 17);
  for (const auto& c : cases) {
    OnVersion([](const httplib::Request&, httplib::Response& res) {
      res.set_header("Set-Cookie", "gh2session=c00k1e; Path=/cgi");
      res.set_content("1|Gravelhorn2|2.0|0|T0K3N|", "text/html");
    });
    OnUpload(c.onUpload);
    RecordingUpload upload;
    EXPECT_TRUE(SubmitScore("Ann", 4200, "Peru", recording, &upload)) << c.what;
    EXPECT_EQ(upload.state, c.state) << c.what;
    EXPECT_EQ(upload.reason, c.reason) << c.what;
    const auto requests = Requests();
    ASSERT_EQ(requests.size(), 3u) << c.what;
    const Seen& up = requests[2];
    EXPECT_EQ(up.method, "POST");
    EXPECT_EQ(up.target, "/cgi/version.pl?rec&prg=Gravelhorn2&p=T0K3N");
    EXPECT_EQ(up.Header("Content-Type"), "application/octet-stream");
    EXPECT_EQ(up.Header("Cookie"), "gh2session=c00k1e");
    EXPECT_EQ(up.body, recording);
  }
  // Without a recording the exchange is the protocol's two requests.
  OnVersion([](const httplib::Request&, httplib::Response& res) {
    res.set_content("1|Gravelhorn2|2.0|0|T0K3N|", "text/html");
  });
  RecordingUpload upload;
  EXPECT_TRUE(SubmitScore("Ann", 4200, "Peru", std::nullopt, &upload));
  EXPECT_EQ(upload.state, State::None);
  EXPECT_EQ(Requests().size(), 2u);
}

TEST_F(ScoreServer, EscapeDuringTheUploadEndsAtOnceAndTheScoreStaysSent) {
  OnVersion([](const httplib::Request&, httplib::Response& res) {
    res.set_content("1|2|3|4|TOK|", "text/html");
  });
  OnUpload(Hang());
  // Far beyond the bound below: only the cancel can end it sooner.
  SetScoreTimeouts(90000, 90000);
  const auto start = std::chrono::steady_clock::now();
  {
    ScoreSend send("Ann", 1, "", std::string("recording"));
    ASSERT_TRUE(WaitForRequests(3u));
    EXPECT_EQ(send.Poll(), ScoreSend::Result::Pending);
    send.Cancel();
    EXPECT_EQ(send.Poll(), ScoreSend::Result::Sent);
    EXPECT_EQ(send.Upload().state, RecordingUpload::State::NotVerified);
    EXPECT_EQ(send.Upload().reason, "the upload was cancelled");
  }  // its thread is joined here
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_LT(std::chrono::duration_cast<std::chrono::seconds>(took).count(), 60);
  Release();
}

TEST(ScorePage, IsTheServerScriptWithTheShowQuery) {
  EXPECT_EQ(ScoreServerAddress(), GH_SCORE_SERVER);
  EXPECT_EQ(ScorePageAddress(),
            std::string(GH_SCORE_SERVER) + "/cgi/version.pl?prg=Gravelhorn2&show&type=0");
  SetScoreServerAddress("http://127.0.0.1:8080/");
  EXPECT_EQ(ScorePageAddress(), "http://127.0.0.1:8080/cgi/version.pl?prg=Gravelhorn2&show&type=0");
  SetScoreServerAddress(GH_SCORE_SERVER);
}

}  // namespace
}  // namespace gh
