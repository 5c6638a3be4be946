// Bonus boxes and the hit effect in the running game.
#include <array>
#include <ostream>

#include "PlayFixture.h"
#include "platform/Platform.h"

namespace gh::test {
namespace {

class BonusTest : public PlayTest {
 protected:
  BonusBox& Box(int n = 0) { return *h->Shell().RunningGame()->BonusBoxes()[n]; }

  // Brings a box on just above its landing height, so it opens at once.
  void OpenSoon(BonusBox& box, BonusType type) {
    box.Activate();
    ASSERT_TRUE(box.Is(BonusBox::Stage::Falling));
    box.SetContentForTests(type);
    box.MoveForTests(box.X(), 1.02f);
    ASSERT_TRUE(h->StepUntil([&] { return box.Is(BonusBox::Stage::Open); }, 120));
  }

  void TakeBox(BonusBox& box) {
    HoldAt(box.Icon()->X, box.Icon()->Y);
    h->ButtonUp();
  }
};

TEST_F(BonusTest, ABoxFallsOpensAndIsTakenByHoldingTheButtonOnItButNotByAnEarlierClick) {
  BonusBox& box = Box();
  h->Shell().RunningGame()->StateForTests().Score = 0;
  box.Activate();
  box.SetContentForTests(BonusType::Points);
  ASSERT_EQ(h->Shell().RunningGame()->Bonuses().Active, 1);
  h->Step(1);
  EXPECT_TRUE(MeshOnScreen(box.Parachute()->Handle));
  EXPECT_FALSE(MeshOnScreen(box.Icon()->Handle));
  EXPECT_FALSE(MeshOnScreen(box.Box1()->Handle));

  // It comes down 0.05 a frame, hanging under its parachute.
  const float y0 = box.Y();
  h->Step(10);
  EXPECT_NEAR(box.Y(), y0 - 0.5f, 1e-3f);
  for (const ihMesh& m : h->Meshes()) {
    if (m.handle == box.Parachute()->Handle.get()) {
      EXPECT_NEAR(m.x, box.X(), 1e-4f);
      EXPECT_NEAR(m.y, box.Y(), 1e-4f);
    }
  }

  // Clicks on the falling box do nothing.
  int frames = 11;
  while (box.Is(BonusBox::Stage::Falling) && frames < 400) {
    if (frames % 40 == 0) {
      h->MouseAt(box.X(), box.Y() - 2.0f);
      h->Click();
    } else {
      h->Step(1);
    }
    ++frames;
  }
  ASSERT_TRUE(box.Is(BonusBox::Stage::Opening));
  EXPECT_NEAR(frames, 260, 3);  // from y 14 to below 1
  h->Step(1);
  EXPECT_FALSE(MeshOnScreen(box.Parachute()->Handle));
  EXPECT_TRUE(MeshOnScreen(box.Box1()->Handle));
  EXPECT_TRUE(MeshOnScreen(box.Box2()->Handle));
  EXPECT_TRUE(MeshOnScreen(box.Icon()->Handle));

  // A click on the content that ends while it opens does nothing either.
  ASSERT_TRUE(box.Is(BonusBox::Stage::Opening));
  h->MouseAt(box.Icon()->X, box.Icon()->Y);
  h->Click();
  ASSERT_TRUE(h->StepUntil([&] { return box.Is(BonusBox::Stage::Open); }, 60));
  h->Step(30);
  EXPECT_TRUE(box.Is(BonusBox::Stage::Open));
  EXPECT_EQ(h->Shell().RunningGame()->State().Score, 0);
  EXPECT_TRUE(MeshOnScreen(box.Icon()->Handle));
  EXPECT_FALSE(MeshOnScreen(box.Box1()->Handle));
  EXPECT_FALSE(MeshOnScreen(box.Box2()->Handle));

  // Holding the button on it takes it.
  TakeBox(box);
  EXPECT_FALSE(box.Active());
  EXPECT_EQ(h->Shell().RunningGame()->Bonuses().Active, 0);
  EXPECT_EQ(h->Shell().RunningGame()->State().Score, 100);
  EXPECT_FALSE(MeshOnScreen(box.Icon()->Handle));
  h->Step(1);
  EXPECT_EQ(h->Shell().RunningGame()->State().Score, 100);  // once only
}

TEST_F(BonusTest, HoldingTheButtonWhileMovingOntoAnOpenBoxTakesIt) {
  BonusBox& box = Box(1);
  OpenSoon(box, BonusType::ExtraLife);
  const int16_t lives = h->Shell().RunningGame()->State().Lives;
  h->MouseAt(box.Icon()->X - 6.0f, box.Icon()->Y + 5.0f);
  h->ButtonDown();
  h->Step(5);
  EXPECT_TRUE(box.Is(BonusBox::Stage::Open));
  h->MouseAt(box.Icon()->X, box.Icon()->Y);
  h->Step(1);
  h->ButtonUp();
  EXPECT_FALSE(box.Active());
  EXPECT_EQ(h->Shell().RunningGame()->State().Lives, lives + 1);
}

struct Effect {
  BonusType type;
  int16_t health;  // before
  int16_t wantHealth;
  int16_t wantLivesChange;
  int32_t wantScoreChange;
  GamePhase wantPhase;
};

void PrintTo(const Effect& e, std::ostream* os) {
  *os << "type " << int(e.type) << " at health " << e.health;
}

class BonusEffectTest : public BonusTest, public ::testing::WithParamInterface<Effect> {};

TEST_P(BonusEffectTest, TakingTheBoxChangesTheGame) {
  const Effect& e = GetParam();
  BonusBox& box = Box(2);
  OpenSoon(box, e.type);
  h->Shell().RunningGame()->StateForTests().Health = e.health;
  const int16_t lives = h->Shell().RunningGame()->State().Lives;
  const int32_t score = h->Shell().RunningGame()->State().Score;
  TakeBox(box);  // the player's health check runs later in the same frame
  EXPECT_FALSE(box.Active());
  EXPECT_EQ(h->Shell().RunningGame()->State().Health, e.wantHealth);
  EXPECT_EQ(h->Shell().RunningGame()->State().Lives, lives + e.wantLivesChange);
  EXPECT_EQ(h->Shell().RunningGame()->State().Score, score + e.wantScoreChange);
  EXPECT_EQ(h->Shell().RunningGame()->Phase(), e.wantPhase);
}

INSTANTIATE_TEST_SUITE_P(
    Contents, BonusEffectTest,
    ::testing::Values(
        Effect{BonusType::HealthPenalty, 29, 50, -1, 0, GamePhase::LifeLost},  // -1: a life is gone
        Effect{BonusType::HealthPenalty, 30, 0, 0, 0, GamePhase::Playing},     // 0 is still alive
        Effect{BonusType::HealthRefill, 3, 50, 0, 0, GamePhase::Playing},
        Effect{BonusType::Points, 50, 50, 0, 100, GamePhase::Playing},
        Effect{BonusType::ExtraLife, 50, 50, 1, 0, GamePhase::Playing}));

struct WeaponCase {
  int current;
  int8_t type;  // the box's type, which is the number of the weapon it holds
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
      shown.push_back({SpriteOnScreen(h->Shell().RunningGame()->GetPlayer()->GunSprite(w)),
                       MeshOnScreen(h->Shell().RunningGame()->WeaponIcon(w)->Handle),
                       MeshOnScreen(h->Shell().RunningGame()->WeaponPicture(w)->Handle)});
    }
    return shown;
  }
};

