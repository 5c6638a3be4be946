// Clicks of the server tests on the real game (headless): a widget, and an
// answer to the open question.
#pragma once
#include "engine/EngineCalls.h"
#include "harness/Harness.h"
#include "shell/Shell.h"
#include "ui/WidgetSet.h"

namespace gh::scores::test {

inline void ClickOn(gh::test::Harness& h, SpriteRef sprite) {
  iVec2 at{};
  iSpriteLocation(sprite, &at);
  h.MouseAt(at.x, at.y);
  h.Step(1);
  h.Click();
  h.Step(1);
}

inline void Answer(gh::test::Harness& h, bool yes) {
  ClickOn(h, (yes ? h.Shell().Widgets()->Yes : h.Shell().Widgets()->No)->Sprite);
}

}  // namespace gh::scores::test
