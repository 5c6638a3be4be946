// A score server that refuses, fails, answers garbage, answers slowly or never,
// or refuses or drops the submission: after a real game the player is asked
// "Cant conect!!!" / "Repeat again?" within the client's time-out, the game
// goes on to the high-score screen, the table on disk is whole and holds the
// new entry, and an entry the server did not take stays marked as not sent.
// Meanwhile the frames go on, and the player can give up with Escape.
#include <httplib.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <mutex>
#include <random>
#include <thread>

#include "FaultHelpers.h"
#include "game/Game.h"
#include "game/Recording.h"
#include "harness/SilentSocket.h"
#include "scores/UnsentScores.h"
#include "scores/WebScores.h"
#include "settings/ConfigFile.h"
#include "settings/Settings.h"
#include "shell/Shell.h"

namespace gh::test {
namespace {

namespace fs = std::filesystem;

enum class Fault {
  Refuses,
  Error500,
  Error404,
  Garbage,
  Slow,
  Never,
  RefusesSubmission,
  DropsSubmission,
  Accepts,
  HoldsUpload,  // takes the score, then holds the recording's upload
};

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
        {
          std::lock_guard<std::mutex> lock(mutex_);
          lastSubmission_ = req.get_param_value("inf");
        }
        if (fault_ == Fault::RefusesSubmission) {
          res.status = 403;
          res.set_content("refused\n", "text/plain");
        } else if (fault_ == Fault::DropsSubmission) {
          // The headers promise a body; the connection closes before it.
          res.set_content_provider(100, "text/plain",
                                   [](size_t, size_t, httplib::DataSink&) { return false; });
        } else {
          res.set_content("ok", "text/html");
        }
        return;
      }
      ++versions_;
      switch (fault_.load()) {
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
    server_.Post("/cgi/version.pl", [this](const httplib::Request& req, httplib::Response& res) {
      std::unique_lock<std::mutex> lock(mutex_);
      uploads_.push_back(req.body);
      if (fault_ == Fault::HoldsUpload)
        released_.wait_for(lock, std::chrono::seconds(20), [this] { return release_; });
      res.status = 202;
      res.set_content("queued\n", "text/plain");
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
  std::string lastSubmission() {
    std::lock_guard<std::mutex> lock(mutex_);
    return lastSubmission_;
  }
  std::vector<std::string> uploads() {
    std::lock_guard<std::mutex> lock(mutex_);
    return uploads_;
  }
  // Changes how a server that answers answers.
  void SetFault(Fault fault) { fault_ = fault; }

 private:
  std::atomic<Fault> fault_;
  std::string lastSubmission_;
  httplib::Server server_;
  std::thread thread_;
  std::unique_ptr<SilentSocket> silent_;
  int port_ = 0;
  std::atomic<int> versions_{0};
  std::atomic<int> submissions_{0};
  std::vector<std::string> uploads_;
  std::mutex mutex_;
  std::condition_variable released_;
  bool release_ = false;
};

// A table whose tenth entry any finished game beats.
Settings LowTable() {
  Settings data;
  data.Country = "Nowhere";
  for (int i = 0; i < 10; ++i) {
    data.HighScores[i].Name = "Old" + std::to_string(i);
    data.HighScores[i].Score = 9 - i - (i == 9 ? 10 : 0);  // 9, 8, ..., 1, -10
  }
  return data;
}

// The entries of the list of results not sent, beside Config.cfg.
std::vector<UnsentScore> UnsentOnDisk(Harness& h) {
  std::ifstream in(h.Folder() / UnsentScoresFileName, std::ios::binary);
  const std::string text(std::istreambuf_iterator<char>(in), {});
  std::vector<std::string> problems;
  const auto entries = ReadUnsentScores(text, problems);
  EXPECT_TRUE(problems.empty()) << problems.front();
  return entries;
}

// Leaves a new game at once, enters its score 0 under the name "Faulty" and
// stops at the question whether to send it.
void ReachSendQuestion(Harness& h) {
  ASSERT_TRUE(StartGameFromMenu(h));
  ASSERT_TRUE(h.StepUntil(
      [&] {
        return h.Shell().RunningGame() && h.Shell().RunningGame()->Phase() == GamePhase::Playing;
      },
      600));
  h.Tap(Key::Escape);
  ASSERT_TRUE(h.StepUntilPrint("Exit to menu?", 10));
  AnswerQuestion(h, true);
  ASSERT_TRUE(h.StepUntilPrint("Your Scores is 0", 600));
  h.Shell().TypedName() = "Faulty";
  AnswerQuestion(h, true);
  ASSERT_TRUE(h.StepUntilPrint("World's Highscores page?", 10));
}

struct Case {
  const char* name;
  Fault fault;
  bool asksAgain;   // the server did not take the score
  int submissions;  // that reached the server
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
  ASSERT_NO_FATAL_FAILURE(ReachSendQuestion(h));

  const auto sent = std::chrono::steady_clock::now();
  AnswerQuestion(h, true);
  if (c.asksAgain) {
    ASSERT_TRUE(h.StepUntilPrint("Cant conect!!!", 10));
    const auto waited = std::chrono::steady_clock::now() - sent;
    EXPECT_TRUE(h.HasPrint("Repeat again?"));
    // The client's own time-out ended the request, not some default of minutes.
    EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(waited).count(), 5000);
    AnswerQuestion(h, false);
  }
  ASSERT_TRUE(h.StepUntil([&] { return h.Shell().RunningGame() == nullptr; }, 10));
  EXPECT_EQ(h.Shell().CurrentScreen(), Screen::HighScores);
  EXPECT_EQ(server.submissions(), c.submissions);
  if (c.fault == Fault::Garbage) {
    // A reply of plain text is a reply: the score went out with an empty token.
    EXPECT_EQ(server.versions(), 1);
  }
  // A score the server did not take stays marked, here and in its own file.
  h.Step(2);
  const std::array<bool, 10> marked = h.Shell().Unsent().Rows();
  for (int i = 0; i < 10; ++i) EXPECT_EQ(marked[i], i == 9 && c.asksAgain) << i;
  EXPECT_EQ(h.HasPrint("*"), c.asksAgain);
  EXPECT_EQ(!h.Shell().Widgets()->Send->Hidden, c.asksAgain);
  const auto unsent = UnsentOnDisk(h);
  if (c.asksAgain) {
    EXPECT_EQ(unsent, (std::vector<UnsentScore>{{"Faulty", 0, "Nowhere"}}));
  } else {
    EXPECT_TRUE(unsent.empty());
  }

  // The game goes on: the menus answer and the program closes normally.
  h.Step(5);
  EXPECT_FALSE(h.Exited());

  std::ifstream in(h.ConfigPath(), std::ios::binary);
  const std::string bytes(std::istreambuf_iterator<char>(in), {});
  Settings onDisk;
  ASSERT_EQ(ReadConfig(bytes, onDisk), ConfigFieldCount) << "the table on disk is not whole";
  const Settings before = LowTable();
  for (int i = 0; i < 9; ++i) {
    EXPECT_EQ(onDisk.HighScores[i].Name, before.HighScores[i].Name) << i;
    EXPECT_EQ(onDisk.HighScores[i].Score, before.HighScores[i].Score) << i;
  }
  EXPECT_EQ(onDisk.HighScores[9].Name, "Faulty");
  EXPECT_EQ(onDisk.HighScores[9].Score, 0);
  EXPECT_EQ(onDisk.Country, "Nowhere");
}

INSTANTIATE_TEST_SUITE_P(
    Faults, ScoreServerFault,
    ::testing::Values(Case{"Refuses", Fault::Refuses, true, 0},
                      Case{"Error500", Fault::Error500, true, 0},
                      Case{"Error404", Fault::Error404, true, 0},
                      Case{"Garbage", Fault::Garbage, false, 1}, Case{"Slow", Fault::Slow, true, 0},
                      Case{"Never", Fault::Never, true, 0},
                      Case{"RefusesSubmission", Fault::RefusesSubmission, true, 1},
                      Case{"DropsSubmission", Fault::DropsSubmission, true, 1}),
    [](const auto& info) { return std::string(info.param.name); });

// A server that takes the connection and never answers: the frames go on with
// "Sending..." on the question's panel, and the player gives up with Escape
// (a failed send, offered again) or closes the window (the program ends at
// once). Either way the score stays marked as not sent.
enum class GiveUp { Escape, CloseWindow };

class StalledSend : public ::testing::TestWithParam<GiveUp> {
 protected:
  void SetUp() override { previous_ = ScoreServerAddress(); }
  void TearDown() override {
    SetScoreServerAddress(previous_);
    SetScoreTimeouts(4000, 10000);
  }
  std::string previous_;
};

TEST_P(StalledSend, FramesGoOnAndThePlayerCanGiveUp) {
  FaultyServer server(Fault::Never);
  SetScoreServerAddress(server.Address());
  // Longer than the test: only giving up ends the send.
  SetScoreTimeouts(120000, 120000);

  HarnessOptions options;
  options.config = WriteConfig(LowTable());
  options.settleScoreSends = false;  // frames run on while the send is under way
  Harness h(options);
  ASSERT_NO_FATAL_FAILURE(ReachSendQuestion(h));
  AnswerQuestion(h, true);
  ASSERT_TRUE(h.StepUntil([&] { return h.Shell().Questions().SendInProgress() != nullptr; }, 5));

  // Two seconds of frames while the server says nothing.
  for (int i = 0; i < 120; ++i) {
    h.Step(1);
    ASSERT_NE(h.Shell().Questions().SendInProgress(), nullptr) << "frame " << i;
    ASSERT_EQ(h.Shell().Questions().SendInProgress()->Poll(), ScoreSend::Result::Pending)
        << "frame " << i;
    ASSERT_TRUE(h.HasPrint("Sending...")) << "frame " << i;
  }
  // On its panel, without the question's buttons.
  EXPECT_TRUE(h.SpriteShown("Data/Table.jpg"));
  EXPECT_FALSE(h.HasPrint("Yes"));
  EXPECT_FALSE(h.HasPrint("No"));
  ASSERT_NE(h.Shell().RunningGame(), nullptr);
  EXPECT_EQ(h.Shell().RunningGame()->Phase(), GamePhase::Sending);

  if (GetParam() == GiveUp::Escape) {
    h.Tap(Key::Escape);
    ASSERT_TRUE(h.StepUntilPrint("Cant conect!!!", 5));
    EXPECT_TRUE(h.HasPrint("Repeat again?"));
    EXPECT_EQ(h.Shell().Questions().SendInProgress(), nullptr);
    AnswerQuestion(h, false);
    ASSERT_TRUE(h.StepUntil([&] { return h.Shell().RunningGame() == nullptr; }, 10));
    EXPECT_EQ(h.Shell().CurrentScreen(), Screen::HighScores);
    EXPECT_TRUE(h.Shell().Unsent().Rows()[9]);
  } else {
    h.Close(200);
    ASSERT_TRUE(h.Exited()) << "the program did not end while sending";
    EXPECT_EQ(h.ExitCode(), 0);
  }
  EXPECT_EQ(UnsentOnDisk(h), (std::vector<UnsentScore>{{"Faulty", 0, "Nowhere"}}));
}

// The game just ended goes up with its recording after its score; Escape
// while the recording is on its way ends the wait at once, and the score,
// which the server took, counts as sent.
TEST(RecordingUpload, TheFinishedGamesRecordingGoesUpAndEscapeLeavesTheScoreSent) {
  const std::string previous = ScoreServerAddress();
  FaultyServer server(Fault::HoldsUpload);
  SetScoreServerAddress(server.Address());
  SetScoreTimeouts(120000, 120000);  // longer than the test: only Escape ends the upload
  {
    HarnessOptions options;
    options.config = WriteConfig(LowTable());
    options.settleScoreSends = false;
    Harness h(options);
    ASSERT_NO_FATAL_FAILURE(ReachSendQuestion(h));
    AnswerQuestion(h, true);
    // The server holds the upload; frames go on meanwhile.
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (server.uploads().empty() && std::chrono::steady_clock::now() < until) h.Step(1);
    ASSERT_FALSE(server.uploads().empty()) << "no upload within 20 s";
    ASSERT_NE(h.Shell().Questions().SendInProgress(), nullptr);
    EXPECT_EQ(h.Shell().Questions().SendInProgress()->Poll(), ScoreSend::Result::Pending);
    const Result<GameRecording> recording = DecodeRecording(server.uploads()[0]);
    ASSERT_TRUE(recording) << recording.error().message;
    EXPECT_EQ(recording->Score, 0);
    EXPECT_GT(recording->Frames.size(), 0u);

    h.Tap(Key::Escape);
    ASSERT_TRUE(h.StepUntil([&] { return h.Shell().RunningGame() == nullptr; }, 10));
    EXPECT_FALSE(h.HasPrint("Cant conect!!!"));
    EXPECT_EQ(h.Shell().CurrentScreen(), Screen::HighScores);
    EXPECT_FALSE(h.Shell().Unsent().Rows()[9]) << "the score was sent";
    EXPECT_EQ(server.submissions(), 1);
  }
  SetScoreServerAddress(previous);
  SetScoreTimeouts(4000, 10000);
}

INSTANTIATE_TEST_SUITE_P(Faults, StalledSend,
                         ::testing::Values(GiveUp::Escape, GiveUp::CloseWindow),
                         [](const auto& info) {
                           return info.param == GiveUp::Escape ? "Escape" : "CloseWindow";
                         });

// A score the server refused is sent later from the HIGH SCORE table, by its
// "Send" button or by a click on its marked row, after the program has been
// started anew: the same questions, and once the server takes it, no mark.
enum class SendFrom { Button, Row };

class LaterSend : public ::testing::TestWithParam<SendFrom> {
 protected:
  void SetUp() override {
    previous_ = ScoreServerAddress();
    folder_ =
        fs::temp_directory_path() / ("gh-later-send-" + std::to_string(std::random_device()()));
    fs::create_directories(folder_);
  }
  void TearDown() override {
    SetScoreServerAddress(previous_);
    SetScoreTimeouts(4000, 10000);
    std::error_code ec;
    fs::remove_all(folder_, ec);
  }
  std::string previous_;
  fs::path folder_;
};

TEST_P(LaterSend, FromTheTableAfterARestart) {
  FaultyServer server(Fault::RefusesSubmission);
  SetScoreServerAddress(server.Address());
  SetScoreTimeouts(2000, 4000);
  HarnessOptions options;
  options.config = WriteConfig(LowTable());
  options.folder = folder_;
  {
    Harness h(options);
    ASSERT_NO_FATAL_FAILURE(ReachSendQuestion(h));
    AnswerQuestion(h, true);
    ASSERT_TRUE(h.StepUntilPrint("Cant conect!!!", 10));
    AnswerQuestion(h, false);
    ASSERT_TRUE(h.StepUntil([&] { return h.Shell().RunningGame() == nullptr; }, 10));
    h.Close();
  }
  ASSERT_EQ(server.submissions(), 1);

  server.SetFault(Fault::Accepts);
  options.config.reset();  // the one the first run saved
  Harness h(options);
  ASSERT_TRUE(h.StepUntil([&] { return MainMenuShown(h); }, 900));
  h.Step(2);
  ClickWidget(h, h.Shell().Widgets()->HighScores);  // High Score
  ASSERT_TRUE(h.StepUntil([&] { return h.Shell().CurrentScreen() == Screen::HighScores; }, 10));
  h.Step(2);
  ASSERT_TRUE(h.Shell().Unsent().Rows()[9]);
  ASSERT_FALSE(h.Shell().Widgets()->Send->Hidden);

  if (GetParam() == SendFrom::Button) {
    ClickWidget(h, h.Shell().Widgets()->Send);
  } else {
    h.MouseAt(0, static_cast<float>(4.1 - 1.43 * 9));
    h.Step(1);
    h.Click();
    h.Step(1);
  }
  ASSERT_TRUE(h.StepUntilPrint("World's Highscores page?", 10));
  AnswerQuestion(h, true);
  ASSERT_TRUE(h.StepUntil(
      [&] {
        return h.Shell().CurrentScreen() == Screen::HighScores && !h.Shell().Questions().IsOpen();
      },
      10));
  h.Step(2);

  EXPECT_EQ(server.submissions(), 2);
  EXPECT_EQ(server.lastSubmission(), EncodeSubmission(SubmissionText("Faulty", 0, "", "Nowhere")));
  EXPECT_FALSE(h.HasPrint("Cant conect!!!"));
  EXPECT_EQ(h.Shell().Unsent().Rows(), (std::array<bool, 10>{}));
  EXPECT_FALSE(h.HasPrint("*"));
  EXPECT_TRUE(h.Shell().Widgets()->Send->Hidden);
  EXPECT_TRUE(UnsentOnDisk(h).empty());
  EXPECT_EQ(h.Shell().PlayerSettings().HighScores[9].Name,
            "Faulty");  // the table itself is as it was
}

INSTANTIATE_TEST_SUITE_P(Faults, LaterSend, ::testing::Values(SendFrom::Button, SendFrom::Row),
                         [](const auto& info) {
                           return info.param == SendFrom::Button ? "Button" : "Row";
                         });

}  // namespace
}  // namespace gh::test
