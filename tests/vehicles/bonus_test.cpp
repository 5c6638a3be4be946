// Bonus boxes and the hit effect in the running game.
#include <array>
#include <ostream>

#include "PlayFixture.h"
#include "platform/Platform.h"

namespace gh::test {
namespace {

class BonusTest : public PlayTest {
 protected:
  TBonus& Box(int n = 0) { return *Game->Bonuses[n]; }

  // Brings a box on just above its landing height, so it opens at once.
  void OpenSoon(TBonus& box, int8_t type) {
    box.Activate();
    ASSERT_EQ(box.State, TBonus::Falling);
    box.BonusType = type;
    box.Y = 1.02f;
    ASSERT_TRUE(h->StepUntil([&] { return box.State == TBonus::Open; }, 120));
  }

  void TakeBox(TBonus& box) {
    HoldAt(box.IconSprite->X, box.IconSprite->Y);
    h->ButtonUp();
  }
};

TEST_F(BonusTest, ABoxFallsOpensAndIsTakenByHoldingTheButtonOnItButNotByAnEarlierClick) {
  TBonus& box = Box();
  Game->Score = 0;
  box.Activate();
  box.BonusType = 7;
  ASSERT_EQ(Game->ActiveBonuses, 1);
  h->Step(1);
  EXPECT_TRUE(MeshOnScreen(box.ParachuteSprite->Mesh));
  EXPECT_FALSE(MeshOnScreen(box.IconSprite->Mesh));
  EXPECT_FALSE(MeshOnScreen(box.Box1Sprite->Mesh));

  // It comes down 0.05 a frame, hanging under its parachute.
  const float y0 = box.Y;
  h->Step(10);
  EXPECT_NEAR(box.Y, y0 - 0.5f, 1e-3f);
  for (const ihMesh& m : h->Meshes()) {
    if (m.handle == box.ParachuteSprite->Mesh.get()) {
      EXPECT_NEAR(m.x, box.X, 1e-4f);
      EXPECT_NEAR(m.y, box.Y, 1e-4f);
    }
  }

  // Clicks on the falling box do nothing.
  int frames = 11;
  while (box.State == TBonus::Falling && frames < 400) {
    if (frames % 40 == 0) {
      h->MouseAt(box.X, box.Y - 2.0f);
      h->Click();
    } else {
      h->Step(1);
    }
    ++frames;
  }
  ASSERT_EQ(box.State, TBonus::Opening);
  EXPECT_NEAR(frames, 260, 3);  // from y 14 to below 1
  h->Step(1);
  EXPECT_FALSE(MeshOnScreen(box.ParachuteSprite->Mesh));
  EXPECT_TRUE(MeshOnScreen(box.Box1Sprite->Mesh));
  EXPECT_TRUE(MeshOnScreen(box.Box2Sprite->Mesh));
  EXPECT_TRUE(MeshOnScreen(box.IconSprite->Mesh));

  // A click on the content that ends while it opens does nothing either.
  ASSERT_EQ(box.State, TBonus::Opening);
  h->MouseAt(box.IconSprite->X, box.IconSprite->Y);
  h->Click();
  ASSERT_TRUE(h->StepUntil([&] { return box.State == TBonus::Open; }, 60));
  h->Step(30);
  EXPECT_EQ(box.State, TBonus::Open);
  EXPECT_EQ(Game->Score, 0);
  EXPECT_TRUE(MeshOnScreen(box.IconSprite->Mesh));
  EXPECT_FALSE(MeshOnScreen(box.Box1Sprite->Mesh));
  EXPECT_FALSE(MeshOnScreen(box.Box2Sprite->Mesh));

  // Holding the button on it takes it.
  TakeBox(box);
  EXPECT_EQ(box.State, 255);
  EXPECT_EQ(Game->ActiveBonuses, 0);
  EXPECT_EQ(Game->Score, 100);
  EXPECT_FALSE(MeshOnScreen(box.IconSprite->Mesh));
  h->Step(1);
  EXPECT_EQ(Game->Score, 100);  // once only
}

TEST_F(BonusTest, HoldingTheButtonWhileMovingOntoAnOpenBoxTakesIt) {
  TBonus& box = Box(1);
  OpenSoon(box, 8);
  const int16_t lives = Game->Lives;
  h->MouseAt(box.IconSprite->X - 6.0f, box.IconSprite->Y + 5.0f);
  h->ButtonDown();
  h->Step(5);
  EXPECT_EQ(box.State, TBonus::Open);
  h->MouseAt(box.IconSprite->X, box.IconSprite->Y);
  h->Step(1);
  h->ButtonUp();
  EXPECT_EQ(box.State, 255);
  EXPECT_EQ(Game->Lives, lives + 1);
}

struct Effect {
  int8_t type;
  int16_t health;  // before
  int16_t wantHealth;
  int16_t wantLivesChange;
  int32_t wantScoreChange;
  int8_t wantPhase;
};

void PrintTo(const Effect& e, std::ostream* os) {
  *os << "type " << int(e.type) << " at health " << e.health;
}

class BonusEffectTest : public BonusTest, public ::testing::WithParamInterface<Effect> {};

TEST_P(BonusEffectTest, TakingTheBoxChangesTheGame) {
  const Effect& e = GetParam();
  TBonus& box = Box(2);
  OpenSoon(box, e.type);
  Game->Health = e.health;
  const int16_t lives = Game->Lives;
  const int32_t score = Game->Score;
  TakeBox(box);  // the player's health check runs later in the same frame
  EXPECT_EQ(box.State, 255);
  EXPECT_EQ(Game->Health, e.wantHealth);
  EXPECT_EQ(Game->Lives, lives + e.wantLivesChange);
  EXPECT_EQ(Game->Score, score + e.wantScoreChange);
  EXPECT_EQ(Game->Phase, e.wantPhase);
}

INSTANTIATE_TEST_SUITE_P(
    Contents, BonusEffectTest,
    ::testing::Values(Effect{5, 29, 50, -1, 0, PhaseLifeLost},  // -1: a life is gone
                      Effect{5, 30, 0, 0, 0, PhasePlaying},     // 0 is still alive
                      Effect{6, 3, 50, 0, 0, PhasePlaying}, Effect{7, 50, 50, 0, 100, PhasePlaying},
                      Effect{8, 50, 50, 1, 0, PhasePlaying}));

struct WeaponCase {
  int current;
  int8_t type;
};

void PrintTo(const WeaponCase& c, std::ostream* os) {
  *os << "box " << int(c.type) << " with weapon " << c.current << " in hand";
}

class WeaponBoxTest : public BonusTest, public ::testing::WithParamInterface<WeaponCase> {
 protected:
  // Per weapon: gun sprite shown, icon in the row, picture shown.
  std::vector<std::array<bool, 3>> Display() {
    std::vector<std::array<bool, 3>> shown;
    for (int w = 0; w < 5; ++w) {
      shown.push_back({SpriteOnScreen(Game->Player->GunSprites[w]),
                       MeshOnScreen(Game->WeaponIcons[w]->Mesh),
                       MeshOnScreen(Game->WeaponPictures[w]->Mesh)});
    }
    return shown;
  }
};

TEST_P(WeaponBoxTest, AddsASpareMagazineAndMakesItsWeaponCurrent) {
  const WeaponCase& c = GetParam();
  TBonus& box = Box();
  if (c.current != 0) Arm(c.current);
  h->Step(1);
  const auto before = Display();
  const auto magazines = Game->Magazines;
  const auto ammo = Game->Ammo;
  OpenSoon(box, c.type);
  TakeBox(box);
  ASSERT_EQ(box.State, 255);
  h->Step(1);

  for (int w = 1; w < 5; ++w) {
    EXPECT_EQ(Game->Magazines[w], magazines[w] + (w == c.type ? 1 : 0)) << "weapon " << w;
  }
  EXPECT_EQ(Game->Ammo[c.type], ammo[c.type] - (c.type == c.current ? 1 : 0))
      << "only a spare magazine; the held button fired the weapon in hand once";
  EXPECT_EQ(Game->Weapon, c.type);
  const auto after = Display();
  for (int w = 0; w < 5; ++w) {
    const bool current = w == c.type;
    EXPECT_EQ(after[w][0], current) << "gun " << w;
    EXPECT_EQ(after[w][1], !current) << "icon " << w;
    EXPECT_EQ(after[w][2], current) << "picture " << w;
  }
  if (c.current == c.type) {
    EXPECT_EQ(after, before);
  }
}

INSTANTIATE_TEST_SUITE_P(Boxes, WeaponBoxTest,
                         ::testing::Values(WeaponCase{2, 2}, WeaponCase{1, 1}, WeaponCase{0, 3},
                                           WeaponCase{3, 4}));

TEST_F(BonusTest, AnOpenBoxIsThereAt12000MillisecondsAndGoneAfterWithoutEffect) {
  TBonus& box = Box();
  OpenSoon(box, 7);
  const int32_t score = Game->Score;
  h->MouseAt(-14, 10);
  bool sawTheLimit = false;
  for (int frame = 0; frame < 1000; ++frame) {
    // The tick the next frame sees.
    const uint32_t elapsed = h->NextFrameTick() - box.OpenedTick;
    sawTheLimit = sawTheLimit || elapsed == TBonus::WaitMs;
    h->Step(1);
    if (elapsed <= TBonus::WaitMs) {
      ASSERT_EQ(box.State, TBonus::Open) << elapsed << " ms";
      ASSERT_TRUE(MeshOnScreen(box.IconSprite->Mesh));
    } else {
      EXPECT_EQ(box.State, 255) << elapsed << " ms";
      EXPECT_FALSE(MeshOnScreen(box.IconSprite->Mesh));
      break;
    }
  }
  EXPECT_TRUE(sawTheLimit);
  EXPECT_EQ(box.State, 255);
  EXPECT_EQ(Game->ActiveBonuses, 0);
  EXPECT_EQ(Game->Score, score);
}

TEST_F(BonusTest, ActivatingAnActiveBoxChangesNothing) {
  TBonus& box = Box();
  box.Activate();
  for (int round = 0; round < 2; ++round) {
    h->Step(round == 0 ? 20 : 300);  // falling, then open
    const float x = box.X, y = box.Y;
    const int8_t type = box.BonusType;
    const uint8_t state = box.State;
    const uint32_t opened = box.OpenedTick;
    box.Activate();
    EXPECT_EQ(Game->ActiveBonuses, 1);
    EXPECT_EQ(box.X, x);
    EXPECT_EQ(box.Y, y);
    EXPECT_EQ(box.BonusType, type);
    EXPECT_EQ(box.State, state);
    EXPECT_EQ(box.OpenedTick, opened);
  }
  EXPECT_EQ(box.State, TBonus::Open);
}

// Boxes land at one height: three on the scene at once stand apart, over many
// draws of their places, and each stays inside the drop zone.
TEST_F(BonusTest, BoxesOnTheSceneTogetherDoNotOverlap) {
  for (uint32_t seed = 1; seed <= 40; ++seed) {
    Engine().ihSeed(seed);
    for (auto& box : Game->Bonuses) {
      if (box->State != 255) box->Deactivate();
    }
    for (auto& box : Game->Bonuses) box->Activate();
    for (int i = 0; i < 3; ++i) {
      const TBonus& a = *Game->Bonuses[i];
      EXPECT_GE(a.X, -10.0f) << seed;
      EXPECT_LE(a.X, 16.0f) << seed;
      for (int j = i + 1; j < 3; ++j) {
        EXPECT_GE(std::abs(a.X - Game->Bonuses[j]->X), 5.2f)
            << "seed " << seed << ": " << i << " and " << j;
      }
    }
  }
}

TEST_F(BonusTest, AFallingBoxCarriesOverIntoTheNextLevel) {
  TBonus& box = Box();
  box.Activate();
  h->Step(30);
  const float y = box.Y;
  Game->TimeLeft = 1;
  ASSERT_TRUE(h->StepUntil([] { return Game->Level == 1; }, 5));
  EXPECT_EQ(box.State, TBonus::Falling);
  EXPECT_EQ(Game->ActiveBonuses, 1);
  // It goes on falling once the next level is played.
  ASSERT_TRUE(h->StepUntil([] { return Game->Phase == PhasePlaying; }, 400));
  Quiet();
  h->Step(2);
  EXPECT_LT(box.Y, y);
  EXPECT_EQ(box.State, TBonus::Falling);
}

TEST_F(BonusTest, EachOpeningPlaysBothHalvesFromTheFirstPicture) {
  TBonus& box = Box();
  for (int round = 0; round < 2; ++round) {
    box.Activate();
    box.Y = 1.02f;
    h->Step(1);
    ASSERT_EQ(box.State, TBonus::Opening);
    int frames = 0;
    while (box.State == TBonus::Opening && frames < 200) {
      EXPECT_EQ(box.Box1Sprite->Frame, box.Box2Sprite->Frame) << "round " << round;
      h->Step(1);
      ++frames;
    }
    // Four pictures more than ten ticks apart each time.
    EXPECT_GT(frames, 3 * 6) << "round " << round;
    box.Deactivate();
  }
}

TEST_F(BonusTest, TheMachineGunBoxComesMoreOftenThanTheOthers) {
  TBonus& box = Box();
  std::array<int, 9> count{};
  const int n = 4800;
  for (int i = 0; i < n; ++i) {
    box.Activate();
    ++count[box.BonusType];
    box.Deactivate();
  }
  EXPECT_EQ(count[0], 0);
  EXPECT_NEAR(count[2], n * 13 / 48, 130);  // 13/48
  for (int type : {1, 3, 4, 5, 6, 7, 8}) EXPECT_NEAR(count[type], n * 5 / 48, 80) << type;
}

TEST_F(BonusTest, ABurstSoundsOnceAtItsStartAndEndsOnTheTwentiethCall) {
  THit& hit = *Game->Cars[0]->Hit;
  for (int burst = 0; burst < 2; ++burst) {
    h->SoundEvents();
    hit.BurstFrames = 0;
    for (int call = 1; call <= THit::BurstLength; ++call) {
      const bool going = call % 2 ? hit.Emit() : hit.EmitAt(1.0f * call, -2.0f);
      EXPECT_EQ(going, call < THit::BurstLength) << "call " << call;
    }
    EXPECT_EQ(hit.X, 20.0f);
    EXPECT_EQ(hit.Y, -2.0f);
    EXPECT_EQ(CountGameSound(h->SoundEvents(), 9), 1) << "burst " << burst;
  }
  h->Step(1);
  EXPECT_GT(Engine().ihParticles(), 0);
}

}  // namespace
}  // namespace gh::test
