#include "Game.h"

#include <limits>
#include <string>

#include "BonusBox.h"
#include "Player.h"
#include "Random.h"
#include "Terrorist.h"
#include "Vehicles.h"
#include "engine/EngineCalls.h"
#include "engine/Lights.h"
#include "game/GameHost.h"

namespace gh {

namespace {

// The lights' depth: behind the scene while paused, in front while playing.
constexpr float PausedDepth = 10.0f;
constexpr float PlayingDepth = -20.0f;

struct TruckPlan {
  const char* cabin;
  const char* trailer;
  float gap;
};
constexpr TruckPlan TruckPlans[6] = {{"K0", "KB0", 6}, {"K1", "KB0", 5}, {"K2", "KB0", 5},
                                     {"K0", "KB1", 7}, {"K1", "KB1", 6}, {"K2", "KB1", 6}};

struct TerroristPlan {
  EnemyKind kind;
  float step;
  const char* name;
};
constexpr TerroristPlan TerroristPlans[6] = {
    {EnemyKind::Terrorist1, -0.6f, "T1"}, {EnemyKind::Terrorist1, 0.6f, "T1"},
    {EnemyKind::Terrorist2, -0.6f, "T2"}, {EnemyKind::Terrorist2, 0.6f, "T2"},
    {EnemyKind::Terrorist3, -0.6f, "T3"}, {EnemyKind::Terrorist3, 0.6f, "T3"}};

// Moves a made part into its slot, or hands its Error back.
template <class T>
Status Keep(std::unique_ptr<T>& slot, Result<std::unique_ptr<T>> made) {
  if (!made) return made.error();
  slot = std::move(*made);
  return {};
}

}  // namespace

Result<std::unique_ptr<Game>> Game::Create(GameHost& host, uint64_t seed,
                                           const std::optional<GameProgress>& progress) {
  std::unique_ptr<Game> game(new Game(host));
  game->state_.Dice.Seed(seed);
  if (Status built = game->Build(); !built) return built.error();
  if (progress) game->Resume(*progress);
  return game;
}

Game::Game(GameHost& host) : host_(host) {
  // The last hit of a finished game left the lights red (and a pause moves
  // them): every game starts lit as the first one.
  SetLightsLevel(1.0f);
  SetLightsDepth(PlayingDepth);
}

void Game::Resume(const GameProgress& p) {
  state_.Level = p.Level;
  enemies_.Max = static_cast<uint8_t>(state_.Level + 1);
  bonuses_.Max = static_cast<uint8_t>(state_.Level + 1);
  ShowScenery(static_cast<uint8_t>(state_.Level % 2));
  state_.TimeLeft = p.TimeLeft;
  state_.Score = p.Score;
  state_.Lives = p.Lives;
  state_.Health = p.Health;
  state_.Ammo = p.Ammo;
  state_.Magazines = p.Magazines;
  ChangeWeapon(p.Weapon);
  state_.ClockMs = p.ClockMs;
  state_.Dice = p.Dice;
  tickKnown_ = false;
  clockStarted_ = true;
  // A caption or a question the stop cut short starts again; play comes back
  // paused, so the player is not shot before seeing the scene.
  switch (p.Phase) {
    case GamePhase::Intro:
      state_.Phase = GamePhase::Intro;
      break;
    case GamePhase::GameOver:
    case GamePhase::ScoreCheck:
    case GamePhase::NameEntry:
      state_.Phase = GamePhase::GameOver;
      break;
    case GamePhase::SendAsk:
    case GamePhase::Sending:
    case GamePhase::SendFailed:
      state_.Phase = GamePhase::SendAsk;
      break;
    default:
      state_.Phase = GamePhase::Playing;
      paused_ = false;
      TogglePause();
      break;
  }
}

std::optional<GameProgress> Game::Progress() const {
  if (state_.Phase == GamePhase::ToMenu || state_.Phase == GamePhase::ToHighScores) {
    return std::nullopt;
  }
  return state_;
}

void Game::TogglePause() {
  paused_ = !paused_;
  SetLightsDepth(paused_ ? PausedDepth : PlayingDepth);
}

void Game::PauseIfPlaying() {
  paused_ = false;
  if (state_.Phase == GamePhase::Playing) TogglePause();
}

void Game::Apply(const GameEvent& event) {
  switch (event.Kind) {
    case GameEventKind::Escape:
      Escape();
      break;
    case GameEventKind::FocusLost:
      PauseIfPlaying();
      break;
    case GameEventKind::ChooseWeapon:
      if (CanChooseWeapon(event.Value)) ChangeWeapon(event.Value);
      break;
    case GameEventKind::StepWeapon:
      StepWeapon(event.Value < 0 ? -1 : 1);
      break;
    case GameEventKind::Answer:
    case GameEventKind::Restart:
      break;
  }
}

bool Game::PointsAt(MeshRef mesh) const {
  // Whole steps over a power of two: exact as floats.
  return iMeshPickedAt(ScreenCamera(), mesh, static_cast<float>(input_.PointerX) / PointerRange,
                       static_cast<float>(input_.PointerY) / PointerRange);
}

iVec2 Game::PointerOnPlane() const {
  return ViewToPlane(static_cast<float>(input_.PointerX) / PointerRange,
                     static_cast<float>(input_.PointerY) / PointerRange);
}

void Game::Escape() {
  if (state_.Phase != GamePhase::Playing) return;
  if (paused_) {
    TogglePause();
  } else {
    state_.Phase = GamePhase::ExitAsk;  // the game's own exit question
  }
}

Status Game::Build() {
  host_.SetPointerPicture("Data\\cursor2.png");
  state_.Score = 0;
  state_.Level = -1;
  state_.Lives = 3;
  state_.Health = FullHealth;
  for (int n = 0; n < GameSoundCount; ++n) {
    sounds_[n] = iSoundCreate(("Data\\Sound\\" + std::to_string(n) + ".wav").c_str(), -1);
  }

  // Creation order is drawing order: later quads cover earlier ones.
  Status s = Keep(scene1_, StaticMesh::Load("level1.jpg", 0.0f, 0.0f, false));
  if (s) s = Keep(scene2_, StaticMesh::Load("level2.jpg", 0.0f, 0.0f, false));
  if (s) s = Keep(scene2Layers_[0], StaticMesh::Load("L2_1.png", 11.3f, 1.35f, false));
  for (int n = 0; s && n < 5; ++n) {
    s = Keep(aircraft_[n],
             Vehicle::Create(*this, EnemyKind::Aircraft, 6.0f, -RandomBetween(0.3f, 0.8f),
                             "Air" + std::to_string(n + 1)));
  }
  for (int n = 0; s && n < 6; ++n) {
    const TerroristPlan& p = TerroristPlans[n];
    s = Keep(upperTerrorists_[n], Terrorist::Create(*this, p.kind, 0, p.step, p.name));
  }
  if (s)
    s = Keep(cars_[0],
             Vehicle::Create(*this, EnemyKind::Car, -0.6f, -RandomBetween(0.3f, 0.8f), "Mercedes"));
  if (s)
    s = Keep(cars_[1],
             Vehicle::Create(*this, EnemyKind::Car, -0.6f, -RandomBetween(0.3f, 0.8f), "Audi"));
  if (s)
    s = Keep(trains_[0],
             Vehicle::Create(*this, EnemyKind::Train, 0.2f, -RandomBetween(0.3f, 0.8f), "Train1"));
  if (s)
    s = Keep(trains_[1],
             Vehicle::Create(*this, EnemyKind::Train, 0.6f, -RandomBetween(0.3f, 0.8f), "Train2"));
  if (s)
    s = Keep(trains_[2],
             Vehicle::Create(*this, EnemyKind::Train, 0.2f, -RandomBetween(0.3f, 0.8f), "Train3"));
  for (int n = 0; s && n < 12; ++n) {
    const TruckPlan& p = TruckPlans[n % 6];
    const float step = n < 6 ? -0.4f : 0.4f;
    s = Keep(trucks_[n], Truck::Create(*this, 0.2f, step, p.gap, p.cabin, p.trailer));
  }
  for (int n = 0; s && n < 3; ++n) s = Keep(bonusBoxes_[n], BonusBox::Create(*this));
  if (s) s = Keep(scene2Layers_[1], StaticMesh::Load("L2_2.png", -7.7f, 2.6f, false));
  if (s) s = Keep(scene1Layers_[0], StaticMesh::Load("L1_1.png", 12.0f, 3.5f, false));
  if (s) s = Keep(scene1Layers_[1], StaticMesh::Load("L1_2.png", -11.1f, 5.28f, false));
  if (s) s = Keep(scene1Layers_[2], StaticMesh::Load("L1_3.png", -13.36f, 2.8f, false));
  if (s) s = Keep(scene2Layers_[2], StaticMesh::Load("L2_3.png", -12.28f, 1.91f, false));
  for (int n = 0; s && n < 6; ++n) {
    const TerroristPlan& p = TerroristPlans[n];
    s = Keep(lowerTerrorists_[n], Terrorist::Create(*this, p.kind, -2, p.step, p.name));
  }
  if (s) s = Keep(scene1Layers_[3], StaticMesh::Load("L1_4.png", -12.28f, -5.73f, false));
  if (s) s = Keep(scene1Layers_[4], StaticMesh::Load("L1_5.png", 6.71f, -3.89f, false));
  if (s) s = Keep(player_, Player::Create(*this));
  if (s) s = Keep(hudPanels_[0], StaticMesh::Load("Panel1.png", -12.4f, 10.8f, true));
  if (s) s = Keep(hudPanels_[1], StaticMesh::Load("Panel2.png", 8.14f, 10.8f, true));
  if (s) s = Keep(hudPanels_[2], StaticMesh::Load("Panel3.png", -5.24f, -9.47f, true));
  if (s) s = Keep(alarm_, StaticMesh::Load("Alarm.png", -12.46f, -11.06f, false));
  for (int i = 0; s && i < WeaponCount; ++i) {
    s = Keep(weaponIcons_[i], StaticMesh::Load("B" + std::to_string(i + 1) + ".png",
                                               -14.98f + 1.13f * i, -9.43f, true));
  }
  for (int i = 0; s && i < WeaponCount; ++i) {
    s = Keep(weaponPictures_[i],
             StaticMesh::Load("BGun" + std::to_string(i + 1) + ".png", -5.94f, -9.47f, false));
  }
  if (!s) return s;

  weaponIcons_[0]->Hide();
  ShowWeapon(state_.Weapon);
  StartNextLevel();
  return {};
}

Game::~Game() {
  host_.SetPointerPicture("Data\\cursor.png");
  ConfinePointer(false);
  // A vehicle's engine loops until stopped; nothing of the game may go on
  // sounding in the menu.
  for (SoundHandle& sound : sounds_) iSoundStop(sound, 0);
}

void Game::FlashHit() {
  const uint32_t now = input_.Tick;
  if (flashed_ && now - lastFlashTick_ < FlashSpacingMs) return;
  flashed_ = true;
  lastFlashTick_ = now;
  SetLightsLevel(0);  // the next playing frame restores it
}

bool Game::AllowsKind(EnemyKind enemyKind) const {
  const int kind = static_cast<int>(enemyKind);
  constexpr int FirstTerrorist = static_cast<int>(EnemyKind::Terrorist1);
  constexpr int LastTerrorist = static_cast<int>(EnemyKind::Terrorist3);
  // The first six levels bring in one kind after another.
  switch (state_.Level) {
    case 0:
      return enemyKind == EnemyKind::Terrorist1;
    case 1:
      return enemyKind == EnemyKind::Terrorist1 || enemyKind == EnemyKind::Terrorist2;
    case 2:
      return kind >= FirstTerrorist && kind <= LastTerrorist;
    case 3:
      return (kind >= FirstTerrorist && kind <= LastTerrorist) || enemyKind == EnemyKind::Train;
    case 4:
      return kind >= FirstTerrorist && kind <= static_cast<int>(EnemyKind::Car);
    case 5:
      return kind <= LastTerrorist || enemyKind == EnemyKind::Train;
    default:
      break;
  }
  // From then on, odd levels have no cars or trucks, even levels no trains.
  if (state_.Level < 6 || state_.Level > 1000 || kind > static_cast<int>(EnemyKind::Truck)) {
    return false;
  }
  if (state_.Level % 2 == 1) return enemyKind != EnemyKind::Car && enemyKind != EnemyKind::Truck;
  return enemyKind != EnemyKind::Train;
}

void Game::StartNextLevel() {
  for (Actor* enemy : enemies_.Members) {
    if (enemy->Active()) enemy->Deactivate();
  }
  if (state_.Ammo[Weapon::MachineGun] > MagazineSize[Weapon::MachineGun]) {
    state_.Ammo[Weapon::MachineGun] = MagazineSize[Weapon::MachineGun];
  }
  state_.Phase = GamePhase::Intro;
  captionLevel_ = 0;
  paused_ = false;
  state_.Level = static_cast<int16_t>(state_.Level + 1);
  enemies_.Max = static_cast<uint8_t>(state_.Level + 1);
  bonuses_.Max = static_cast<uint8_t>(state_.Level + 1);
  state_.TimeLeft = LevelTime(state_.Level);
  PlaySound(GameSound::LevelStart);
  ShowScenery(static_cast<uint8_t>(state_.Level % 2));
}

void Game::ShowScenery(uint8_t parity) {
  const bool first = parity == 0;
  auto show = [](StaticMesh* quad, bool visible) {
    if (!quad) return;
    if (visible) {
      quad->Show();
    } else {
      quad->Hide();
    }
  };
  show(scene1_.get(), first);
  for (auto& layer : scene1Layers_) show(layer.get(), first);
  show(scene2_.get(), !first);
  for (auto& layer : scene2Layers_) show(layer.get(), !first);
  for (auto& panel : hudPanels_) show(panel.get(), true);
}

// Now and then one of the list, drawn at random, comes on (if it may); then
// every active one takes its frame.
void Game::SpawnAndUpdate(ActorList& list, int oneIn) {
  if (Random(oneIn) == 10 && list.Active < list.Max && !list.Members.empty()) {
    list.Members[Random(static_cast<int>(list.Members.size()))]->Activate();
  }
  for (size_t i = 0; i < list.Members.size(); ++i) {
    if (list.Members[i]->Active()) list.Members[i]->Update();
  }
}

void Game::SpawnAndUpdate() {
  SpawnAndUpdate(bonuses_, 450);
  SpawnAndUpdate(enemies_, 50);
}

void Game::Reload() {
  const int w = state_.Weapon;
  if (w < 0 || w >= WeaponCount || state_.Magazines[w] < 1) return;
  PlaySound(GameSound::Reload);
  state_.Magazines[w] = static_cast<int16_t>(state_.Magazines[w] - 1);
  state_.Ammo[w] = MagazineSize[w];
}

void Game::AddLife() {
  if (state_.Lives < std::numeric_limits<int16_t>::max()) {
    state_.Lives = static_cast<int16_t>(state_.Lives + 1);
  }
}

void Game::LoseLife() {
  state_.Health = FullHealth;
  state_.Lives = static_cast<int16_t>(state_.Lives - 1);
  state_.Phase = state_.Lives < 0 ? GamePhase::GameOver : GamePhase::LifeLost;
  captionLevel_ = 0;
}

void Game::AddMagazine(int weapon) {
  state_.Magazines[weapon] = static_cast<int16_t>(state_.Magazines[weapon] + 1);
}

void Game::SpendShot(int weapon) {
  state_.Ammo[weapon] = static_cast<int16_t>(state_.Ammo[weapon] - 1);
}

bool Game::CanChooseWeapon(int weapon) const {
  return weapon >= 0 && weapon < WeaponCount && state_.Ammo[weapon] + state_.Magazines[weapon] > 0;
}

void Game::ChangeWeapon(int weapon) {
  if (weapon < 0 || weapon >= WeaponCount) return;
  HideWeapon(state_.Weapon);
  state_.Weapon = static_cast<int8_t>(weapon);
  ShowWeapon(state_.Weapon);
}

void Game::StepWeapon(int step) {
  HideWeapon(state_.Weapon);
  int weapon = state_.Weapon;
  // Five steps come back to the weapon in hand.
  for (int i = 0; i < WeaponCount; ++i) {
    weapon = (weapon + step + WeaponCount) % WeaponCount;
    if (CanChooseWeapon(weapon)) break;
  }
  if (CanChooseWeapon(weapon)) state_.Weapon = static_cast<int8_t>(weapon);
  ShowWeapon(state_.Weapon);
}

void Game::HideWeapon(int weapon) {
  if (weapon < 0 || weapon >= WeaponCount) return;
  if (player_) iSpriteHide(player_->GunSprite(weapon));
  if (weaponIcons_[weapon]) weaponIcons_[weapon]->Show();
  if (weaponPictures_[weapon]) weaponPictures_[weapon]->Hide();
}

void Game::ShowWeapon(int weapon) {
  if (weapon < 0 || weapon >= WeaponCount) return;
  if (player_) iSpriteShow(player_->GunSprite(weapon));
  if (weaponIcons_[weapon]) weaponIcons_[weapon]->Hide();
  if (weaponPictures_[weapon]) weaponPictures_[weapon]->Show();
}

void Game::PlaySound(GameSound sound, bool looped) { host_.PlaySound(Sound(sound), looped); }

void Game::StopSound(GameSound sound) { iSoundStop(Sound(sound), 0); }

void Game::ShowAlarmIfMarked() {
  if (arrowCount_ > 0 && alarm_) alarm_->Show();
}

void Game::HideAlarmIfUnmarked() {
  if (arrowCount_ <= 0 && alarm_) alarm_->Hide();
}

void Game::ConfinePointer(bool confine) {
  if (confine == pointerConfined_) return;
  pointerConfined_ = confine;
  host_.ConfinePointer(confine);
}

}  // namespace gh
