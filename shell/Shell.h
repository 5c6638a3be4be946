// The application shell's shared state and services: screens, the question box,
// sound, music and the scene lights. Everything here runs on the one thread.
#pragma once
#include <cstdint>
#include <string>

#include "engine/EngineCalls.h"

namespace gh {

class TGame;

// Screen values (CurrentScreen).
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

// ---- shell globals ----------------------------------------------------------
extern int8_t CurrentScreen;   // 1 at start
extern int8_t PreviousScreen;  // -1 at start
extern bool FirstRun;          // true until the engine has been opened once
extern bool Paused;
extern TGame* Game;            // the running game, or none
extern float FadeLevel;

// Engine handles of the shared screen resources (0 = none).
extern int32_t Camera;
extern int32_t MainFont;
extern int32_t ClickSound;
extern int32_t CursorSprite;
extern int32_t LoadingSprite;
extern int32_t MenuBackSprite;
extern int32_t HelpBonusSprite;
extern int32_t HelpAboutSprite;
extern int32_t HelpCtrlSprite;
extern int32_t HiScoreSprite;
extern int32_t GameMusic;
extern int32_t MenuMusic;

// ---- the frame loop's per-phase work (screens and screen flow) -----------------
void LoadResources();
void UpdateFrame();
void HandleGlobalKeys();
void SwitchScreen(int8_t screen);

// Weapon selection handlers of the main window.
void FormMouseWheelDown();
void FormMouseWheelUp();
void FormKeyUp(int virtualKey);

// ---- question box, sound, music, lights --------------------------------------
bool ModalDialog(const std::string& line1, const std::string& line2, const iColor& colour,
                 bool nameBox, int pairSlot);
void PlaySoundFx(int32_t sound, bool looped, float x = 0, float y = 0);
void UpdateMusic();
void SetLightsDepth(float z);
void SetLightsLevel(float level);
void TogglePause(float pausedDepth, float playingDepth);
// Counts answered question boxes. A box runs frames of its own inside the frame
// that opened it; when it returns, that frame must not act again on the input
// that answered it (the rest of such a frame compares this count).
extern uint32_t DialogsAnswered;

// Writes the settings and the table, telling the player when that fails.
void SaveSettingsOrTell();

// ---- engine life cycle (main window) -------------------------------------------
// Stores the display setting and stops the engine; the frame loop restarts it.
void RestartEngine(uint8_t windowed);
// Stops the engine before the window is minimised (full screen); it starts
// again on restore, or when the desktop did not minimise and the player uses
// the window again.
void StopEngineToHide();

// Addresses of the score server's world-scores page and of the game's home page.
std::string WorldScoresAddress();
std::string HomePageAddress();

}  // namespace gh
