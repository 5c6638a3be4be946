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
    int opens;  // 1: Options, 2: HIGH SCORE (its main-menu button), -1: the menu
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
    h->Shell().SwitchScreen(Screen::Menu);
    if (c.opens == 1) ClickOn(Menu().Options);
    if (c.opens == 2) ClickOn(Menu().HighScores);
    Hover(&Menu().List[c.from]);
    ASSERT_EQ(Menu().List.FocusIndex(), c.from);
    if (c.shift) h->KeyDown(Key::LeftShift);
    Press(c.key);
    if (c.shift) h->KeyUp(Key::LeftShift);
    EXPECT_EQ(Menu().List.FocusIndex(), c.to);
    EXPECT_TRUE(Menu().List[c.to].Current);
    EXPECT_TRUE(PointerOn(&Menu().List[c.to]));
  }
}

TEST_F(Widgets, EnterActivatesOnlyWithThePointerOnTheButton) {
  Start();
  Hover(Menu().Options);
  h->MouseAt(12.0f, 10.0f);  // off every button; "Options" keeps the focus
  h->Step(1);
  ASSERT_EQ(Menu().List.FocusIndex(), 1);
  Press(Key::Enter);
  Press(Key::Space);
  EXPECT_TRUE(OnScreen(Screen::Menu));
  Press(Key::Down);  // puts the pointer on "High Score"
  Press(Key::Enter);
  EXPECT_TRUE(OnScreen(Screen::HighScores));
}

TEST_F(Widgets, TakingTheFocusFlashesOnceAndPaintsTheCaptionRed) {
  Start();
  Clicks();
  Hover(Menu().Help);
  h->Step(1);
  const auto flashed = Drawn(Menu().Help->Sprite);
  ASSERT_TRUE(flashed.has_value());
  EXPECT_LT(flashed->color.red, 0.6f);
  EXPECT_EQ(Clicks(), 1);
  const ihPrint* caption = LastPrint("Help");
  ASSERT_NE(caption, nullptr);
  EXPECT_EQ(caption->color.red, 1.0f);
  EXPECT_EQ(caption->color.green, 0.0f);
  EXPECT_EQ(LastPrint("Options")->color.green, ColourCaption.green);
  h->Step(90);
  EXPECT_GT(Drawn(Menu().Help->Sprite)->color.red, 0.95f);
  EXPECT_EQ(Clicks(), 0);  // hovering on plays nothing more
}

TEST_F(Widgets, KeyboardStillWorksWhenTheFocusedButtonWasLeftBehindOnAnotherScreen) {
  Start();
  ClickOn(Menu().HighScores);
  ClickOn(Menu().Back);  // "Back": the pointer rests below the menu's buttons
  ASSERT_TRUE(OnScreen(Screen::Menu));
  ASSERT_EQ(Menu().List.FocusIndex(), 7);
  Press(Key::Down);
  EXPECT_EQ(Menu().List.FocusIndex(), 0);
  EXPECT_TRUE(PointerOn(Menu().StartGame));
}

TEST_F(Widgets, FocusMovesNowhereWhenEveryWidgetIsHidden) {
  Start();
  Menu().HideAll();
  Press(Key::Down);
  Press(Key::Up);
  const int focus = Menu().List.FocusIndex();
  Menu().List[0].FocusNext();
  Menu().List[0].FocusPrevious();
  EXPECT_EQ(Menu().List.FocusIndex(), focus);
}

TEST_F(Widgets, TogglesChangeTheirSettingByHalvesAndKeysAndOptionsStay) {
  Start();
  ClickOn(Menu().Options);
  struct Case {
    ToggleButton* toggle;
    uint8_t* value;
  };
  for (const Case& c : {Case{Menu().SoundToggle, &h->Shell().PlayerSettings().SoundOn},
                        Case{Menu().MusicToggle, &h->Shell().PlayerSettings().MusicOn}}) {
    SCOPED_TRACE(c.toggle == Menu().SoundToggle ? "sound" : "music");
    ClickOn(c.toggle, 2.0f);
    EXPECT_EQ(*c.value, 0);
    ClickOn(c.toggle, -2.0f);
    EXPECT_EQ(*c.value, 1);
    h->Shell().SwitchScreen(Screen::Menu);  // the screen before: the menu
    h->Shell().SwitchScreen(Screen::Options);
    ClickOn(c.toggle, -2.0f);  // already 1: stays, and the screen is switched to again
    EXPECT_EQ(*c.value, 1);
    EXPECT_NE(h->Shell().PreviousScreen(), Screen::Menu);
    Press(Key::Right);
    EXPECT_EQ(*c.value, 0);
    Press(Key::Left);
    EXPECT_EQ(*c.value, 1);
    Press(Key::Enter);
    EXPECT_EQ(*c.value, 0);
    Press(Key::Space);
    EXPECT_EQ(*c.value, 1);
    // Left and Right stay on the toggle.
    EXPECT_EQ(Menu().List.FocusIndex(), c.toggle->Index());
    EXPECT_TRUE(OnScreen(Screen::Options));
    EXPECT_TRUE(Shown(c.toggle));
    EXPECT_TRUE(Shown(Menu().CountryBox));
  }
  // The picture follows the value.
  h->Shell().PlayerSettings().SoundOn = 0;
  h->Step(1);
  EXPECT_EQ(Drawn(Menu().SoundToggle->Sprite)->texture, Menu().SoundToggle->OffTexture.get());
}

