// The end of a game: captions, the questions, entering and sending the score,
// and the hand-over to the menus with the game freed.
#include <httplib.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <fstream>
#include <iterator>
#include <thread>

#include "GameFixture.h"
#include "scores/WebScores.h"
#include "settings/Settings.h"

namespace gh::test {
namespace {

std::string FileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Ends the game as if the last life had been lost.
void EndGame(Harness& h) {
  h.Shell().RunningGame()->SetCaptionLevelForTests(0);
  h.Shell().RunningGame()->StateForTests().Phase = GamePhase::GameOver;
}

TEST_F(GameTest, LeavingThroughTheExitQuestionWithAGoodScoreStillAsksForTheName) {
  SkipIntro();
  NoSpawns();
  h->Shell().RunningGame()->StateForTests().Score =
      h->Shell().PlayerSettings().HighScores[9].Score + 500;
  const std::string asked =
      "Your Scores is " + std::to_string(h->Shell().RunningGame()->State().Score);
  h->Tap(Key::Escape);
  ASSERT_TRUE(h->StepUntilPrint("Exit to menu?", 5));
  AnswerYes();
  EXPECT_EQ(h->Shell().RunningGame()->Phase(), GamePhase::GameOver);
  ASSERT_TRUE(h->StepUntilPrint("GAME OVER", 5));
  ASSERT_TRUE(h->StepUntilPrint(asked, 300));
  EXPECT_TRUE(h->HasPrint(" Please, enter your name:"));
  // "No" goes to the menu without storing anything.
  const auto table = h->Shell().PlayerSettings().HighScores;
  AnswerNo();
  h->Step(1);
  EXPECT_EQ(h->Shell().RunningGame(), nullptr);
  EXPECT_EQ(h->Shell().CurrentScreen(), Screen::Menu);
  for (int i = 0; i < 10; ++i)
    EXPECT_EQ(h->Shell().PlayerSettings().HighScores[i].Score, table[i].Score);
}

// A question asked in play lies over the gun, whatever the aim, and the aiming
// cross rests on the preselected answer beside its caption, not over it.
TEST_F(GameTest, AQuestionInPlayCoversTheGunAndLeavesTheAnswersReadable) {
  SkipIntro();
  NoSpawns();
  // The gun turns with the aim, the right half of the view gives the pictures
  // that reach furthest over the box.
  for (float aimX : {-14.0f, 4.0f, 14.0f}) {
    SCOPED_TRACE(aimX);
    h->MouseAt(aimX, -8.0f);
    h->Step(2);
    h->Tap(Key::Escape);
    ASSERT_TRUE(h->StepUntilPrint("Exit to menu?", 5));
    // "No" as preselected, then "Yes" after Left.
    const WidgetSet& widgets = *h->Shell().Widgets();
    for (const TextButton* answer : {widgets.No, widgets.Yes}) {
      SCOPED_TRACE(answer->Caption);
      if (answer == widgets.Yes) h->Tap(Key::Left);
      h->Step(2);
      const auto sprites = h->Sprites();
      auto order = [&](SpriteRef sprite) {
        for (size_t i = 0; i < sprites.size(); ++i)
          if (sprites[i].handle == sprite.get()) return static_cast<int>(i);
        return -1;
      };
      const int gun = order(h->Shell().RunningGame()->GetPlayer()->GunSprite(
          h->Shell().RunningGame()->State().Weapon));
      ASSERT_GE(gun, 0) << "the gun is not shown under the box";
      const ihSprite& g = sprites[gun];
      const int panel = order(h->Shell().Widgets()->MessagePanel);
      ASSERT_GE(panel, 0);
      const ihSprite& m = sprites[panel];
      // The gun reaches into the box, so which one covers the other shows.
      EXPECT_LT(m.y - m.height / 2, g.y + g.height / 2);
      EXPECT_LT(g.x - g.width / 2, m.x + m.width / 2);
      EXPECT_LT(gun, panel);
      EXPECT_LT(panel, order(h->Shell().Widgets()->Yes->Sprite));
      EXPECT_LT(panel, order(h->Shell().Widgets()->No->Sprite));
      EXPECT_EQ(order(h->Shell().Resources().Cursor), static_cast<int>(sprites.size()) - 1);

      // The cross is on the answer, so Enter picks it, and clear of its caption.
      EXPECT_NE(iSpritePicked(answer->Sprite), 0);
      const ihSprite& cross = sprites.back();
      EXPECT_EQ(NormalisedFile(cross.file), "data/cursor2.png");
      const ihSprite& button = sprites[order(answer->Sprite)];
      bool captionSeen = false;
      for (const auto& p : h->Prints()) {
        if (p.text != answer->Caption || std::abs(p.x - button.x) > 0.01f) continue;
        captionSeen = true;
        EXPECT_TRUE(cross.x - cross.width / 2 > p.right || cross.x + cross.width / 2 < p.left)
            << "the cross spans " << cross.x - cross.width / 2 << " to "
            << cross.x + cross.width / 2 << ", the caption " << p.left << " to " << p.right;
      }
      EXPECT_TRUE(captionSeen);
    }
    h->Tap(Key::Right);
    h->Step(1);
    h->Tap(Key::Enter);  // "No": back to the game
    h->Step(2);
    ASSERT_EQ(h->Shell().RunningGame()->Phase(), GamePhase::Playing);
    EXPECT_FALSE(h->HasPrint("Exit to menu?"));
  }
}

TEST_F(GameTest, AGameLostOnAHitFlashLeavesTheNextGameLitAsTheFirst) {
  SkipIntro();
  NoSpawns();
  h->Shell().RunningGame()->StateForTests().Score =
      0;  // no name question: straight back to the menu
  h->Shell().RunningGame()->StateForTests().Lives = 0;
  h->Shell().RunningGame()->StateForTests().Health = -1;
  h->Step(1);
  ASSERT_EQ(h->Shell().RunningGame()->Phase(), GamePhase::GameOver);
  SetLightsLevel(0);  // as the hit that cost the last life left them
  ASSERT_TRUE(h->StepUntil([&] { return h->Shell().RunningGame() == nullptr; }, 1500))
      << "the game never ended";
  StartGame();
  h->Step(1);
  ASSERT_NE(h->Shell().RunningGame(), nullptr);
  ASSERT_EQ(h->Shell().RunningGame()->Phase(), GamePhase::Intro);
  iVec3 at{};
  iColor green{}, blue{};
  Engine().ihLight(1, &at, &green);
  Engine().ihLight(2, &at, &blue);
  EXPECT_FLOAT_EQ(green.green, 1.0f);
  EXPECT_FLOAT_EQ(blue.blue, 1.0f);
  EXPECT_FLOAT_EQ(at.z, -20.0f);
}

TEST_F(GameTest, AScoreMustBeatTheTenthEntryToAskForTheName) {
  SkipIntro();
  NoSpawns();
  const int32_t tenth = h->Shell().PlayerSettings().HighScores[9].Score;
  ASSERT_GE(tenth, 0);
  struct Case {
    int32_t score;
    bool asks;
  };
  for (const Case c : {Case{tenth, false}, Case{tenth + 1, true}}) {
    if (!h->Shell().RunningGame()) {
      StartGame();
      SkipIntro();
      NoSpawns();
    }
    h->Shell().RunningGame()->StateForTests().Score = c.score;
    EndGame(*h);
    const std::string asked = "Your Scores is " + std::to_string(c.score);
    bool askedSeen = false;
    ASSERT_TRUE(h->StepUntil(
        [&] {
          askedSeen = h->HasPrint(asked);
          return askedSeen || h->Shell().RunningGame() == nullptr;
        },
        400));
    EXPECT_EQ(askedSeen, c.asks) << c.score;
    if (!c.asks) {
      EXPECT_EQ(h->Shell().CurrentScreen(), Screen::Menu);
    }
    if (askedSeen) {
      AnswerNo();
      h->Step(1);
    }
    EXPECT_EQ(h->Shell().RunningGame(), nullptr);
  }
}

TEST_F(GameTest, AHighScoreThatCannotBeSavedIsToldAtOnce) {
  SkipIntro();
  NoSpawns();
  // No write permission bit: the save leaves the file alone and fails.
  ASSERT_EQ(::chmod(h->ConfigPath().string().c_str(), 0444), 0);
  const std::string before = FileBytes(h->ConfigPath());
  h->Shell().RunningGame()->StateForTests().Score =
      h->Shell().PlayerSettings().HighScores[9].Score + 500;
  EndGame(*h);
  ASSERT_TRUE(h->StepUntilPrint(
      "Your Scores is " + std::to_string(h->Shell().RunningGame()->State().Score), 400));
  h->Platform().errors.clear();
  AnswerYes();
  ASSERT_TRUE(h->StepUntilPrint("Send the result to", 5));
  ASSERT_EQ(h->Platform().errors.size(), 1u) << "the player was not told";
  EXPECT_NE(h->Platform().errors[0].find("could not be saved"), std::string::npos);
  EXPECT_NE(h->Platform().errors[0].find("Config.cfg"), std::string::npos);
  EXPECT_EQ(FileBytes(h->ConfigPath()), before);
  AnswerNo();
  ::chmod(h->ConfigPath().string().c_str(), 0644);
}

// A score server that refuses the first `failures` version requests.
class FlakyServer {
 public:
  explicit FlakyServer(int failures) : failures_(failures) {
    server_.Get("/cgi/version.pl", [this](const httplib::Request& req, httplib::Response& res) {
      if (req.has_param("version")) {
        if (versions_++ < failures_) {
          res.status = 500;
          return;
        }
        res.set_content("1|2|3|4|TOKEN|6", "text/html");
      } else if (req.has_param("hs")) {
        ++submissions_;
        res.set_content("ok", "text/html");
      }
    });
    port_ = server_.bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    // Bound sockets already listen: requests wait until the thread accepts them.
  }
  ~FlakyServer() {
    server_.stop();
    thread_.join();
  }
  std::string Address() const { return "http://127.0.0.1:" + std::to_string(port_); }
  int versions() const { return versions_; }
  int submissions() const { return submissions_; }

