// What the widgets ask of the program around them, and what their actions
// name. The program implements UiHost and registers it before the first
// widget is built.
#pragma once
#include <cstdint>

namespace gh {

// Screen values: the screen shown (CurrentScreen) and a widget's Action that
// leads to it. The program keeps one entry per value in its screen table.
enum : int8_t {
  ScreenFadeOut = -2,
  ScreenFadeIn = -1,
  ScreenMenu = 1,
  ScreenGame = 2,
  ScreenOptions = 3,
  ScreenHiScore = 4,
  ScreenHelp1 = 5,
  ScreenHelp2 = 51,
  ScreenHelp3 = 52,
  ScreenHelp4 = 53,
  // The rest are states the program passes through, entered by commands
  // only. The table under the question whether to clear it, and the menu's
  // background under the exit question: a restart of the engine while such a
  // question is open comes back to it and asks again.
  ScreenClearScores = 41,
  // The table under the question whether to send one of its results that the
  // score server has not taken, and under the sending.
  ScreenSendScore = 43,
  ScreenExitAsk = 7,
  // The engine is stopping to start again (a new display setting); the
  // screen to come back to is PreviousScreen.
  ScreenRestart = 31,
  // The engine is stopping for good: the window closes after its run.
  ScreenQuit = 71,
};

// Actions that are not a screen to show. Their values lie outside the screen
// values (as bytes, the fade screens are 254 and 255).
enum : uint8_t {
  CommandRestart = 101,       // restart the engine with the display setting
  CommandMusicChanged = 102,  // start or stop the music as the setting says
  CommandClearTable = 103,    // ask whether to clear the high-score table
  CommandWorldScores = 104,   // open the world scores page
  CommandWebsite = 105,       // open the game's home page
  CommandExitAsk = 106,       // ask whether to leave the game
  CommandQuit = 107,          // stop the engine and close the window
  CommandSendScore = 108,     // offer to send a result the server has not taken
};
constexpr bool IsCommand(uint8_t action) {
  return action >= CommandRestart && action <= CommandSendScore;
}

class UiHost {
 public:
  virtual ~UiHost() = default;
  // A widget was activated: its Action is a screen to show or a command
  // (IsCommand) to run.
  virtual void Activate(uint8_t action) = 0;
  // The click of a widget taking the focus, heard when sounds are on.
  virtual void PlayClick() = 0;
};

// The registered host; without one, widgets act on nothing.
UiHost& TheUiHost();
void SetUiHost(UiHost* host);

}  // namespace gh
