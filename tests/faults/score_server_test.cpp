// A score server that refuses, fails, answers garbage, answers slowly or never:
// after a real game the player is asked "Cant conect!!!" / "Repeat again?"
// within the client's time-out, the game goes on to the high-score screen, and
// the table on disk is whole and holds the new entry.
#include <httplib.h>

#include <chrono>
#include <condition_variable>
#include <fstream>
#include <iterator>
#include <memory>
#include <mutex>
#include <thread>

#include "FaultHelpers.h"
#include "game/Game.h"
#include "harness/SilentSocket.h"
#include "scores/WebScores.h"
#include "settings/ConfigFile.h"
#include "settings/Settings.h"
#include "shell/Shell.h"

namespace gh::test {
namespace {

enum class Fault { Refuses, Error500, Error404, Garbage, Slow, Never };

// A score server with one way of failing. A slow reply sends its headers and a
// first piece of the body, then stalls until the server goes away.
class FaultyServer {
 public:
  explicit FaultyServer(Fault fault) : fault_(fault) {
    if (fault == Fault::Refuses) {
      SilentSocket closed;
      port_ = closed.Port();
      return;
    }
    if (fault == Fault::Never) {
      silent_ = std::make_unique<SilentSocket>();
      port_ = silent_->Port();
      return;
    }
    server_.Get("/cgi/version.pl", [this](const httplib::Request& req, httplib::Response& res) {
      if (req.has_param("hs")) {
        ++submissions_;
        res.set_content("ok", "text/html");
        return;
      }
      ++versions_;
      switch (fault_) {
        case Fault::Error500:
          res.status = 500;
          res.set_content("1|2|3|4|TOKEN|6", "text/html");
          break;
        case Fault::Error404:
          res.status = 404;
          break;
        case Fault::Garbage: {
          static constexpr char garbage[] = "\x00\xff<html>\r\n||\x7f garbage";
          res.set_content(std::string(garbage, sizeof garbage - 1), "text/html");
          break;
        }
        case Fault::Slow:
          res.set_chunked_content_provider("text/html", [this](size_t, httplib::DataSink& sink) {
            sink.write("1|2|", 4);
            std::unique_lock<std::mutex> lock(mutex_);
            released_.wait_for(lock, std::chrono::seconds(20), [this] { return release_; });
            return false;
          });
          break;
        default:
          break;
      }
    });
    port_ = server_.bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
  }
  ~FaultyServer() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      release_ = true;
    }
    released_.notify_all();
    if (thread_.joinable()) {
      server_.stop();
      thread_.join();
    }
  }
  std::string Address() const { return "http://127.0.0.1:" + std::to_string(port_); }
  int versions() const { return versions_; }
  int submissions() const { return submissions_; }

 private:
  Fault fault_;
  httplib::Server server_;
  std::thread thread_;
  std::unique_ptr<SilentSocket> silent_;
  int port_ = 0;
  std::atomic<int> versions_{0};
  std::atomic<int> submissions_{0};
  std::mutex mutex_;
  std::condition_variable released_;
  bool release_ = false;
};

// A table whose tenth entry any finished game beats.
ConfigData LowTable() {
  ConfigData data;
  data.Country = "Nowhere";
  for (int i = 0; i < 10; ++i) {
    data.HighScores[i].Name = "Old" + std::to_string(i);
    data.HighScores[i].Score = 9 - i - (i == 9 ? 10 : 0);  // 9, 8, ..., 1, -10
  }
  return data;
}

struct Case {
  const char* name;
  Fault fault;
  bool asksAgain;
};

class ScoreServerFault : public ::testing::TestWithParam<Case> {
 protected:
  void SetUp() override { previous_ = ScoreServerAddress(); }
  void TearDown() override {
    SetScoreServerAddress(previous_);
    SetScoreTimeouts(4000, 10000);
  }
  std::string previous_;
};

TEST_P(ScoreServerFault, TheQuestionComesWithinTheTimeOutAndTheTableIsKept) {
  const Case c = GetParam();
  FaultyServer server(c.fault);
  SetScoreServerAddress(server.Address());
  SetScoreTimeouts(300, 800);

  HarnessOptions options;
  options.config = WriteConfig(LowTable());
  Harness h(options);
  ASSERT_TRUE(StartGameFromMenu(h));
  ASSERT_TRUE(h.StepUntil([] { return Game && Game->Phase == PhasePlaying; }, 600));
  h.Tap(KeyEscape);
  ASSERT_TRUE(h.StepUntilPrint("Exit to menu?", 10));
  AnswerQuestion(h, true);
  ASSERT_TRUE(h.StepUntilPrint("Your Scores is 0", 600));
  PlayerName = "Faulty";
  AnswerQuestion(h, true);
  ASSERT_TRUE(h.StepUntilPrint("World's Highscores page?", 10));

  const auto sent = std::chrono::steady_clock::now();
  AnswerQuestion(h, true);
  if (c.asksAgain) {
    ASSERT_TRUE(h.StepUntilPrint("Cant conect!!!", 10));
    const auto waited = std::chrono::steady_clock::now() - sent;
    EXPECT_TRUE(h.HasPrint("Repeat again?"));
    // The client's own time-out ended the request, not some default of minutes.
    EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(waited).count(), 5000);
    EXPECT_EQ(server.submissions(), 0);
    AnswerQuestion(h, false);
  }
  ASSERT_TRUE(h.StepUntil([] { return Game == nullptr; }, 10));
  EXPECT_EQ(CurrentScreen, ScreenHiScore);
  if (c.fault == Fault::Garbage) {
    // A reply of plain text is a reply: the score went out with an empty token.
    EXPECT_EQ(server.versions(), 1);
    EXPECT_EQ(server.submissions(), 1);
  }

  // The game goes on: the menus answer and the program closes normally.
  h.Step(5);
  EXPECT_FALSE(h.Exited());

  std::ifstream in(h.ConfigPath(), std::ios::binary);
  const std::string bytes(std::istreambuf_iterator<char>(in), {});
  ConfigData onDisk;
  ASSERT_EQ(ReadConfig(bytes, onDisk), ConfigFieldCount) << "the table on disk is not whole";
  const ConfigData before = LowTable();
  for (int i = 0; i < 9; ++i) {
    EXPECT_EQ(onDisk.HighScores[i].Name, before.HighScores[i].Name) << i;
    EXPECT_EQ(onDisk.HighScores[i].Score, before.HighScores[i].Score) << i;
  }
  EXPECT_EQ(onDisk.HighScores[9].Name, "Faulty");
  EXPECT_EQ(onDisk.HighScores[9].Score, 0);
  EXPECT_EQ(onDisk.Country, "Nowhere");
}

INSTANTIATE_TEST_SUITE_P(Faults, ScoreServerFault,
                         ::testing::Values(Case{"Refuses", Fault::Refuses, true},
                                           Case{"Error500", Fault::Error500, true},
                                           Case{"Error404", Fault::Error404, true},
                                           Case{"Garbage", Fault::Garbage, false},
                                           Case{"Slow", Fault::Slow, true},
                                           Case{"Never", Fault::Never, true}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace gh::test