 private:
  httplib::Server server_;
  std::thread thread_;
  int port_ = 0;
  int failures_;
  std::atomic<int> versions_{0};
  std::atomic<int> submissions_{0};
};

TEST_F(GameTest, AFailedSendOffersARetryAndTheRetrySends) {
  FlakyServer server(1);
  const std::string previous = ScoreServerAddress();
  SetScoreServerAddress(server.Address());
  SkipIntro();
  NoSpawns();
  h->Shell().RunningGame()->StateForTests().Score =
      h->Shell().PlayerSettings().HighScores[9].Score + 1000;
  const int32_t score = h->Shell().RunningGame()->State().Score;
  EndGame(*h);
  ASSERT_TRUE(h->StepUntilPrint("Your Scores is " + std::to_string(score), 400));
  AnswerYes();
  // Entered before any sending.
  EXPECT_TRUE(std::any_of(h->Shell().PlayerSettings().HighScores.begin(),
                          h->Shell().PlayerSettings().HighScores.end(),
                          [&](const HighScore& e) { return e.Score == score; }));
  ASSERT_TRUE(h->StepUntilPrint("World's Highscores page?", 5));
  AnswerYes();
  ASSERT_TRUE(h->StepUntilPrint("Cant conect!!!", 5));
  EXPECT_TRUE(h->HasPrint("Repeat again?"));
  EXPECT_EQ(server.versions(), 1);
  EXPECT_EQ(server.submissions(), 0);
  AnswerYes();
  ASSERT_TRUE(h->StepUntil([&] { return h->Shell().RunningGame() == nullptr; }, 5));
  EXPECT_EQ(server.versions(), 2);
  EXPECT_EQ(server.submissions(), 1);
  EXPECT_EQ(h->Shell().CurrentScreen(), Screen::HighScores);
  SetScoreServerAddress(previous);
}

TEST_F(GameTest, TheGameIsFreedBeforeTheNextFrameAndLeavesNothingBehind) {
  // A game that ended busy: enemies on the scene, a shot in the air.
  h->Step(1);
  SkipIntro();
  h->Shell().RunningGame()->Enemies().Max = 4;
  for (auto& t : h->Shell().RunningGame()->UpperTerrorists()) t->Activate();
  h->Step(1);
  EXPECT_GT(h->Shell().RunningGame()->Enemies().Active, 0);
  h->Shell().RunningGame()->StateForTests().Phase = GamePhase::ToMenu;
  h->Step(1);
  EXPECT_EQ(h->Shell().RunningGame(), nullptr);
  EXPECT_EQ(h->Shell().CurrentScreen(), Screen::Menu);
  EXPECT_FALSE(h->Platform().pointerConfined);
  EXPECT_TRUE(h->SpriteShown("Data/cursor.png"));
  EXPECT_TRUE(h->Meshes().empty());
  const int32_t objects = Engine().ihObjectCount();

  // The next game starts like the first: nothing left active, and its first
  // level brings its terrorist.
  h->Step(2);
  StartGame();
  EXPECT_EQ(h->Shell().RunningGame()->Enemies().Active, 0);
  EXPECT_EQ(h->Shell().RunningGame()->Bonuses().Active, 0);
  EXPECT_FALSE(h->Shell().RunningGame()->VehicleActive());
  EXPECT_EQ(h->Shell().RunningGame()->Enemies().Members.size(), 34u);
  EXPECT_EQ(h->Shell().RunningGame()->Bonuses().Members.size(), 3u);
  EXPECT_TRUE(h->SpriteShown("Data/cursor2.png"));
  SkipIntro();
  ASSERT_TRUE(h->StepUntil([&] { return h->Shell().RunningGame()->Enemies().Active == 1; }, 3000));
  h->Shell().RunningGame()->StateForTests().Phase = GamePhase::ToMenu;
  h->Step(1);
  EXPECT_EQ(h->Shell().RunningGame(), nullptr);
  EXPECT_EQ(Engine().ihObjectCount(), objects) << "a game leaves engine objects behind";
}

}  // namespace
}  // namespace gh::test
