// Programs run one after another in one process (as a harness runs them): the
// second starts as a fresh process would, whatever the first left behind.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "harness/Harness.h"
#include "harness/replay/ReplayFile.h"
#include "harness/replay/ReplayPlayer.h"
#include "shell/Shell.h"

namespace gh::test {
namespace {

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The main menu, after the fade-in of the first start.
bool MenuShown(Harness& h) {
  return h.Shell().CurrentScreen() == Screen::Menu && h.Shell().PreviousScreen() == Screen::FadeIn;
}

// Starts a game from the menu and waits until it is played.
void StartGame(Harness& h) {
  ASSERT_TRUE(h.StepUntil([&] { return MenuShown(h); }, 1500));
  h.Step(2);
  h.Shell().SwitchScreen(Screen::Game);
  ASSERT_TRUE(h.StepUntil(
      [&] {
        return h.Shell().RunningGame() && h.Shell().RunningGame()->Phase() == GamePhase::Playing;
      },
      600));
  h.Step(30);
}

// How the first program is left when its window closes.
struct Ending {
  const char* name;
  std::function<void(Harness&)> leave;
};

TEST(ProgramsInSequence, TheSecondStartsCleanWhateverTheFirstLeft) {
  std::string error;
  const auto recording =
      replay::Read(ReadText(std::string(GH_SOURCE_DIR) + "/tests/replay/data/game.replay"), error);
  ASSERT_TRUE(recording) << error;
  const auto expected = replay::ReadExpectation(
      ReadText(std::string(GH_SOURCE_DIR) + "/tests/replay/data/game.expect"), error);
  ASSERT_TRUE(expected) << error;

  const Ending endings[] = {
      {"a game paused",
       [](Harness& h) {
         StartGame(h);
         h.Tap(Key::LetterP);
         h.Step(3);
       }},
      {"the game's exit question open",
       [](Harness& h) {
         StartGame(h);
         h.Tap(Key::Escape);
         ASSERT_TRUE(h.StepUntilPrint("Exit to menu?", 30));
       }},
      {"a game kept over a display change",
       [](Harness& h) {
         StartGame(h);
         const int opens = Engine().ihOpenCount();
         h.Post(iMsgMaximize);
         ASSERT_TRUE(h.StepUntil(
             [&] {
               return Engine().ihOpenCount() > opens && h.Shell().CurrentScreen() == Screen::Game &&
                      h.Shell().RunningGame();
             },
             600));
         h.Step(5);
       }},
      {"the options screen in full screen",
       [](Harness& h) {
         ASSERT_TRUE(h.StepUntil([&] { return MenuShown(h); }, 1500));
         h.Step(2);
         h.Shell().SwitchScreen(Screen::Options);
         h.Step(2);
         const int opens = Engine().ihOpenCount();
         h.Post(iMsgMaximize);
         ASSERT_TRUE(h.StepUntil(
             [&] {
               return Engine().ihOpenCount() > opens &&
                      h.Shell().CurrentScreen() == Screen::Options;
             },
             600));
         h.Step(5);
       }},
  };
  for (const Ending& ending : endings) {
    SCOPED_TRACE(ending.name);
    {
      Harness first;
      ending.leave(first);
      first.Close();
      ASSERT_TRUE(first.Exited());
    }
    const replay::PlayResult second = replay::Play(*recording);
    EXPECT_TRUE(second.errors.empty());
    EXPECT_EQ(replay::Compare(*expected, second.seen), "");
  }
}

}  // namespace
}  // namespace gh::test