TEST_P(WeaponBoxTest, AddsASpareMagazineAndMakesItsWeaponCurrent) {
  const WeaponCase& c = GetParam();
  BonusBox& box = Box();
  if (c.current != 0) Arm(c.current);
  h->Step(1);
  const auto before = Display();
  const auto magazines = h->Shell().RunningGame()->State().Magazines;
  const auto ammo = h->Shell().RunningGame()->State().Ammo;
  OpenSoon(box, static_cast<BonusType>(c.type));
  TakeBox(box);
  ASSERT_FALSE(box.Active());
  h->Step(1);

  for (int w = 1; w < 5; ++w) {
    EXPECT_EQ(h->Shell().RunningGame()->State().Magazines[w], magazines[w] + (w == c.type ? 1 : 0))
        << "weapon " << w;
  }
  EXPECT_EQ(h->Shell().RunningGame()->State().Ammo[c.type],
            ammo[c.type] - (c.type == c.current ? 1 : 0))
      << "only a spare magazine; the held button fired the weapon in hand once";
  EXPECT_EQ(h->Shell().RunningGame()->State().Weapon, c.type);
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
  BonusBox& box = Box();
  OpenSoon(box, BonusType::Points);
  const int32_t score = h->Shell().RunningGame()->State().Score;
  h->MouseAt(-14, 10);
  bool sawTheLimit = false;
  for (int frame = 0; frame < 1000; ++frame) {
    // The tick the next frame sees.
    const uint32_t elapsed = h->NextFrameTick() - box.OpenedTick();
    sawTheLimit = sawTheLimit || elapsed == BonusBox::WaitMs;
    h->Step(1);
    if (elapsed <= BonusBox::WaitMs) {
      ASSERT_TRUE(box.Is(BonusBox::Stage::Open)) << elapsed << " ms";
      ASSERT_TRUE(MeshOnScreen(box.Icon()->Handle));
    } else {
      EXPECT_FALSE(box.Active()) << elapsed << " ms";
      EXPECT_FALSE(MeshOnScreen(box.Icon()->Handle));
      break;
    }
  }
  EXPECT_TRUE(sawTheLimit);
  EXPECT_FALSE(box.Active());
  EXPECT_EQ(h->Shell().RunningGame()->Bonuses().Active, 0);
  EXPECT_EQ(h->Shell().RunningGame()->State().Score, score);
}

