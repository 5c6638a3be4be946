#include "shell/Main.h"

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
bool Paused = false;
TGame* Game = nullptr;
float FadeLevel = 0;

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

// Set when the user closes the window while the engine runs: the frame loop
// ends and the clean-up closes the window.
bool CloseRequested = false;
int ExitCode = 0;
// Frame loops running now (a restart nests one in another).
int RunningLoops = 0;
// The engine was stopped for a minimise (boss key, Alt+Tab in full screen) at
// this tick; some desktops never minimise.
bool StoppedToHide = false;
uint32_t HideTick = 0;
// Window events queued before the desktop acted on the minimise are not the
// player coming back.
constexpr uint32_t HideGraceMs = 500;

std::string WithEngineText(const std::string& message) {
  const char* text = i3ImpactErrorText ? i3ImpactErrorText() : nullptr;
  if (text && *text) return message + "\n" + text;
  return message;
}

void FreeGame() {
  delete Game;
  Game = nullptr;
}

void RunEngine();

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
  } else if (result == LoadResult::Unreadable ||
             (result == LoadResult::Created && !SettingsError().empty())) {
    ThePlatform().ShowError("\"Config.cfg\" cannot be used: " + SettingsError() +
                            "\nSettings and scores of this session will not be saved.");
  }
}

// Runs on every way out of RunEngine, also while an error propagates.
void CleanUp() {
  i3ImpactExitBegin();
  i3ImpactExitEnd();
  if (CloseRequested) {
    ThePlatform().CloseMainWindow();
    return;
  }
  switch (CurrentScreen) {
    case ScreenRestart:
      RunEngine();
      CurrentScreen = PreviousScreen;
      break;
    case ScreenQuit:
      ThePlatform().CloseMainWindow();
      break;
    default:
      break;
  }
}

void FrameLoop() {
  ++RunningLoops;
  struct Leave {
    ~Leave() { --RunningLoops; }
  } leave;
  while (i3ImpactIsRendering()) {
    if (i3ImpactIsActive() && i3ImpactIsReady()) {
      i3ImpactMain();
      if (i3ImpactIsExecuting() && i3ImpactIsInitializing()) {
        i3ImpactInitBegin();
        LoadResources();
        i3ImpactInitEnd();
        if (i3ImpactErrorFlag())
          throw EngineError(WithEngineText("Problem with running game dll init procedure"));
      }
      if (!i3ImpactIsRendering()) break;
      if (!i3ImpactIsSkippingRunPhase()) {
        i3ImpactRunBegin();
        if (ThePlatform().IsApplicationActive()) UpdateFrame();
        if (i3ImpactErrorFlag())
          throw EngineError(WithEngineText("Problem with running game dll run procedure"));
        i3ImpactRunEnd();
      }
      if (!i3ImpactIsSkippingRenderPhase()) i3ImpactRender();
    }
    iProcessMessages();
  }
}

void RunEngine() {
  if (FirstRun) ReportSettingsLoad(LoadSettings());
  EngineSettings[4] = Windowed != 1 ? -1 : 0;
  i3ImpactErrorFlagSet(0);
  if (!i3ImpactOpen(ThePlatform().MainWindowHandle(), 0)) {
    // Retrying on every idle event would spin silently: say why and stop.
    const std::string why = WithEngineText("The game engine could not start (no display?).");
    i3ImpactExitBegin();
    i3ImpactExitEnd();
    throw EngineOpenError(why);
  }
  FirstRun = false;
  try {
    if (i3ImpactSettings(EngineSettings)) FrameLoop();
    iReset(-1, -1);
    FreeGame();
    i3ImpactClose();
  } catch (...) {
    CleanUp();
    throw;
  }
  CleanUp();
}

// Errors that reach the top of a handler are shown the way the application's
// default error report would: a message, and the program stays in its loop.
template <typename F>
void Guarded(F&& handler) {
  try {
    handler();
  } catch (const EngineOpenError& e) {
    ThePlatform().ShowError(e.what());
    ExitCode = 1;
    ThePlatform().CloseMainWindow();
  } catch (const std::exception& e) {
    ThePlatform().ShowError(e.what());
  }
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
        if (RunningLoops > 0) {
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
    RunEngine();
    return;
  }
  // A desktop that does not minimise leaves the stopped game in sight: it
  // comes back when the player shows, focuses, exposes, clicks or types in the
  // window after the desktop had its chance to minimise it.
  if (!StoppedToHide || i3ImpactIsActive() || Windowed != 0) return;
  Platform& platform = ThePlatform();
  if (platform.IsMinimised()) return;
  const uint32_t sinceHide = platform.TickCount() - HideTick;
  const uint32_t useAfterHide = platform.LastWindowUse() - HideTick;
  if (sinceHide < HideGraceMs || useAfterHide < HideGraceMs || useAfterHide > sinceHide) return;
  ApplicationEvents1Restore();
}

void ApplicationEvents1Restore() {
  if (!i3ImpactIsActive() && Windowed == 0 && !FirstRun) {
    StoppedToHide = false;
    RunEngine();
    CurrentScreen = PreviousScreen;
  }
}

void ApplicationEvents1Deactivate() {
  Paused = false;
  if (CurrentScreen == ScreenGame && Game && Game->Phase == 0) TogglePause(10.0f, -20.0f);
}

void WMSysCommandMaximize() {
  Windowed = 0;
  SwitchScreen(ScreenRestart);
}

void WMNCLButtonDblClk(int hitTest) {
  if (hitTest == 2) Windowed = 0;
  SwitchScreen(ScreenRestart);
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
  Paused = false;
  FreeGame();
  FadeLevel = 0;
  CloseRequested = false;
  ExitCode = 0;
  RunningLoops = 0;
  StoppedToHide = false;
  HideTick = 0;
}

int ProgramMain(Platform& platform, const std::string& enginePath) {
  SetPlatform(&platform);
  ResetShellState();
  std::string error;
  if (!LoadEngine(enginePath, error)) {
    platform.ShowError(error);
    return 1;
  }
  if (!platform.CreateMainWindow("Gravelhorn 2", 800, 600, error)) {
    platform.ShowError(error);
    return 1;
  }
  iMessageHandlerSet(&OnMessage, nullptr);
  while (platform.MainWindowOpen()) {
    iProcessMessages();
    if (!platform.MainWindowOpen()) break;
    Guarded([] { ApplicationEvents1Idle(); });
    if (!platform.MainWindowOpen()) break;
    platform.WaitForEvents(100);
  }
  iMessageHandlerSet(nullptr, nullptr);
  if (ExitCode == 0) OpenPlayLink();
  return ExitCode;
}

}  // namespace gh
