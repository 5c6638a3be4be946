#include "shell/Program.h"

#include <cstdint>
#include <fstream>
#include <stdexcept>
#include <string>

#include "engine/EngineCalls.h"
#include "engine/EngineLibrary.h"
#include "game/Game.h"
#include "settings/Settings.h"
#include "shell/Shell.h"

namespace gh {

int8_t CurrentScreen = ScreenMenu;
int8_t PreviousScreen = -1;
bool FirstRun = true;
float FadeLevel = 0;
std::unique_ptr<Game> RunningGame;

namespace {

// The two fatal engine failures.
class EngineError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The engine could not be opened at all (no display, no GL): the program ends.
class EngineOpenError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The record handed to i3ImpactSettings; only the full-screen flag varies.
int32_t EngineSettings[6] = {0, 0, 15360000, 0, 0, -1};

// Set when the user closes the window while the engine runs: the engine stops
// after its frame and the window closes.
bool CloseRequested = false;
int ExitCode = 0;
// The engine is open and its frames run (otherwise the program waits for
// window events).
bool EngineRunning = false;
// Engine runs started to come back from a restart or a minimise: when the last
// run of such a chain ends, the screen is the one saved before it.
bool RestoreScreenAfterRuns = false;
// Where the frame that opened the open question stopped: its answer finishes
// that frame from there.
enum class AskedIn { Run, Init };
AskedIn QuestionAskedIn = AskedIn::Run;
// The engine was stopped for a minimise (boss key, Alt+Tab in full screen) at
// this tick; some desktops never minimise.
bool StoppedToHide = false;
uint32_t HideTick = 0;
// How long a desktop may take to minimise the window after the boss key.
constexpr uint32_t NoMinimiseMs = 1000;

std::string WithEngineText(const std::string& message) {
  const char* text = i3ImpactErrorText ? i3ImpactErrorText() : nullptr;
  if (text && *text) return message + "\n" + text;
  return message;
}

void FreeGame() { RunningGame.reset(); }

void StartRun();

// A first start: the new "Config.cfg" is written once the loading picture is up.
bool NewSettingsFilePending = false;

void TellSettingsUnusable(const std::string& why) {
  ThePlatform().ShowError("\"Config.cfg\" cannot be used: " + why +
                          "\nSettings and scores of this session will not be saved.");
}

// Tells the player once when "Config.cfg" could not be used as it was.
void ReportSettingsLoad(LoadResult result) {
  if (result == LoadResult::Damaged) {
    const std::string copy = DamagedCopyName();
    std::string text =
        "\"Config.cfg\" was damaged. The game starts with what could be read and default "
        "values for the rest.";
    text += copy.empty() ? " A copy of the damaged file could not be kept."
                         : " A copy of the damaged file was kept as \"" + copy + "\".";
    ThePlatform().ShowError(text);
  } else if (result == LoadResult::Unreadable) {
    TellSettingsUnusable(SettingsError());
  }
}

// Ends an engine run, also after an error in it: a restart starts the next
// run at once, Quit or a closed window closes the window.
void CleanUp() {
  EngineRunning = false;
  DropQuestion();
  i3ImpactExitBegin();
  i3ImpactExitEnd();
  if (CloseRequested) {
    ThePlatform().CloseMainWindow();
  } else if (CurrentScreen == ScreenRestart) {
    RestoreScreenAfterRuns = true;
    StartRun();
    return;
  } else if (CurrentScreen == ScreenQuit) {
    ThePlatform().CloseMainWindow();
  }
  if (RestoreScreenAfterRuns) {
    RestoreScreenAfterRuns = false;
    CurrentScreen = PreviousScreen;
  }
}

// The normal end of a run: the engine stopped rendering.
void EndRun() {
  iReset(true, true);
  // The game's handles are older than the reset: freeing it frees nothing twice.
  EndEngineRun();
  // A restart or a minimise stops the engine, never the game: the next run
  // rebuilds its scene and goes on with it.
  if (!CloseRequested && CurrentScreen != ScreenQuit) SuspendRunningGame();
  FreeGame();
  i3ImpactClose();
  CleanUp();
}

void StartRun() {
  if (FirstRun) {
    const LoadResult loaded = LoadSettings(NewFile::SaveLater);
    NewSettingsFilePending = loaded == LoadResult::Created;
    ReportSettingsLoad(loaded);
  }
  EngineSettings[4] = Windowed != 1 ? -1 : 0;
  i3ImpactErrorFlagSet(false);
  if (!i3ImpactOpen(ThePlatform().MainWindowHandle(), 0)) {
    // Retrying on every idle event would spin silently: say why and stop.
    // The engine says why (no OpenGL 3.3, a window it cannot use); no display at
    // all was caught before the window was made.
    const std::string why = WithEngineText("The game engine could not start.");
    i3ImpactExitBegin();
    i3ImpactExitEnd();
    throw EngineOpenError(why);
  }
  FirstRun = false;
  EngineRunning = true;
  if (!i3ImpactSettings(EngineSettings)) EndRun();
}

void CheckEngineError(const char* phase) {
  if (i3ImpactErrorFlag())
    throw EngineError(
        WithEngineText(std::string("Problem with running game dll ") + phase + " procedure"));
}

void EndRunPhase() {
  CheckEngineError("run");
  i3ImpactRunEnd();
}

void RenderAndHandleMessages() {
  if (!i3ImpactIsSkippingRenderPhase()) i3ImpactRender();
  iProcessMessages();
}

// The part of a frame after the resources of a new run are loaded. A question
// opened by the screen's work ends the frame there: the question's frames
// follow at once, and the one that answers it finishes this frame's work.
void FrameAfterInit() {
  if (!i3ImpactIsRendering()) return;
  if (!i3ImpactIsSkippingRunPhase()) {
    i3ImpactRunBegin();
    if (ThePlatform().IsApplicationActive()) UpdateFrame();
    if (QuestionOpen()) {
      QuestionAskedIn = AskedIn::Run;
      return;
    }
    EndRunPhase();
  }
  RenderAndHandleMessages();
}

void FinishInit() {
  i3ImpactInitEnd();
  CheckEngineError("init");
}

// A frame while a question is open: the screen beneath stays as it was.
void QuestionPass() {
  i3ImpactMain();
  bool answered = false;
  if (!i3ImpactIsRendering()) {
    AnswerQuestion(false);
    answered = true;
  } else if (!i3ImpactIsSkippingRunPhase()) {
    i3ImpactRunBegin();
    answered = QuestionFrame();
    if (!answered) i3ImpactRunEnd();
  }
  if (!answered) {
    RenderAndHandleMessages();
    return;
  }
  if (QuestionOpen()) return;  // the answer asked again
  if (QuestionAskedIn == AskedIn::Init) {
    FinishInit();
    FrameAfterInit();
    return;
  }
  EndRunPhase();
  RenderAndHandleMessages();
}

// One pass of the running engine: a frame when one is due.
void EnginePass() {
  if (!(i3ImpactIsActive() && i3ImpactIsReady())) {
    iProcessMessages();
    return;
  }
  if (QuestionOpen()) {
    QuestionPass();
    return;
  }
  i3ImpactMain();
  if (i3ImpactIsExecuting() && i3ImpactIsInitializing()) {
    i3ImpactInitBegin();
    LoadResources();
    if (QuestionOpen()) {
      QuestionAskedIn = AskedIn::Init;
      return;
    }
    FinishInit();
  }
  FrameAfterInit();
}

// A run whose engine stopped rendering ends (a question open meanwhile is
// answered by the next pass first).
void EndStoppedRun() {
  if (EngineRunning && !QuestionOpen() && !i3ImpactIsRendering()) EndRun();
}

// Errors that reach the top of a handler are shown, and the program ends with
// exit code 1: a stopped engine would leave a frozen frame that never answers.
template <typename F>
void Guarded(F&& handler) {
  try {
    handler();
  } catch (const std::exception& e) {
    StopWithError(e.what());
  }
}

// After a fatal engine error: the engine is closed as at a normal end (a GL
// context left behind would fail at exit), and what the player changed is
// kept as a close would keep it, quietly (the error is the message to see).
void CloseEngineAfterError() {
  CloseRequested = true;  // no restart follows an error
  if (!EngineRunning) return;
  iReset(true, true);
  EndEngineRun();
  FreeGame();
  i3ImpactClose();
  if (!FirstRun) SaveSettings();
}

void OnMessage(const iMessage* message, void*) {
  if (!message) return;
  Guarded([&] {
    switch (message->kind) {
      case iMsgDeactivate:
        ApplicationEvents1Deactivate();
        break;
      case iMsgRestore:
        ApplicationEvents1Restore();
        break;
      case iMsgMaximize:
        WMSysCommandMaximize();
        break;
      case iMsgCaptionDblClk:
        WMNCLButtonDblClk(message->a);
        break;
      case iMsgKeyUp:
        FormKeyUp(message->a);
        break;
      case iMsgWheelUp:
        FormMouseWheelUp();
        break;
      case iMsgWheelDown:
        FormMouseWheelDown();
        break;
      case iMsgClose:
        // Closing the window (or logging out) keeps what the player changed, as
        // leaving through the menu does; settings never read are not written.
        if (!CloseRequested && !FirstRun) SaveSettingsOrTell();
        CloseRequested = true;
        if (EngineRunning) {
          iExit();
        } else {
          ThePlatform().CloseMainWindow();
        }
        break;
      default:
        break;
    }
  });
}

}  // namespace

void StopWithError(const std::string& message) {
  ThePlatform().ShowError(message);
  ExitCode = 1;
  ThePlatform().CloseMainWindow();
}

void SaveNewSettingsFile() {
  if (!NewSettingsFilePending) return;
  NewSettingsFilePending = false;
  std::string why;
  if (!SaveSettings(&why)) TellSettingsUnusable(why);
}

void RestartEngine(uint8_t windowed) {
  Windowed = windowed;
  iExit();
}

void StopEngineToHide() {
  iExit();
  PreviousScreen = CurrentScreen;
  StoppedToHide = true;
  HideTick = ThePlatform().TickCount();
}

void ApplicationEvents1Idle() {
  if (FirstRun) {
    StartRun();
    return;
  }
  // A desktop that does not minimise leaves the stopped game in sight, frozen,
  // and nothing would ever bring it back: a minimise comes at once if at all,
  // so without one after a second the game comes back by itself.
  if (!StoppedToHide || i3ImpactIsActive() || Windowed != 0) return;
  Platform& platform = ThePlatform();
  if (platform.IsMinimised()) return;
  if (platform.TickCount() - HideTick < NoMinimiseMs) return;
  ApplicationEvents1Restore();
}

void ApplicationEvents1Restore() {
  if (!i3ImpactIsActive() && Windowed == 0 && !FirstRun) {
    StoppedToHide = false;
    RestoreScreenAfterRuns = true;
    StartRun();
  }
}

void ApplicationEvents1Deactivate() {
  if (CurrentScreen == ScreenGame && RunningGame) {
    RunningGame->PauseIfPlaying();
    // No frame runs the game until the focus returns, so the screen shows the
    // pause now, as the pause key does: the caption instead of the HUD.
    if (RunningGame->Paused()) {
      iPrintsHide();
      RunningGame->ShowPauseCaption();
    }
  }
}

void WMSysCommandMaximize() {
  Windowed = 0;
  RunCommand(CommandRestart);
}

void WMNCLButtonDblClk(int hitTest) {
  if (hitTest == 2) Windowed = 0;
  RunCommand(CommandRestart);
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

void ResetShellState() {
  CurrentScreen = ScreenMenu;
  PreviousScreen = -1;
  FirstRun = true;
  NewSettingsFilePending = false;
  FreeGame();
  SuspendRunningGame();  // with no game: forgets one an earlier program kept
  FadeLevel = 0;
  CloseRequested = false;
  ExitCode = 0;
  EngineRunning = false;
  RestoreScreenAfterRuns = false;
  QuestionAskedIn = AskedIn::Run;
  DropQuestion();
  ResetUnsentScores();
  StoppedToHide = false;
  HideTick = 0;
}

Program::Program(Platform& platform, const std::string& enginePath) {
  SetPlatform(&platform);
  ResetShellState();
  std::string error;
  if (!LoadEngine(enginePath, error)) {
    platform.ShowError(error);
    Finish(1);
    return;
  }
  if (!platform.CreateMainWindow("Gravelhorn 2", 800, 600, error)) {
    platform.ShowError(error);
    Finish(1);
    return;
  }
  if (!TakeFolder(platform)) {
    Finish(1);
    return;
  }
  // Decoded on the other core while this one makes the engine's GL context.
  iTexturePrefetch(LoadingPictureFile);
  iMessageHandlerSet(&OnMessage, nullptr);
  AfterWait();
}

bool Program::TakeFolder(Platform& platform) {
  std::error_code error;
  switch (folderLock_.Take(ConfigLockFileName, error)) {
    case FileLock::Result::Taken:
      RemoveUnfinishedSaves();
      return true;
    case FileLock::Result::HeldElsewhere:
      platform.ShowError(
          "Gravelhorn 2 is already running in this folder. Only one copy at a time can keep its "
          "settings and scores here.");
      return false;
    case FileLock::Result::Unavailable:
      // A folder that refuses a new file refuses the saves too, and says so then;
      // nothing else here needs the lock.
      return true;
  }
  return true;
}

Program::~Program() {
  if (!ended_) iMessageHandlerSet(nullptr, nullptr);
}

bool Program::Step() {
  if (ended_) return false;
  if (EngineRunning) {
    Guarded([] {
      try {
        EnginePass();
        EndStoppedRun();
      } catch (...) {
        CloseEngineAfterError();
        CleanUp();
        throw;
      }
    });
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
  if (platform.MainWindowOpen() && !EngineRunning) Guarded([] { ApplicationEvents1Idle(); });
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
  if (gh::ExitCode == 0) OpenPlayLink();
  exitCode_ = gh::ExitCode;
}

int ProgramMain(Platform& platform, const std::string& enginePath) {
  Program program(platform, enginePath);
  while (program.Step()) {
  }
  return program.ExitCode();
}

}  // namespace gh
