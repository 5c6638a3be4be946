// The application shell: one object, made by Program, that owns the program's
// state above the layers (the screen shown, the running game, the screen
// resources, the question box, the results not sent, the engine's run) and is
// the host the game and the widgets call. Everything here runs on the one thread.
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/EngineCalls.h"
#include "engine/Lights.h"
#include "engine/ScreenUnits.h"
#include "game/Game.h"
#include "game/GameHost.h"
#include "game/Recording.h"
#include "platform/Result.h"
#include "scores/TableRecordings.h"
#include "scores/WebScores.h"
#include "settings/Settings.h"
#include "shell/QuestionBox.h"
#include "shell/Sending.h"
#include "ui/UiHost.h"
#include "ui/WidgetSet.h"

namespace gh {

// The first picture a player sees, shown while everything else loads.
inline constexpr const char* LoadingPictureFile = "Data\\loading.jpg";

// The pictures, sounds and tunes the screens share (empty = none). Each engine
// run makes them anew; its end frees them.
struct ScreenResources {
  SoundRef Click;
  SpriteRef Cursor;
  SpriteRef Loading;
  SpriteRef MenuBack;
  SpriteRef HelpBonus;
  SpriteRef HelpAbout;
  SpriteRef HelpControls;
  SpriteRef HighScore;
  SoundRef GameMusic;
  SoundRef MenuMusic;
};

// What the program is asked to do at start (its command line).
struct ProgramOptions {
  // --replay FILE: a recording to watch at start; its bytes, or why they
  // could not be read.
  std::optional<std::string> replayFile;
  std::string replayBytes;
  std::string replayError;
};
// The options of a command line (the program's name left out). A file named
// there is read at once: the program then leaves the folder it was started in.
ProgramOptions ReadProgramArguments(const std::vector<std::string>& arguments);

class GamePlayback;
struct WatchState;

class Shell final : public GameHost, public UiHost {
 public:
  Shell();
  ~Shell() override;
  Shell(const Shell&) = delete;
  Shell& operator=(const Shell&) = delete;

  // ---- screens (Screens.cpp) ---------------------------------------------------
  gh::Screen CurrentScreen() const { return currentScreen_; }
  // The screen before the current one (the fade-in at start); a restart comes
  // back to it.
  gh::Screen PreviousScreen() const { return previousScreen_; }
  // Shows a screen (a value of the screen table; a value without an entry is
  // a blank screen), after hiding everything of the one before.
  void SwitchScreen(Screen screen);
  // Runs a command (a widget's or a window handler's).
  void RunCommand(Command command);
  // Whether the screen table has an entry for this value.
  static bool ScreenExists(Screen screen);
  // The level of the screen's fades (fade-in, fade-out).
  float FadeLevel() const { return fadeLevel_; }
  // The running game, or none.
  Game* RunningGame() const { return game_.get(); }
  // The recording of the last game that reached its score check (none before).
  const GameRecording* FinishedRecording() const;
  // What is being recorded of the running game (or the last one), if anything.
  const GameRecorder* Recorder() const { return recorder_ ? &*recorder_ : nullptr; }
  // The program-wide generator each game's seed is drawn from.
  Chances& GameChances() { return chances_; }
  const ScreenResources& Resources() const { return resources_; }
  // The widget set of the current engine run (none before the first is built).
  WidgetSet* Widgets() const { return widgets_.get(); }
  QuestionBox& Questions() { return questions_; }
  UnsentResults& Unsent() { return unsent_; }

  // The boss key, Alt+Tab, Escape and the pointer (also while a question is open).
  void HandleGlobalKeys();

  // ---- the table's recordings and watching them (Watch.cpp) ------------------------
  // The stored recording of the table's entry (name, score), or none.
  std::optional<std::string> KeptRecording(const std::string& name, int32_t score) const;
  const TableRecordings& Recordings() const { return recordings_; }
  // For each row of the table: whether its game can be watched.
  std::array<bool, 10> WatchableRows() const;
  // Plays the game of a table row in the Watch screen; the table follows.
  void WatchTableRow(int row);
  // Plays a recording's bytes in the Watch screen; `after` follows its end or
  // Escape. A recording this build cannot play says why in the question box,
  // then `after` follows.
  void WatchRecording(std::string_view bytes, Screen after);
  // What the command line asked for, done once the program has started.
  void WatchAtStart(ProgramOptions options);
  // The game being watched, or none.
  const GamePlayback* Playback() const;
  // The speed it plays at (an index of WatchSpeeds), and the game frames the
  // last engine frame ran.
  int WatchSpeedIndex() const;
  uint32_t WatchFramesLastStep() const;

