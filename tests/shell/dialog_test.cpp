// The question box on the real program: the preselected safe answer, the
// keyboard, Escape, the lights and the engine stopping under it.
#include <gtest/gtest.h>

#include "MenuFixture.h"

namespace gh::test {
namespace {

using Dialog = MenuTest;

TEST_F(Dialog, AnswersByKeyboard) {
  struct Case {
    const char* name;
    std::vector<int> keys;
    bool yes;
  };
  const Case cases[] = {
      {"Enter at once: No", {KeyEnter}, false},
      {"Space at once: No", {KeySpace}, false},
      {"Left then Enter: Yes", {KeyLeft, KeyEnter}, true},
      {"Up then Enter: Yes", {KeyUp, KeyEnter}, true},
      {"Left, Right, Enter: No", {KeyLeft, KeyRight, KeyEnter}, false},
      {"Down wraps inside the box: Yes", {KeyDown, KeyEnter}, true},
      {"Escape: No", {KeyEscape}, false},
  };
  Start();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SwitchScreen(ScreenMenu);
    h->Step(1);
    AskExitByEscape();
    EXPECT_TRUE(PointerOn(TextButtons[9]));  // the safe answer is preselected
    for (int key : c.keys) {
      EXPECT_TRUE(FocusIndex == 18 || FocusIndex == 19) << "the focus left the box";
      Press(key);
    }
    EXPECT_EQ(CurrentScreen, c.yes ? ScreenFadeOut : ScreenMenu);
    EXPECT_FALSE(Shown(TextButtons[8]));
    EXPECT_FALSE(Shown(TextButtons[9]));
    EXPECT_FALSE(Shown(MessagePanel));
    EXPECT_TRUE(TextButtons[8]->Enabled);
    EXPECT_TRUE(TextButtons[9]->Enabled);
    // The key that answered acted on nothing else: no other screen, no web page.
    EXPECT_TRUE(h->Platform().opened.empty());
    EXPECT_FALSE(h->Exited());
    h->Step(3);
    EXPECT_EQ(CurrentScreen, c.yes ? ScreenFadeOut : ScreenMenu);
  }
}

TEST_F(Dialog, ClickingBesideTheButtonsDoesNothingAndClickingAButtonAnswers) {
  Start();
  ClickOn(TextButtons[5]);  // "Exit Game"
  ASSERT_TRUE(h->HasPrint("Exit the game?"));
  h->MouseAt(0.0f, 0.0f);
  h->Step(1);
  h->Click();
  h->Step(5);
  EXPECT_TRUE(h->HasPrint("Exit the game?"));
  EXPECT_TRUE(Shown(MessagePanel));
  ClickOn(TextButtons[9]);
  EXPECT_EQ(CurrentScreen, ScreenMenu);
  EXPECT_TRUE(Shown(TextButtons[0]));
  EXPECT_FALSE(h->HasPrint("Exit the game?"));
}

TEST_F(Dialog, TextsDoNotPileUpWhileTheBoxIsOpen) {
  Start();
  AskExitByEscape();
  h->Step(30);
  Press(KeyLeft);
  h->Step(30);
  EXPECT_EQ(CountPrints("Exit the game?"), 1);
  EXPECT_EQ(CountPrints("Yes"), 1);
  EXPECT_EQ(CountPrints("No"), 1);
  // The focused answer is red, the other orange.
  EXPECT_EQ(LastPrint("Yes")->color.green, 0.0f);
  EXPECT_GT(LastPrint("No")->color.green, 0.4f);
  Press(KeyEscape);
}

TEST_F(Dialog, TheBossKeyWorksInsideTheBox) {
  Start();
  AskExitByEscape();
  Press(KeyF12);
  EXPECT_EQ(h->Platform().minimised, 1);
  EXPECT_TRUE(h->HasPrint("Exit the game?"));  // in a window the question stays
  Press(KeyEnter);
  EXPECT_EQ(CurrentScreen, ScreenMenu);
}

TEST_F(Dialog, ARestartRequestedDuringTheQuestionComesBackToTheMenu) {
  Start();
  AskExitByEscape();
  const int opens = Engine().ihOpenCount();
  h->Post(iMsgMaximize);
  ASSERT_TRUE(h->StepUntil([&] { return Engine().ihOpenCount() == opens + 1; }, 60));
  ASSERT_TRUE(h->StepUntil([this] { return OnScreen(ScreenMenu) && Shown(TextButtons[0]); }, 600));
  EXPECT_EQ(Engine().ihOpenCount(), opens + 1);
  EXPECT_EQ(Windowed, 0);
  EXPECT_TRUE(Engine().ihFullscreen());
  // And the menu works: the question can be asked and answered again.
  AskExitByEscape();
  Press(KeyEnter);
  EXPECT_EQ(CurrentScreen, ScreenMenu);
}

TEST_F(Dialog, PauseMovesTheLightsBehindTheSceneAndBack) {
  Start();
  iVec3 at{};
  iColor colour{};
  Engine().ihLight(0, &at, &colour);
  EXPECT_FLOAT_EQ(at.z, -20.0f);
  Paused = false;
  TogglePause(10.0f, -20.0f);
  EXPECT_TRUE(Paused);
  for (int light = 0; light < 3; ++light) {
    Engine().ihLight(light, &at, &colour);
    EXPECT_FLOAT_EQ(at.z, 10.0f) << light;
  }
  TogglePause(10.0f, -20.0f);
  EXPECT_FALSE(Paused);
  Engine().ihLight(2, &at, &colour);
  EXPECT_FLOAT_EQ(at.z, -20.0f);

  SetLightsLevel(0);
  Engine().ihLight(1, &at, &colour);
  EXPECT_FLOAT_EQ(colour.green, 0.0f);
  SetLightsLevel(1.0f);
  Engine().ihLight(1, &at, &colour);
  EXPECT_FLOAT_EQ(colour.green, 1.0f);
  Engine().ihLight(2, &at, &colour);
  EXPECT_FLOAT_EQ(colour.blue, 1.0f);
  EXPECT_FLOAT_EQ(colour.red, 0.0f);
}

}  // namespace
}  // namespace gh::test
