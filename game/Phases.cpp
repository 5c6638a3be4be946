// The game's per-frame phase machine and everything printed over the scene:
// the HUD, the level, pause and end captions and the questions after the end.
#include <string>

#include "Game.h"
#include "Player.h"
#include "engine/EngineCalls.h"
#include "engine/Keys.h"
#include "engine/Lights.h"
#include "engine/ScreenUnits.h"
#include "game/GameHost.h"
#include "platform/Platform.h"
#include "settings/Settings.h"

namespace gh {

namespace {

constexpr iColor Red{1.0f, 0.0f, 0.0f, 1.0f};

void PrintCentred(const std::string& text, float x, float y, float scaleX, float scaleY,
                  float spacing, const iColor& colour) {
  PrintText(text, AlignCentre, false, x, y, scaleX, scaleY, spacing, colour);
}

}  // namespace

void TGame::RunFrame() {
  // No game clock runs while paused. The level clock runs only while playing;
  // whatever time any other phase or a question box took is never charged.
  const uint32_t now = TickCount();
  if (!Paused) {
    ClockMs += now - LastTick;
    if (Phase == PhasePlaying) TimeLeft -= static_cast<int32_t>(now - LastTick);
  }
  LastTick = now;

  if (Phase != PhasePlaying) ConfinePointer(false);

  switch (Phase) {
    case PhaseIntro:
      if (CaptionLevel > 2.0f) {
        Phase = PhasePlaying;
      } else {
        CaptionLevel += 0.01f;
      }
      PrintCentred("LEVEL " + std::to_string(Level + 1), 0, 0, 1.5f, 1.5f, -0.2f, ColourGreen);
      if ((Level + 1) % 3 == 0) {
        PrintCentred("Unlimited machine gun", 0, -2.0f, 0.7f, 0.7f, -0.2f, ColourGreen);
      }
      break;

    case PhasePlaying:
      PlayingFrame();
      break;

    case PhaseGameOver:
      GrowCaption("GAME OVER", 0.005f, PhaseScoreCheck);
      break;

    case PhaseLifeLost:
      GrowCaption("YOU ARE DIE", 0.01f, PhasePlaying);
      break;

    case PhaseExitAsk:
      TheGameHost().Ask("Exit to menu?", "", ColourGreen, false, [this](bool leave) {
        if (leave) {
          // Leaving runs the game-over path, so a good score still enters the table.
          CaptionLevel = 0;
          Phase = PhaseGameOver;
        } else {
          Phase = PhasePlaying;
          LastTick = TickCount();
        }
      });
      break;

    case PhaseScoreCheck:
      Phase = TheGameHost().QualifiesForHighScores(Score) ? PhaseNameEntry : PhaseToMenu;
      break;

    case PhaseNameEntry:
      TheGameHost().Ask(
          "Your Scores is " + std::to_string(Score), " Please, enter your name:", ColourGreen, true,
          [this](bool enter) {
            if (!enter) {
              Phase = PhaseToMenu;
              return;
            }
            Phase = PhaseSendAsk;
            // The player learns now that the result is only in memory, not at exit.
            if (const Status entered = TheGameHost().EnterHighScore(Score); !entered) {
              ThePlatform().ShowError("Your score is in the table but could not be saved to \"" +
                                      std::string(ConfigFileName) +
                                      "\": " + entered.error().message);
            }
          });
      break;

    case PhaseSendAsk:
      TheGameHost().Ask("Send the result to", "World's Highscores page?", ColourGreen, false,
                        [this](bool send) { Phase = send ? PhaseSending : PhaseToHiScore; });
      break;

    case PhaseSending:
      TheGameHost().SendScore(
          Score, [this](bool sent) { Phase = sent ? PhaseToHiScore : PhaseSendFailed; });
      break;

    case PhaseSendFailed:
      TheGameHost().Ask("Cant conect!!!", "Repeat again?", Red, false,
                        [this](bool again) { Phase = again ? PhaseSending : PhaseToHiScore; });
      break;

    case PhaseToMenu:
      Finish(false);
      return;

    case PhaseToHiScore:
      Finish(true);
      return;

    default:
      break;
  }
}

void TGame::PlayingFrame() {
  if (iKeyClick(Key::LetterP)) TogglePause(10.0f, -20.0f);
  if (Paused) {
    ConfinePointer(false);
    ShowPauseCaption();
    return;
  }
  ConfinePointer(true);
  SetLightsLevel(1.0f);
  SpawnAndUpdate();
  Player->Update();
  DrawHud();
  if (Score < 0) Score = 0;
  if (TimeLeft < 0) StartNextLevel();
}

void TGame::ShowPauseCaption() { PrintCentred("PAUSE", 0, 0, 1.0f, 1.0f, 0.0f, ColourGreen); }

// The end captions grow from nothing to 2.3 times their size, then move on.
void TGame::GrowCaption(const char* text, float step, int8_t next) {
  PrintCentred(text, 0, 0, 2.3f * CaptionLevel, 2.3f * CaptionLevel, -0.2f, Red);
  if (CaptionLevel > 1.0f) {
    Phase = next;
  } else {
    CaptionLevel += step;
  }
}

void TGame::DrawHud() {
  const int w = Weapon >= 0 && Weapon < 5 ? Weapon : 0;
  PrintCentred(std::to_string(Ammo[w]) + "/" + std::to_string(Magazines[w]), -6.0f, -11.3f, 0.5f,
               0.35f, -0.2f, ColourGreen);
  PrintCentred(std::to_string(Lives), 0.3f, -10.5f, 0.8f, 1.0f, -0.2f, ColourGreen);
  PrintCentred(std::to_string(Health), 2.3f, -10.5f, 0.6f, 0.8f, -0.2f, ColourGreen);
  PrintCentred("LEVEL " + std::to_string(Level + 1), 13.5f, 11.3f, 0.6f, 0.6f, -0.2f, ColourGreen);
  PrintCentred(std::to_string(Score), 6.5f, 11.3f, 0.6f, 0.6f, -0.2f, ColourGreen);
  // Whole seconds, truncated: the last frame of a level can show 0:00. A frame
  // that overran the level's end shows 0:00 too rather than negative time.
  // Seconds take two digits, so 1:03 never reads as 1:30.
  const int32_t seconds = TimeLeft > 0 ? TimeLeft / 1000 : 0;
  const int32_t secondsOfMinute = seconds % 60;
  PrintCentred(std::to_string(seconds / 60) + (secondsOfMinute < 10 ? ":0" : ":") +
                   std::to_string(secondsOfMinute),
               -14.0f, 11.3f, 0.6f, 0.6f, -0.2f, ColourGreen);
}

void TGame::Finish(bool toHighScores) { TheGameHost().EndGame(toHighScores); }

}  // namespace gh