  // ---- sound and music (Audio.cpp) ---------------------------------------------
  void PlaySoundFx(SoundRef sound, bool looped);
  // Starts the tune of the screen shown, or none when music is off.
  void UpdateMusic();

  // ---- engine life cycle (Program.cpp) ------------------------------------------
  bool EngineRunning() const { return run_.engineRunning; }
  // One pass of the running engine: a frame when one is due. A failure has
  // closed the engine; the caller stops the program with its message.
  Status EngineStep();
  // The one way the program stops on a failure: the message, then the window
  // closes and the program ends with exit code 1.
  void StopWithMessage(const Error& error);
  bool StoppedByError() const { return stoppedByError_; }
  // The engine calls this with each window message.
  static void OnMessage(const iMessage* message, void* shell);

  // The window handlers, as the window system's messages reach them.
  Status OnIdle();
  Status OnRestore();
  void OnDeactivate();
  void OnMaximize();
  void OnTitleBarDoubleClick(int hitTest);
  void OnKeyUp(int virtualKey);
  // The wheel steps the weapon (+1 up, -1 down).
  void OnMouseWheel(int step);

  // Writes the settings and the table, telling the player when that fails.
  void SaveSettingsOrTell();

  // ---- settings and table -------------------------------------------------------
  // The player's settings and table: read from "Config.cfg" at the first engine
  // start, saved back at the end and after a new high score.
  Settings& PlayerSettings() { return settings_; }
  // The table in memory is the one in "Config.cfg" (read whole or made new): a
  // result that leaves it has left the stored table too.
  bool TableIsStored() const { return tableStored_; }
  // The name typed in the question box's name box; never stored.
  std::string& TypedName() { return questions_.TypedName(); }

  // ---- GameHost ------------------------------------------------------------------
  void Ask(const std::string& line1, const std::string& line2, const iColor& colour, bool nameBox,
           std::function<void(bool)> then) override;
  bool QualifiesForHighScores(int32_t score) override;
  Status EnterHighScore(int32_t score) override;
  void SendScore(int32_t score, std::function<void(bool)> then) override;
  void PlaySound(SoundRef sound, bool looped) override { PlaySoundFx(sound, looped); }
  void ConfinePointer(bool confine) override;
  void EndGame(bool toHighScores) override;
  void SetPointerPicture(const char* file) override;

  // ---- UiHost ----------------------------------------------------------------------
  void Activate(Action action) override;
  void PlayClick() override { PlaySoundFx(resources_.Click, false); }
  void BossKeyCaptured() override { bossKeyArmed_ = false; }

 private:
  // The scene lights' depth while a game is played (the game moves them while paused).
  static constexpr float PlayingLightsDepth = -20.0f;

  // ---- Screens.cpp ----
  struct ScreenEntry;
  static const ScreenEntry screens_[];
  static const ScreenEntry* FindScreen(Screen screen);
  // The shared resources and the widgets of a new engine run; a data file
  // missing or damaged fails it.
  Status LoadResources();
  void UpdateFrame();
  void GlobalKeys();
  void FollowPointer();
  void TellUnopenedPage();
  bool ScreenFrame();
  void AskExit(bool byKey);
  void CloseEndedGame();
  // What the player does in this game frame, read from the engine.
  FrameInput ReadFrameInput() const;
  // Applies an event to the running game and records it.
  void ApplyGameEvent(const GameEvent& event);
  void ReplaceGame(std::unique_ptr<Game> game);
  // Keeps the progress of the running game (if any, and not ended) for the next
  // engine run, whose entry to the game screen goes on with it; forgets what was
  // kept before. The next run's loading forgets it if it does not show the game.
  void SuspendRunningGame();
  void StartFade(bool in);
  void EnterMenu();
  void EnterGame();
  void EnterOptions();
  void EnterHiScore();
  void EnterHelpPage(SpriteRef picture, std::optional<Screen> prev, std::optional<Screen> next);
  void EnterClearScores();
  void EnterSendScore();
  void EnterExitAsk();
  void EnterQuit();
  bool GameFrame();
  bool FadeOutFrame();
  bool FadeInFrame();
  bool HiScoreFrame();
  void EscapeGame();

