// One running game: created when the game screen is entered, freed at the end
// of its game-over flow (or when the engine stops). It builds its whole scene
// once; levels only show, hide, activate and deactivate what exists.
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "Sprites.h"

namespace gh {

class TPlayer;
class TTerror;
class TCar;
class TKamazCar;
class TBonus;

// Enemy kinds as the level filter sees them.
enum : int8_t {
  KindAircraft = 0,
  KindTerror1 = 1,
  KindTerror2 = 2,
  KindTerror3 = 3,
  KindCar = 4,
  KindTrain = 5,
  KindTruck = 6,
};

// Game flow phases (Phase).
enum : int8_t {
  PhaseIntro = -1,
  PhasePlaying = 0,
  PhaseGameOver = 1,
  PhaseExitAsk = 2,
  PhaseScoreCheck = 3,
  PhaseNameEntry = 4,
  PhaseSendAsk = 5,
  PhaseSending = 6,
  PhaseSendFailed = 7,
  PhaseToMenu = 8,
  PhaseToHiScore = 9,
  PhaseLifeLost = 11,
};

// What of a game outlives an engine run (a display change, the boss key in
// full screen): the scene is made anew by the next run, the player's progress
// is kept.
struct GameProgress {
  int8_t Phase = PhasePlaying;
  int16_t Level = 0;
  int16_t Lives = 0;
  int16_t Health = 0;
  int32_t Score = 0;
  int32_t TimeLeft = 0;
  std::array<int16_t, 5> Ammo{};
  std::array<int16_t, 5> Magazines{};
  int8_t Weapon = 0;
  uint32_t ClockMs = 0;

  bool operator==(const GameProgress&) const = default;
};

class TGame {
 public:
  TGame();
  // Builds the scene and goes on with a game an engine run stopped: a game in
  // play comes back paused.
  explicit TGame(const GameProgress& progress);
  ~TGame();
  TGame(const TGame&) = delete;
  TGame& operator=(const TGame&) = delete;

  // Builds the scene once and starts the first level.
  void BuildLevel();
  // What an engine restart must keep of this game; nothing when it has ended.
  std::optional<GameProgress> Progress() const;
  // May an enemy of this kind appear at the current level.
  bool AllowsKind(uint8_t kind) const;
  // Ends the current level (every enemy leaves) and starts the next one.
  void StartNextLevel();
  // Parity 0: the first scene, 1: the second; the HUD panels either way.
  void ShowScenery(uint8_t parity);
  // One frame of random activation and of the updates of boxes and enemies.
  void SpawnAndUpdate();
  // One frame of the game, inside the engine's run phase. Phases 8 and 9 end
  // the game: the program frees it after this call.
  void RunFrame();
  // Loads a spare magazine into the current weapon.
  void Reload();
  // The HUD texts of a playing frame.
  void DrawHud();
  // The caption of a paused game, over the darkened scene.
  void ShowPauseCaption();

  // A terrorist's shot hit the player: a red flash of the scene, but at most
  // one for all hits within FlashSpacingMs of the flash before, so the scene
  // never flashes more than three times a second.
  void FlashHit();
  static constexpr uint32_t FlashSpacingMs = 334;

  // Weapon selection (mouse wheel, keys 1-5, weapon boxes, an empty weapon).
  bool CanChooseWeapon(int weapon) const;
  // The weapon display rule: hides weapon `Weapon`, makes `weapon` current and shows it.
  void ChangeWeapon(int weapon);
  // The next (+1) or previous (-1) weapon that can be chosen, as the mouse
  // wheel steps; with none loaded the weapon in hand stays.
  void StepWeapon(int step);
  // Hides a weapon's gun and picture and shows its icon (first half of a change).
  void HideWeapon(int weapon);
  // Shows a weapon's gun and picture and hides its icon (second half of a change).
  void ShowWeapon(int weapon);

  // The game's own clock in milliseconds, for every game timer (weapon delays,
  // bonus boxes): it follows the system clock but stands still while the game
  // is paused, so nothing runs out during a pause.
  uint32_t Now() const { return ClockMs; }

  int8_t Phase = 0;
  uint32_t ClockMs = 0;
  uint32_t LastTick = 0;  // the system tick the clocks last advanced to
  int32_t TimeLeft = 0;
  std::unique_ptr<TPlayer> Player;
  int16_t Lives = 0;
  int16_t Health = 0;
  int16_t Level = 0;
  int32_t Score = 0;
  std::array<int16_t, 5> Ammo{};
  std::array<int16_t, 5> Magazines{};
  int8_t Weapon = 0;

  // What the actors share. The lists reference, never own; declared before the
  // actors, they outlive them.
  std::vector<TBaseEnemy*> EnemyList;
  std::vector<TBaseBonus*> BonusList;
  int8_t ActiveEnemies = 0;
  uint8_t MaxEnemies = 0;  // Level + 1 (low eight bits)
  int8_t ActiveBonuses = 0;
  uint8_t MaxBonuses = 0;              // Level + 1 (low eight bits)
  std::array<SoundHandle, 16> Sounds;  // "Data\Sound\<n>.wav"
  bool VehicleActive = false;          // at most one vehicle on the scene
  int8_t ArrowCount = 0;               // active vehicles showing their target arrow
  // The level and end captions grow with this.
  float CaptionLevel = 0;

  // The scene, in the slots the level build fills.
  std::unique_ptr<TStaticSprite> Scene1;  // "level1.jpg"
  std::unique_ptr<TStaticSprite> Scene2;  // "level2.jpg"
  std::array<std::unique_ptr<TStaticSprite>, 5> Scene1Layers;
  std::array<std::unique_ptr<TStaticSprite>, 3> Scene2Layers;
  std::array<std::unique_ptr<TStaticSprite>, 3> HudPanels;
  std::unique_ptr<TStaticSprite> Alarm;
  std::array<std::unique_ptr<TStaticSprite>, 5> WeaponIcons;
  std::array<std::unique_ptr<TStaticSprite>, 5> WeaponPictures;

  std::array<std::unique_ptr<TCar>, 5> Aircraft;
  std::array<std::unique_ptr<TTerror>, 6> UpperTerrorists;
  std::array<std::unique_ptr<TCar>, 2> Cars;
  std::array<std::unique_ptr<TCar>, 3> Trains;
  std::array<std::unique_ptr<TKamazCar>, 12> Trucks;
  std::array<std::unique_ptr<TBonus>, 3> Bonuses;
  std::array<std::unique_ptr<TTerror>, 6> LowerTerrorists;

 private:
  void PlayingFrame();
  void GrowCaption(const char* text, float step, int8_t next);
  // Phases 8 and 9: the game is over.
  void Finish(bool toHighScores);
  // The pointer is held inside the window while the game is played.
  void ConfinePointer(bool confine);

  bool PointerConfined = false;
  bool Flashed = false;
  uint32_t LastFlashTick = 0;  // TickCount of the last hit flash
};

// The running game, or none. The program owns it; the actors reach their game here.
extern TGame* Game;
extern bool Paused;
// Pauses or resumes play: the lights go behind the scene while paused.
void TogglePause(float pausedDepth, float playingDepth);

// Milliseconds a level lasts: 41.3 s for the first, 12.3 s more for each next.
inline int32_t LevelTime(int level) { return 41300 + 12300 * level; }

}  // namespace gh
