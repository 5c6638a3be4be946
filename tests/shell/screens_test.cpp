// The screens and the moves between them, on the real program.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <variant>

#include "MenuFixture.h"
#include "scores/WebScores.h"

namespace gh::test {
namespace {

using Screens = MenuTest;

TEST_F(Screens, FirstStartShowsLoadingThenFadesTheBackgroundInThenTheSixButtons) {
  Start(false);
  ASSERT_TRUE(h->StepUntil([this] { return OnScreen(Screen::FadeIn); }, 100));
  EXPECT_EQ(Engine().ihLastRendered(), h->Shell().Resources().Loading.get());
  // The new Config.cfg is written behind the loading picture, not left to the end.
  EXPECT_TRUE(std::filesystem::exists(h->ConfigPath()));
  h->Step(1);

  // The background comes up from transparent while no button is shown.
  float lastAlpha = -1;
  int fadeFrames = 0;
  while (OnScreen(Screen::FadeIn) && fadeFrames < 1000) {
    const auto back = Drawn(h->Shell().Resources().MenuBack);
    ASSERT_TRUE(back.has_value());
    if (fadeFrames == 0) {
      EXPECT_LT(back->color.alpha, 0.1f);
    }
    EXPECT_GE(back->color.alpha, lastAlpha);
    lastAlpha = back->color.alpha;
    for (int i = 0; i <= 5; ++i) EXPECT_FALSE(Shown(&Menu().List[i]));  // the main menu's buttons
    EXPECT_FALSE(Shown(h->Shell().Resources().Loading));
    h->Step(1);
    ++fadeFrames;
  }
  EXPECT_GT(fadeFrames, 60);  // a fade, not a cut
  EXPECT_GT(lastAlpha, 0.95f);
  h->Step(1);
  ASSERT_TRUE(OnScreen(Screen::Menu));
  const char* captions[] = {"Start Game", "Options",       "High Score",
                            "Help",       "Visit Website", "Exit Game"};
  for (int slot = 0; slot <= 5; ++slot) {
    EXPECT_TRUE(Shown(&Menu().List[slot])) << slot;
    EXPECT_TRUE(h->HasPrint(captions[slot])) << captions[slot];
  }
  EXPECT_TRUE(h->Platform().pointerHidden);
  EXPECT_TRUE(Shown(h->Shell().Resources().Cursor));
}

TEST_F(Screens, EscapeDuringTheFadeInGoesStraightToTheMenu) {
  Start(false);
  ASSERT_TRUE(h->StepUntil([this] { return OnScreen(Screen::FadeIn); }, 100));
  h->Step(10);
  Press(Key::Escape);
  EXPECT_TRUE(OnScreen(Screen::Menu));
  EXPECT_TRUE(Shown(Menu().StartGame));
}

TEST_F(Screens, YesFadesOutAndQuitsSavingTheSettingsAndEscapeCutsTheFadeShort) {
  for (bool escape : {false, true}) {
    SCOPED_TRACE(escape ? "escape during the fade-out" : "full fade-out");
    Start();
    h->Shell().PlayerSettings().Country = "Narnia";
    ClickOn(Menu().ExitGame);  // "Exit Game"
    ASSERT_TRUE(h->HasPrint("Exit the game?"));
    ClickOn(Menu().Yes);  // "Yes"
    ASSERT_TRUE(OnScreen(Screen::FadeOut));
    int frames = 0;
    if (escape) {
      h->Step(5);
      h->Tap(Key::Escape);
    }
    while (!h->Exited() && frames < 2000) {
      h->Step(1);
      ++frames;
    }
    ASSERT_TRUE(h->Exited());
    EXPECT_EQ(h->ExitCode(), 0);
    if (escape) {
      EXPECT_LT(frames, 5);
    } else {
      EXPECT_GT(frames, 60);
    }
    std::ifstream file(h->ConfigPath(), std::ios::binary);
    ASSERT_TRUE(file.good());
    std::stringstream bytes;
    bytes << file.rdbuf();
    // Strings are stored complemented.
    std::string complemented = "Narnia";
    for (char& c : complemented) c = static_cast<char>(~c);
    EXPECT_NE(bytes.str().find(complemented), std::string::npos);
    h.reset();
  }
}

TEST_F(Screens, EveryMenuButtonReachesItsScreenAndBackAndEscapeReturn) {
  Start();
  struct Case {
    TextButton* button;
    Screen screen;
    const char* title;
    TextButton* back;
  };
  const Case cases[] = {
      {Menu().Options, Screen::Options, "OPTIONS", Menu().OptionsBack},
      {Menu().HighScores, Screen::HighScores, "HIGH SCORE", Menu().Back},
      {Menu().Help, Screen::HelpText, "HELP", Menu().Back},
  };
  for (const auto& c : cases) {
    for (bool byEscape : {false, true}) {
      SCOPED_TRACE(std::string(c.title) + (byEscape ? " / Escape" : " / Back"));
      ClickOn(c.button);
      ASSERT_TRUE(OnScreen(c.screen));
      EXPECT_TRUE(h->HasPrint(c.title));
      // The title, its shadow included, lies wholly inside the view.
      for (const ihPrint& p : h->Prints()) {
        if (std::string(p.text) != c.title) continue;
        EXPECT_GE(p.left, -16.0f);
        EXPECT_LE(p.right, 16.0f);
      }
      EXPECT_TRUE(Shown(c.back));
      EXPECT_FALSE(Shown(Menu().StartGame));
      if (byEscape) {
        Press(Key::Escape);
      } else {
        ClickOn(c.back);
      }
      EXPECT_TRUE(OnScreen(Screen::Menu));
      EXPECT_TRUE(Shown(Menu().StartGame));
      EXPECT_FALSE(Shown(c.back));
    }
  }

  // The website opens in the browser; the menu stays.
  ClickOn(Menu().VisitWebsite);
  EXPECT_TRUE(OnScreen(Screen::Menu));
  ASSERT_EQ(h->Platform().opened.size(), 1u);
  EXPECT_EQ(h->Platform().opened[0], HomePageAddress());
  EXPECT_TRUE(Shown(Menu().StartGame));

  // The game screen makes a game.
  ClickOn(Menu().StartGame);
  EXPECT_TRUE(OnScreen(Screen::Game));
  EXPECT_NE(h->Shell().RunningGame(), nullptr);
  EXPECT_FALSE(Shown(Menu().StartGame));
}

TEST_F(Screens, OptionsShowsItsLabelsAndWidgets) {
  Start();
  ClickOn(Menu().Options);
  for (const char* label : {"Display:", "Sound:", "Music:", "Your country:", "Boss Key:"})
    EXPECT_TRUE(h->HasPrint(label)) << label;
  for (const Widget* w : std::initializer_list<const Widget*>{
           Menu().DisplayToggle, Menu().SoundToggle, Menu().MusicToggle, Menu().CountryBox,
           Menu().BossKeyBox, Menu().OptionsBack})
    EXPECT_TRUE(Shown(w));
  EXPECT_TRUE(h->HasPrint("F12"));  // the default boss key
}

TEST_F(Screens, WorldScoresOpensTheScorePageAndStaysOnTheTable) {
  Start();
  ClickOn(Menu().HighScores);
  ASSERT_TRUE(OnScreen(Screen::HighScores));
  ClickOn(Menu().WorldScores);
  EXPECT_TRUE(OnScreen(Screen::HighScores));
  EXPECT_TRUE(Shown(Menu().ClearTable));
  EXPECT_TRUE(Shown(h->Shell().Resources().HighScore));
  ASSERT_EQ(h->Platform().opened.size(), 1u);
  EXPECT_EQ(h->Platform().opened[0], ScorePageAddress());
  EXPECT_NE(ScorePageAddress().find("/cgi/version.pl?prg=Gravelhorn2&show&type=0"),
            std::string::npos);
}

TEST_F(Screens, APageThatNoBrowserCouldOpenIsToldWithItsAddress) {
  Start();
  h->Platform().browser = false;
  struct Case {
    const char* what;
    std::vector<const Widget*> clicks;
    std::string address;
    Screen screen;  // where the player stays
  };
  const Case cases[] = {
      {"website", {Menu().VisitWebsite}, HomePageAddress(), Screen::Menu},
      {"world scores",
       {Menu().HighScores, Menu().WorldScores},
       ScorePageAddress(),
       Screen::HighScores},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    for (const Widget* button : c.clicks) ClickOn(button);
    h->Step(1);
    EXPECT_TRUE(h->Shell().Questions().IsOpen());
    EXPECT_TRUE(h->HasPrint("No web browser could be started. Please open"));
    std::vector<ihPrint> storage;
    const ihPrint* line = h->FindPrint(c.address, storage);
    ASSERT_NE(line, nullptr) << "the address is not shown";
    // Long as it is, the address stays inside the question's panel (480 pixels).
    EXPECT_GE(line->left, -9.6f);
    EXPECT_LE(line->right, 9.6f);
    Press(Key::Escape);
    EXPECT_FALSE(h->Shell().Questions().IsOpen());
    EXPECT_TRUE(OnScreen(c.screen));
    h->Step(2);
    EXPECT_FALSE(h->Shell().Questions().IsOpen()) << "told twice";
    if (c.screen != Screen::Menu) Press(Key::Escape);
  }
}

TEST_F(Screens, ClearingTheTableAsksFirstAndOnlyYesClears) {
  Start();
  for (bool yes : {false, true}) {
    SCOPED_TRACE(yes ? "yes" : "no");
    h->Shell().PlayerSettings().HighScores[0] = HighScore{"Champion", 99999};
    ClickOn(Menu().HighScores);
    ClickOn(Menu().ClearTable);
    ASSERT_TRUE(h->HasPrint("Do you want to clear"));
    ASSERT_TRUE(h->HasPrint("the High Score Table?"));
    EXPECT_EQ(h->Shell().PlayerSettings().HighScores[0].Name,
              "Champion");  // nothing before the answer
    ClickOn(yes ? Menu().Yes : Menu().No);
    EXPECT_TRUE(OnScreen(Screen::HighScores));
    EXPECT_TRUE(Shown(Menu().ClearTable));
    EXPECT_EQ(h->Shell().PlayerSettings().HighScores[0].Name == "Champion", !yes);
    Press(Key::Escape);
  }
}

TEST_F(Screens, HelpPagesWalkWithNextAndPrevAndPageFourHasNoNext) {
  Start();
  ClickOn(Menu().Help);
  ASSERT_TRUE(OnScreen(Screen::HelpText));
  EXPECT_FALSE(Shown(Menu().Prev));  // no Prev on page 1
  const Screen pages[] = {Screen::HelpText, Screen::HelpBonuses, Screen::HelpControls,
                          Screen::HelpAbout};
  const SpriteRef pictures[] = {SpriteRef(), h->Shell().Resources().HelpBonus,
                                h->Shell().Resources().HelpControls,
                                h->Shell().Resources().HelpAbout};
  for (int i = 1; i < 4; ++i) {
    ClickOn(Menu().Next);
    ASSERT_TRUE(OnScreen(pages[i])) << i;
    EXPECT_TRUE(Shown(pictures[i]));
    EXPECT_TRUE(Shown(Menu().Prev));
    EXPECT_TRUE(h->HasPrint("HELP"));
  }
  EXPECT_FALSE(Shown(Menu().Next));  // page 4: no Next
  for (int i = 2; i >= 0; --i) {
    ClickOn(Menu().Prev);
    ASSERT_TRUE(OnScreen(pages[i])) << i;
  }
  // Escape on every page, the last one too, goes to the menu.
  for (Screen page : pages) {
    h->Shell().SwitchScreen(page);
    Press(Key::Escape);
    EXPECT_TRUE(OnScreen(Screen::Menu)) << static_cast<int>(page);
  }
}

// The controls page names the boss key that is set, not always the first one.
TEST_F(Screens, TheControlsPageNamesTheBossKeySet) {
  const struct {
    uint8_t key;
    const char* name;
  } cases[] = {{88, "F12"}, {63, "F5"}, {16, "Q"}, {29, "None"}};
  Start();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    h->Shell().PlayerSettings().BossKey = c.key;
    h->Shell().SwitchScreen(Screen::HelpControls);
    h->Step(2);
    ASSERT_TRUE(Shown(h->Shell().Resources().HelpControls));
    const ihPrint* name = LastPrint(c.name);
    ASSERT_NE(name, nullptr) << "the page does not name the key";
    // On the picture's key cap, left of its "boss key" line.
    const auto picture = Drawn(h->Shell().Resources().HelpControls);
    EXPECT_GT(name->left, picture->x - picture->width / 2);
    EXPECT_LT(name->y, picture->y);
  }
  h->Shell().PlayerSettings().BossKey = 88;
}

TEST_F(Screens, EveryScreenAWidgetLeadsToIsInTheScreenTable) {
  Start();
  // The help pages give Prev and Next their actions on entry.
  for (Screen screen : {Screen::Menu, Screen::HelpText, Screen::HelpBonuses, Screen::HelpControls,
                        Screen::HelpAbout}) {
    h->Shell().SwitchScreen(screen);
    for (int i = 0; i < Menu().List.Size(); ++i) {
      const Widget& widget = Menu().List[i];
      // The text and key boxes act on their own and never hand on an action.
      if (dynamic_cast<const EditBox*>(&widget) || dynamic_cast<const KeyCaptureBox*>(&widget))
        continue;
      if (const Screen* leadsTo = std::get_if<Screen>(&widget.Activates)) {
        EXPECT_TRUE(Shell::ScreenExists(*leadsTo))
            << "widget " << i << " on screen " << static_cast<int>(screen) << " leads to screen "
            << static_cast<int>(*leadsTo);
      }
    }
  }
}

TEST_F(Screens, HelpTextScrollsUpAndRestartsOnEveryEntry) {
  Start();
  ClickOn(Menu().Help);
  ScrollingText& scroller = Menu().HelpScroller;
  ASSERT_FALSE(scroller.Lines.empty());
  const float start = scroller.Offset;
  h->Step(100);
  EXPECT_NEAR(scroller.Offset, start + 100 * 0.02f, 0.01f);
  EXPECT_GT(scroller.Offset, -8.0f + 1.5f);

  Press(Key::Escape);
  ClickOn(Menu().Help);
  // Entered anew: the first line starts again low on the screen.
  EXPECT_NEAR(scroller.Offset, -8.0f, 0.1f);

  // A text of three lines starts over once its last line has passed the top.
  scroller.Lines = {"one", "two", "three"};
  scroller.Offset = 10.47f;
  h->Step(1);
  EXPECT_NEAR(scroller.Offset, 10.49f, 0.001f);
  h->Step(1);
  EXPECT_FLOAT_EQ(scroller.Offset, -11.0f);
  // Lines fade toward the edges: bright below the centre, gone near the top.
  scroller.Offset = -1.7f;
  h->Step(1);
  const ihPrint* one = LastPrint("one");
  ASSERT_NE(one, nullptr);
  EXPECT_GT(one->color.alpha, 0.95f);
  scroller.Offset = 6.0f;  // "one" above y 5.75, "two" at 4.5
  h->Step(1);
  EXPECT_EQ(LastPrint("one"), nullptr);
  EXPECT_NE(LastPrint("two"), nullptr);
}

TEST_F(Screens, MusicFollowsTheToggleAndTheScreen) {
  Start();
  EXPECT_TRUE(Engine().ihSoundPlaying(h->Shell().Resources().MenuMusic.get()));
  EXPECT_FALSE(Engine().ihSoundPlaying(h->Shell().Resources().GameMusic.get()));
  ClickOn(Menu().Options);
  Hover(Menu().MusicToggle);
  ClickOn(Menu().MusicToggle, 2.0f);  // right half: off
  EXPECT_EQ(h->Shell().PlayerSettings().MusicOn, 0);
  EXPECT_TRUE(OnScreen(Screen::Options));
  EXPECT_TRUE(Shown(Menu().MusicToggle));
  EXPECT_FALSE(Engine().ihSoundPlaying(h->Shell().Resources().MenuMusic.get()));
  EXPECT_FALSE(Engine().ihSoundPlaying(h->Shell().Resources().GameMusic.get()));
  ClickOn(Menu().MusicToggle, -2.0f);  // left half: on
  EXPECT_EQ(h->Shell().PlayerSettings().MusicOn, 1);
  EXPECT_TRUE(OnScreen(Screen::Options));
  EXPECT_TRUE(Engine().ihSoundPlaying(h->Shell().Resources().MenuMusic.get()));
  Press(Key::Escape);
  ClickOn(Menu().StartGame);
  ASSERT_TRUE(OnScreen(Screen::Game));
  EXPECT_TRUE(Engine().ihSoundPlaying(h->Shell().Resources().GameMusic.get()));
  EXPECT_FALSE(Engine().ihSoundPlaying(h->Shell().Resources().MenuMusic.get()));
}

TEST_F(Screens, SoundEffectsOffSilencesClicksButNotMusic) {
  Start();
  for (uint8_t on : {uint8_t{1}, uint8_t{0}}) {
    SCOPED_TRACE(on ? "sound on" : "sound off");
    h->Shell().PlayerSettings().SoundOn = on;
    Clicks();
    Hover(Menu().Options);
    Hover(Menu().HighScores);
    h->Step(5);  // hovering on plays nothing more
    EXPECT_EQ(Clicks(), on ? 2 : 0);
    EXPECT_TRUE(Engine().ihSoundPlaying(h->Shell().Resources().MenuMusic.get()));
  }
}

TEST_F(Screens, PointerSpriteFollowsTheMouseExceptAtTheEdges) {
  Start();
  const int32_t warps = Engine().ihPointerWarps();
  h->MouseFraction(0.25f, 0.75f);
  h->Step(1);
  auto cursor = Drawn(h->Shell().Resources().Cursor);
  ASSERT_TRUE(cursor.has_value());
  EXPECT_NEAR(cursor->x, -8.0f, 0.01f);
  EXPECT_NEAR(cursor->y, -6.0f, 0.01f);
  h->MouseFraction(0.995f, 0.5f);
  h->Step(1);
  cursor = Drawn(h->Shell().Resources().Cursor);
  EXPECT_NEAR(cursor->x, -8.0f, 0.01f);  // stays where it was
  // Following the mouse never moves the system pointer.
  EXPECT_EQ(Engine().ihPointerWarps(), warps);
}

TEST_F(Screens, WeaponWheelAndKeysAreSafeWithoutAnyAmmunitionAndOutsideTheGame) {
  Start();
  // Outside the game the number keys do nothing (and there is no game).
  h->Post(iMsgKeyUp, '2');
  h->Post(iMsgWheelDown);
  h->Step(2);
  EXPECT_EQ(h->Shell().RunningGame(), nullptr);
  ClickOn(Menu().StartGame);
  ASSERT_NE(h->Shell().RunningGame(), nullptr);
  h->Step(5);
  h->Shell().RunningGame()->StateForTests().Ammo.fill(0);
  h->Shell().RunningGame()->StateForTests().Magazines.fill(0);
  const int8_t weapon = h->Shell().RunningGame()->State().Weapon;
  h->Post(iMsgWheelDown);
  h->Post(iMsgWheelUp);
  h->Post(iMsgKeyUp, '3');
  h->Step(2);  // returns instead of searching forever
  EXPECT_EQ(h->Shell().RunningGame()->State().Weapon, weapon);
  // With one loaded weapon the wheel finds it both ways; keys choose loaded ones only.
  h->Shell().RunningGame()->StateForTests().Ammo[3] = 5;
  h->Post(iMsgWheelDown);
  h->Step(1);
  EXPECT_EQ(h->Shell().RunningGame()->State().Weapon, 3);
  h->Shell().RunningGame()->StateForTests().Ammo[1] = 5;
  h->Post(iMsgWheelUp);
  h->Step(1);
  EXPECT_EQ(h->Shell().RunningGame()->State().Weapon, 1);
  h->Post(iMsgKeyUp, '5');
  h->Step(1);
  EXPECT_EQ(h->Shell().RunningGame()->State().Weapon, 1);
  h->Post(iMsgKeyUp, '4');
  h->Step(1);
  EXPECT_EQ(h->Shell().RunningGame()->State().Weapon, 3);
}

TEST_F(Screens, ARestartDuringTheFadeInEndsOnTheMenuInsteadOfRestartingAgain) {
  Start(false);
  ASSERT_TRUE(h->StepUntil([this] { return OnScreen(Screen::FadeIn); }, 100));
  h->Step(5);
  const int opens = Engine().ihOpenCount();
  h->Post(iMsgCaptionDblClk, 5);  // the frame, not the caption: same display mode
  ASSERT_TRUE(
      h->StepUntil([this] { return OnScreen(Screen::Menu) && Shown(Menu().StartGame); }, 1500));
  h->Step(60);
  EXPECT_EQ(Engine().ihOpenCount(), opens + 1);
  EXPECT_TRUE(OnScreen(Screen::Menu));
}

}  // namespace
}  // namespace gh::test
