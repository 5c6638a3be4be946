// Aircraft, cars, trains and trucks in the running game.
#include <cmath>
#include <functional>
#include <ostream>

#include "PlayFixture.h"

namespace gh::test {
namespace {

class VehicleTest : public PlayTest {
 protected:
  void SetUp() override {
    PlayTest::SetUp();
    if (HasFatalFailure()) return;
    AtLevel(6);  // aircraft, cars and trucks
    h->Shell().RunningGame()->StateForTests().Score = 500;
  }

  Vehicle& Car() { return *h->Shell().RunningGame()->Cars()[0]; }

  // Steps until the vehicle's body is well inside the view.
  void WaitUntilInView(AnimatedMesh& body) {
    ASSERT_TRUE(h->StepUntil([&] { return std::abs(body.X) < 10.0f; }, 600));
  }

  // Holds the button on the body, following it, until `done` or `frames` passed.
  int HoldOn(AnimatedMesh& body, int frames, const std::function<bool()>& done) {
    int n = 0;
    for (; n < frames && !done(); ++n) HoldAt(body.X, body.Y);
    h->ButtonUp();
    return n;
  }

  bool AlarmOn() const { return MeshOnScreen(h->Shell().RunningGame()->Alarm()->Handle); }
};

struct WeaponOnCar {
  int weapon;
  int hitsToDestroy;  // 0: never hurt
};

void PrintTo(const WeaponOnCar& c, std::ostream* os) {
  *os << "weapon " << c.weapon << ", " << c.hitsToDestroy << " hits";
}

class VehicleWeaponTest : public VehicleTest, public ::testing::WithParamInterface<WeaponOnCar> {};

TEST_P(VehicleWeaponTest, OnlyTheMachineGunAndTheFourthWeaponHurtAVehicle) {
  const WeaponOnCar& c = GetParam();
  Vehicle& car = Car();
  ASSERT_TRUE(BringOn(car, false));
  EXPECT_EQ(car.Health(), 3);
  WaitUntilInView(*car.Body());
  Arm(c.weapon);
  h->SoundEvents();

  int hits = 0;
  int16_t health = car.Health();
  const int16_t ammo = h->Shell().RunningGame()->State().Ammo[c.weapon];
  float aimedX = 0, aimedY = 0;
  for (int frame = 0; frame < 90 && car.Health() >= 0; ++frame) {
    aimedX = car.Body()->X;
    aimedY = car.Body()->Y;
    HoldAt(aimedX, aimedY);
    if (car.Health() != health) ++hits;
    health = car.Health();
  }
  h->ButtonUp();

  if (c.hitsToDestroy == 0) {
    EXPECT_EQ(car.Health(), 3);
    EXPECT_EQ(hits, 0);
    if (c.weapon != 0) {
      EXPECT_LT(h->Shell().RunningGame()->State().Ammo[c.weapon], ammo)
          << "the shots still cost ammunition";
    }
    EXPECT_TRUE(car.Active());
    return;
  }
  EXPECT_LT(car.Health(), 0);
  EXPECT_EQ(hits, c.hitsToDestroy);
  // The burst is where the last shot struck.
  EXPECT_NEAR(car.GetBurst()->X(), aimedX, 0.05f);
  EXPECT_NEAR(car.GetBurst()->Y(), aimedY, 0.05f);

  // A destroyed vehicle stops and bursts for twenty frames, sounding once.
  const float x = car.Body()->X;
  int frames = 0;
  while (car.Active() && frames < 100) {
    h->Step(1);
    ++frames;
    EXPECT_EQ(car.Body()->X, x);
  }
  EXPECT_EQ(frames, 20);
  EXPECT_EQ(CountGameSound(h->SoundEvents(), 9), 1);
  EXPECT_FALSE(car.Active());
  EXPECT_EQ(h->Shell().RunningGame()->Enemies().Active, 0);
  EXPECT_FALSE(h->Shell().RunningGame()->VehicleActive());
}

INSTANTIATE_TEST_SUITE_P(Weapons, VehicleWeaponTest,
                         ::testing::Values(WeaponOnCar{0, 0}, WeaponOnCar{1, 0}, WeaponOnCar{2, 4},
                                           WeaponOnCar{3, 1}));

struct Outcome {
  bool marked;
  bool destroyed;
  int scoreChange;
};

void PrintTo(const Outcome& o, std::ostream* os) {
  *os << (o.marked ? "marked, " : "unmarked, ") << (o.destroyed ? "destroyed" : "escaped");
}

class VehicleScoreTest : public VehicleTest, public ::testing::WithParamInterface<Outcome> {};

TEST_P(VehicleScoreTest, MarkedDestroyedEarnsAndTheRestCostsOrNothing) {
  const Outcome& o = GetParam();
  Vehicle& car = Car();
  h->SoundEvents();
  ASSERT_TRUE(BringOn(car, o.marked));
  // It comes in just beyond the near edge.
  EXPECT_FLOAT_EQ(car.Body()->X, 16.0f + car.Body()->ScaleX);
  h->Step(1);
  auto events = h->SoundEvents();
  EXPECT_EQ(CountGameSound(events, 6), o.marked ? 1 : 0);
  EXPECT_EQ(CountGameSound(events, 7), 1);
  EXPECT_TRUE(
      Engine().ihSoundPlaying(h->Shell().RunningGame()->Sound(static_cast<GameSound>(7)).get()));
  EXPECT_EQ(AlarmOn(), o.marked);
  EXPECT_EQ(MeshOnScreen(car.Arrow()->Handle), o.marked);
  EXPECT_EQ(h->Shell().RunningGame()->ArrowCount(), o.marked ? 1 : 0);
  if (o.marked) {
    // Two units above the body, near its rear end.
    EXPECT_NEAR(car.Arrow()->Y, car.Body()->Y + 2.0f, 1e-4f);
    EXPECT_GT(car.Arrow()->X, car.Body()->X);
    EXPECT_LT(car.Arrow()->X, car.Body()->X + car.Body()->ScaleX / 2);
  }

  const int32_t score = h->Shell().RunningGame()->State().Score;
  if (o.destroyed) {
    WaitUntilInView(*car.Body());
    Arm(Weapon::Launcher);
    HoldOn(*car.Body(), 30, [&] { return car.Health() < 0; });
    ASSERT_LT(car.Health(), 0);
    EXPECT_EQ(AlarmOn(), o.marked) << "the alarm stays on while it bursts";
    ASSERT_TRUE(h->StepUntil([&] { return !car.Active(); }, 30));
  } else {
    const float limit = 27.0f + car.Body()->ScaleX;
    float before = car.Body()->X;
    for (int frames = 0; car.Active() && frames < 2000; ++frames) {
      before = car.Body()->X;
      h->Step(1);
    }
    ASSERT_FALSE(car.Active());
    // It leaves on the first advance beyond the far limit.
    EXPECT_LT(car.Body()->X, -limit);
    EXPECT_GE(before, -limit);
  }
  h->Step(1);
  EXPECT_EQ(h->Shell().RunningGame()->State().Score, score + o.scoreChange);
  EXPECT_FALSE(AlarmOn());
  EXPECT_FALSE(MeshOnScreen(car.Arrow()->Handle));
  EXPECT_FALSE(MeshOnScreen(car.Body()->Handle));
  EXPECT_EQ(h->Shell().RunningGame()->ArrowCount(), 0);
  EXPECT_FALSE(h->Shell().RunningGame()->VehicleActive());
  events = h->SoundEvents();
  EXPECT_GE(CountGameSound(events, 7, 3), 1);
  EXPECT_GE(CountGameSound(events, 8, 3), 1);
  EXPECT_FALSE(
      Engine().ihSoundPlaying(h->Shell().RunningGame()->Sound(static_cast<GameSound>(7)).get()));
}

INSTANTIATE_TEST_SUITE_P(Table, VehicleScoreTest,
                         ::testing::Values(Outcome{true, true, 50}, Outcome{true, false, -50},
                                           Outcome{false, true, -50}, Outcome{false, false, 0}));

struct BurstCase {
  int vehicle;  // 0 car, 1 aircraft, 2 truck
  bool marked;
  int scoreChange;
};

void PrintTo(const BurstCase& b, std::ostream* os) {
  *os << (b.vehicle == 0   ? "car"
          : b.vehicle == 1 ? "aircraft"
                           : "truck")
      << (b.marked ? ", marked" : ", unmarked");
}

class FourthWeaponTest : public VehicleTest, public ::testing::WithParamInterface<BurstCase> {};

TEST_P(FourthWeaponTest, DestroysTheVehicleWhichBurstsWhereItIs) {
  const BurstCase& b = GetParam();
  Enemy* vehicle = nullptr;
  AnimatedMesh* body = nullptr;
  gh::Burst* hit = nullptr;
  Truck* truck = nullptr;
  if (b.vehicle == 2) {
    truck = h->Shell().RunningGame()->Trucks()[3].get();
    vehicle = truck;
    body = truck->Cabin();
    hit = truck->GetBurst();
  } else {
    Vehicle& car = b.vehicle == 0 ? Car() : *h->Shell().RunningGame()->Aircraft()[2];
    vehicle = &car;
    body = car.Body();
    hit = car.GetBurst();
  }
  ASSERT_TRUE(BringOn(*vehicle, b.marked));
  WaitUntilInView(*body);
  Arm(Weapon::Blaster);
  const int32_t score = h->Shell().RunningGame()->State().Score;
  // Fired well away from the vehicle.
  HoldAt(-12.0f, -8.0f);
  h->ButtonUp();
  EXPECT_EQ(vehicle->Health(), -2);
  h->Step(1);
  const float wantX = truck ? truck->MiddleX() : body->X;
  EXPECT_FLOAT_EQ(hit->X(), wantX);
  EXPECT_FLOAT_EQ(hit->Y(), body->Y);
  ASSERT_TRUE(h->StepUntil([&] { return !vehicle->Active(); }, 25));
  h->Step(1);
  EXPECT_EQ(h->Shell().RunningGame()->State().Score, score + b.scoreChange);
}

INSTANTIATE_TEST_SUITE_P(Vehicles, FourthWeaponTest,
                         ::testing::Values(BurstCase{0, false, -50}, BurstCase{0, true, 50},
                                           BurstCase{1, false, -50}, BurstCase{2, true, 50},
                                           BurstCase{2, false, -50}));

class LevelEndTest : public VehicleTest, public ::testing::WithParamInterface<bool> {};

TEST_P(LevelEndTest, AMarkedVehicleCountsAsEscapedWhileDrivingAndDestroyedWhileBursting) {
  const bool bursting = GetParam();
  Vehicle& plane = *h->Shell().RunningGame()->Aircraft()[0];
  ASSERT_TRUE(BringOn(plane, true));
  WaitUntilInView(*plane.Body());
  if (bursting) {
    Arm(Weapon::Launcher);
    HoldOn(*plane.Body(), 30, [&] { return plane.Health() < 0; });
    ASSERT_LT(plane.Health(), 0);
    h->Step(3);
    ASSERT_TRUE(plane.Active());
  }
  const int32_t score = h->Shell().RunningGame()->State().Score;
  h->Shell().RunningGame()->StateForTests().TimeLeft = 1;
  h->Step(1);
  ASSERT_EQ(h->Shell().RunningGame()->State().Level, 7);
  EXPECT_FALSE(plane.Active());
  EXPECT_EQ(h->Shell().RunningGame()->State().Score, score + (bursting ? 50 : -50));
  EXPECT_FALSE(h->Shell().RunningGame()->VehicleActive());
  EXPECT_EQ(h->Shell().RunningGame()->ArrowCount(), 0);
  EXPECT_FALSE(AlarmOn());
}

INSTANTIATE_TEST_SUITE_P(Bursting, LevelEndTest, ::testing::Bool());

class TruckTest : public VehicleTest, public ::testing::WithParamInterface<int> {};

TEST_P(TruckTest, LeavesWhenItsTrailerOrCabinPassesForty) {
  Truck& truck = *h->Shell().RunningGame()->Trucks()[GetParam()];
  AnimatedMesh& cabin = *truck.Cabin();
  AnimatedMesh& trailer = *truck.Trailer();
  const bool leftward = cabin.Step < 0;
  const float from = leftward ? 1.0f : -1.0f;
  ASSERT_TRUE(BringOn(truck, true));
  // The cabin leads, the trailer follows Gap behind.
  EXPECT_FLOAT_EQ(cabin.X, 20.0f * from);
  EXPECT_FLOAT_EQ(trailer.X, (20.0f + truck.Gap()) * from);
  h->Step(1);
  EXPECT_TRUE(MeshOnScreen(cabin.Handle));
  EXPECT_TRUE(MeshOnScreen(trailer.Handle));
  EXPECT_TRUE(AlarmOn());
  // Rightward trucks have pictures of their own.
  for (const ihMesh& m : h->Meshes()) {
    if (m.handle == cabin.Handle.get()) {
      EXPECT_EQ(NormalisedFile(m.file).find("r/1.png") != std::string::npos, !leftward) << m.file;
    }
  }

  int frames = 0;
  float lead = 0;
  while (truck.Active() && frames < 3000) {
    lead = leftward ? trailer.X : cabin.X;
    // The arrow floats four units above the middle of the truck.
    EXPECT_NEAR(truck.Arrow()->Y, cabin.Y + 4.0f, 1e-4f);
    EXPECT_NEAR(truck.Arrow()->X, truck.MiddleX(), std::abs(cabin.Step) + 1e-4f);
    EXPECT_NEAR(std::abs(trailer.X - cabin.X), truck.Gap(), 1e-3f);
    h->Step(1);
    ++frames;
  }
  ASSERT_FALSE(truck.Active());
  if (leftward) {
    EXPECT_LT(trailer.X, -40.0f);
    EXPECT_GE(lead, -40.0f);
  } else {
    EXPECT_GT(cabin.X, 40.0f);
    EXPECT_LE(lead, 40.0f);
  }
  EXPECT_FALSE(AlarmOn());
  EXPECT_FALSE(MeshOnScreen(cabin.Handle));
  EXPECT_FALSE(MeshOnScreen(trailer.Handle));
}

INSTANTIATE_TEST_SUITE_P(Directions, TruckTest, ::testing::Values(0, 9));

TEST_F(VehicleTest, ATruckTakesHitsOnCabinOrTrailerOnlyFromTheMachineGunAndWeaponThree) {
  Truck& truck = *h->Shell().RunningGame()->Trucks()[1];
  ASSERT_TRUE(BringOn(truck, false));
  AnimatedMesh& trailer = *truck.Trailer();
  WaitUntilInView(trailer);
  Arm(Weapon::Rifle);
  HoldOn(trailer, 40, [] { return false; });
  EXPECT_EQ(truck.Health(), 3);
  Arm(Weapon::MachineGun);
  HoldOn(trailer, 200, [&] { return truck.Health() < 3; });
  EXPECT_EQ(truck.Health(), 2);
  Arm(Weapon::Launcher);
  HoldOn(*truck.Cabin(), 100, [&] { return truck.Health() < 0; });
  EXPECT_EQ(truck.Health(), -8);
}

TEST_F(VehicleTest, OnlyOneVehicleAtATimeEvenWhileItBursts) {
  Vehicle& car = Car();
  Vehicle& plane = *h->Shell().RunningGame()->Aircraft()[1];
  ASSERT_TRUE(BringOn(car, true));
  h->Shell().RunningGame()->Enemies().Max = 10;  // room for more enemies
  plane.Activate();
  h->Shell().RunningGame()->Trucks()[2]->Activate();
  EXPECT_FALSE(plane.Active());
  EXPECT_FALSE(h->Shell().RunningGame()->Trucks()[2]->Active());
  EXPECT_EQ(h->Shell().RunningGame()->Enemies().Active, 1);
  EXPECT_EQ(h->Shell().RunningGame()->ArrowCount(), 1);
  Quiet();

  WaitUntilInView(*car.Body());
  Arm(Weapon::Launcher);
  HoldOn(*car.Body(), 30, [&] { return car.Health() < 0; });
  ASSERT_LT(car.Health(), 0);
  h->Step(5);
  ASSERT_TRUE(car.Active());
  h->Shell().RunningGame()->Enemies().Max = 10;
  plane.Activate();
  EXPECT_FALSE(plane.Active());
  Quiet();

  ASSERT_TRUE(h->StepUntil([&] { return !car.Active(); }, 30));
  EXPECT_TRUE(BringOn(plane, false));
}

TEST_F(VehicleTest, VehiclesComeOnlyAtTheLevelsThatAllowThem) {
  struct {
    int level;
    Actor* vehicle;
    bool allowed;
  } cases[] = {
      {2, h->Shell().RunningGame()->Trains()[0].get(), false},
      {3, h->Shell().RunningGame()->Trains()[0].get(), true},
      {3, h->Shell().RunningGame()->Cars()[1].get(), false},
      {4, h->Shell().RunningGame()->Cars()[1].get(), true},
      {4, h->Shell().RunningGame()->Aircraft()[4].get(), false},
      {5, h->Shell().RunningGame()->Aircraft()[4].get(), true},
      {5, h->Shell().RunningGame()->Trucks()[11].get(), false},
      {6, h->Shell().RunningGame()->Trucks()[11].get(), true},
      {7, h->Shell().RunningGame()->Trucks()[11].get(), false},
      {7, h->Shell().RunningGame()->Trains()[1].get(), true},
  };
  for (const auto& c : cases) {
    AtLevel(c.level);
    EXPECT_EQ(BringOn(*c.vehicle, false), c.allowed) << "level " << c.level;
    if (c.vehicle->Active()) c.vehicle->Deactivate();
  }
  EXPECT_EQ(h->Shell().RunningGame()->Enemies().Active, 0);
  EXPECT_FALSE(h->Shell().RunningGame()->VehicleActive());
}

TEST_F(VehicleTest, TrainsLoopTheirOwnEngineSoundUntilTheyLeave) {
  AtLevel(7);
  Vehicle& train = *h->Shell().RunningGame()->Trains()[1];
  h->SoundEvents();
  ASSERT_TRUE(BringOn(train, false));
  EXPECT_EQ(train.Body()->Y, 0.6f);
  h->Step(1);
  auto events = h->SoundEvents();
  EXPECT_EQ(CountGameSound(events, 8), 1);
  EXPECT_EQ(CountGameSound(events, 7), 0);
  EXPECT_TRUE(
      Engine().ihSoundPlaying(h->Shell().RunningGame()->Sound(static_cast<GameSound>(8)).get()));
  train.Deactivate();
  EXPECT_FALSE(
      Engine().ihSoundPlaying(h->Shell().RunningGame()->Sound(static_cast<GameSound>(8)).get()));
}

TEST_F(VehicleTest, VehiclesTakeTheirPlacesInTheEnemyListAndBetweenTheSceneryLayers) {
  ASSERT_EQ(h->Shell().RunningGame()->Enemies().Members.size(), 34u);
  for (int i = 0; i < 5; ++i)
    EXPECT_EQ(h->Shell().RunningGame()->Enemies().Members[i],
              h->Shell().RunningGame()->Aircraft()[i].get());
  EXPECT_EQ(h->Shell().RunningGame()->Enemies().Members[11],
            h->Shell().RunningGame()->Cars()[0].get());
  EXPECT_EQ(h->Shell().RunningGame()->Enemies().Members[12],
            h->Shell().RunningGame()->Cars()[1].get());
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(h->Shell().RunningGame()->Enemies().Members[13 + i],
              h->Shell().RunningGame()->Trains()[i].get());
  for (int i = 0; i < 12; ++i)
    EXPECT_EQ(h->Shell().RunningGame()->Enemies().Members[16 + i],
              h->Shell().RunningGame()->Trucks()[i].get());
  ASSERT_EQ(h->Shell().RunningGame()->Bonuses().Members.size(), 3u);

  // Drawn over the background, under the scenery in front of the road.
  Truck& truck = *h->Shell().RunningGame()->Trucks()[5];
  ASSERT_TRUE(BringOn(truck, true));
  BonusBox& box = *h->Shell().RunningGame()->BonusBoxes()[0];
  box.Activate();
  ASSERT_TRUE(h->StepUntil([&] { return truck.MiddleX() < 5.0f; }, 900));
  const auto meshes = h->Meshes();
  auto place = [&](MeshRef mesh) {
    for (size_t i = 0; i < meshes.size(); ++i) {
      if (meshes[i].handle == mesh.get()) return static_cast<int>(i);
    }
    return -1;
  };
  const int background = place(h->Shell().RunningGame()->Scene1()->Handle);
  const int layer = place(h->Shell().RunningGame()->Scene1Layer(0)->Handle);
  ASSERT_GE(background, 0);
  ASSERT_GE(layer, 0);
  for (MeshRef mesh : {truck.Cabin()->Handle.ref(), truck.Trailer()->Handle.ref(),
                       truck.Arrow()->Handle.ref(), box.Parachute()->Handle.ref()}) {
    const int at = place(mesh);
    EXPECT_GT(at, background);
    EXPECT_LT(at, layer);
  }
}

}  // namespace
}  // namespace gh::test
