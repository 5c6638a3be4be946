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
      {"Enter at once: No", {Key::Enter}, false},
      {"Space at once: No", {Key::Space}, false},
      {"Left then Enter: Yes", {Key::Left, Key::Enter}, true},
      {"Up then Enter: Yes", {Key::Up, Key::Enter}, true},
      {"Left, Right, Enter: No", {Key::Left, Key::Right, Key::Enter}, false},
      {"Down wraps inside the box: Yes", {Key::Down, Key::Enter}, true},
      {"Escape: No", {Key::Escape}, false},
  };
  Start();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    h->Shell().SwitchScreen(Screen::Menu);
    h->Step(1);
    AskExitByEscape();
    EXPECT_TRUE(PointerOn(Menu().No));  // the safe answer is preselected
    for (int key : c.keys) {
      EXPECT_TRUE(Menu().List.Focused() == Menu().Yes || Menu().List.Focused() == Menu().No)
          << "the focus left the box";
      Press(key);
    }
    EXPECT_EQ(h->Shell().CurrentScreen(), c.yes ? Screen::FadeOut : Screen::Menu);
    EXPECT_FALSE(Shown(Menu().Yes));
    EXPECT_FALSE(Shown(Menu().No));
    EXPECT_FALSE(Shown(Menu().MessagePanel));
    EXPECT_TRUE(Menu().Yes->Enabled);
    EXPECT_TRUE(Menu().No->Enabled);
    // The key that answered acted on nothing else: no other screen, no web page.
    EXPECT_TRUE(h->Platform().opened.empty());
    EXPECT_FALSE(h->Exited());
    h->Step(3);
    EXPECT_EQ(h->Shell().CurrentScreen(), c.yes ? Screen::FadeOut : Screen::Menu);
  }
}

// The name question: the keyboard starts in the name box, typing at once, and
// Enter there answers "Yes"; only a deliberate move to "No" (or Escape) declines.
TEST_F(Dialog, NameQuestionKeySequences) {
  struct Step {
    int key;            // 0: none
    const char* typed;  // typed after the key, one character per frame
  };
  struct Case {
    const char* name;
    const char* before;  // the name from the game before
    std::vector<Step> steps;
    std::optional<bool> answer;  // none: still open
    const char* after;
  };
  const Case cases[] = {
      {"a name, then Enter", "", {{0, "Ann"}, {Key::Enter, ""}}, true, "Ann"},
      {"Enter at once keeps the name already there", "Old", {{Key::Enter, ""}}, true, "Old"},
      {"a name with a space",
       "",
       {{0, "Tester"}, {Key::Space, " "}, {0, "Two"}, {Key::Enter, ""}},
       true,
       "Tester Two"},
      {"accented letters", "", {{0, "Zo\xEB"}, {Key::Enter, ""}}, true, "Zo\xEB"},
      {"Backspace",
       "Old",
       {{Key::Backspace, ""}, {Key::Backspace, ""}, {0, "ld"}, {Key::Enter, ""}},
       true,
       "Old"},
      {"Space alone types a space", "Old", {{Key::Space, " "}}, std::nullopt, "Old "},
      {"Tab to Yes, Enter", "Old", {{Key::Tab, ""}, {Key::Enter, ""}}, true, "Old"},
      {"Down to Yes, Enter", "Old", {{Key::Down, ""}, {Key::Enter, ""}}, true, "Old"},
      {"Tab twice to No, Enter",
       "Old",
       {{Key::Tab, ""}, {Key::Tab, ""}, {Key::Enter, ""}},
       false,
       "Old"},
      {"Escape declines", "", {{0, "Ann"}, {Key::Escape, ""}}, false, "Ann"},
  };
  Start();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    h->Shell().TypedName() = c.before;
    std::optional<bool> answer;
    h->Shell().Questions().Ask("Your Scores is 4200", " Please, enter your name:", ColourGreen,
                               true, [&](bool yes) { answer = yes; });
    h->Step(1);
    ASSERT_TRUE(Shown(Menu().NameBox));
    EXPECT_EQ(Menu().List.FocusIndex(), Menu().NameBox->Index());
    EXPECT_TRUE(Menu().NameBox->Editing);
    EXPECT_TRUE(PointerOn(Menu().NameBox));
    for (const Step& s : c.steps) {
      if (s.key) {
        h->KeyDown(s.key);
        if (s.typed[0]) Engine().ihCharType(static_cast<unsigned char>(s.typed[0]));
        h->Step(1);
        h->KeyUp(s.key);
        if (s.typed[0]) h->Type(s.typed + 1);
      } else {
        h->Type(s.typed);
      }
    }
    h->Step(1);
    EXPECT_EQ(answer, c.answer);
    EXPECT_EQ(h->Shell().TypedName(), c.after);
    if (h->Shell().Questions().IsOpen()) Press(Key::Escape);
    ASSERT_FALSE(h->Shell().Questions().IsOpen());
    EXPECT_FALSE(Shown(Menu().NameBox));
    EXPECT_FALSE(Shown(Menu().Yes));
    EXPECT_TRUE(OnScreen(Screen::Menu));
  }
}