TEST_F(Widgets, TheKeyThatBringsTheFocusToAToggleDoesNotChangeIt) {
  Start();
  ClickOn(Menu().Options);
  const int opens = Engine().ihOpenCount();
  Hover(Menu().OptionsBack);  // "Back"
  Press(Key::Right);          // the focus moves on to the display toggle
  EXPECT_EQ(Menu().List.FocusIndex(), Menu().DisplayToggle->Index());
  EXPECT_TRUE(PointerOn(Menu().DisplayToggle));
  EXPECT_EQ(h->Shell().PlayerSettings().Windowed, 1);
  EXPECT_EQ(Engine().ihOpenCount(), opens);

  h->Shell().PlayerSettings().MusicOn = 0;
  Hover(Menu().CountryBox);
  Press(Key::Left);  // back to the music toggle, which stays off
  EXPECT_EQ(Menu().List.FocusIndex(), Menu().MusicToggle->Index());
  EXPECT_EQ(h->Shell().PlayerSettings().MusicOn, 0);
  Press(Key::Left);  // now it has the focus: Left means on
  EXPECT_EQ(h->Shell().PlayerSettings().MusicOn, 1);
  EXPECT_EQ(Menu().List.FocusIndex(), Menu().MusicToggle->Index());
}

TEST_F(Widgets, TheDisplayToggleRestartsTheEngineAndComesBackToOptions) {
  Start();
  ClickOn(Menu().Options);
  for (bool full : {true, false}) {
    SCOPED_TRACE(full ? "to full screen" : "back to a window");
    const int opens = Engine().ihOpenCount();
    ClickOn(Menu().DisplayToggle, full ? 3.0f : -3.0f);
    ASSERT_TRUE(h->StepUntil(
        [this] { return OnScreen(Screen::Options) && Shown(Menu().DisplayToggle); }, 300));
    EXPECT_EQ(Engine().ihOpenCount(), opens + 1);
    EXPECT_EQ(h->Shell().PlayerSettings().Windowed, full ? 0 : 1);
    EXPECT_EQ(Engine().ihFullscreen() != 0, full);
    h->Step(2);
    EXPECT_TRUE(h->HasPrint("OPTIONS"));
  }
}

TEST_F(Widgets, CountryBoxTakesPrintableTextUpToItsWidth) {
  Start();
  ClickOn(Menu().Options);
  h->Shell().PlayerSettings().Country.clear();
  ClickOn(Menu().CountryBox);
  ASSERT_TRUE(Menu().CountryBox->Editing);
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
  EXPECT_FALSE(Menu().CountryBox->Editing);
  Press(Key::Backspace);
  EXPECT_EQ(h->Shell().PlayerSettings().Country, "Wale");
  Press(Key::Enter);
  EXPECT_TRUE(Menu().CountryBox->Editing);
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
  ClickOn(Menu().Options);
  ClickOn(Menu().CountryBox);
  ASSERT_TRUE(Menu().CountryBox->Editing);
  ASSERT_TRUE(h->StepUntil([this] { return Shown(Menu().CountryBox->CaretSprite); }, 30));
  // The caret blinks in 200 ms phases.
  ASSERT_TRUE(h->StepUntil([this] { return !Shown(Menu().CountryBox->CaretSprite); }, 30));
  ASSERT_TRUE(h->StepUntil([this] { return Shown(Menu().CountryBox->CaretSprite); }, 30));
  Press(Key::Escape);
  EXPECT_TRUE(OnScreen(Screen::Menu));
  EXPECT_FALSE(Shown(Menu().CountryBox->CaretSprite));

  ClickOn(Menu().Options);
  ClickOn(Menu().CountryBox);
  ASSERT_TRUE(Menu().CountryBox->Editing);
  h->MouseAt(12.0f, 10.0f);
  h->Step(1);
  EXPECT_FALSE(Menu().CountryBox->Editing);
  EXPECT_FALSE(Shown(Menu().CountryBox->CaretSprite));
  const std::string before = h->Shell().PlayerSettings().Country;
  h->Type("x");
  EXPECT_EQ(h->Shell().PlayerSettings().Country, before);
}

