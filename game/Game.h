// One running game: created when the game screen is entered, freed at the end
// of its game-over flow (or when the engine stops). It builds its whole scene
// once; levels only show, hide, activate and deactivate what exists.
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <optional>

#include "Actor.h"
#include "Meshes.h"
#include "Random.h"
#include "engine/ScreenUnits.h"
#include "game/GameInput.h"
#include "platform/Result.h"

namespace gh {

class GameHost;
class Player;
class Terrorist;
class Vehicle;
class Truck;
class BonusBox;

// The game's flow, frame by frame.
enum class GamePhase : int8_t {
  Intro = -1,        // the level's caption grows
  Playing = 0,       // play (also while paused)
  GameOver = 1,      // the "GAME OVER" caption grows
  ExitAsk = 2,       // "Exit to menu?"
  ScoreCheck = 3,    // does the score enter the table
  NameEntry = 4,     // the name question
  SendAsk = 5,       // send the result to the score server?
  Sending = 6,       // the send runs
  SendFailed = 7,    // "Repeat again?"
  ToMenu = 8,        // over: the menu follows
  ToHighScores = 9,  // over: the high-score table follows
  LifeLost = 11,     // the life-lost caption grows
};

// The sixteen game sounds, "Data\Sound\<n>.wav" with n the value.
enum class GameSound : uint8_t {
  PistolShot = 0,  // the weapons' shots are 0-4, by weapon
  RifleShot = 1,   // also a terrorist's shot at the player
  MachineGunShot = 2,
  LauncherShot = 3,
  BlasterShot = 4,
  DryClick = 5,     // the trigger of an empty weapon
  TargetArrow = 6,  // a vehicle comes on marked to be shot
  RoadEngine = 7,   // a car or truck, looped
  TrainEngine = 8,  // a train, looped
  Burst = 9,        // a vehicle destroyed
  TerroristDeath = 10,
  Reload = 11,
  LevelStart = 12,
  TerroristHit = 13,
  Spare14 = 14,  // loaded, never played
  Spare15 = 15,  // loaded, never played
};
inline constexpr int GameSoundCount = 16;

// What of a game outlives an engine run (a display change, the boss key in
// full screen): the scene is made anew by the next run, the player's progress
// is kept. The running game keeps the same record.
struct GameProgress {
  GamePhase Phase = GamePhase::Playing;
  int16_t Level = 0;
  int16_t Lives = 0;
  int16_t Health = 0;
  int32_t Score = 0;
  int32_t TimeLeft = 0;                // of the level, in milliseconds
  std::array<int16_t, 5> Ammo{};       // shots in each weapon's magazine
  std::array<int16_t, 5> Magazines{};  // spare magazines of each weapon
  int8_t Weapon = 0;                   // the weapon in hand
  uint32_t ClockMs = 0;                // the game's own clock (Now)
  GameDice Dice;                       // the game's chances, from its seed

  bool operator==(const GameProgress&) const = default;
};

class Game {
 public:
  // Builds the scene and starts the first level, its chances drawn from
  // `seed`; with `progress`, goes on with a game an engine run stopped instead
  // (its chances go on from there; a game in play comes back paused). An
  // Error names a data file that could not be read.
  static Result<std::unique_ptr<Game>> Create(GameHost& host, uint64_t seed,
                                              const std::optional<GameProgress>& progress = {});
  ~Game();
  Game(const Game&) = delete;
  Game& operator=(const Game&) = delete;

  // What an engine restart must keep of this game; nothing when it has ended.
  std::optional<GameProgress> Progress() const;
  // The player's progress as it is now.
  const GameProgress& State() const { return state_; }
  GamePhase Phase() const { return state_.Phase; }
  int8_t CurrentWeapon() const { return state_.Weapon; }

  // One frame of the game, inside the engine's run phase, with what the
  // player does in it. The phases ToMenu and ToHighScores end the game: the
  // program frees it after this call.
  void RunFrame(const FrameInput& input);
  // What happens between frames: Escape, FocusLost, ChooseWeapon and
  // StepWeapon. Answer and Restart belong to the game's owner (the `then` of
  // the pending question; a new game from Progress()) and do nothing here.
  void Apply(const GameEvent& event);
  // The input of the frame running (or of the last one).
  const FrameInput& Input() const { return input_; }
  // Whether the pointer of this frame lies on a shown mesh (the engine's
  // picking test at that point of the view).
  bool PointsAt(MeshRef mesh) const;
  // The pointer of this frame on the scene's plane.
  iVec2 PointerOnPlane() const;
  // The animation clock: a hundredth of a second of the game's clock.
  uint32_t AnimationTick() const { return state_.ClockMs / 10u; }
  // Escape in play: ends a pause, or asks whether to leave.
  void Escape();
  // Pauses or resumes play: the lights go behind the scene while paused.
  void TogglePause();
  // The window lost the focus: a game in play pauses.
  void PauseIfPlaying();
  bool Paused() const { return paused_; }
  // The caption of a paused game, over the darkened scene.
  void ShowPauseCaption();

