// What the widgets ask of the program around them, and the screens their
// actions lead to. The program implements UiHost and registers it before the
// first widget is built.
#pragma once
#include <cstdint>

namespace gh {

// Screen values: the screen shown (CurrentScreen) and a widget's Action.
enum : int8_t {
  ScreenFadeOut = -2,
  ScreenFadeIn = -1,
  ScreenMenu = 1,
  ScreenGame = 2,
  ScreenOptions = 3,
  ScreenRestart = 31,
  ScreenMusicChanged = 33,
  ScreenHiScore = 4,
  ScreenClearScores = 41,
  ScreenWorldScores = 42,
  ScreenHelp1 = 5,
  ScreenHelp2 = 51,
  ScreenHelp3 = 52,
  ScreenHelp4 = 53,
  ScreenWebsite = 6,
  ScreenExitAsk = 7,
  ScreenQuit = 71,
};

class UiHost {
 public:
  virtual ~UiHost() = default;
  // A widget was activated: its Action names the screen to show.
  virtual void Activate(uint8_t action) = 0;
  // The click of a widget taking the focus, heard when sounds are on.
  virtual void PlayClick() = 0;
};

// The registered host; without one, widgets act on nothing.
UiHost& TheUiHost();
void SetUiHost(UiHost* host);

}  // namespace gh
