// The whole online table: the built score server started as a program, the real
// game on the headless engine played until it scores, the result entered with a
// name, the country typed on the Options screen, the score sent, and the row
// found on the page that the game's "World scores" button opens.
#include <gtest/gtest.h>
#include <httplib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "GameClicks.h"
#include "ServerProcess.h"
#include "engine/EngineCalls.h"
#include "game/Game.h"
#include "game/Terrorist.h"
#include "harness/Harness.h"
#include "scores/WebScores.h"
#include "settings/Settings.h"
#include "shell/Shell.h"
#include "ui/WidgetSet.h"
#include "ui/Widgets.h"

namespace gh::scores::test {
namespace {

using gh::test::Harness;

bool MenuShown(Harness& h) {
  return h.Shell().Resources().Cursor && h.Shell().CurrentScreen() == Screen::Menu &&
         h.Shell().PreviousScreen() == Screen::FadeIn;
}

// The first terrorist alive on the scene, or none.
Terrorist* AliveTerror(Harness& h) {
  for (auto* row :
       {&h.Shell().RunningGame()->UpperTerrorists(), &h.Shell().RunningGame()->LowerTerrorists()})
    for (auto& t : *row)
      if (t->Is(Terrorist::Pose::Walking) || t->Is(Terrorist::Pose::Shooting)) return t.get();
  return nullptr;
}

TEST(EndToEnd, APlayedScoreSentFromTheGameIsOnTheWorldScoresPage) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / ("gh_e2e_scores_" + std::to_string(getpid()));
  fs::create_directories(dir);
  ServerProcess server({"--db", (dir / "scores.sqlite").string()}, (dir / "server.log").string());
  ASSERT_GT(server.Port(), 0) << "the server did not start: " << server.Output();

  {
    Harness h;
    ASSERT_TRUE(h.StepUntil([&] { return MenuShown(h); }, 900));
    h.Step(2);
    // The fresh table's lowest entry is 500; an emptied one lets the first
    // kill qualify, which keeps the played part short.
    for (auto& entry : h.Shell().PlayerSettings().HighScores) entry.Score = 0;

    // The country, typed on the Options screen.
    ClickOn(h, h.Shell().Widgets()->Options->Sprite);
    ASSERT_EQ(h.Shell().CurrentScreen(), Screen::Options);
    h.Shell().PlayerSettings().Country.clear();
    ClickOn(h, h.Shell().Widgets()->CountryBox->Sprite);
    h.Type("Norway|N");
    h.Step(1);
    ASSERT_EQ(h.Shell().PlayerSettings().Country, "Norway|N");
    ClickOn(h, h.Shell().Widgets()->OptionsBack->Sprite);  // Back
    ASSERT_TRUE(h.StepUntil([&] { return h.Shell().CurrentScreen() == Screen::Menu; }, 100));
    h.Step(2);

    // A game, played by aiming at the terrorists and holding the button.
    ClickOn(h, h.Shell().Widgets()->StartGame->Sprite);
    ASSERT_NE(h.Shell().RunningGame(), nullptr);
    ASSERT_TRUE(h.StepUntil(
        [&] {
          return h.Shell().RunningGame() && h.Shell().RunningGame()->Phase() == GamePhase::Playing;
        },
        400));
    int frames = 0;
    for (;
         frames < 20000 && h.Shell().RunningGame() && h.Shell().RunningGame()->State().Score == 0 &&
         h.Shell().RunningGame()->Phase() == GamePhase::Playing;
         ++frames) {
      if (Terrorist* t = AliveTerror(h)) {
        const auto& sprite = t->Is(Terrorist::Pose::Shooting) ? t->ShootMesh() : t->WalkMesh();
        h.MouseAt(sprite->X, sprite->Y);
        h.ButtonDown();
      } else {
        h.ButtonUp();
      }
      if (h.Shell().RunningGame()->State().Ammo[h.Shell().RunningGame()->State().Weapon] == 0)
        h.Click(1);  // a right click reloads
      h.Step(1);
    }
    h.ButtonUp();
    ASSERT_NE(h.Shell().RunningGame(), nullptr);
    const int32_t score = h.Shell().RunningGame()->State().Score;
    ASSERT_GT(score, 0) << "no kill in " << frames << " frames";
    std::printf("played %d frames to a score of %d\n", frames, score);

    // Leave the game: the score enters the table under a typed name.
    h.Tap(gh::Key::Escape);
    ASSERT_TRUE(h.StepUntilPrint("Exit to menu?", 10));
    Answer(h, true);
    ASSERT_TRUE(h.StepUntilPrint("Your Scores is " + std::to_string(score), 400));
    ClickOn(h, h.Shell().Widgets()->NameBox->Sprite);
    h.Type("Ada <b>");
    h.Step(1);
    ASSERT_EQ(h.Shell().TypedName(), "Ada <b>");
    Answer(h, true);
    ASSERT_TRUE(h.StepUntilPrint("World's Highscores page?", 10));

    // The player points this installed game at the LAN server with the file
    // beside the program, then sends.
    std::ofstream(h.Folder() / ScoreServerFile) << server.Address() << "/\n";
    Answer(h, true);
    ASSERT_TRUE(h.StepUntil([&] { return h.Shell().RunningGame() == nullptr; }, 10))
        << "still asking";
    EXPECT_FALSE(h.HasPrint("Cant conect!!!"));
    EXPECT_EQ(h.Shell().CurrentScreen(), Screen::HighScores);

    // "World scores" opens the page of the same server.
    h.Step(2);
    h.Platform().opened.clear();
    ClickOn(h, h.Shell().Widgets()->WorldScores->Sprite);
    const std::string page = server.Address() + "/cgi/version.pl?prg=Gravelhorn2&show&type=0";
    ASSERT_EQ(h.Platform().opened, std::vector<std::string>{page});

    httplib::Client client("127.0.0.1", server.Port());
    auto res = client.Get("/cgi/version.pl?prg=Gravelhorn2&show&type=0");
    ASSERT_TRUE(res);
    ASSERT_EQ(res->status, 200);
    const std::string row =
        "<td class=\"name\">Ada &lt;b&gt;</td><td class=\"country\">Norway|N</td>"
        "<td class=\"score\">" +
        std::to_string(score) + "</td>";
    EXPECT_NE(res->body.find(row), std::string::npos) << res->body;
    h.Close();
  }
  EXPECT_EQ(server.Stop(), 0) << "the server did not stop cleanly";
  fs::remove_all(dir);
}

}  // namespace
}  // namespace gh::scores::test