  // May an enemy of this kind appear at the current level.
  bool AllowsKind(EnemyKind kind) const;
  // Ends the current level (every enemy leaves) and starts the next one.
  void StartNextLevel();
  // Parity 0: the first scene, 1: the second; the HUD panels either way.
  void ShowScenery(uint8_t parity);
  // One frame of random activation and of the updates of boxes and enemies.
  void SpawnAndUpdate();
  // Loads a spare magazine into the current weapon.
  void Reload();
  // The HUD texts of a playing frame.
  void DrawHud();

  // A terrorist's shot hit the player: a red flash of the scene, but at most
  // one for all hits within FlashSpacingMs of the flash before, so the scene
  // never flashes more than three times a second.
  void FlashHit();
  static constexpr uint32_t FlashSpacingMs = 334;

  // Weapon selection (mouse wheel, keys 1-5, weapon boxes, an empty weapon).
  bool CanChooseWeapon(int weapon) const;
  // The weapon display rule: hides the weapon in hand, makes `weapon` current and shows it.
  void ChangeWeapon(int weapon);
  // The next (+1) or previous (-1) weapon that can be chosen, as the mouse
  // wheel steps; with none loaded the weapon in hand stays.
  void StepWeapon(int step);

  // What the actors do to the player's progress.
  void AddScore(int points) { state_.Score += points; }
  void TakeHealth(int points) { state_.Health = static_cast<int16_t>(state_.Health - points); }
  void RefillHealth() { state_.Health = FullHealth; }
  void AddLife();
  // The health ran out: a life goes, and the caption (or the game's end) follows.
  void LoseLife();
  void AddMagazine(int weapon);
  void SpendShot(int weapon);
  void FillAmmo(int weapon) { state_.Ammo[weapon] = 99; }
  // Every third level the machine gun never runs dry.
  bool MachineGunUnlimited() const { return (state_.Level + 1) % 3 == 0; }

  // The game's own clock in milliseconds, for every game timer (weapon delays,
  // bonus boxes): it follows the system clock but stands still while the game
  // is paused, so nothing runs out during a pause.
  uint32_t Now() const { return state_.ClockMs; }

  // A game sound, heard when sounds are on.
  void PlaySound(GameSound sound, bool looped = false);
  // Uniform over 0 .. n - 1, from the game's own generator.
  int Random(int n) { return state_.Dice.Below(n); }
  // Uniform in [low, high), from the game's own generator.
  float RandomBetween(float low, float high) { return state_.Dice.Between(low, high); }
  void StopSound(GameSound sound);
  SoundRef Sound(GameSound sound) const { return sounds_[static_cast<int>(sound)]; }

  // What the actors share.
  ActorList& Enemies() { return enemies_; }
  const ActorList& Enemies() const { return enemies_; }
  ActorList& Bonuses() { return bonuses_; }
  const ActorList& Bonuses() const { return bonuses_; }
  bool VehicleActive() const { return vehicleActive_; }  // at most one on the scene
  void SetVehicleActive(bool active) { vehicleActive_ = active; }
  // Active vehicles showing their target arrow; the alarm shows while any does.
  int8_t ArrowCount() const { return arrowCount_; }
  void CountArrow(int change) { arrowCount_ = static_cast<int8_t>(arrowCount_ + change); }
  void ShowAlarmIfMarked();
  void HideAlarmIfUnmarked();

