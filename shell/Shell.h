// The application shell's shared state and services: screens, the question box,
// sound, music and the scene lights. Everything here runs on the one thread.
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "engine/EngineCalls.h"
#include "engine/Lights.h"
#include "engine/ScreenUnits.h"
#include "game/Game.h"
#include "scores/WebScores.h"
#include "ui/UiHost.h"

namespace gh {

// ---- shell globals ----------------------------------------------------------
extern int8_t CurrentScreen;   // 1 at start
extern int8_t PreviousScreen;  // -1 at start
extern bool FirstRun;          // true until the engine has been opened once
// The level of the screen's fades (fade-in, fade-out).
extern float FadeLevel;
// The running game, or none.
extern std::unique_ptr<Game> RunningGame;

// Engine handles of the shared screen resources (empty = none). Each engine
// run makes them anew; its end frees them.
extern SoundRef ClickSound;
extern SpriteRef CursorSprite;
extern SpriteRef LoadingSprite;
extern SpriteRef MenuBackSprite;
extern SpriteRef HelpBonusSprite;
extern SpriteRef HelpAboutSprite;
extern SpriteRef HelpCtrlSprite;
extern SpriteRef HiScoreSprite;
extern SoundRef GameMusic;
extern SoundRef MenuMusic;
// The first picture a player sees, shown while everything else loads.
inline constexpr const char* LoadingPictureFile = "Data\\loading.jpg";

// ---- the frame loop's per-phase work (screens and screen flow) -----------------
void LoadResources();
void UpdateFrame();
void HandleGlobalKeys();
// Shows a screen (a value of the screen table; any other value is a blank
// screen), after hiding everything of the one before.
void SwitchScreen(int8_t screen);
// Runs a command (a widget's or a window handler's); false when `command` is none.
bool RunCommand(uint8_t command);
// Whether the screen table has an entry for this value.
bool ScreenExists(int8_t screen);

// Weapon selection handlers of the main window.
void FormMouseWheelDown();
void FormMouseWheelUp();
void FormKeyUp(int virtualKey);

// ---- question box, sound, music, lights --------------------------------------
// Opens the question box over the frozen screen. Its frames run in place of
// the screen's; the frame that answers it calls `then` and then finishes the
// work of the frame that asked (the asker puts that work into `then`).
void Ask(const std::string& line1, const std::string& line2, const iColor& colour, bool nameBox,
         std::function<void(bool)> then);
bool QuestionOpen();
// One frame of the open question; true when this frame answered it.
bool QuestionFrame();
// Closes the open question with this answer (the engine stopping answers "No").
void AnswerQuestion(bool answer);
// Closes the open question without acting on it (its asker is gone).
void DropQuestion();
// Sends a score while frames go on: the box shows "Sending..." over the frozen
// screen and has no buttons; `then` gets true when the server took the score,
// false when it did not or the player gave up with Escape.
void SendShowingProgress(const std::string& name, int32_t score, const std::string& country,
                         std::function<void(bool)> then);
// The send under way in the box, or none (harnesses wait on it).
const ScoreSend* SendInProgress();
void PlaySoundFx(SoundRef sound, bool looped, float x = 0, float y = 0);
void UpdateMusic();

// ---- scores the server has not taken ------------------------------------------
// A result just entered into the table counts as not sent, and is marked so on
// the HIGH SCORE table, until a send of it succeeds; one whose row leaves the
// table is forgotten. The list lives in its own file beside "Config.cfg".
void RememberUnsentScore(const std::string& name, int32_t score, const std::string& country);
// SendShowingProgress, and a score the server took is no longer marked.
void SendScore(const std::string& name, int32_t score, const std::string& country,
               std::function<void(bool)> then);
// For each row of the table: whether it is marked as not sent.
std::array<bool, 10> UnsentRows();
// The table was cleared: nothing in it is marked.
void ForgetUnsentScores();
// Marks on the HIGH SCORE table, and the row under the pointer that a click
// offers to send (-1: none).
void DrawUnsentMarks();
int UnsentRowAt(float x, float y);
// The table's row the send question is about, chosen before entering
// ScreenSendScore; -1 takes the first marked row.
void ChooseRowToSend(int row);
// The question whether to send the chosen result, on entering ScreenSendScore.
void AskToSendChosen();
// The list is read again at the next use (a harness runs the program anew).
void ResetUnsentScores();

// Writes the settings and the table, telling the player when that fails.
void SaveSettingsOrTell();
// On a first start, writes the new "Config.cfg" (once the loading picture is up).
void SaveNewSettingsFile();

// ---- engine life cycle (main window) -------------------------------------------
// Stores the display setting and stops the engine; the frame loop restarts it.
void RestartEngine(uint8_t windowed);
// Stops the engine before the window is minimised (full screen); it starts
// again on restore, or by itself when the desktop has not minimised the window
// within a second.
void StopEngineToHide();

// Keeps the progress of the running game (if any, and not ended) for the next
// engine run, whose entry to the game screen goes on with it; forgets what was
// kept before. The next run's loading forgets it if it does not show the game.
void SuspendRunningGame();
// Shows the message and ends the program with exit code 1, as an error that
// reaches the top of a handler does.
void StopWithError(const std::string& message);

// Addresses of the score server's world-scores page and of the game's home page.
std::string WorldScoresAddress();
std::string HomePageAddress();

}  // namespace gh
