// What the fault tests share: reaching the game from the main menu and
// answering question boxes, as a player would.
#pragma once
#include <gtest/gtest.h>

#include "engine/EngineCalls.h"
#include "harness/Harness.h"
#include "shell/Shell.h"
#include "ui/DXCtrl.h"
#include "ui/Menus.h"

namespace gh::test {

// The main menu is up once the fade-in is over and its first button shows.
inline bool MainMenuShown(Harness& h) {
  return h.Shell().Screen() == ScreenMenu && h.Shell().PreviousScreen() == ScreenFadeIn &&
         TextButtons[0] && !TextButtons[0]->Hidden;
}

inline void ClickWidget(Harness& h, const TDDControl* widget) {
  iVec2 at{};
  iSpriteLocation(widget->Sprite, &at);
  h.MouseAt(at.x, at.y);
  h.Step(1);
  h.Click();
  h.Step(1);
}

// Clicks "Start Game" on the main menu.
inline bool StartGameFromMenu(Harness& h) {
  if (!h.StepUntil([&] { return MainMenuShown(h); }, 900)) return false;
  h.Step(2);
  ClickWidget(h, TextButtons[0]);
  return h.StepUntil(
      [&] { return h.Shell().Screen() == ScreenGame && h.Shell().RunningGame() != nullptr; }, 10);
}

// Answers the open question box with its first ("Yes") or second button.
inline void AnswerQuestion(Harness& h, bool yes) { ClickWidget(h, TextButtons[yes ? 8 : 9]); }

}  // namespace gh::test