  // ---- Watch.cpp ----
  void LoadRecordings();
  // The finished game's recording goes with its new table entry (name, score).
  void KeepFinishedRecording(const std::string& name, int32_t score);
  void ForgetRecordingsOfClearedTable();
  void ShowWatchableRows();
  void DrawWatchSigns();
  // Whether a click at `x` on a table row watches its game before anything else.
  bool RowClickWatches(int row, float x) const;
  void TellCannotWatch(const std::string& line1, const std::string& line2, Screen after);
  void StartWatchFromOptions();
  void EnterWatch();
  bool WatchFrame();
  // The Watch screen is left: for an engine restart the game is kept to go on
  // with (its scene goes with the run), otherwise it ends.
  void EndWatch(bool forRestart);
  void LeaveWatch();
  void ChangeWatchSpeed(int step);

  // ---- Program.cpp ----
  Status StartRun();
  Status CleanUp();
  Status EndRun();
  void CloseEngineAfterError();
  Status EnginePass();
  Status QuestionPass();
  Status FrameAfterInit();
  Status FinishInit();
  Status EndRunPhase();
  // On a first start, writes the new "Config.cfg" (once the loading picture is up).
  void SaveNewSettingsFile();
  // Stores the display setting and stops the engine; the frame loop restarts it.
  void RestartEngine(uint8_t windowed);
  // Stops the engine before the window is minimised (full screen); it starts
  // again on restore, or by itself when the desktop has not minimised the window
  // within a second.
  void StopEngineToHide();
  void HandleMessage(const iMessage& message);

  // First: the widgets and the game bind to it and go before it.
  Settings settings_;
  bool tableStored_ = false;
  Chances chances_;
  Screen currentScreen_ = Screen::Menu;
  Screen previousScreen_ = Screen::FadeIn;
  // True until the engine has been opened once.
  bool firstRun_ = true;
  float fadeLevel_ = 0;
  std::unique_ptr<Game> game_;
  // Writes the running game down (or the last one, finished); it lives
  // beside the game and through the engine restarts the game goes through.
  std::optional<GameRecorder> recorder_;
  uint64_t dataVersion_ = 0;  // of Data/, read with the resources
  // Where the program goes once the frame of a game that has ended is over
  // (none while the game goes on).
  std::optional<Screen> endedGameScreen_;
  // A game the last engine run stopped, to go on with in the next.
  std::optional<GameProgress> suspendedGame_;
  ScreenResources resources_;
  QuestionBox questions_{*this};
  UnsentResults unsent_{*this};
  // The widgets of the current engine run; they bind to settings_ and to the
  // question box's typed name, so they go first.
  std::unique_ptr<WidgetSet> widgets_;
  // The table's recordings, read at the first start.
  TableRecordings recordings_;
  // The game being watched (the Watch screen), or none.
  std::unique_ptr<WatchState> watch_;
  ProgramOptions startOptions_;
  // Cleared when the boss-key box captures a key: the boss key then acts only
  // after it has been released once, so choosing a key does not hide the game.
  bool bossKeyArmed_ = true;
  // The program ends with exit code 1: a failure stopped it.
  bool stoppedByError_ = false;

  // The engine's run, as the frame loop drives it.
  struct EngineRunState {
    // The user closed the window while the engine ran: the engine stops after
    // its frame and the window closes.
    bool closeRequested = false;
    // The engine is open and its frames run (otherwise the program waits for
    // window events).
    bool engineRunning = false;
    // Engine runs started to come back from a restart or a minimise: when the
    // last run of such a chain ends, the screen is the one saved before it.
    bool restoreScreenAfterRuns = false;
    // Where the frame that opened the open question stopped: its answer
    // finishes that frame from there.
    enum class AskedIn { Run, Init } questionAskedIn = AskedIn::Run;
    // The engine was stopped for a minimise (boss key, Alt+Tab in full screen)
    // at this tick; some desktops never minimise.
    bool stoppedToHide = false;
    uint32_t hideTick = 0;
    // A first start: the new "Config.cfg" is written once the loading picture is up.
    bool newSettingsFilePending = false;
  };
  EngineRunState run_;
};

// Addresses of the score server's world-scores page and of the game's home page.
std::string WorldScoresAddress();
std::string HomePageAddress();

}  // namespace gh
