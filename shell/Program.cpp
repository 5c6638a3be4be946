#include "shell/Program.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <utility>

#include "engine/EngineCalls.h"
#include "engine/EngineLibrary.h"
#include "game/Game.h"
#include "settings/Settings.h"
#include "shell/Shell.h"

namespace gh {

namespace {

// How long a desktop may take to minimise the window after the boss key.
constexpr uint32_t NoMinimiseMs = 1000;
// The title bar's hit-test code in a double click's message.
constexpr int TitleBarHit = 2;

std::string WithEngineText(const std::string& message) {
  const char* text = i3ImpactErrorText ? i3ImpactErrorText() : nullptr;
  if (text && *text) return message + "\n" + text;
  return message;
}

void TellSettingsUnusable(const std::string& why) {
  ThePlatform().ShowError("\"Config.cfg\" cannot be used: " + why +
                          "\nSettings and scores of this session will not be saved.");
}

// Tells the player once when "Config.cfg" could not be used as it was.
void ReportSettingsLoad(const Result<SettingsLoad>& loaded) {
  if (!loaded) {
    TellSettingsUnusable(loaded.error().message);
  } else if (loaded->result == LoadResult::Damaged) {
    const std::string& copy = loaded->damagedCopy;
    std::string text =
        "\"Config.cfg\" was damaged. The game starts with what could be read and default "
        "values for the rest.";
    text += copy.empty() ? " A copy of the damaged file could not be kept."
                         : " A copy of the damaged file was kept as \"" + copy + "\".";
    ThePlatform().ShowError(text);
  }
}

// A fatal failure of the engine in one of its phases, with the engine's own words.
Status CheckEngineError(const char* phase) {
  if (!i3ImpactErrorFlag()) return {};
  return Error{WithEngineText(std::string("Problem with running game dll ") + phase + " procedure"),
               {}};
}

void RenderAndHandleMessages() {
  if (!i3ImpactIsSkippingRenderPhase()) i3ImpactRender();
  iProcessMessages();
}

}  // namespace

// Ends an engine run, also after an error in it: a restart starts the next
// run at once, Quit or a closed window closes the window.
Status Shell::CleanUp() {
  run_.engineRunning = false;
  questions_.Drop();
  i3ImpactExitBegin();
  i3ImpactExitEnd();
  if (run_.closeRequested) {
    ThePlatform().CloseMainWindow();
  } else if (currentScreen_ == Screen::Restart) {
    run_.restoreScreenAfterRuns = true;
    return StartRun();
  } else if (currentScreen_ == Screen::Quit) {
    ThePlatform().CloseMainWindow();
  }
  if (run_.restoreScreenAfterRuns) {
    run_.restoreScreenAfterRuns = false;
    currentScreen_ = previousScreen_;
  }
  return {};
}

// The normal end of a run: the engine stopped rendering.
Status Shell::EndRun() {
  iReset(true, true);
  // The game's handles are older than the reset: freeing it frees nothing twice.
  EndEngineRun();
  // A restart or a minimise stops the engine, never the game: the next run
  // rebuilds its scene and goes on with it.
  if (!run_.closeRequested && currentScreen_ != Screen::Quit) SuspendRunningGame();
  ReplaceGame(nullptr);
  EndWatch(true);
  i3ImpactClose();
  return CleanUp();
}

Status Shell::StartRun() {
  if (firstRun_) {
    const Result<SettingsLoad> loaded = LoadSettings(settings_);
    run_.newSettingsFilePending = loaded && loaded->result == LoadResult::Created;
    tableStored_ = loaded && loaded->result != LoadResult::Damaged;
    // A file that cannot be read leaves the table as it is before any reading:
    // ten empty rows, nothing the player could take for their scores.
    if (!loaded) settings_.HighScores = HighScoreList{};
    ReportSettingsLoad(loaded);
    LoadRecordings();
  }
  i3ImpactErrorFlagSet(false);
  if (!i3ImpactOpen(ThePlatform().MainWindowHandle(), 0)) {
    // Retrying on every idle event would spin silently: say why and stop.
    // The engine says why (no OpenGL 3.3, a window it cannot use); no display at
    // all was caught before the window was made.
    const std::string why = WithEngineText("The game engine could not start.");
    i3ImpactExitBegin();
    i3ImpactExitEnd();
    return Error{why, {}};
  }
  firstRun_ = false;
  run_.engineRunning = true;
  if (!i3ImpactSettings(EngineSettings::ForDisplaySetting(settings_.Windowed))) return EndRun();
  return {};
}

Status Shell::EndRunPhase() {
  if (Status engine = CheckEngineError("run"); !engine) return engine;
  i3ImpactRunEnd();
  return {};
}

// The part of a frame after the resources of a new run are loaded. A question
// opened by the screen's work ends the frame there: the question's frames
// follow at once, and the one that answers it finishes this frame's work.
Status Shell::FrameAfterInit() {
  if (!i3ImpactIsRendering()) return {};
  if (!i3ImpactIsSkippingRunPhase()) {
    i3ImpactRunBegin();
    if (ThePlatform().IsApplicationActive()) UpdateFrame();
    if (questions_.IsOpen()) {
      run_.questionAskedIn = EngineRunState::AskedIn::Run;
      return {};
    }
    if (Status ended = EndRunPhase(); !ended) return ended;
  }
  RenderAndHandleMessages();
  return {};
}

Status Shell::FinishInit() {
  i3ImpactInitEnd();
  return CheckEngineError("init");
}

// A frame while a question is open: the screen beneath stays as it was.
Status Shell::QuestionPass() {
  i3ImpactMain();
  bool answered = false;
  if (!i3ImpactIsRendering()) {
    questions_.Answer(false);
    answered = true;
  } else if (!i3ImpactIsSkippingRunPhase()) {
    i3ImpactRunBegin();
    answered = questions_.Frame();
    if (!answered) i3ImpactRunEnd();
  }
  if (!answered) {
    RenderAndHandleMessages();
    return {};
  }
  if (questions_.IsOpen()) return {};  // the answer asked again
  if (run_.questionAskedIn == EngineRunState::AskedIn::Init) {
    if (Status init = FinishInit(); !init) return init;
    return FrameAfterInit();
  }
  if (Status ended = EndRunPhase(); !ended) return ended;
  RenderAndHandleMessages();
  return {};
}

// One pass of the running engine: a frame when one is due.
Status Shell::EnginePass() {
  if (!(i3ImpactIsActive() && i3ImpactIsReady())) {
    iProcessMessages();
    return {};
  }
  if (questions_.IsOpen()) return QuestionPass();
  i3ImpactMain();
  if (i3ImpactIsExecuting() && i3ImpactIsInitializing()) {
    i3ImpactInitBegin();
    if (Status loaded = LoadResources(); !loaded) return loaded;
    if (questions_.IsOpen()) {
      run_.questionAskedIn = EngineRunState::AskedIn::Init;
      return {};
    }
    if (Status init = FinishInit(); !init) return init;
  }
  return FrameAfterInit();
}

Status Shell::EngineStep() {
  Status step = EnginePass();
  // A run whose engine stopped rendering ends (a question open meanwhile is
  // answered by the next pass first).
  if (step && run_.engineRunning && !questions_.IsOpen() && !i3ImpactIsRendering()) {
    step = EndRun();
  }
  if (!step) {
    CloseEngineAfterError();
    // No restart follows an error, so this end of the run cannot fail.
    (void)CleanUp();
  }
  return step;
}

// After a fatal engine error: the engine is closed as at a normal end (a GL
// context left behind would fail at exit), and what the player changed is
// kept as a close would keep it, quietly (the error is the message to see).
void Shell::CloseEngineAfterError() {
  run_.closeRequested = true;  // no restart follows an error
  if (!run_.engineRunning) return;
  iReset(true, true);
  EndEngineRun();
  ReplaceGame(nullptr);
  EndWatch(false);
  i3ImpactClose();
  if (!firstRun_) (void)SaveSettings(settings_);
}

// A stopped engine would leave a frozen frame that never answers: the program
// ends after the message.
void Shell::StopWithMessage(const Error& error) {
  ThePlatform().ShowError(error.message);
  stoppedByError_ = true;
  ThePlatform().CloseMainWindow();
}

void Shell::OnMessage(const iMessage* message, void* shell) {
  if (message && shell) static_cast<Shell*>(shell)->HandleMessage(*message);
}

void Shell::HandleMessage(const iMessage& message) {
  switch (message.kind) {
    case iMsgDeactivate:
      OnDeactivate();
      break;
    case iMsgRestore:
      if (Status restored = OnRestore(); !restored) StopWithMessage(restored.error());
      break;
    case iMsgMaximize:
      OnMaximize();
      break;
    case iMsgCaptionDblClk:
      OnTitleBarDoubleClick(message.a);
      break;
    case iMsgKeyUp:
      OnKeyUp(message.a);
      break;
    case iMsgWheelUp:
      OnMouseWheel(1);
      break;
    case iMsgWheelDown:
      OnMouseWheel(-1);
      break;
    case iMsgClose:
      // Closing the window (or logging out) keeps what the player changed, as
      // leaving through the menu does; settings never read are not written.
      if (!run_.closeRequested && !firstRun_) SaveSettingsOrTell();
      run_.closeRequested = true;
      if (run_.engineRunning) {
        iExit();
      } else {
        ThePlatform().CloseMainWindow();
      }
      break;
    default:
      break;
  }
}

void Shell::SaveNewSettingsFile() {
  if (!run_.newSettingsFilePending) return;
  run_.newSettingsFilePending = false;
  if (const Status saved = SaveSettings(settings_); !saved)
    TellSettingsUnusable(saved.error().message);
}

void Shell::RestartEngine(uint8_t windowed) {
  settings_.Windowed = windowed;
  iExit();
}

void Shell::StopEngineToHide() {
  iExit();
  previousScreen_ = currentScreen_;
  run_.stoppedToHide = true;
  run_.hideTick = ThePlatform().TickCount();
}

Status Shell::OnIdle() {
  if (firstRun_) return StartRun();
  // A desktop that does not minimise leaves the stopped game in sight, frozen,
  // and nothing would ever bring it back: a minimise comes at once if at all,
  // so without one after a second the game comes back by itself.
  if (!run_.stoppedToHide || i3ImpactIsActive() || settings_.Windowed != 0) return {};
  Platform& platform = ThePlatform();
  if (platform.IsMinimised()) return {};
  if (platform.TickCount() - run_.hideTick < NoMinimiseMs) return {};
  return OnRestore();
}

Status Shell::OnRestore() {
  if (!i3ImpactIsActive() && settings_.Windowed == 0 && !firstRun_) {
    run_.stoppedToHide = false;
    run_.restoreScreenAfterRuns = true;
    return StartRun();
  }
  return {};
}

void Shell::OnDeactivate() {
  if (currentScreen_ == Screen::Game && game_) {
    ApplyGameEvent({GameEventKind::FocusLost, 0});
    // No frame runs the game until the focus returns, so the screen shows the
    // pause now, as the pause key does: the caption instead of the HUD.
    if (game_->Paused()) {
      iPrintsHide();
      game_->ShowPauseCaption();
    }
  }
}

void Shell::OnMaximize() {
  settings_.Windowed = 0;
  RunCommand(Command::Restart);
}

void Shell::OnTitleBarDoubleClick(int hitTest) {
  if (hitTest == TitleBarHit) settings_.Windowed = 0;
  RunCommand(Command::Restart);
}

void OpenPlayLink() {
  std::ifstream file("play.url");
  if (!file) return;
  std::string line;
  while (std::getline(file, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.rfind("URL=", 0) != 0) continue;
    const std::string url = line.substr(4);
    // Only web addresses: the file comes from outside the program.
    if (url.rfind("http://", 0) == 0 || url.rfind("https://", 0) == 0) ThePlatform().ShellOpen(url);
    return;
  }
}

Program::Program(Platform& platform, const std::string& enginePath, ProgramOptions options) {
  SetPlatform(&platform);
  shell_.WatchAtStart(std::move(options));
  if (const Status loaded = LoadEngine(enginePath); !loaded) {
    platform.ShowError(loaded.error().message);
    Finish(1);
    return;
  }
  if (const Status window = platform.CreateMainWindow("Gravelhorn 2", 800, 600); !window) {
    platform.ShowError(window.error().message);
    Finish(1);
    return;
  }
  if (!TakeFolder(platform)) {
    Finish(1);
    return;
  }
  // Decoded on the other core while this one makes the engine's GL context.
  iTexturePrefetch(LoadingPictureFile);
  iMessageHandlerSet(&Shell::OnMessage, &shell_);
  AfterWait();
}

bool Program::TakeFolder(Platform& platform) {
  const Result<FileLock::Outcome> taken = folderLock_.Take(ConfigLockFileName);
  // A folder that refuses a new file refuses the saves too, and says so then;
  // nothing else here needs the lock.
  if (!taken) return true;
  switch (*taken) {
    case FileLock::Outcome::Taken:
      RemoveUnfinishedSaves();
      return true;
    case FileLock::Outcome::HeldElsewhere:
      platform.ShowError(
          "Gravelhorn 2 is already running in this folder. Only one copy at a time can keep its "
          "settings and scores here.");
      return false;
  }
  return true;
}

Program::~Program() {
  if (!ended_) iMessageHandlerSet(nullptr, nullptr);
}

bool Program::Step() {
  if (ended_) return false;
  if (shell_.EngineRunning()) {
    if (Status step = shell_.EngineStep(); !step) shell_.StopWithMessage(step.error());
  } else {
    ThePlatform().WaitForEvents(100);
    AfterWait();
  }
  if (!ThePlatform().MainWindowOpen()) Finish(-1);
  return !ended_;
}

// What follows a wait for window events: the events, then the idle work (which
// may start the engine).
void Program::AfterWait() {
  Platform& platform = ThePlatform();
  if (platform.MainWindowOpen()) iProcessMessages();
  if (platform.MainWindowOpen() && !shell_.EngineRunning()) {
    if (Status idle = shell_.OnIdle(); !idle) shell_.StopWithMessage(idle.error());
  }
  if (!platform.MainWindowOpen()) Finish(-1);
}

void Program::Finish(int code) {
  if (ended_) return;
  ended_ = true;
  if (code >= 0) {
    exitCode_ = code;
    return;
  }
  iMessageHandlerSet(nullptr, nullptr);
  exitCode_ = shell_.StoppedByError() ? 1 : 0;
  if (exitCode_ == 0) OpenPlayLink();
}

int ProgramMain(Platform& platform, const std::string& enginePath, ProgramOptions options) {
  Program program(platform, enginePath, std::move(options));
  while (program.Step()) {
  }
  return program.ExitCode();
}

}  // namespace gh
