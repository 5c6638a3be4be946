// Faults the soak found, kept as tests of their own.
#include <gtest/gtest.h>

#include "harness/replay/ReplayPlayer.h"
#include "shell/Shell.h"
#include "ui/WidgetSet.h"
#include "ui/Widgets.h"

namespace gh::test::replay {
namespace {

bool Shown(Harness& h, SpriteRef sprite) {
  for (const auto& s : h.Sprites())
    if (s.handle == sprite.get()) return true;
  return false;
}

// A display change and a maximise in the same frame: the engine restarts once
// (or twice) and comes back to the options screen, instead of restarting on
// every frame from then on.
TEST(SoakFinding, TwoRestartsInOneFrameComeBackToTheScreen) {
  Recorder r(3, std::nullopt);
  for (int i = 0;
       i < 1500 && !(r.H().Shell().CurrentScreen() == Screen::Menu && r.H().Shell().Widgets() &&
                     Shown(r.H(), r.H().Shell().Widgets()->Options->Sprite));
       ++i)
    r.Step();
  iVec2 at{};
  iSpriteLocation(r.H().Shell().Widgets()->Options->Sprite, &at);
  r.MouseAt(at.x, at.y);
  r.Step();
  r.Click();
  r.Step(2);
  ASSERT_EQ(r.H().Shell().CurrentScreen(), Screen::Options);
  iSpriteLocation(r.H().Shell().Widgets()->DisplayToggle->Sprite, &at);
  r.MouseAt(at.x, at.y);
  r.Step();
  r.Button(0, true);
  r.Message(iMsgMaximize);
  r.Step();
  r.Button(0, false);
  r.Step(30);
  const int opens = Engine().ihOpenCount();
  r.Step(60);
  EXPECT_EQ(Engine().ihOpenCount(), opens) << "the engine keeps restarting";
  EXPECT_EQ(r.H().Shell().CurrentScreen(), Screen::Options);
  r.Close();
  EXPECT_TRUE(r.Exited());
}

}  // namespace
}  // namespace gh::test::replay