TEST_F(Dialog, ClickingBesideTheButtonsDoesNothingAndClickingAButtonAnswers) {
  Start();
  ClickOn(Menu().ExitGame);  // "Exit Game"
  ASSERT_TRUE(h->HasPrint("Exit the game?"));
  h->MouseAt(0.0f, 0.0f);
  h->Step(1);
  h->Click();
  h->Step(5);
  EXPECT_TRUE(h->HasPrint("Exit the game?"));
  EXPECT_TRUE(Shown(Menu().MessagePanel));
  ClickOn(Menu().No);
  EXPECT_EQ(h->Shell().CurrentScreen(), Screen::Menu);
  EXPECT_TRUE(Shown(Menu().StartGame));
  EXPECT_FALSE(h->HasPrint("Exit the game?"));
}

TEST_F(Dialog, TextsDoNotPileUpWhileTheBoxIsOpen) {
  Start();
  AskExitByEscape();
  h->Step(30);
  Press(Key::Left);
  h->Step(30);
  EXPECT_EQ(CountPrints("Exit the game?"), 1);
  EXPECT_EQ(CountPrints("Yes"), 1);
  EXPECT_EQ(CountPrints("No"), 1);
  // The focused answer is red, the other orange.
  EXPECT_EQ(LastPrint("Yes")->color.green, 0.0f);
  EXPECT_GT(LastPrint("No")->color.green, 0.4f);
  Press(Key::Escape);
}

TEST_F(Dialog, TheBossKeyWorksInsideTheBox) {
  Start();
  AskExitByEscape();
  Press(Key::F12);
  EXPECT_EQ(h->Platform().minimised, 1);
  EXPECT_TRUE(h->HasPrint("Exit the game?"));  // in a window the question stays
  Press(Key::Enter);
  EXPECT_EQ(h->Shell().CurrentScreen(), Screen::Menu);
}

TEST_F(Dialog, ARestartRequestedDuringTheQuestionComesBackToTheMenu) {
  Start();
  AskExitByEscape();
  const int opens = Engine().ihOpenCount();
  h->Post(iMsgMaximize);
  ASSERT_TRUE(h->StepUntil([&] { return Engine().ihOpenCount() == opens + 1; }, 60));
  ASSERT_TRUE(
      h->StepUntil([this] { return OnScreen(Screen::Menu) && Shown(Menu().StartGame); }, 600));
  EXPECT_EQ(Engine().ihOpenCount(), opens + 1);
  EXPECT_EQ(h->Shell().PlayerSettings().Windowed, 0);
  EXPECT_TRUE(Engine().ihFullscreen());
  // And the menu works: the question can be asked and answered again.
  AskExitByEscape();
  Press(Key::Enter);
  EXPECT_EQ(h->Shell().CurrentScreen(), Screen::Menu);
}

TEST_F(Dialog, PauseMovesTheLightsBehindTheSceneAndBack) {
  Start();
  h->Shell().SwitchScreen(Screen::Game);  // the pause is the running game's
  ASSERT_NE(h->Shell().RunningGame(), nullptr);
  iVec3 at{};
  iColor colour{};
  Engine().ihLight(0, &at, &colour);
  EXPECT_FLOAT_EQ(at.z, -20.0f);
  ASSERT_FALSE(h->Shell().RunningGame()->Paused());
  h->Shell().RunningGame()->TogglePause();
  EXPECT_TRUE(h->Shell().RunningGame()->Paused());
  for (int light = 0; light < 3; ++light) {
    Engine().ihLight(light, &at, &colour);
    EXPECT_FLOAT_EQ(at.z, 10.0f) << light;
  }
  h->Shell().RunningGame()->TogglePause();
  EXPECT_FALSE(h->Shell().RunningGame()->Paused());
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