TEST_F(BonusTest, ActivatingAnActiveBoxChangesNothing) {
  BonusBox& box = Box();
  box.Activate();
  for (int round = 0; round < 2; ++round) {
    h->Step(round == 0 ? 20 : 300);  // falling, then open
    const float x = box.X(), y = box.Y();
    const BonusType type = box.Content();
    const BonusBox::Stage stage = box.CurrentStage();
    const uint32_t opened = box.OpenedTick();
    box.Activate();
    EXPECT_EQ(h->Shell().RunningGame()->Bonuses().Active, 1);
    EXPECT_EQ(box.X(), x);
    EXPECT_EQ(box.Y(), y);
    EXPECT_EQ(box.Content(), type);
    EXPECT_TRUE(box.Is(stage));
    EXPECT_EQ(box.OpenedTick(), opened);
  }
  EXPECT_TRUE(box.Is(BonusBox::Stage::Open));
}

// Boxes land at one height: three on the scene at once stand apart, over many
// draws of their places, and each stays inside the drop zone.
TEST_F(BonusTest, BoxesOnTheSceneTogetherDoNotOverlap) {
  for (uint32_t seed = 1; seed <= 40; ++seed) {
    h->Shell().RunningGame()->StateForTests().Dice.Seed(seed);
    for (auto& box : h->Shell().RunningGame()->BonusBoxes()) {
      if (box->Active()) box->Deactivate();
    }
    for (auto& box : h->Shell().RunningGame()->BonusBoxes()) box->Activate();
    for (int i = 0; i < 3; ++i) {
      const BonusBox& a = *h->Shell().RunningGame()->BonusBoxes()[i];
      EXPECT_GE(a.X(), -10.0f) << seed;
      EXPECT_LE(a.X(), 16.0f) << seed;
      for (int j = i + 1; j < 3; ++j) {
        EXPECT_GE(std::abs(a.X() - h->Shell().RunningGame()->BonusBoxes()[j]->X()), 5.2f)
            << "seed " << seed << ": " << i << " and " << j;
      }
    }
  }
}

TEST_F(BonusTest, AFallingBoxCarriesOverIntoTheNextLevel) {
  BonusBox& box = Box();
  box.Activate();
  h->Step(30);
  const float y = box.Y();
  h->Shell().RunningGame()->StateForTests().TimeLeft = 1;
  ASSERT_TRUE(h->StepUntil([&] { return h->Shell().RunningGame()->State().Level == 1; }, 5));
  EXPECT_TRUE(box.Is(BonusBox::Stage::Falling));
  EXPECT_EQ(h->Shell().RunningGame()->Bonuses().Active, 1);
  // It goes on falling once the next level is played.
  ASSERT_TRUE(
      h->StepUntil([&] { return h->Shell().RunningGame()->Phase() == GamePhase::Playing; }, 400));
  Quiet();
  h->Step(2);
  EXPECT_LT(box.Y(), y);
  EXPECT_TRUE(box.Is(BonusBox::Stage::Falling));
}

TEST_F(BonusTest, EachOpeningPlaysBothHalvesFromTheFirstPicture) {
  BonusBox& box = Box();
  for (int round = 0; round < 2; ++round) {
    box.Activate();
    box.MoveForTests(box.X(), 1.02f);
    h->Step(1);
    ASSERT_TRUE(box.Is(BonusBox::Stage::Opening));
    int frames = 0;
    while (box.Is(BonusBox::Stage::Opening) && frames < 200) {
      EXPECT_EQ(box.Box1()->Frame, box.Box2()->Frame) << "round " << round;
      h->Step(1);
      ++frames;
    }
    // Four pictures more than ten ticks apart each time.
    EXPECT_GT(frames, 3 * 6) << "round " << round;
    box.Deactivate();
  }
}

TEST_F(BonusTest, TheMachineGunBoxComesMoreOftenThanTheOthers) {
  BonusBox& box = Box();
  std::array<int, 9> count{};
  const int n = 4800;
  for (int i = 0; i < n; ++i) {
    box.Activate();
    ++count[static_cast<int>(box.Content())];
    box.Deactivate();
  }
  EXPECT_EQ(count[0], 0);
  EXPECT_NEAR(count[2], n * 13 / 48, 130);  // 13/48
  for (int type : {1, 3, 4, 5, 6, 7, 8}) EXPECT_NEAR(count[type], n * 5 / 48, 80) << type;
}

TEST_F(BonusTest, ABurstSoundsOnceAtItsStartAndEndsOnTheTwentiethCall) {
  Burst& hit = *h->Shell().RunningGame()->Cars()[0]->GetBurst();
  for (int burst = 0; burst < 2; ++burst) {
    h->SoundEvents();
    hit.Restart();
    for (int call = 1; call <= Burst::Length; ++call) {
      const bool going = call % 2 ? hit.Emit() : hit.EmitAt(1.0f * call, -2.0f);
      EXPECT_EQ(going, call < Burst::Length) << "call " << call;
    }
    EXPECT_EQ(hit.X(), 20.0f);
    EXPECT_EQ(hit.Y(), -2.0f);
    EXPECT_EQ(CountGameSound(h->SoundEvents(), 9), 1) << "burst " << burst;
  }
  h->Step(1);
  EXPECT_GT(Engine().ihParticles(), 0);
}

}  // namespace
}  // namespace gh::test