  // The scene.
  Player* GetPlayer() const { return player_.get(); }
  const std::array<std::unique_ptr<Vehicle>, 5>& Aircraft() const { return aircraft_; }
  const std::array<std::unique_ptr<Terrorist>, 6>& UpperTerrorists() const {
    return upperTerrorists_;
  }
  const std::array<std::unique_ptr<Vehicle>, 2>& Cars() const { return cars_; }
  const std::array<std::unique_ptr<Vehicle>, 3>& Trains() const { return trains_; }
  const std::array<std::unique_ptr<Truck>, 12>& Trucks() const { return trucks_; }
  const std::array<std::unique_ptr<BonusBox>, 3>& BonusBoxes() const { return bonusBoxes_; }
  const std::array<std::unique_ptr<Terrorist>, 6>& LowerTerrorists() const {
    return lowerTerrorists_;
  }
  StaticMesh* Scene1() const { return scene1_.get(); }
  StaticMesh* Scene2() const { return scene2_.get(); }
  StaticMesh* Scene1Layer(int n) const { return scene1Layers_[n].get(); }
  StaticMesh* Alarm() const { return alarm_.get(); }
  StaticMesh* WeaponIcon(int weapon) const { return weaponIcons_[weapon].get(); }
  StaticMesh* WeaponPicture(int weapon) const { return weaponPictures_[weapon].get(); }

  // Test seams: the progress record to set up a situation, and the caption's
  // growth to skip ahead.
  GameProgress& StateForTests() { return state_; }
  void SetCaptionLevelForTests(float level) { captionLevel_ = level; }

  static constexpr int16_t FullHealth = 50;

 private:
  explicit Game(GameHost& host);
  // Builds the scene once and starts the first level.
  Status Build();
  // Goes on with a game an engine run stopped, on the scene just built.
  void Resume(const GameProgress& progress);
  void PlayingFrame();
  void GrowCaption(const char* text, float step, GamePhase next);
  // ToMenu and ToHighScores: the game is over.
  void Finish(bool toHighScores);
  // The pointer is held inside the window while the game is played.
  void ConfinePointer(bool confine);
  // Hides a weapon's gun and picture and shows its icon (first half of a change).
  void HideWeapon(int weapon);
  // Shows a weapon's gun and picture and hides its icon (second half of a change).
  void ShowWeapon(int weapon);
  void SpawnAndUpdate(ActorList& list, int oneIn);

  GameHost& host_;
  GameProgress state_;
  FrameInput input_;
  uint32_t lastTick_ = 0;  // the input's tick the clocks last advanced to
  // False until a frame has set lastTick_: the first frame after the game is
  // made, goes on after a stop, or follows a question charges no time.
  bool tickKnown_ = false;
  bool clockStarted_ = false;  // a resumed game's clock goes on from its progress
  bool paused_ = false;
  // The level and end captions grow with this.
  float captionLevel_ = 0;
  bool vehicleActive_ = false;
  int8_t arrowCount_ = 0;
  bool pointerConfined_ = false;
  bool flashed_ = false;
  uint32_t lastFlashTick_ = 0;  // the input's tick of the last hit flash

  // The scene. C++ frees members last-declared first, so what is declared
  // here goes in the reverse of this order. The actor lists outlive the
  // actors (an actor leaves its list as it goes); the sounds, declared last,
  // stop and go first, so that nothing of the game sounds on in the menu.
  // Between them, the weapon pictures go last and the player first, the order
  // the game has always given its objects back to the engine in (nothing in
  // one part refers to another).
  ActorList enemies_;
  ActorList bonuses_;
  std::array<std::unique_ptr<StaticMesh>, 5> weaponPictures_;
  std::array<std::unique_ptr<StaticMesh>, 5> weaponIcons_;
  std::unique_ptr<StaticMesh> alarm_;
  std::array<std::unique_ptr<StaticMesh>, 3> hudPanels_;
  std::array<std::unique_ptr<StaticMesh>, 3> scene2Layers_;
  std::array<std::unique_ptr<StaticMesh>, 5> scene1Layers_;
  std::array<std::unique_ptr<Terrorist>, 6> lowerTerrorists_;
  std::array<std::unique_ptr<Terrorist>, 6> upperTerrorists_;
  std::array<std::unique_ptr<Truck>, 12> trucks_;
  std::array<std::unique_ptr<Vehicle>, 3> trains_;
  std::array<std::unique_ptr<Vehicle>, 5> aircraft_;
  std::array<std::unique_ptr<Vehicle>, 2> cars_;
  std::unique_ptr<StaticMesh> scene2_;
  std::unique_ptr<StaticMesh> scene1_;
  std::array<std::unique_ptr<BonusBox>, 3> bonusBoxes_;
  std::unique_ptr<Player> player_;
  std::array<SoundHandle, GameSoundCount> sounds_;
};

// Milliseconds a level lasts: 41.3 s for the first, 12.3 s more for each next.
inline int32_t LevelTime(int level) { return 41300 + 12300 * level; }

}  // namespace gh
