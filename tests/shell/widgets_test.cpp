// The widgets on the real menus: focus, keyboard, toggles, the country box and
// the boss-key box.
#include <gtest/gtest.h>

#include "MenuFixture.h"
#include "engine/ScreenUnits.h"

namespace gh::test {
namespace {

using Widgets = MenuTest;

TEST_F(Widgets, KeyboardNavigationSkipsHiddenWidgetsAndWraps) {
  Start();
  struct Case {
    const char* name;
    int openSlot;  // main-menu button that opens the screen, -1 for the menu
    int from;
    int key;
    int to;
    bool shift = false;  // Shift held with the key
  };
  const Case cases[] = {
      {"menu: Down from Exit Game wraps to Start Game", -1, 5, Key::Down, 0},
      {"menu: Up from Start Game wraps to Exit Game", -1, 0, Key::Up, 5},
      {"menu: Right moves on like Down", -1, 2, Key::Right, 3},
      {"menu: Left moves back like Up", -1, 2, Key::Left, 1},
      {"options: Down from Back skips the hidden entries to the display toggle", 1, 6, Key::Down,
       12},
      {"options: Up from the display toggle goes back to Back", 1, 12, Key::Up, 6},
      {"options: Up from Back wraps to the boss-key box", 1, 6, Key::Up, 16},
      {"high score: Down from Back goes to the clear button", 2, 7, Key::Down, 10},
      {"menu: Tab moves on like Down", -1, 2, Key::Tab, 3},
      {"menu: Tab wraps from Exit Game", -1, 5, Key::Tab, 0},
      {"menu: Shift+Tab moves back like Up", -1, 2, Key::Tab, 1, true},
      {"options: Tab leaves a toggle, which keeps Left and Right", 1, 13, Key::Tab, 14},
      {"options: Shift+Tab from the display toggle goes back to Back", 1, 12, Key::Tab, 6, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    h->Shell().SwitchScreen(ScreenMenu);
    if (c.openSlot >= 0) ClickOn(TextButtons[c.openSlot]);
    Hover(WidgetList[c.from].get());
    ASSERT_EQ(FocusIndex, c.from);
    if (c.shift) h->KeyDown(Key::LeftShift);
    Press(c.key);
    if (c.shift) h->KeyUp(Key::LeftShift);
    EXPECT_EQ(FocusIndex, c.to);
    EXPECT_TRUE(WidgetList[c.to]->Current);
    EXPECT_TRUE(PointerOn(WidgetList[c.to].get()));
  }
}

TEST_F(Widgets, EnterActivatesOnlyWithThePointerOnTheButton) {
  Start();
  Hover(TextButtons[1]);
  h->MouseAt(12.0f, 10.0f);  // off every button; "Options" keeps the focus
  h->Step(1);
  ASSERT_EQ(FocusIndex, 1);
  Press(Key::Enter);
  Press(Key::Space);
  EXPECT_TRUE(OnScreen(ScreenMenu));
  Press(Key::Down);  // puts the pointer on "High Score"
  Press(Key::Enter);
  EXPECT_TRUE(OnScreen(ScreenHiScore));
}

TEST_F(Widgets, TakingTheFocusFlashesOnceAndPaintsTheCaptionRed) {
  Start();
  Clicks();
  Hover(TextButtons[3]);
  h->Step(1);
  const auto flashed = Drawn(TextButtons[3]->Sprite);
  ASSERT_TRUE(flashed.has_value());
  EXPECT_LT(flashed->color.red, 0.6f);
  EXPECT_EQ(Clicks(), 1);
  const ihPrint* caption = LastPrint("Help");
  ASSERT_NE(caption, nullptr);
  EXPECT_EQ(caption->color.red, 1.0f);
  EXPECT_EQ(caption->color.green, 0.0f);
  EXPECT_EQ(LastPrint("Options")->color.green, ColourCaption.green);
  h->Step(90);
  EXPECT_GT(Drawn(TextButtons[3]->Sprite)->color.red, 0.95f);
  EXPECT_EQ(Clicks(), 0);  // hovering on plays nothing more
}

TEST_F(Widgets, KeyboardStillWorksWhenTheFocusedButtonWasLeftBehindOnAnotherScreen) {
  Start();
  ClickOn(TextButtons[2]);
  ClickOn(TextButtons[7]);  // "Back": the pointer rests below the menu's buttons
  ASSERT_TRUE(OnScreen(ScreenMenu));
  ASSERT_EQ(FocusIndex, 7);
  Press(Key::Down);
  EXPECT_EQ(FocusIndex, 0);
  EXPECT_TRUE(PointerOn(TextButtons[0]));
}

TEST_F(Widgets, FocusMovesNowhereWhenEveryWidgetIsHidden) {
  Start();
  h->Shell().SwitchScreen(99);  // a blank screen
  Press(Key::Down);
  Press(Key::Up);
  const uint8_t focus = FocusIndex;
  WidgetList[0]->FocusNext();
  WidgetList[0]->FocusPrevious();
  EXPECT_EQ(FocusIndex, focus);
}

TEST_F(Widgets, TogglesChangeTheirSettingByHalvesAndKeysAndOptionsStay) {
  Start();
  ClickOn(TextButtons[1]);
  struct Case {
    TDDButtonToggle* toggle;
    uint8_t* value;
  };
  for (const Case& c : {Case{SoundToggle, &h->Shell().PlayerSettings().SoundOn},
                        Case{MusicToggle, &h->Shell().PlayerSettings().MusicOn}}) {
    SCOPED_TRACE(c.toggle == SoundToggle ? "sound" : "music");
    ClickOn(c.toggle, 2.0f);
    EXPECT_EQ(*c.value, 0);
    ClickOn(c.toggle, -2.0f);
    EXPECT_EQ(*c.value, 1);
    h->Shell().SwitchScreen(ScreenMenu);  // the screen before: the menu
    h->Shell().SwitchScreen(ScreenOptions);
    ClickOn(c.toggle, -2.0f);  // already 1: stays, and the screen is switched to again
    EXPECT_EQ(*c.value, 1);
    EXPECT_NE(h->Shell().PreviousScreen(), ScreenMenu);
    Press(Key::Right);
    EXPECT_EQ(*c.value, 0);
    Press(Key::Left);
    EXPECT_EQ(*c.value, 1);
    Press(Key::Enter);
    EXPECT_EQ(*c.value, 0);
    Press(Key::Space);
    EXPECT_EQ(*c.value, 1);
    // Left and Right stay on the toggle.
    EXPECT_EQ(FocusIndex, c.toggle->Index());
    EXPECT_TRUE(OnScreen(ScreenOptions));
    EXPECT_TRUE(Shown(c.toggle));
    EXPECT_TRUE(Shown(CountryEdit));
  }
  // The picture follows the value.
  h->Shell().PlayerSettings().SoundOn = 0;
  h->Step(1);
  EXPECT_EQ(Drawn(SoundToggle->Sprite)->texture, SoundToggle->OffTexture.get());
}

TEST_F(Widgets, TheKeyThatBringsTheFocusToAToggleDoesNotChangeIt) {
  Start();
  ClickOn(TextButtons[1]);
  const int opens = Engine().ihOpenCount();
  Hover(TextButtons[6]);  // "Back"
  Press(Key::Right);      // the focus moves on to the display toggle
  EXPECT_EQ(FocusIndex, DisplayToggle->Index());
  EXPECT_TRUE(PointerOn(DisplayToggle));
  EXPECT_EQ(h->Shell().PlayerSettings().Windowed, 1);
  EXPECT_EQ(Engine().ihOpenCount(), opens);

  h->Shell().PlayerSettings().MusicOn = 0;
  Hover(CountryEdit);
  Press(Key::Left);  // back to the music toggle, which stays off
  EXPECT_EQ(FocusIndex, MusicToggle->Index());
  EXPECT_EQ(h->Shell().PlayerSettings().MusicOn, 0);
  Press(Key::Left);  // now it has the focus: Left means on
  EXPECT_EQ(h->Shell().PlayerSettings().MusicOn, 1);
  EXPECT_EQ(FocusIndex, MusicToggle->Index());
}

TEST_F(Widgets, TheDisplayToggleRestartsTheEngineAndComesBackToOptions) {
  Start();
  ClickOn(TextButtons[1]);
  for (bool full : {true, false}) {
    SCOPED_TRACE(full ? "to full screen" : "back to a window");
    const int opens = Engine().ihOpenCount();
    ClickOn(DisplayToggle, full ? 3.0f : -3.0f);
    ASSERT_TRUE(
        h->StepUntil([this] { return OnScreen(ScreenOptions) && Shown(DisplayToggle); }, 300));
    EXPECT_EQ(Engine().ihOpenCount(), opens + 1);
    EXPECT_EQ(h->Shell().PlayerSettings().Windowed, full ? 0 : 1);
    EXPECT_EQ(Engine().ihFullscreen() != 0, full);
    h->Step(2);
    EXPECT_TRUE(h->HasPrint("OPTIONS"));
  }
}

TEST_F(Widgets, CountryBoxTakesPrintableTextUpToItsWidth) {
  Start();
  ClickOn(TextButtons[1]);
  h->Shell().PlayerSettings().Country.clear();
  ClickOn(CountryEdit);
  ASSERT_TRUE(CountryEdit->Editing);
  h->Type("Wales");
  EXPECT_EQ(h->Shell().PlayerSettings().Country, "Wales");
  h->Step(1);
  EXPECT_TRUE(h->HasPrint("Wales"));
  Press(Key::Backspace);
  EXPECT_EQ(h->Shell().PlayerSettings().Country, "Wale");
  // Control characters, the soft hyphen and characters beyond 8 bits are dropped.
  for (int ch : {9, 13, 27, 8, 127, 0x85, 0xAD, 0x20AC}) {
    Engine().ihCharType(ch);
    h->Step(1);
  }
  EXPECT_EQ(h->Shell().PlayerSettings().Country, "Wale");
  // Enter ends editing; typing or Backspace then do nothing; Enter starts again.
  Press(Key::Enter);
  EXPECT_FALSE(CountryEdit->Editing);
  Press(Key::Backspace);
  EXPECT_EQ(h->Shell().PlayerSettings().Country, "Wale");
  Press(Key::Enter);
  EXPECT_TRUE(CountryEdit->Editing);
  h->Type("s");
  EXPECT_EQ(h->Shell().PlayerSettings().Country, "Wales");

  // The limit is the printed width: fewer W than i fit.
  auto fill = [&](char letter) {
    h->Shell().PlayerSettings().Country.clear();
    h->Type(std::string(150, letter));
    return h->Shell().PlayerSettings().Country.size();
  };
  const size_t ws = fill('W');
  const size_t is = fill('i');
  EXPECT_GT(ws, 3u);
  EXPECT_LT(ws, is);
  EXPECT_LT(is, 150u);
  h->Step(1);
  const ihPrint* text = LastPrint(h->Shell().PlayerSettings().Country);
  ASSERT_NE(text, nullptr);
  EXPECT_LE(text->right - text->left, PixelsToUnitsX(400 - 20) + 0.01f);
}

TEST_F(Widgets, CountryBoxEditingEndsWhenThePointerLeavesAndTheCaretGoesWithTheScreen) {
  Start();
  ClickOn(TextButtons[1]);
  ClickOn(CountryEdit);
  ASSERT_TRUE(CountryEdit->Editing);
  ASSERT_TRUE(h->StepUntil([this] { return Shown(CountryEdit->CaretSprite); }, 30));
  // The caret blinks in 200 ms phases.
  ASSERT_TRUE(h->StepUntil([this] { return !Shown(CountryEdit->CaretSprite); }, 30));
  ASSERT_TRUE(h->StepUntil([this] { return Shown(CountryEdit->CaretSprite); }, 30));
  Press(Key::Escape);
  EXPECT_TRUE(OnScreen(ScreenMenu));
  EXPECT_FALSE(Shown(CountryEdit->CaretSprite));

  ClickOn(TextButtons[1]);
  ClickOn(CountryEdit);
  ASSERT_TRUE(CountryEdit->Editing);
  h->MouseAt(12.0f, 10.0f);
  h->Step(1);
  EXPECT_FALSE(CountryEdit->Editing);
  EXPECT_FALSE(Shown(CountryEdit->CaretSprite));
  const std::string before = h->Shell().PlayerSettings().Country;
  h->Type("x");
  EXPECT_EQ(h->Shell().PlayerSettings().Country, before);
}

TEST_F(Widgets, BossKeyBoxCapturesKeysByNameAndCancelsWhenThePointerLeaves) {
  Start();
  ClickOn(TextButtons[1]);
  ClickOn(BossKeyBox);
  EXPECT_TRUE(h->HasPrint("..."));
  Press(Key::F5);
  EXPECT_EQ(h->Shell().PlayerSettings().BossKey, 63);
  EXPECT_TRUE(h->HasPrint("F5"));

  ClickOn(BossKeyBox);
  Press(Key::LeftCtrl);
  EXPECT_EQ(h->Shell().PlayerSettings().BossKey, 29);
  EXPECT_TRUE(h->HasPrint("None"));

  ClickOn(BossKeyBox);
  EXPECT_TRUE(h->HasPrint("..."));
  h->MouseAt(12.0f, 10.0f);
  h->Step(1);
  EXPECT_FALSE(h->HasPrint("..."));
  EXPECT_TRUE(h->HasPrint("None"));
  Press(Key::F5);
  EXPECT_EQ(h->Shell().PlayerSettings().BossKey, 29);
  EXPECT_EQ(h->Platform().minimised, 0);
}

TEST_F(Widgets, AToggleLeftFocusedOnOptionsNeverActsOnTheMainMenu) {
  Start();
  TDDButtonToggle* const* toggles[] = {&DisplayToggle, &SoundToggle, &MusicToggle};
  for (TDDButtonToggle* const* toggle : toggles) {
    SCOPED_TRACE(toggle == &DisplayToggle ? "display" : toggle == &SoundToggle ? "sound" : "music");
    ClickOn(TextButtons[1]);
    ASSERT_TRUE(OnScreen(ScreenOptions));
    Hover(*toggle);
    ASSERT_EQ(FocusedWidget(), *toggle);
    h->MouseAt(12.0f, 10.0f);  // over no button of either screen
    h->Step(1);
    Press(Key::Escape);
    ASSERT_TRUE(OnScreen(ScreenMenu));
    for (int key : {Key::Right, Key::Left, Key::Enter, Key::Space, Key::Right}) Press(key);
    h->Step(2);
    EXPECT_TRUE(OnScreen(ScreenMenu));
    EXPECT_EQ(h->Shell().PlayerSettings().Windowed, 1);
    EXPECT_EQ(h->Shell().PlayerSettings().SoundOn, 1);
    EXPECT_EQ(h->Shell().PlayerSettings().MusicOn, 1);
  }
}

// Keys outside the engine's table (volume, media, keypad =) arrive as code 0.
TEST_F(Widgets, AKeyWithoutACodeIsNeverCapturedAndNoneNeverFires) {
  Start();
  ClickOn(TextButtons[1]);
  ClickOn(BossKeyBox);
  ASSERT_TRUE(h->HasPrint("..."));
  Press(0);
  EXPECT_EQ(h->Shell().PlayerSettings().BossKey, 88);
  EXPECT_TRUE(h->HasPrint("...")) << "still waiting for a key with a code";
  Press(Key::F5);
  EXPECT_EQ(h->Shell().PlayerSettings().BossKey, 63);

  // A boss key of 0 from the file shows "None" and nothing fires it.
  h->Shell().PlayerSettings().BossKey = 0;
  h->Step(1);
  EXPECT_TRUE(h->HasPrint("None"));
  for (int i = 0; i < 2; ++i) {
    h->KeyDown(0);
    h->Step(2);
    h->KeyUp(0);
    h->Step(2);
  }
  EXPECT_EQ(h->Platform().minimised, 0);
}

TEST_F(Widgets, AJustChosenBossKeyActsOnlyAfterItIsReleased) {
  Start();
  ClickOn(TextButtons[1]);
  ClickOn(BossKeyBox);
  const int opens = Engine().ihOpenCount();
  h->KeyDown(Key::F5);
  h->Step(4);  // chosen and still held
  EXPECT_EQ(h->Shell().PlayerSettings().BossKey, 63);
  EXPECT_EQ(h->Platform().minimised, 0);
  h->KeyUp(Key::F5);
  h->Step(2);
  h->KeyDown(Key::F5);
  h->Step(3);
  h->KeyUp(Key::F5);
  h->Step(1);
  EXPECT_EQ(h->Platform().minimised, 1);     // once per press, in a window
  EXPECT_EQ(Engine().ihOpenCount(), opens);  // the engine keeps running
}

// evilwm and many tiling desktops ignore the minimise request: the stopped
// game must not stay in sight, frozen, until something maps the window anew.
TEST_F(Widgets, WhereTheDesktopDoesNotMinimiseTheGameComesBackByItselfAfterASecond) {
  Start();
  ClickOn(TextButtons[1]);
  ClickOn(DisplayToggle, 3.0f);
  auto optionsShown = [this] { return OnScreen(ScreenOptions) && Shown(DisplayToggle); };
  ASSERT_TRUE(h->StepUntil(optionsShown, 300));
  ASSERT_EQ(h->Shell().PlayerSettings().Windowed, 0);
  const int opens = Engine().ihOpenCount();
  HeadlessPlatform& desktop = h->Platform();
  h->Tap(Key::F12);
  h->Step(1);
  ASSERT_EQ(desktop.minimised, 1);
  const uint32_t hidden = desktop.TickCount();
  ASSERT_TRUE(h->StepUntil([&] { return Engine().ihOpenCount() > opens; }, 180))
      << "the game never came back";
  const uint32_t waited = desktop.TickCount() - hidden;
  // A second, give or take the frames between the key and these readings.
  EXPECT_GE(waited, 950u) << "a desktop that minimises must get its chance";
  EXPECT_LE(waited, 1100u);
  ASSERT_TRUE(h->StepUntil(optionsShown, 300));
  EXPECT_EQ(h->Shell().PlayerSettings().Windowed, 0);
  EXPECT_NE(Engine().ihFullscreen(), 0);

  // A desktop that does minimise: only a restore brings it back.
  h->Tap(Key::F12);
  h->Step(1);
  ASSERT_EQ(desktop.minimised, 2);
  desktop.minimisedNow = true;
  h->Step(180);
  EXPECT_EQ(Engine().ihOpenCount(), opens + 1);
  desktop.minimisedNow = false;
  h->Post(iMsgRestore);
  ASSERT_TRUE(h->StepUntil(optionsShown, 300));
  EXPECT_EQ(Engine().ihOpenCount(), opens + 2);
}

TEST_F(Widgets, BossKeyInFullScreenStopsTheEngineAndRestoreReturnsToTheScreen) {
  Start();
  ClickOn(TextButtons[1]);
  ClickOn(DisplayToggle, 3.0f);
  ASSERT_TRUE(
      h->StepUntil([this] { return OnScreen(ScreenOptions) && Shown(DisplayToggle); }, 300));
  ASSERT_EQ(h->Shell().PlayerSettings().Windowed, 0);
  const int opens = Engine().ihOpenCount();
  h->Tap(Key::F12);
  h->Step(3);
  EXPECT_EQ(h->Platform().minimised, 1);
  EXPECT_EQ(h->Shell().PreviousScreen(), ScreenOptions);
  h->Post(iMsgRestore);
  ASSERT_TRUE(
      h->StepUntil([this] { return OnScreen(ScreenOptions) && Shown(DisplayToggle); }, 300));
  EXPECT_EQ(Engine().ihOpenCount(), opens + 1);
}

}  // namespace
}  // namespace gh::test

namespace gh::test {
namespace {

// While editing, Space types a space (the window gives its press and its
// character in the same frame) and Latin-1 letters are text; Space on an idle
// box starts editing and types nothing.
TEST_F(Widgets, SpacesAndAccentedLettersAreText) {
  Start();
  ClickOn(TextButtons[1]);
  h->Shell().PlayerSettings().Country = "Zoe";
  Hover(CountryEdit);
  auto space = [&] {
    h->KeyDown(Key::Space);
    Engine().ihCharType(' ');
    h->Step(1);
    h->KeyUp(Key::Space);
  };
  space();
  ASSERT_TRUE(CountryEdit->Editing);
  EXPECT_EQ(h->Shell().PlayerSettings().Country, "Zoe");
  h->Step(1);
  space();
  h->Type("\xC9ire");  // "Eire" with an acute E, in Latin-1
  h->Step(1);
  EXPECT_EQ(h->Shell().PlayerSettings().Country, "Zoe \xC9ire");
  EXPECT_TRUE(CountryEdit->Editing);
  EXPECT_TRUE(h->HasPrint("Zoe \xC9ire"));
  // The font draws it: the accented letter is as wide as the plain one.
  const iVec2 scale{1, 1};
  EXPECT_NEAR(iPrintWidth("\xC9", &scale, 0, ScreenFont()),
              iPrintWidth("E", &scale, 0, ScreenFont()), 0.01f);
}

// Backspace pressed faster than frames come: every press removes a character,
// whether the presses fall into different frames or into one.
TEST_F(Widgets, FastBackspacePressesAreNeverLost) {
  Start();
  ClickOn(TextButtons[1]);
  const struct {
    const char* name;
    int pressesPerFrame;
  } cases[] = {{"one press per frame", 1}, {"three presses within one frame", 3}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    h->Shell().PlayerSettings().Country = "Wales";
    ClickOn(CountryEdit);
    ASSERT_TRUE(CountryEdit->Editing);
    for (int pressed = 0; pressed < 3;) {
      for (int i = 0; i < c.pressesPerFrame; ++i, ++pressed) {
        h->KeyDown(Key::Backspace);
        h->KeyUp(Key::Backspace);
      }
      h->Step(1);
    }
    h->Step(3);
    EXPECT_EQ(h->Shell().PlayerSettings().Country, "Wa");
  }
}

// Keys pressed within one frame act in the order they were pressed, each with
// the character it typed.
TEST_F(Widgets, KeysWithinOneFrameKeepTheirOrder) {
  Start();
  ClickOn(TextButtons[1]);
  h->Shell().PlayerSettings().Country = "Wale";
  ClickOn(CountryEdit);
  ASSERT_TRUE(CountryEdit->Editing);
  auto press = [&](int key, int ch = 0) {
    h->KeyDown(key);
    if (ch) Engine().ihCharType(ch);
    h->KeyUp(key);
  };
  press(Key::Backspace);
  press(Key::LetterS, 's');
  h->Step(3);
  EXPECT_EQ(h->Shell().PlayerSettings().Country, "Wals");
  press(Key::LetterS, 's');
  press(Key::Enter);
  h->Step(3);
  EXPECT_EQ(h->Shell().PlayerSettings().Country, "Walss");
  EXPECT_FALSE(CountryEdit->Editing);
}

// The pointer that comes with the focus rests in the box, clear of its text.
TEST_F(Widgets, ThePointerRestsBesideATextBoxesText) {
  Start();
  ClickOn(TextButtons[1]);
  h->Shell().PlayerSettings().Country = "Ireland";
  Hover(MusicToggle);
  Press(Key::Down);
  ASSERT_EQ(FocusIndex, CountryEdit->Index());
  h->Step(1);
  EXPECT_TRUE(PointerOn(CountryEdit));
  const ihPrint* text = LastPrint(h->Shell().PlayerSettings().Country);
  ASSERT_NE(text, nullptr);
  const auto pointer = Drawn(h->Shell().Resources().Cursor);
  ASSERT_TRUE(pointer.has_value());
  EXPECT_GT(pointer->x - pointer->width / 2, text->right)
      << "the pointer covers the text up to " << text->right;
}

// The key or click that starts a capture is never the key captured: the box
// waits for the next key.
TEST_F(Widgets, TheKeyThatStartsACaptureIsNotCaptured) {
  Start();
  ClickOn(TextButtons[1]);
  const struct {
    const char* name;
    int key;  // -1: a click
  } starts[] = {{"click", -1}, {"Enter", Key::Enter}, {"Space", Key::Space}};
  for (const auto& c : starts) {
    SCOPED_TRACE(c.name);
    h->Shell().PlayerSettings().BossKey = 88;
    Hover(BossKeyBox);
    if (c.key < 0) {
      h->Click();
      h->Step(1);
    } else {
      Press(c.key);
    }
    h->Step(2);
    EXPECT_EQ(h->Shell().PlayerSettings().BossKey, 88);
    EXPECT_TRUE(h->HasPrint("...")) << "not waiting for a key";
    Press(Key::F5);
    EXPECT_EQ(h->Shell().PlayerSettings().BossKey, 63);
    EXPECT_TRUE(h->HasPrint("F5"));
    EXPECT_EQ(h->Platform().minimised, 0);
  }
  // Enter or Space during the capture ends it and keeps the key.
  for (int key : {Key::Enter, Key::Space}) {
    Press(Key::Enter);
    ASSERT_TRUE(h->HasPrint("..."));
    Press(key);
    EXPECT_EQ(h->Shell().PlayerSettings().BossKey, 63);
    EXPECT_TRUE(h->HasPrint("F5"));
  }
}

}  // namespace
}  // namespace gh::test
