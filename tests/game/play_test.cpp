// The playing game on the headless engine: spawning, shots, terrorists, the HUD
// and the level clock.
#include <algorithm>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "GameFixture.h"
#include "game/BonusBox.h"
#include "settings/Settings.h"

namespace gh::test {
namespace {

TEST_F(GameTest, FirstLevelBringsOnlyTheFourT1TerroristsOneAtATime) {
  SkipIntro();
  const std::set<Actor*> t1{h->Shell().RunningGame()->UpperTerrorists()[0].get(),
                            h->Shell().RunningGame()->UpperTerrorists()[1].get(),
                            h->Shell().RunningGame()->LowerTerrorists()[0].get(),
                            h->Shell().RunningGame()->LowerTerrorists()[1].get()};
  ASSERT_EQ(h->Shell().RunningGame()->Enemies().Members.size(), 34u);
  std::set<Actor*> seen;
  int framesWithOne = 0;
  while (h->Shell().RunningGame() && h->Shell().RunningGame()->State().Level == 0) {
    int active = 0;
    for (Actor* e : h->Shell().RunningGame()->Enemies().Members) {
      if (!e->Active()) continue;
      ++active;
      seen.insert(e);
      EXPECT_TRUE(t1.count(e)) << "kind " << int(static_cast<Enemy*>(e)->Kind())
                               << " came on at level 0";
    }
    EXPECT_LE(active, 1);
    EXPECT_EQ(h->Shell().RunningGame()->Enemies().Active, active);
    if (active == 1) ++framesWithOne;
    h->Shell().RunningGame()->StateForTests().Health = 50;  // stay alive whatever they shoot
    h->Step(1);
  }
  ASSERT_NE(h->Shell().RunningGame(), nullptr);
  EXPECT_EQ(h->Shell().RunningGame()->State().Level, 1);
  EXPECT_GE(seen.size(), 2u);
  EXPECT_GT(framesWithOne, 300);
}

TEST_F(GameTest, HeavyPistolKillsAKindOneTerroristWithOneHitAndOneDeathSound) {
  SkipIntro();
  NoSpawns();
  Terrorist* t = h->Shell().RunningGame()->LowerTerrorists()[1].get();
  ASSERT_EQ(t->Kind(), EnemyKind::Terrorist1);
  PlaceTerror(t, 0.0f);
  h->Shell().RunningGame()->StateForTests().Magazines[1] = 1;
  h->Shell().RunningGame()->ChangeWeapon(1);
  h->Shell().RunningGame()->Reload();
  ASSERT_EQ(h->Shell().RunningGame()->State().Ammo[1], 4);
  h->SoundEvents();

  h->MouseAt(0.0f, t->WalkMesh()->Y);
  h->ButtonDown();
  h->Step(1);
  h->ButtonUp();
  EXPECT_EQ(t->Health(), -2);
  EXPECT_TRUE(t->Is(Terrorist::Pose::Dying));
  EXPECT_EQ(h->Shell().RunningGame()->State().Ammo[1], 3);
  EXPECT_FALSE(t->DieMesh()->Hidden);
  EXPECT_TRUE(t->WalkMesh()->Hidden);
  EXPECT_TRUE(t->ShootMesh()->Hidden);

  // The kill counts only after the dying pictures.
  int frames = 0;
  while (t->Is(Terrorist::Pose::Dying) && frames < 200) {
    EXPECT_EQ(h->Shell().RunningGame()->State().Score, 0);
    h->Step(1);
    ++frames;
  }
  EXPECT_FALSE(t->Active());
  EXPECT_EQ(h->Shell().RunningGame()->State().Score, 10);
  EXPECT_GE(frames, 9 * 6);  // ten advances more than ten ticks apart
  const auto events = h->SoundEvents();
  EXPECT_EQ(CountSound(events, 13), 1);
  EXPECT_EQ(CountSound(events, 10), 1);
}

TEST_F(GameTest, OneShotHitsBothOverlappingTerrorists) {
  SkipIntro();
  NoSpawns();
  Terrorist* a = h->Shell().RunningGame()->LowerTerrorists()[0].get();
  Terrorist* b = h->Shell().RunningGame()->LowerTerrorists()[1].get();
  h->Shell().RunningGame()->Enemies().Max = 2;
  a->Activate();
  b->Activate();
  h->Shell().RunningGame()->Enemies().Max = 0;
  ASSERT_EQ(h->Shell().RunningGame()->Enemies().Active, 2);
  h->Step(1);
  for (Terrorist* t : {a, b}) t->WalkMesh()->X = t->ShootMesh()->X = 0.5f;
  h->Step(1);
  h->SoundEvents();

  h->MouseAt(0.5f, -2.0f);
  h->ButtonDown();
  h->Step(1);
  h->ButtonUp();
  EXPECT_EQ(a->Health(), 1);
  EXPECT_EQ(b->Health(), 1);
  const auto events = h->SoundEvents();
  EXPECT_EQ(CountSound(events, 0), 1);   // one shot
  EXPECT_EQ(CountSound(events, 13), 2);  // two hits
}

TEST_F(GameTest, TheFifthWeaponKillsEveryActiveEnemy) {
  SkipIntro();
  NoSpawns();
  std::vector<Terrorist*> all{h->Shell().RunningGame()->UpperTerrorists()[0].get(),
                              h->Shell().RunningGame()->UpperTerrorists()[1].get(),
                              h->Shell().RunningGame()->LowerTerrorists()[0].get(),
                              h->Shell().RunningGame()->LowerTerrorists()[1].get()};
  h->Shell().RunningGame()->Enemies().Max = 4;
  for (Terrorist* t : all) t->Activate();
  h->Shell().RunningGame()->Enemies().Max = 0;
  ASSERT_EQ(h->Shell().RunningGame()->Enemies().Active, 4);
  h->Shell().RunningGame()->StateForTests().Magazines[4] = 1;
  h->Shell().RunningGame()->ChangeWeapon(4);
  h->Shell().RunningGame()->Reload();
  h->Step(1);
  h->SoundEvents();

  h->MouseAt(-10.0f, 9.0f);  // nowhere near them
  h->ButtonDown();
  h->Step(1);
  h->ButtonUp();
  for (Terrorist* t : all) EXPECT_EQ(t->Health(), -2);
  h->Step(1);
  for (Terrorist* t : all) EXPECT_TRUE(t->Is(Terrorist::Pose::Dying));
  auto events = h->SoundEvents();
  EXPECT_EQ(CountSound(events, 4), 1);
  EXPECT_EQ(CountSound(events, 10), 4);
  EXPECT_EQ(CountSound(events, 13), 0);
  // Empty and without a spare magazine, the weapon gives way to the pistol.
  EXPECT_EQ(h->Shell().RunningGame()->State().Weapon, 0);
  ASSERT_TRUE(h->StepUntil([&] { return h->Shell().RunningGame()->Enemies().Active == 0; }, 200));
  EXPECT_EQ(h->Shell().RunningGame()->State().Score, 40);
}

TEST_F(GameTest, PistolShowsNinetyEightInAFrameWithAShotAndNinetyNineOtherwise) {
  SkipIntro();
  NoSpawns();
  h->Step(1);
  h->SoundEvents();
  h->MouseAt(-8.0f, 8.0f);
  h->ButtonDown();
  int shots = 0, quiet = 0;
  for (int i = 0; i < 60; ++i) {
    h->Step(1);
    const bool shot = CountSound(h->SoundEvents(), 0) == 1;
    const std::string hud = PrintAt(*h, -6.0f, -11.3f);
    EXPECT_EQ(hud, shot ? "98/0" : "99/0") << "frame " << i;
    shots += shot;
    quiet += !shot;
  }
  h->ButtonUp();
  h->Step(1);
  EXPECT_EQ(PrintAt(*h, -6.0f, -11.3f), "99/0");
  // 300 ms apart: a shot every 19th frame at 60 frames a second.
  EXPECT_GE(shots, 3);
  EXPECT_LE(shots, 4);
  EXPECT_GT(quiet, 50);
}

TEST_F(GameTest, MachineGunFiresEveryHundredMillisecondsAtMostOnceAFrame) {
  SkipIntro();
  NoSpawns();
  h->Shell().RunningGame()->StateForTests().Magazines[2] = 1;
  h->Shell().RunningGame()->ChangeWeapon(2);
  h->Shell().RunningGame()->Reload();
  h->Step(1);
  h->SoundEvents();
  h->MouseAt(-8.0f, 8.0f);
  h->ButtonDown();
  std::vector<uint32_t> shotTimes;
  for (int i = 0; i < 70; ++i) {
    h->Step(1);
    const int shots = CountSound(h->SoundEvents(), 2);
    EXPECT_LE(shots, 1);
    if (shots) shotTimes.push_back(TickCount());
  }
  h->ButtonUp();
  ASSERT_GE(shotTimes.size(), 2u);
  for (size_t i = 1; i < shotTimes.size(); ++i) {
    EXPECT_GT(shotTimes[i] - shotTimes[i - 1], 100u);
    EXPECT_LE(shotTimes[i] - shotTimes[i - 1], 117u);  // the first frame past the delay
  }
  EXPECT_EQ(h->Shell().RunningGame()->State().Ammo[2], 30 - static_cast<int>(shotTimes.size()));
}

TEST_F(GameTest, RightClickReloadsOnlyInAFrameWithoutAShot) {
  SkipIntro();
  NoSpawns();
  h->Shell().RunningGame()->StateForTests().Magazines[1] = 2;
  h->Shell().RunningGame()->ChangeWeapon(1);
  h->Shell().RunningGame()->Reload();
  h->Step(1);
  ASSERT_EQ(h->Shell().RunningGame()->State().Magazines[1], 1);
  h->MouseAt(-8.0f, 8.0f);

  h->ButtonDown(0);
  h->ButtonDown(1);
  h->Step(1);
  EXPECT_EQ(h->Shell().RunningGame()->State().Ammo[1], 3);       // fired
  EXPECT_EQ(h->Shell().RunningGame()->State().Magazines[1], 1);  // and did not reload
  h->ButtonUp(0);
  h->ButtonUp(1);
  h->Step(1);
  h->SoundEvents();

  h->Click(1);
  EXPECT_EQ(h->Shell().RunningGame()->State().Ammo[1], 4);
  EXPECT_EQ(h->Shell().RunningGame()->State().Magazines[1], 0);
  EXPECT_EQ(CountSound(h->SoundEvents(), 11), 1);
}

TEST_F(GameTest, LevelClockStopsInTheIntroThePauseTheLifeLostCaptionAndAQuestion) {
  const int32_t full = h->Shell().RunningGame()->State().TimeLeft;
  EXPECT_EQ(full, 41300);
  EXPECT_EQ(h->Shell().RunningGame()->Phase(), GamePhase::Intro);
  h->Step(100);
  EXPECT_TRUE(h->HasPrint("LEVEL 1"));
  EXPECT_EQ(h->Shell().RunningGame()->State().TimeLeft, full);
  SkipIntro();
  NoSpawns();
  h->Step(60);
  const int32_t played = full - h->Shell().RunningGame()->State().TimeLeft;
  EXPECT_GE(played, 990);
  EXPECT_LE(played, 1020);
  EXPECT_EQ(PrintAt(*h, -14.0f, 11.3f), "0:40");

  struct Stop {
    const char* what;
    std::function<void()> enter, leave;
  };
  const std::vector<Stop> stops{
      {"pause", [&] { h->Tap(Key::LetterP); }, [&] { h->Tap(Key::LetterP); }},
      {"life lost", [&] { h->Shell().RunningGame()->StateForTests().Health = -1; },
       [&] {
         ASSERT_TRUE(h->StepUntil(
             [&] { return h->Shell().RunningGame()->Phase() == GamePhase::Playing; }, 300));
       }},
      {"question", [&] { h->Tap(Key::Escape); }, [&] { AnswerNo(); }},
  };
  for (const Stop& stop : stops) {
    h->Step(1);
    stop.enter();
    h->Step(1);
    const int32_t before = h->Shell().RunningGame()->State().TimeLeft;
    h->Step(90);
    EXPECT_EQ(h->Shell().RunningGame()->State().TimeLeft, before) << stop.what;
    stop.leave();
    EXPECT_EQ(h->Shell().RunningGame()->Phase(), GamePhase::Playing) << stop.what;
    EXPECT_FALSE(h->Shell().RunningGame()->Paused()) << stop.what;
    const int32_t after = h->Shell().RunningGame()->State().TimeLeft;
    EXPECT_LE(before - after, 40) << stop.what;
    h->Step(3);
    EXPECT_LT(h->Shell().RunningGame()->State().TimeLeft, after)
        << stop.what << ": the clock runs again";
  }
}

TEST_F(GameTest, AnOpenBonusBoxWaitsItsTwelveSecondsOfPlayWhateverAPauseTook) {
  SkipIntro();
  NoSpawns();
  h->Shell().RunningGame()->StateForTests().TimeLeft =
      10 * 60 * 1000;  // no new level during the test
  BonusBox& box = *h->Shell().RunningGame()->BonusBoxes()[0];
  h->Shell().RunningGame()->Bonuses().Max = 1;
  box.Activate();
  h->Shell().RunningGame()->Bonuses().Max = 0;
  ASSERT_TRUE(h->StepUntil([&] { return box.Is(BonusBox::Stage::Open); }, 3000));
  h->Step(60);
  h->Tap(Key::LetterP);
  h->Step(1);
  ASSERT_TRUE(h->Shell().RunningGame()->Paused());
  h->Step(20 * 60);  // longer than a box waits
  h->Tap(Key::LetterP);
  h->Step(1);
  ASSERT_FALSE(h->Shell().RunningGame()->Paused());
  EXPECT_TRUE(box.Is(BonusBox::Stage::Open)) << "the box ran out while the game was paused";
  // Its twelve seconds of play: about eleven are left.
  h->Step(10 * 60);
  EXPECT_TRUE(box.Is(BonusBox::Stage::Open));
  EXPECT_TRUE(h->StepUntil([&] { return !box.Active(); }, 2 * 60));
}

// A display change and the boss key in full screen stop the engine: the game
// must not be lost with it.
TEST_F(GameTest, AGameSurvivesEveryEngineRestartAndComesBackPaused) {
  SkipIntro();
  NoSpawns();
  HeadlessPlatform& desktop = h->Platform();
  struct Stop {
    const char* what;
    std::function<void()> stop;
  };
  const std::vector<Stop> stops{
      {"the maximise command (to full screen)", [&] { h->Post(iMsgMaximize); }},
      {"the boss key where the desktop does not minimise", [&] { h->Tap(Key::F12); }},
      {"the boss key, minimised and restored",
       [&] {
         h->Tap(Key::F12);
         desktop.minimisedNow = true;
         h->Step(120);
         desktop.minimisedNow = false;
         h->Post(iMsgRestore);
       }},
      {"a double click on the caption", [&] { h->Post(iMsgCaptionDblClk, 2); }},
  };
  int16_t level = 3;
  for (const Stop& stop : stops) {
    SCOPED_TRACE(stop.what);
    // Progress unlike a new game's in every field.
    ++level;
    h->Shell().RunningGame()->StateForTests().Level = level;
    h->Shell().RunningGame()->Enemies().Max = 0;
    h->Shell().RunningGame()->ShowScenery(static_cast<uint8_t>(level % 2));
    h->Shell().RunningGame()->StateForTests().Score = 1000 * level + 7;
    h->Shell().RunningGame()->StateForTests().Lives = 1;
    h->Shell().RunningGame()->StateForTests().Health = static_cast<int16_t>(20 + level);
    h->Shell().RunningGame()->StateForTests().TimeLeft = 30000 + level;
    h->Shell().RunningGame()->StateForTests().Ammo = {99, 5, static_cast<int16_t>(level), 2, 1};
    h->Shell().RunningGame()->StateForTests().Magazines = {0, 3, 4, static_cast<int16_t>(level), 1};
    h->Shell().RunningGame()->ChangeWeapon(level % 2 ? 2 : 3);
    h->Step(1);
    ASSERT_TRUE(h->Shell().RunningGame()->Progress());
    const GameProgress before = *h->Shell().RunningGame()->Progress();
    const int opens = Engine().ihOpenCount();

    stop.stop();
    ASSERT_TRUE(h->StepUntil(
        [&] {
          return Engine().ihOpenCount() > opens && h->Shell().RunningGame() &&
                 h->Shell().CurrentScreen() == Screen::Game;
        },
        600))
        << "the game screen never came back";
    h->Step(2);
    ASSERT_NE(h->Shell().RunningGame(), nullptr);
    ASSERT_TRUE(h->Shell().RunningGame()->Progress());
    const GameProgress after = *h->Shell().RunningGame()->Progress();
    EXPECT_EQ(after.Phase, GamePhase::Playing);
    EXPECT_EQ(after.Level, before.Level);
    EXPECT_EQ(after.Score, before.Score);
    EXPECT_EQ(after.Lives, before.Lives);
    EXPECT_EQ(after.Health, before.Health);
    EXPECT_EQ(after.Ammo, before.Ammo);
    EXPECT_EQ(after.Magazines, before.Magazines);
    EXPECT_EQ(after.Weapon, before.Weapon);
    // Only the frame that stopped it ran on; the time stopped did not count.
    EXPECT_NEAR(after.TimeLeft, before.TimeLeft, 40);
    EXPECT_NEAR(static_cast<int32_t>(after.ClockMs - before.ClockMs), 0, 40);
    EXPECT_TRUE(h->Shell().RunningGame()->Paused());
    EXPECT_TRUE(h->HasPrint("PAUSE"));
    EXPECT_EQ(h->Shell().PlayerSettings().Windowed, 0);
    EXPECT_NE(Engine().ihFullscreen(), 0) << "the display setting and the engine disagree";
    h->Tap(Key::LetterP);
    h->Step(2);
    ASSERT_FALSE(h->Shell().RunningGame()->Paused());
    EXPECT_EQ(PrintAt(*h, 6.5f, 11.3f), std::to_string(before.Score));
    EXPECT_EQ(PrintAt(*h, 13.5f, 11.3f), "LEVEL " + std::to_string(level + 1));
  }
}

TEST_F(GameTest, PausePrintsPauseAndDarkensTheScene) {
  SkipIntro();
  NoSpawns();
  h->Tap(Key::LetterP);
  h->Step(1);
  EXPECT_TRUE(h->Shell().RunningGame()->Paused());
  EXPECT_TRUE(h->HasPrint("PAUSE"));
  EXPECT_EQ(PrintAt(*h, 6.5f, 11.3f), "");  // no HUD while paused
  iVec3 at{};
  iColor colour{};
  Engine().ihLight(1, &at, &colour);
  EXPECT_FLOAT_EQ(at.z, 10.0f);
  // Escape while paused only resumes; the next one asks.
  h->Tap(Key::Escape);
  h->Step(1);
  EXPECT_FALSE(h->Shell().RunningGame()->Paused());
  EXPECT_EQ(h->Shell().RunningGame()->Phase(), GamePhase::Playing);
  Engine().ihLight(1, &at, &colour);
  EXPECT_FLOAT_EQ(at.z, -20.0f);
}

TEST_F(GameTest, TheLevelClockShowsSecondsWithTwoDigits) {
  SkipIntro();
  NoSpawns();
  struct Case {
    int32_t timeLeft;  // before a frame of about 17 ms
    const char* shown;
  };
  const Case cases[] = {{63500, "1:03"}, {60500, "1:00"}, {75500, "1:15"},
                        {9500, "0:09"},  {500, "0:00"},   {600500, "10:00"}};
  for (const Case& c : cases) {
    h->Shell().RunningGame()->StateForTests().TimeLeft = c.timeLeft;
    h->Step(1);
    EXPECT_EQ(PrintAt(*h, -14.0f, 11.3f), c.shown) << c.timeLeft << " ms left";
  }
}

// Four terrorists held on the picture that shoots, each hitting the player in
// about one frame of ten: many hits a second.
TEST_F(GameTest, HitsFlashTheSceneRedAtMostThreeTimesASecond) {
  SkipIntro();
  NoSpawns();
  h->Shell().RunningGame()->StateForTests().Health = 30000;
  Terrorist* shooters[] = {h->Shell().RunningGame()->UpperTerrorists()[0].get(),
                           h->Shell().RunningGame()->UpperTerrorists()[1].get(),
                           h->Shell().RunningGame()->LowerTerrorists()[0].get(),
                           h->Shell().RunningGame()->LowerTerrorists()[1].get()};
  float x = 0.0f;
  for (Terrorist* t : shooters) {
    PlaceTerror(t, x);
    x += 2.0f;
    t->WalkMesh()->Hide();
    t->StandToShootForTests();
    t->ShootMesh()->Show();
    t->ShootMesh()->Frame = 1;
    // Never due to advance: the walk and the shooting picture stay where they are.
    for (AnimatedMesh* s : {t->WalkMesh(), t->ShootMesh()}) {
      s->LastTick = h->Shell().RunningGame()->AnimationTick() + 1000000u;
    }
  }
  const int16_t healthBefore = h->Shell().RunningGame()->State().Health;
  std::vector<int> redFrames;
  constexpr int Frames = 180;
  for (int frame = 0; frame < Frames; ++frame) {
    h->Step(1);
    iVec3 at{};
    iColor green{};
    Engine().ihLight(1, &at, &green);
    if (green.green == 0.0f) redFrames.push_back(frame);
  }
  const int hits = healthBefore - h->Shell().RunningGame()->State().Health;
  ASSERT_GT(hits, 20) << "the terrorists hardly shot";
  // Hits still show: a flash in every second, and no more than three in any.
  EXPECT_GE(redFrames.size(), 7u) << hits << " hits";
  for (size_t i = 0; i + 3 < redFrames.size(); ++i) {
    EXPECT_GT(redFrames[i + 3] - redFrames[i], 60)
        << "four flashes within a second, from frame " << redFrames[i] << " (" << hits << " hits)";
  }
}

TEST_F(GameTest, LosingTheFocusShowsThePauseAtOnce) {
  SkipIntro();
  NoSpawns();
  h->Step(2);
  ASSERT_NE(PrintAt(*h, 6.5f, 11.3f), "");  // the HUD's score
  h->Platform().active = false;
  h->Post(iMsgDeactivate);
  h->Step(2);
  EXPECT_TRUE(h->Shell().RunningGame()->Paused());
  EXPECT_TRUE(h->HasPrint("PAUSE"));
  EXPECT_EQ(PrintAt(*h, 6.5f, 11.3f), "");  // no HUD while paused
  h->Platform().active = true;
  h->Post(iMsgActivate);
  h->Step(2);
  EXPECT_TRUE(h->Shell().RunningGame()->Paused());
  EXPECT_TRUE(h->HasPrint("PAUSE"));
}

TEST_F(GameTest, OnlyAQuestionsFocusMovesTheSystemPointer) {
  SkipIntro();
  const int32_t warps = Engine().ihPointerWarps();
  for (int frame = 0; frame < 120; ++frame) {
    h->MouseFraction(0.2f + frame * 0.005f, 0.3f + frame * 0.002f);
    h->Step(1);
  }
  EXPECT_EQ(Engine().ihPointerWarps(), warps) << "aiming moved the system pointer";
  // The exit question puts the pointer on its safe answer: a move the program means.
  h->Tap(Key::Escape);
  h->Step(2);
  ASSERT_EQ(h->Shell().RunningGame()->Phase(), GamePhase::ExitAsk);
  EXPECT_EQ(Engine().ihPointerWarps(), warps + 1);
  AnswerNo();
}

TEST_F(GameTest, HealthZeroIsAliveAndTheFourthLossEndsTheGame) {
  SkipIntro();
  NoSpawns();
  h->Shell().RunningGame()->StateForTests().Health = 0;
  h->Step(2);
  EXPECT_EQ(h->Shell().RunningGame()->State().Lives, 3);
  EXPECT_EQ(h->Shell().RunningGame()->Phase(), GamePhase::Playing);
  for (int lives = 2; lives >= 0; --lives) {
    h->Shell().RunningGame()->StateForTests().Health = -1;
    h->Step(1);
    EXPECT_EQ(h->Shell().RunningGame()->State().Lives, lives);
    EXPECT_EQ(h->Shell().RunningGame()->State().Health, 50);
    EXPECT_EQ(h->Shell().RunningGame()->Phase(), GamePhase::LifeLost);
    ASSERT_TRUE(h->StepUntilPrint("YOU ARE DIE", 5));
    ASSERT_TRUE(
        h->StepUntil([&] { return h->Shell().RunningGame()->Phase() == GamePhase::Playing; }, 150));
    h->Step(1);
    EXPECT_EQ(PrintAt(*h, 0.3f, -10.5f), std::to_string(lives));
  }
  h->Shell().RunningGame()->StateForTests().Health = -1;
  h->Step(1);
  EXPECT_EQ(h->Shell().RunningGame()->State().Lives, -1);
  EXPECT_EQ(h->Shell().RunningGame()->Phase(), GamePhase::GameOver);
  bool died = false;
  ASSERT_TRUE(h->StepUntil(
      [&] {
        died |= h->HasPrint("YOU ARE DIE");
        return h->HasPrint("GAME OVER");
      },
      5));
  EXPECT_FALSE(died);
}

// The limits on enemies and boxes are the level number plus one in eight bits,
// as recorded games expect: level 255 (index 254) has room for 255, level 256
// for none, level 257 for one again.
TEST_F(GameTest, TheLevelsEnemyAndBoxLimitsKeepTheLowEightBits) {
  SkipIntro();
  h->Shell().RunningGame()->StateForTests().Level = 253;
  struct Case {
    int level;
    int limit;
  };
  for (const Case& c : {Case{254, 255}, Case{255, 0}, Case{256, 1}}) {
    SCOPED_TRACE("level index " + std::to_string(c.level));
    h->Shell().RunningGame()->StateForTests().TimeLeft = 0;
    h->Step(2);
    ASSERT_EQ(h->Shell().RunningGame()->State().Level, c.level);
    EXPECT_EQ(h->Shell().RunningGame()->Enemies().Max, c.limit);
    EXPECT_EQ(h->Shell().RunningGame()->Bonuses().Max, c.limit);
    SkipIntro();
    int most = 0;
    for (int frame = 0; frame < 600; ++frame) {
      h->Shell().RunningGame()->StateForTests().Health =
          50;  // the level's walkers never end the game
      h->Step(1);
      most = std::max(most, static_cast<int>(h->Shell().RunningGame()->Enemies().Active));
    }
    if (c.limit == 0) {
      EXPECT_EQ(most, 0) << "an enemy came on at a limit of none";
    } else {
      EXPECT_GT(most, 0);
      EXPECT_LE(most, c.limit);
    }
  }
}

TEST_F(GameTest, EveryThirdLevelHasAnUnlimitedMachineGunCutToThirtyAfter) {
  SkipIntro();
  NoSpawns();
  // Run out the first level.
  h->Shell().RunningGame()->StateForTests().TimeLeft = 0;
  h->Step(2);
  EXPECT_EQ(h->Shell().RunningGame()->State().Level, 1);
  EXPECT_TRUE(h->HasPrint("LEVEL 2"));
  EXPECT_FALSE(h->HasPrint("Unlimited machine gun"));
  SkipIntro();
  NoSpawns();
  h->Shell().RunningGame()->StateForTests().TimeLeft = 0;
  h->Step(2);
  EXPECT_EQ(h->Shell().RunningGame()->State().Level, 2);
  EXPECT_TRUE(h->HasPrint("LEVEL 3"));
  EXPECT_TRUE(h->HasPrint("Unlimited machine gun"));
  EXPECT_EQ(h->Shell().RunningGame()->State().TimeLeft, LevelTime(2));
  EXPECT_EQ(LevelTime(2), 65900);
  SkipIntro();
  NoSpawns();
  h->Step(1);
  EXPECT_TRUE(h->Shell().RunningGame()->CanChooseWeapon(2));
  h->Post(iMsgKeyUp, '3');  // the key 3 released
  h->Step(2);
  EXPECT_EQ(h->Shell().RunningGame()->State().Weapon, 2);
  h->MouseAt(-8.0f, 8.0f);
  h->ButtonDown();
  h->Step(30);
  h->ButtonUp();
  h->Step(1);
  EXPECT_EQ(h->Shell().RunningGame()->State().Ammo[2], 99);
  h->Shell().RunningGame()->StateForTests().Magazines[2] = 2;
  h->Shell().RunningGame()->StateForTests().TimeLeft = 0;
  h->Step(2);
  EXPECT_EQ(h->Shell().RunningGame()->State().Level, 3);
  EXPECT_EQ(h->Shell().RunningGame()->State().Ammo[2], 30);
  EXPECT_EQ(h->Shell().RunningGame()->State().Magazines[2], 2);
}

}  // namespace
}  // namespace gh::test
