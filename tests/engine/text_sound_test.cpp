// Text metrics from the real font, prints, and sounds on the virtual clock.
#include <cmath>

#include "EngineFixture.h"

namespace enginetest {
namespace {

using engine_text = HeadlessEngine;
using engine_sounds = HeadlessEngine;

TEST_F(engine_text, WidthComesFromTheFontsAdvancesScaleAndSpacing) {
  int32_t font = MainFont();
  ASSERT_NE(font, 0) << gh::i3ImpactErrorText();
  iVec2 one{1, 1}, two{2, 1};
  float h = gh::iPrintWidth("H", &one, 0, font);
  // A capital letter is about one unit high; its advance in a bold sans is close to that.
  EXPECT_GT(h, 0.8f);
  EXPECT_LT(h, 1.4f);
  EXPECT_GT(gh::iPrintWidth("WWWW", &one, 0, font), 2 * gh::iPrintWidth("iiii", &one, 0, font));
  float text = gh::iPrintWidth("Score 120", &one, 0, font);
  EXPECT_NEAR(gh::iPrintWidth("Score 120", &two, 0, font), 2 * text, 1e-4f);
  // Spacing, in 0.15 units, is added between the characters: 8 gaps in 9 characters.
  EXPECT_NEAR(gh::iPrintWidth("Score 120", &one, -0.3f, font), text - 8 * 0.3f * 0.15f, 1e-4f);
  EXPECT_EQ(gh::iPrintWidth("", &one, -0.3f, font), 0.0f);
  // A trailing space counts: a caret after it moves.
  EXPECT_GT(gh::iPrintWidth("AB ", &one, 0, font), gh::iPrintWidth("AB", &one, 0, font));
}

TEST_F(engine_text, PrintsStayUntilHiddenWithTheColourSetBeforeThem) {
  int32_t font = MainFont();
  iVec2 at{-10.5f, 4.3f}, centre{0, 3}, one{1, 1};
  gh::iPrintColorSet(0.17f, 1, 0, 1);
  gh::iPrint("Display:", &at, &one, -0.3f, font);
  gh::iPrintColorSet(1, 0, 0, 1);
  gh::iPrintCentered("GAME OVER", &centre, &one, -0.2f, font, 26.0f);
  Frames(3);
  auto prints = Prints();
  ASSERT_EQ(prints.size(), 2u);
  EXPECT_STREQ(prints[0].text, "Display:");
  EXPECT_EQ(prints[0].centered, 0);
  EXPECT_FLOAT_EQ(prints[0].left, -10.5f);
  EXPECT_NEAR(prints[0].right - prints[0].left, gh::iPrintWidth("Display:", &one, -0.3f, font),
              1e-4f);
  EXPECT_FLOAT_EQ(prints[0].color.red, 0.17f);
  EXPECT_STREQ(prints[1].text, "GAME OVER");
  EXPECT_NE(prints[1].centered, 0);
  EXPECT_NEAR((prints[1].left + prints[1].right) / 2, 0, 1e-4f);
  EXPECT_FLOAT_EQ(prints[1].color.green, 0);
  gh::iPrintsHide();
  EXPECT_TRUE(Prints().empty());
}

TEST_F(engine_text, TheSamePrintRepeatedInPlaceIsKeptOnce) {
  int32_t font = MainFont();
  iVec2 a{0, 3}, b{0, 1}, one{1, 1};
  gh::iPrintColorSet(0, 0, 0, 0.5f);
  for (int frame = 0; frame < 100; ++frame) {  // a question box's loop prints every frame
    gh::iPrintCentered("Exit the game?", &a, &one, -0.2f, font, 26);
    gh::iPrintCentered("", &b, &one, -0.2f, font, 26);
    Frame();
  }
  EXPECT_EQ(Prints().size(), 2u);
  gh::iPrintColorSet(1, 1, 1, 1);  // a different colour is a different print
  gh::iPrintCentered("Exit the game?", &a, &one, -0.2f, font, 26);
  EXPECT_EQ(Prints().size(), 3u);
}

TEST_F(engine_text, FontsSurviveNothingAcrossRunsButLoadAgain) {
  int32_t font = MainFont();
  iVec2 one{1, 1};
  float w = gh::iPrintWidth("HELP", &one, 0, font);
  gh::i3ImpactClose();
  ASSERT_EQ(gh::i3ImpactOpen(0, 0), -1);
  EXPECT_EQ(gh::iPrintWidth("HELP", &one, 0, font), 0.0f);  // the old handle is gone
  int32_t again = MainFont();
  EXPECT_NE(again, font);
  EXPECT_EQ(gh::iPrintWidth("HELP", &one, 0, again), w);
}

TEST_F(engine_sounds, EveryPlayAndStopIsLoggedWithItsFrame) {
  int32_t click = gh::iSoundCreate("Data\\Sound\\Click.wav", -1);
  int32_t menu = gh::iSoundOggCreate("Data\\Sound\\Menu.ogg", 0, 18000000);
  ASSERT_NE(click, 0) << gh::i3ImpactErrorText();
  ASSERT_NE(menu, 0) << gh::i3ImpactErrorText();
  Frame();
  uint64_t f = ih->ihFrame();
  gh::iSoundPlay(click, 0);
  gh::iSoundPlayNow(menu, -1);
  Frame();
  gh::iSoundStop(menu, 0);
  auto events = SoundEvents();
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ(events[0].sound, click);
  EXPECT_EQ(events[0].kind, 1);
  EXPECT_EQ(events[0].loop, 0);
  EXPECT_EQ(events[0].frame, f);
  EXPECT_STREQ(events[0].file, "Data\\Sound\\Click.wav");
  EXPECT_EQ(events[1].kind, 2);
  EXPECT_EQ(events[1].loop, 1);
  EXPECT_EQ(events[2].kind, 3);
  EXPECT_EQ(events[2].frame, f + 1);
  EXPECT_TRUE(SoundEvents().empty());  // the log was emptied
  gh::iSoundPlay(click, 0);
  EXPECT_EQ(ih->ihSoundEvents(nullptr, 0), 1);  // counting keeps the log
  EXPECT_EQ(SoundEvents().size(), 1u);
}

TEST_F(engine_sounds, AnEffectPlaysForItsLengthALoopUntilStopped) {
  int32_t click = gh::iSoundCreate("Data\\Sound\\Click.wav", -1);  // 0.5 s
  gh::iSoundPlay(click, 0);
  EXPECT_NE(ih->ihSoundPlaying(click), 0);
  Frames(29);
  EXPECT_NE(ih->ihSoundPlaying(click), 0);
  Frames(2);
  EXPECT_EQ(ih->ihSoundPlaying(click), 0);

  gh::iSoundPlay(click, -1);
  Frames(120);
  EXPECT_NE(ih->ihSoundPlaying(click), 0);
  gh::iSoundStop(click, 0);
  EXPECT_EQ(ih->ihSoundPlaying(click), 0);
}

TEST_F(engine_sounds, StopEndsEveryOverlappingPlay) {
  int32_t shot = gh::iSoundCreate("Data\\Sound\\Click.wav", -1);
  for (int i = 0; i < 5; ++i) {
    gh::iSoundPlay(shot, 0);
    Frame();
  }
  gh::iSoundPlay(shot, -1);
  gh::iSoundStop(shot, 0);
  EXPECT_EQ(ih->ihSoundPlaying(shot), 0);
}

TEST_F(engine_sounds, OneTuneAtATimeAndATuneEndsAfterItsLength) {
  int32_t menu = gh::iSoundOggCreate("Data\\Sound\\Menu.ogg", 0, 18000000);  // 1 s
  int32_t game = gh::iSoundOggCreate("Data\\Sound\\Game.ogg", 0, 18000000);  // 2 s
  gh::iSoundPlayNow(menu, -1);
  gh::iSoundPlay(game, -1);
  EXPECT_EQ(ih->ihSoundPlaying(menu), 0);
  EXPECT_NE(ih->ihSoundPlaying(game), 0);
  gh::iSoundStop(game, 0);
  gh::iSoundPlay(menu, 0);
  Frames(55);
  EXPECT_NE(ih->ihSoundPlaying(menu), 0);
  Frames(10);
  EXPECT_EQ(ih->ihSoundPlaying(menu), 0);
}

TEST_F(engine_sounds, DestroyedOrResetSoundsAreSilentAndIgnored) {
  int32_t s = gh::iSoundCreate("Data\\Sound\\Click.wav", -1);
  gh::iSoundPlay(s, -1);
  gh::iSoundDestroy(s);
  EXPECT_EQ(ih->ihSoundPlaying(s), 0);
  SoundEvents();
  gh::iSoundPlay(s, -1);
  EXPECT_TRUE(SoundEvents().empty());
}

}  // namespace
}  // namespace enginetest
