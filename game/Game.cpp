#include "Game.h"

#include <cstdlib>
#include <string>

#include "Bonus.h"
#include "Player.h"
#include "Random.h"
#include "Terror.h"
#include "Vehicles.h"
#include "engine/EngineCalls.h"
#include "engine/Lights.h"
#include "game/GameHost.h"
#include "platform/Platform.h"

namespace gh {

TGame* Game = nullptr;
bool Paused = false;

namespace {

GameHost* host = nullptr;

}  // namespace

GameHost& TheGameHost() {
  if (!host) std::abort();  // registered by the program before any game
  return *host;
}

void SetGameHost(GameHost* gameHost) { host = gameHost; }

void TogglePause(float pausedDepth, float playingDepth) {
  Paused = !Paused;
  SetLightsDepth(Paused ? pausedDepth : playingDepth);
}

namespace {

// A new leftward speed for each aircraft, car and train.
float RandomStep() { return -iFloatRand(0.3f, 0.8f); }

struct TruckPlan {
  const char* cabin;
  const char* trailer;
  float gap;
};
constexpr TruckPlan TruckPlans[6] = {{"K0", "KB0", 6}, {"K1", "KB0", 5}, {"K2", "KB0", 5},
                                     {"K0", "KB1", 7}, {"K1", "KB1", 6}, {"K2", "KB1", 6}};

struct TerrorPlan {
  uint8_t kind;
  float step;
  const char* name;
};
constexpr TerrorPlan TerrorPlans[6] = {{1, -0.6f, "T1"}, {1, 0.6f, "T1"},  {2, -0.6f, "T2"},
                                       {2, 0.6f, "T2"},  {3, -0.6f, "T3"}, {3, 0.6f, "T3"}};

}  // namespace

TGame::TGame() {
  // Unpaused, the game's clock reads what the system clock reads.
  ClockMs = TickCount();
  // The last hit of a finished game left the lights red (and a pause moves
  // them): every game starts lit as the first one.
  SetLightsLevel(1.0f);
  SetLightsDepth(-20.0f);
  BuildLevel();
}

TGame::TGame(const GameProgress& p) : TGame() {
  Level = p.Level;
  MaxEnemies = static_cast<uint8_t>(Level + 1);
  MaxBonuses = static_cast<uint8_t>(Level + 1);
  ShowScenery(static_cast<uint8_t>(Level % 2));
  TimeLeft = p.TimeLeft;
  Score = p.Score;
  Lives = p.Lives;
  Health = p.Health;
  Ammo = p.Ammo;
  Magazines = p.Magazines;
  ChangeWeapon(p.Weapon);
  ClockMs = p.ClockMs;
  LastTick = TickCount();
  // A caption or a question the stop cut short starts again; play comes back
  // paused, so the player is not shot before seeing the scene.
  switch (p.Phase) {
    case PhaseIntro:
      Phase = PhaseIntro;
      break;
    case PhaseGameOver:
    case PhaseScoreCheck:
    case PhaseNameEntry:
      Phase = PhaseGameOver;
      break;
    case PhaseSendAsk:
    case PhaseSending:
    case PhaseSendFailed:
      Phase = PhaseSendAsk;
      break;
    default:
      Phase = PhasePlaying;
      Paused = false;
      TogglePause(10.0f, -20.0f);
      break;
  }
}

std::optional<GameProgress> TGame::Progress() const {
  if (Phase == PhaseToMenu || Phase == PhaseToHiScore) return std::nullopt;
  GameProgress p;
  p.Phase = Phase;
  p.Level = Level;
  p.Lives = Lives;
  p.Health = Health;
  p.Score = Score;
  p.TimeLeft = TimeLeft;
  p.Ammo = Ammo;
  p.Magazines = Magazines;
  p.Weapon = Weapon;
  p.ClockMs = ClockMs;
  return p;
}

void TGame::BuildLevel() {
  TheGameHost().SetPointerPicture("Data\\cursor2.png");
  Score = 0;
  Level = -1;
  Lives = 3;
  Health = 50;
  for (int n = 0; n < 16; ++n) {
    Sounds[n] = iSoundCreate(("Data\\Sound\\" + std::to_string(n) + ".wav").c_str(), -1);
  }

  // Creation order is drawing order: later quads cover earlier ones.
  Scene1 = std::make_unique<TStaticSprite>("level1.jpg", 0.0f, 0.0f, false);
  Scene2 = std::make_unique<TStaticSprite>("level2.jpg", 0.0f, 0.0f, false);
  Scene2Layers[0] = std::make_unique<TStaticSprite>("L2_1.png", 11.3f, 1.35f, false);
  for (int n = 0; n < 5; ++n) {
    Aircraft[n] = std::make_unique<TCar>(*this, KindAircraft, 6.0f, RandomStep(),
                                         "Air" + std::to_string(n + 1), true);
  }
  for (int n = 0; n < 6; ++n) {
    const TerrorPlan& p = TerrorPlans[n];
    UpperTerrorists[n] = std::make_unique<TTerror>(*this, p.kind, 0, p.step, p.name);
  }
  Cars[0] = std::make_unique<TCar>(*this, KindCar, -0.6f, RandomStep(), "Mercedes", true);
  Cars[1] = std::make_unique<TCar>(*this, KindCar, -0.6f, RandomStep(), "Audi", true);
  Trains[0] = std::make_unique<TCar>(*this, KindTrain, 0.2f, RandomStep(), "Train1", true);
  Trains[1] = std::make_unique<TCar>(*this, KindTrain, 0.6f, RandomStep(), "Train2", true);
  Trains[2] = std::make_unique<TCar>(*this, KindTrain, 0.2f, RandomStep(), "Train3", true);
  for (int n = 0; n < 12; ++n) {
    const TruckPlan& p = TruckPlans[n % 6];
    const float step = n < 6 ? -0.4f : 0.4f;
    Trucks[n] =
        std::make_unique<TKamazCar>(*this, KindTruck, 0.2f, step, p.gap, p.cabin, p.trailer);
  }
  for (auto& box : Bonuses) box = std::make_unique<TBonus>(*this);
  Scene2Layers[1] = std::make_unique<TStaticSprite>("L2_2.png", -7.7f, 2.6f, false);
  Scene1Layers[0] = std::make_unique<TStaticSprite>("L1_1.png", 12.0f, 3.5f, false);
  Scene1Layers[1] = std::make_unique<TStaticSprite>("L1_2.png", -11.1f, 5.28f, false);
  Scene1Layers[2] = std::make_unique<TStaticSprite>("L1_3.png", -13.36f, 2.8f, false);
  Scene2Layers[2] = std::make_unique<TStaticSprite>("L2_3.png", -12.28f, 1.91f, false);
  for (int n = 0; n < 6; ++n) {
    const TerrorPlan& p = TerrorPlans[n];
    LowerTerrorists[n] = std::make_unique<TTerror>(*this, p.kind, -2, p.step, p.name);
  }
  Scene1Layers[3] = std::make_unique<TStaticSprite>("L1_4.png", -12.28f, -5.73f, false);
  Scene1Layers[4] = std::make_unique<TStaticSprite>("L1_5.png", 6.71f, -3.89f, false);
  Player = std::make_unique<TPlayer>(*this);
  HudPanels[0] = std::make_unique<TStaticSprite>("Panel1.png", -12.4f, 10.8f, true);
  HudPanels[1] = std::make_unique<TStaticSprite>("Panel2.png", 8.14f, 10.8f, true);
  HudPanels[2] = std::make_unique<TStaticSprite>("Panel3.png", -5.24f, -9.47f, true);
  Alarm = std::make_unique<TStaticSprite>("Alarm.png", -12.46f, -11.06f, false);
  for (int i = 0; i < 5; ++i) {
    WeaponIcons[i] = std::make_unique<TStaticSprite>(
        std::string("B").append(std::to_string(i + 1)).append(".png"), -14.98f + 1.13f * i, -9.43f,
        true);
  }
  for (int i = 0; i < 5; ++i) {
    WeaponPictures[i] = std::make_unique<TStaticSprite>("BGun" + std::to_string(i + 1) + ".png",
                                                        -5.94f, -9.47f, false);
  }

  WeaponIcons[0]->Hide();
  ShowWeapon(Weapon);
  StartNextLevel();
}

TGame::~TGame() {
  TheGameHost().SetPointerPicture("Data\\cursor.png");
  ConfinePointer(false);
  // A vehicle's engine loops until stopped; nothing of the game may go on
  // sounding in the menu.
  for (SoundHandle& sound : Sounds) {
    iSoundStop(sound, 0);
    sound.reset();
  }
  Player.reset();
  for (auto& box : Bonuses) box.reset();
  Scene1.reset();
  Scene2.reset();
  for (auto& car : Cars) car.reset();
  for (auto& plane : Aircraft) plane.reset();
  for (auto& train : Trains) train.reset();
  for (auto& truck : Trucks) truck.reset();
  for (auto& terror : UpperTerrorists) terror.reset();
  for (auto& terror : LowerTerrorists) terror.reset();
  for (auto& layer : Scene1Layers) layer.reset();
  for (auto& layer : Scene2Layers) layer.reset();
  for (auto& panel : HudPanels) panel.reset();
  Alarm.reset();
  for (auto& icon : WeaponIcons) icon.reset();
  for (auto& picture : WeaponPictures) picture.reset();
}

void TGame::FlashHit() {
  const uint32_t now = TickCount();
  if (Flashed && now - LastFlashTick < FlashSpacingMs) return;
  Flashed = true;
  LastFlashTick = now;
  SetLightsLevel(0);  // the next playing frame restores it
}

bool TGame::AllowsKind(uint8_t kind) const {
  switch (Level) {
    case 0:
      return kind == 1;
    case 1:
      return kind == 1 || kind == 2;
    case 2:
      return kind >= 1 && kind <= 3;
    case 3:
      return (kind >= 1 && kind <= 3) || kind == 5;
    case 4:
      return kind >= 1 && kind <= 4;
    case 5:
      return kind <= 3 || kind == 5;
    default:
      break;
  }
  if (Level < 6 || Level > 1000 || kind > KindTruck) return false;
  if (Level % 2 == 1) return kind != KindCar && kind != KindTruck;
  return kind != KindTrain;
}

void TGame::StartNextLevel() {
  for (TBaseEnemy* enemy : EnemyList) {
    if (enemy->State != 255) enemy->Deactivate();
  }
  if (Ammo[2] > 30) Ammo[2] = 30;
  Phase = PhaseIntro;
  CaptionLevel = 0;
  Paused = false;
  Level = static_cast<int16_t>(Level + 1);
  MaxEnemies = static_cast<uint8_t>(Level + 1);
  MaxBonuses = static_cast<uint8_t>(Level + 1);
  LastTick = TickCount();
  TimeLeft = LevelTime(Level);
  PlayGameSound(Sounds[12], false);
  ShowScenery(static_cast<uint8_t>(Level % 2));
}

void TGame::ShowScenery(uint8_t parity) {
  const bool first = parity == 0;
  auto show = [](TStaticSprite* sprite, bool visible) {
    if (!sprite) return;
    if (visible) {
      sprite->Show();
    } else {
      sprite->Hide();
    }
  };
  show(Scene1.get(), first);
  for (auto& layer : Scene1Layers) show(layer.get(), first);
  show(Scene2.get(), !first);
  for (auto& layer : Scene2Layers) show(layer.get(), !first);
  for (auto& panel : HudPanels) show(panel.get(), true);
}

void TGame::SpawnAndUpdate() {
  if (Random(450) == 10 && ActiveBonuses < MaxBonuses && !BonusList.empty()) {
    BonusList[Random(static_cast<int>(BonusList.size()))]->Activate();
  }
  for (size_t i = 0; i < BonusList.size(); ++i) {
    if (BonusList[i]->State != 255) BonusList[i]->Update();
  }
  if (Random(50) == 10 && ActiveEnemies < MaxEnemies && !EnemyList.empty()) {
    EnemyList[Random(static_cast<int>(EnemyList.size()))]->Activate();
  }
  for (size_t i = 0; i < EnemyList.size(); ++i) {
    if (EnemyList[i]->State != 255) EnemyList[i]->Update();
  }
}

void TGame::Reload() {
  if (Weapon < 0 || Weapon > 4 || Magazines[Weapon] < 1) return;
  PlayGameSound(Sounds[11], false);
  Magazines[Weapon] = static_cast<int16_t>(Magazines[Weapon] - 1);
  Ammo[Weapon] = MagazineSize[Weapon];
}

bool TGame::CanChooseWeapon(int weapon) const {
  return weapon >= 0 && weapon < 5 && Ammo[weapon] + Magazines[weapon] > 0;
}

void TGame::ChangeWeapon(int weapon) {
  if (weapon < 0 || weapon > 4) return;
  HideWeapon(Weapon);
  Weapon = static_cast<int8_t>(weapon);
  ShowWeapon(Weapon);
}

void TGame::StepWeapon(int step) {
  HideWeapon(Weapon);
  int weapon = Weapon;
  // Five steps come back to the weapon in hand.
  for (int i = 0; i < 5; ++i) {
    weapon = (weapon + step + 5) % 5;
    if (CanChooseWeapon(weapon)) break;
  }
  if (CanChooseWeapon(weapon)) Weapon = static_cast<int8_t>(weapon);
  ShowWeapon(Weapon);
}

void TGame::HideWeapon(int weapon) {
  if (weapon < 0 || weapon > 4) return;
  if (Player) iSpriteHide(Player->GunSprites[weapon]);
  if (WeaponIcons[weapon]) WeaponIcons[weapon]->Show();
  if (WeaponPictures[weapon]) WeaponPictures[weapon]->Hide();
}

void TGame::ShowWeapon(int weapon) {
  if (weapon < 0 || weapon > 4) return;
  if (Player) iSpriteShow(Player->GunSprites[weapon]);
  if (WeaponIcons[weapon]) WeaponIcons[weapon]->Hide();
  if (WeaponPictures[weapon]) WeaponPictures[weapon]->Show();
}

void TGame::ConfinePointer(bool confine) {
  if (confine == PointerConfined) return;
  PointerConfined = confine;
  ThePlatform().ConfinePointer(confine);
}

}  // namespace gh
