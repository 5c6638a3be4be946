// What the fault tests share: reaching the game from the main menu and
// answering question boxes, as a player would.
#pragma once
#include <gtest/gtest.h>

#include "engine/EngineCalls.h"
#include "harness/Harness.h"
#include "shell/Shell.h"
#include "ui/WidgetSet.h"
#include "ui/Widgets.h"

namespace gh::test {

// The main menu is up once the fade-in is over and its first button shows.
inline bool MainMenuShown(Harness& h) {
  return h.Shell().CurrentScreen() == Screen::Menu &&
         h.Shell().PreviousScreen() == Screen::FadeIn && h.Shell().Widgets() &&
         !h.Shell().Widgets()->StartGame->Hidden;
}

inline void ClickWidget(Harness& h, const Widget* widget) {
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
  ClickWidget(h, h.Shell().Widgets()->StartGame);
  return h.StepUntil(
      [&] {
        return h.Shell().CurrentScreen() == Screen::Game && h.Shell().RunningGame() != nullptr;
      },
      10);
}

// Answers the open question box with its first ("Yes") or second button.
inline void AnswerQuestion(Harness& h, bool yes) {
  ClickWidget(h, yes ? h.Shell().Widgets()->Yes : h.Shell().Widgets()->No);
}

}  // namespace gh::test
