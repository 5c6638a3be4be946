// The game's per-frame phase machine and everything printed over the scene:
// the HUD, the level, pause and end captions and the questions after the end.
#include <string>

#include "Game.h"
#include "Player.h"
#include "engine/EngineCalls.h"
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

void Game::RunFrame(const FrameInput& input) {
  input_ = input;
  // No game clock runs while paused. The level clock runs only while playing;
  // whatever time any other phase or a question box took is never charged.
  const uint32_t now = input.Tick;
  if (!tickKnown_) {
    lastTick_ = now;
    tickKnown_ = true;
    // A new game's clock starts where the system clock stands, so that the
    // two read alike until the first pause.
    if (!clockStarted_) state_.ClockMs = now;
    clockStarted_ = true;
  }
  if (!paused_) {
    state_.ClockMs += now - lastTick_;
    if (state_.Phase == GamePhase::Playing)
      state_.TimeLeft -= static_cast<int32_t>(now - lastTick_);
  }
  lastTick_ = now;

  if (state_.Phase != GamePhase::Playing) ConfinePointer(false);

  switch (state_.Phase) {
    case GamePhase::Intro:
      if (captionLevel_ > 2.0f) {
        state_.Phase = GamePhase::Playing;
      } else {
        captionLevel_ += 0.01f;
      }
      PrintCentred("LEVEL " + std::to_string(state_.Level + 1), 0, 0, 1.5f, 1.5f, -0.2f,
                   ColourGreen);
      if (MachineGunUnlimited()) {
        PrintCentred("Unlimited machine gun", 0, -2.0f, 0.7f, 0.7f, -0.2f, ColourGreen);
      }
      break;

    case GamePhase::Playing:
      PlayingFrame();
      break;

    case GamePhase::GameOver:
      GrowCaption("GAME OVER", 0.005f, GamePhase::ScoreCheck);
      break;

    case GamePhase::LifeLost:
      GrowCaption("YOU ARE DIE", 0.01f, GamePhase::Playing);
      break;

    case GamePhase::ExitAsk:
      host_.Ask("Exit to menu?", "", ColourGreen, false, [this](bool leave) {
        if (leave) {
          // Leaving runs the game-over path, so a good score still enters the table.
          captionLevel_ = 0;
          state_.Phase = GamePhase::GameOver;
        } else {
          state_.Phase = GamePhase::Playing;
          tickKnown_ = false;  // the question's time is not charged
        }
      });
      break;

    case GamePhase::ScoreCheck:
      state_.Phase =
          host_.QualifiesForHighScores(state_.Score) ? GamePhase::NameEntry : GamePhase::ToMenu;
      break;

    case GamePhase::NameEntry:
      host_.Ask("Your Scores is " + std::to_string(state_.Score),
                " Please, enter your name:", ColourGreen, true, [this](bool enter) {
                  if (!enter) {
                    state_.Phase = GamePhase::ToMenu;
                    return;
                  }
                  state_.Phase = GamePhase::SendAsk;
                  // The player learns now that the result is only in memory, not at exit.
                  if (const Status entered = host_.EnterHighScore(state_.Score); !entered) {
                    ThePlatform().ShowError(
                        "Your score is in the table but could not be saved to \"" +
                        std::string(ConfigFileName) + "\": " + entered.error().message);
                  }
                });
      break;

    case GamePhase::SendAsk:
      host_.Ask("Send the result to", "World's Highscores page?", ColourGreen, false,
                [this](bool send) {
                  state_.Phase = send ? GamePhase::Sending : GamePhase::ToHighScores;
                });
      break;

    case GamePhase::Sending:
      host_.SendScore(state_.Score, [this](bool sent) {
        state_.Phase = sent ? GamePhase::ToHighScores : GamePhase::SendFailed;
      });
      break;

    case GamePhase::SendFailed:
      host_.Ask("Cant conect!!!", "Repeat again?", Red, false, [this](bool again) {
        state_.Phase = again ? GamePhase::Sending : GamePhase::ToHighScores;
      });
      break;

    case GamePhase::ToMenu:
      Finish(false);
      return;

    case GamePhase::ToHighScores:
      Finish(true);
      return;
  }
}

void Game::PlayingFrame() {
  if (input_.Pause) TogglePause();
  if (paused_) {
    ConfinePointer(false);
    ShowPauseCaption();
    return;
  }
  ConfinePointer(true);
  SetLightsLevel(1.0f);
  SpawnAndUpdate();
  player_->Update();
  DrawHud();
  if (state_.Score < 0) state_.Score = 0;
  if (state_.TimeLeft < 0) StartNextLevel();
}

void Game::ShowPauseCaption() { PrintCentred("PAUSE", 0, 0, 1.0f, 1.0f, 0.0f, ColourGreen); }

// The end captions grow from nothing to 2.3 times their size, then move on.
void Game::GrowCaption(const char* text, float step, GamePhase next) {
  PrintCentred(text, 0, 0, 2.3f * captionLevel_, 2.3f * captionLevel_, -0.2f, Red);
  if (captionLevel_ > 1.0f) {
    state_.Phase = next;
  } else {
    captionLevel_ += step;
  }
}

void Game::DrawHud() {
  const int w = state_.Weapon >= 0 && state_.Weapon < WeaponCount ? state_.Weapon : 0;
  PrintCentred(std::to_string(state_.Ammo[w]) + "/" + std::to_string(state_.Magazines[w]), -6.0f,
               -11.3f, 0.5f, 0.35f, -0.2f, ColourGreen);
  PrintCentred(std::to_string(state_.Lives), 0.3f, -10.5f, 0.8f, 1.0f, -0.2f, ColourGreen);
  PrintCentred(std::to_string(state_.Health), 2.3f, -10.5f, 0.6f, 0.8f, -0.2f, ColourGreen);
  PrintCentred("LEVEL " + std::to_string(state_.Level + 1), 13.5f, 11.3f, 0.6f, 0.6f, -0.2f,
               ColourGreen);
  PrintCentred(std::to_string(state_.Score), 6.5f, 11.3f, 0.6f, 0.6f, -0.2f, ColourGreen);
  // Whole seconds, truncated: the last frame of a level can show 0:00. A frame
  // that overran the level's end shows 0:00 too rather than negative time.
  // Seconds take two digits, so 1:03 never reads as 1:30.
  const int32_t seconds = state_.TimeLeft > 0 ? state_.TimeLeft / 1000 : 0;
  const int32_t secondsOfMinute = seconds % 60;
  PrintCentred(std::to_string(seconds / 60) + (secondsOfMinute < 10 ? ":0" : ":") +
                   std::to_string(secondsOfMinute),
               -14.0f, 11.3f, 0.6f, 0.6f, -0.2f, ColourGreen);
}

void Game::Finish(bool toHighScores) { host_.EndGame(toHighScores); }

}  // namespace gh