TEST_F(Widgets, BossKeyBoxCapturesKeysByNameAndCancelsWhenThePointerLeaves) {
  Start();
  ClickOn(Menu().Options);
  ClickOn(Menu().BossKeyBox);
  EXPECT_TRUE(h->HasPrint("..."));
  Press(Key::F5);
  EXPECT_EQ(h->Shell().PlayerSettings().BossKey, 63);
  EXPECT_TRUE(h->HasPrint("F5"));

  ClickOn(Menu().BossKeyBox);
  Press(Key::LeftCtrl);
  EXPECT_EQ(h->Shell().PlayerSettings().BossKey, 29);
  EXPECT_TRUE(h->HasPrint("None"));

  ClickOn(Menu().BossKeyBox);
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
  const struct {
    const char* name;
    ToggleButton* toggle;
  } toggles[] = {{"display", Menu().DisplayToggle},
                 {"sound", Menu().SoundToggle},
                 {"music", Menu().MusicToggle}};
  for (const auto& t : toggles) {
    SCOPED_TRACE(t.name);
    ClickOn(Menu().Options);
    ASSERT_TRUE(OnScreen(Screen::Options));
    Hover(t.toggle);
    ASSERT_EQ(Menu().List.Focused(), t.toggle);
    h->MouseAt(12.0f, 10.0f);  // over no button of either screen
    h->Step(1);
    Press(Key::Escape);
    ASSERT_TRUE(OnScreen(Screen::Menu));
    for (int key : {Key::Right, Key::Left, Key::Enter, Key::Space, Key::Right}) Press(key);
    h->Step(2);
    EXPECT_TRUE(OnScreen(Screen::Menu));
    EXPECT_EQ(h->Shell().PlayerSettings().Windowed, 1);
    EXPECT_EQ(h->Shell().PlayerSettings().SoundOn, 1);
    EXPECT_EQ(h->Shell().PlayerSettings().MusicOn, 1);
  }
}

// Keys outside the engine's table (volume, media, keypad =) arrive as code 0.
TEST_F(Widgets, AKeyWithoutACodeIsNeverCapturedAndNoneNeverFires) {
  Start();
  ClickOn(Menu().Options);
  ClickOn(Menu().BossKeyBox);
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
  ClickOn(Menu().Options);
  ClickOn(Menu().BossKeyBox);
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
  ClickOn(Menu().Options);
  ClickOn(Menu().DisplayToggle, 3.0f);
  auto optionsShown = [this] { return OnScreen(Screen::Options) && Shown(Menu().DisplayToggle); };
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
  ClickOn(Menu().Options);
  ClickOn(Menu().DisplayToggle, 3.0f);
  ASSERT_TRUE(h->StepUntil(
      [this] { return OnScreen(Screen::Options) && Shown(Menu().DisplayToggle); }, 300));
  ASSERT_EQ(h->Shell().PlayerSettings().Windowed, 0);
  const int opens = Engine().ihOpenCount();
  h->Tap(Key::F12);
  h->Step(3);
  EXPECT_EQ(h->Platform().minimised, 1);
  EXPECT_EQ(h->Shell().PreviousScreen(), Screen::Options);
  h->Post(iMsgRestore);
  ASSERT_TRUE(h->StepUntil(
      [this] { return OnScreen(Screen::Options) && Shown(Menu().DisplayToggle); }, 300));
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
  ClickOn(Menu().Options);
  h->Shell().PlayerSettings().Country = "Zoe";
  Hover(Menu().CountryBox);
  auto space = [&] {
    h->KeyDown(Key::Space);
    Engine().ihCharType(' ');
    h->Step(1);
    h->KeyUp(Key::Space);
  };
  space();
  ASSERT_TRUE(Menu().CountryBox->Editing);
  EXPECT_EQ(h->Shell().PlayerSettings().Country, "Zoe");
  h->Step(1);
  space();
  h->Type("\xC9ire");  // "Eire" with an acute E, in Latin-1
  h->Step(1);
  EXPECT_EQ(h->Shell().PlayerSettings().Country, "Zoe \xC9ire");
  EXPECT_TRUE(Menu().CountryBox->Editing);
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
  ClickOn(Menu().Options);
  const struct {
    const char* name;
    int pressesPerFrame;
  } cases[] = {{"one press per frame", 1}, {"three presses within one frame", 3}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    h->Shell().PlayerSettings().Country = "Wales";
    ClickOn(Menu().CountryBox);
    ASSERT_TRUE(Menu().CountryBox->Editing);
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
  ClickOn(Menu().Options);
  h->Shell().PlayerSettings().Country = "Wale";
  ClickOn(Menu().CountryBox);
  ASSERT_TRUE(Menu().CountryBox->Editing);
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
  EXPECT_FALSE(Menu().CountryBox->Editing);
}

// The pointer that comes with the focus rests in the box, clear of its text.
TEST_F(Widgets, ThePointerRestsBesideATextBoxesText) {
  Start();
  ClickOn(Menu().Options);
  h->Shell().PlayerSettings().Country = "Ireland";
  Hover(Menu().MusicToggle);
  Press(Key::Down);
  ASSERT_EQ(Menu().List.FocusIndex(), Menu().CountryBox->Index());
  h->Step(1);
  EXPECT_TRUE(PointerOn(Menu().CountryBox));
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
  ClickOn(Menu().Options);
  const struct {
    const char* name;
    int key;  // -1: a click
  } starts[] = {{"click", -1}, {"Enter", Key::Enter}, {"Space", Key::Space}};
  for (const auto& c : starts) {
    SCOPED_TRACE(c.name);
    h->Shell().PlayerSettings().BossKey = 88;
    Hover(Menu().BossKeyBox);
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
