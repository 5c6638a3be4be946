// Text metrics from the real font, prints, and sounds on the virtual clock.
#include <cmath>
#include <string>
#include <vector>

#include "EngineFixture.h"

namespace enginetest {
namespace {

using engine_text = HeadlessEngine;
using engine_sounds = HeadlessEngine;

TEST_F(engine_text, WidthComesFromTheFontsAdvancesScaleAndSpacing) {
  int32_t font = MainFont();
  ASSERT_NE(font, 0) << gh::raw::i3ImpactErrorText();
  iVec2 one{1, 1}, two{2, 1};
  float h = gh::raw::iPrintWidth("H", &one, 0, font);
  // A capital letter is about one unit high; its advance in a bold sans is close to that.
  EXPECT_GT(h, 0.8f);
  EXPECT_LT(h, 1.4f);
  EXPECT_GT(gh::raw::iPrintWidth("WWWW", &one, 0, font),
            2 * gh::raw::iPrintWidth("iiii", &one, 0, font));
  float text = gh::raw::iPrintWidth("Score 120", &one, 0, font);
  EXPECT_NEAR(gh::raw::iPrintWidth("Score 120", &two, 0, font), 2 * text, 1e-4f);
  // Spacing, in 0.15 units, is added between the characters: 8 gaps in 9 characters.
  EXPECT_NEAR(gh::raw::iPrintWidth("Score 120", &one, -0.3f, font), text - 8 * 0.3f * 0.15f, 1e-4f);
  EXPECT_EQ(gh::raw::iPrintWidth("", &one, -0.3f, font), 0.0f);
  // A trailing space counts: a caret after it moves.
  EXPECT_GT(gh::raw::iPrintWidth("AB ", &one, 0, font), gh::raw::iPrintWidth("AB", &one, 0, font));
}

TEST_F(engine_text, PrintsStayUntilHiddenWithTheColourSetBeforeThem) {
  int32_t font = MainFont();
  iVec2 at{-10.5f, 4.3f}, centre{0, 3}, one{1, 1};
  gh::raw::iPrintColorSet(0.17f, 1, 0, 1);
  gh::raw::iPrint("Display:", &at, &one, -0.3f, font);
  gh::raw::iPrintColorSet(1, 0, 0, 1);
  gh::raw::iPrintCentered("GAME OVER", &centre, &one, -0.2f, font, 26.0f);
  Frames(3);
  auto prints = Prints();
  ASSERT_EQ(prints.size(), 2u);
  EXPECT_STREQ(prints[0].text, "Display:");
  EXPECT_EQ(prints[0].centered, 0);
  EXPECT_FLOAT_EQ(prints[0].left, -10.5f);
  EXPECT_NEAR(prints[0].right - prints[0].left, gh::raw::iPrintWidth("Display:", &one, -0.3f, font),
              1e-4f);
  EXPECT_FLOAT_EQ(prints[0].color.red, 0.17f);
  EXPECT_STREQ(prints[1].text, "GAME OVER");
  EXPECT_NE(prints[1].centered, 0);
  EXPECT_NEAR((prints[1].left + prints[1].right) / 2, 0, 1e-4f);
  EXPECT_FLOAT_EQ(prints[1].color.green, 0);
  gh::raw::iPrintsHide();
  EXPECT_TRUE(Prints().empty());
}

TEST_F(engine_text, HidingFromAPrintTakesBackOnlyWhatWasPrintedAfterIt) {
  int32_t font = MainFont();
  iVec2 one{1, 1};
  auto print = [&](const char* text, float y) {
    const iVec2 at{0, y};
    gh::raw::iPrint(text, &at, &one, 0, font);
  };
  auto texts = [&] {
    std::vector<std::string> out;
    for (const auto& p : Prints()) out.emplace_back(p.text);
    return out;
  };
  print("1:05", 11);
  print("4200", 10);
  const int32_t kept = gh::raw::iPrintCount();
  EXPECT_EQ(kept, 2);
  print("REPLAY 2x", 9);
  gh::raw::iPrintsHideFrom(kept);
  print("REPLAY 4x", 9);  // after the texts kept, not over the one taken back
  EXPECT_EQ(texts(), (std::vector<std::string>{"1:05", "4200", "REPLAY 4x"}));
  gh::raw::iPrintsHideFrom(9);  // past the last: nothing goes
  EXPECT_EQ(gh::raw::iPrintCount(), 3);
  gh::raw::iPrintsHideFrom(0);
  EXPECT_TRUE(Prints().empty());
}

TEST_F(engine_text, TheSamePrintRepeatedInPlaceIsKeptOnce) {
  int32_t font = MainFont();
  iVec2 a{0, 3}, b{0, 1}, one{1, 1};
  gh::raw::iPrintColorSet(0, 0, 0, 0.5f);
  for (int frame = 0; frame < 100; ++frame) {  // a question box's loop prints every frame
    gh::raw::iPrintCentered("Exit the game?", &a, &one, -0.2f, font, 26);
    gh::raw::iPrintCentered("", &b, &one, -0.2f, font, 26);
    Frame();
  }
  EXPECT_EQ(Prints().size(), 2u);
  gh::raw::iPrintColorSet(1, 1, 1, 1);  // a different colour is a different print
  gh::raw::iPrintCentered("Exit the game?", &a, &one, -0.2f, font, 26);
  EXPECT_EQ(Prints().size(), 3u);
}

TEST_F(engine_text, FontsSurviveNothingAcrossRunsButLoadAgain) {
  int32_t font = MainFont();
  iVec2 one{1, 1};
  float w = gh::raw::iPrintWidth("HELP", &one, 0, font);
  gh::raw::i3ImpactClose();
  ASSERT_EQ(gh::raw::i3ImpactOpen(0, 0), -1);
  EXPECT_EQ(gh::raw::iPrintWidth("HELP", &one, 0, font), 0.0f);  // the old handle is gone
  int32_t again = MainFont();
  EXPECT_NE(again, font);
  EXPECT_EQ(gh::raw::iPrintWidth("HELP", &one, 0, again), w);
}

TEST_F(engine_sounds, EveryPlayAndStopIsLoggedWithItsFrame) {
  int32_t click = gh::raw::iSoundCreate("Data\\Sound\\Click.wav", -1);
  int32_t menu = gh::raw::iSoundOggCreate("Data\\Sound\\Menu.ogg", 0, 18000000);
  ASSERT_NE(click, 0) << gh::raw::i3ImpactErrorText();
  ASSERT_NE(menu, 0) << gh::raw::i3ImpactErrorText();
  Frame();
  uint64_t f = ih->ihFrame();
  gh::raw::iSoundPlay(click, 0);
  gh::raw::iSoundPlayNow(menu, -1);
  Frame();
  gh::raw::iSoundStop(menu, 0);
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
  gh::raw::iSoundPlay(click, 0);
  EXPECT_EQ(ih->ihSoundEvents(nullptr, 0), 1);  // counting keeps the log
  EXPECT_EQ(SoundEvents().size(), 1u);
}

TEST_F(engine_sounds, AnEffectPlaysForItsLengthALoopUntilStopped) {
  int32_t click = gh::raw::iSoundCreate("Data\\Sound\\Click.wav", -1);  // 0.5 s
  gh::raw::iSoundPlay(click, 0);
  EXPECT_NE(ih->ihSoundPlaying(click), 0);
  Frames(29);
  EXPECT_NE(ih->ihSoundPlaying(click), 0);
  Frames(2);
  EXPECT_EQ(ih->ihSoundPlaying(click), 0);

  gh::raw::iSoundPlay(click, -1);
  Frames(120);
  EXPECT_NE(ih->ihSoundPlaying(click), 0);
  gh::raw::iSoundStop(click, 0);
  EXPECT_EQ(ih->ihSoundPlaying(click), 0);
}

TEST_F(engine_sounds, StopEndsEveryOverlappingPlay) {
  int32_t shot = gh::raw::iSoundCreate("Data\\Sound\\Click.wav", -1);
  for (int i = 0; i < 5; ++i) {
    gh::raw::iSoundPlay(shot, 0);
    Frame();
  }
  gh::raw::iSoundPlay(shot, -1);
  gh::raw::iSoundStop(shot, 0);
  EXPECT_EQ(ih->ihSoundPlaying(shot), 0);
}

TEST_F(engine_sounds, OneTuneAtATimeAndATuneEndsAfterItsLength) {
  int32_t menu = gh::raw::iSoundOggCreate("Data\\Sound\\Menu.ogg", 0, 18000000);  // 1 s
  int32_t game = gh::raw::iSoundOggCreate("Data\\Sound\\Game.ogg", 0, 18000000);  // 2 s
  gh::raw::iSoundPlayNow(menu, -1);
  gh::raw::iSoundPlay(game, -1);
  EXPECT_EQ(ih->ihSoundPlaying(menu), 0);
  EXPECT_NE(ih->ihSoundPlaying(game), 0);
  gh::raw::iSoundStop(game, 0);
  gh::raw::iSoundPlay(menu, 0);
  Frames(55);
  EXPECT_NE(ih->ihSoundPlaying(menu), 0);
  Frames(10);
  EXPECT_EQ(ih->ihSoundPlaying(menu), 0);
}

TEST_F(engine_sounds, DestroyedOrResetSoundsAreSilentAndIgnored) {
  int32_t s = gh::raw::iSoundCreate("Data\\Sound\\Click.wav", -1);
  gh::raw::iSoundPlay(s, -1);
  gh::raw::iSoundDestroy(s);
  EXPECT_EQ(ih->ihSoundPlaying(s), 0);
  SoundEvents();
  gh::raw::iSoundPlay(s, -1);
  EXPECT_TRUE(SoundEvents().empty());
}

}  // namespace
}  // namespace enginetest
