#include "RandomInput.h"

#include <array>

#include "engine/EngineCalls.h"
#include "game/Game.h"
#include "shell/Shell.h"
#include "ui/WidgetSet.h"

namespace gh::test::replay {

namespace {

// Keys a player reaches for, and a few they should not matter.
constexpr std::array<int, 26> Keys = {Key::Escape,
                                      Key::Enter,
                                      Key::LetterP,
                                      Key::Space,
                                      Key::Tab,
                                      Key::Backspace,
                                      Key::Up,
                                      Key::Down,
                                      Key::Left,
                                      Key::Right,
                                      Key::F12,
                                      Key::F5,
                                      Key::LeftAlt,
                                      Key::LeftCtrl,
                                      2,
                                      3,
                                      4,
                                      5,
                                      6,
                                      16,
                                      30,
                                      44,
                                      59,
                                      68,
                                      87,
                                      184};

}  // namespace

void RandomInput::PointAtSomethingShown(Recorder& r) {
  const auto sprites = r.H().Sprites();
  if (sprites.empty()) return;
  const auto& s = sprites[Below(static_cast<uint32_t>(sprites.size()))];
  r.MouseAt(s.x + (static_cast<float>(Below(100)) / 100.0f - 0.5f) * s.width * 0.8f,
            s.y + (static_cast<float>(Below(100)) / 100.0f - 0.5f) * s.height * 0.8f);
}

void RandomInput::Frame(Recorder& r) {
  visited_.insert(static_cast<int>(r.H().Shell().CurrentScreen()) * 100 +
                  (r.H().Shell().RunningGame()
                       ? static_cast<int>(r.H().Shell().RunningGame()->Phase()) + 50
                       : 0));

  if (inactiveFrames_ > 0 && --inactiveFrames_ == 0) {
    r.Active(true);
    r.Message(Chance(500) ? iMsgActivate : iMsgRestore);
  }
  if (holdFrames_ > 0 && --holdFrames_ == 0) r.Button(0, false);

  // The main menu leads everywhere; start a game often so play gets its share.
  WidgetSet* const widgets = r.H().Shell().Widgets();
  if (r.H().Shell().CurrentScreen() == Screen::Menu && !r.H().Shell().RunningGame() && widgets &&
      Chance(20)) {
    iVec2 at{};
    iSpriteLocation(widgets->StartGame->Sprite, &at);
    r.MouseAt(at.x, at.y);
  }
  // In play, aim at the scene and fire in bursts.
  if (r.H().Shell().RunningGame() && r.H().Shell().RunningGame()->Phase() == GamePhase::Playing &&
      Chance(60)) {
    r.Mouse(static_cast<float>(Below(1000)) / 1000.0f,
            0.2f + static_cast<float>(Below(600)) / 1000.0f);
    r.Button(0, true);
    holdFrames_ = 1 + static_cast<int>(Below(90));
  }

  const uint32_t roll = Below(1000);
  if (roll < 350) {
    // nothing this frame
  } else if (roll < 550) {
    r.Mouse(static_cast<float>(Below(1001)) / 1000.0f, static_cast<float>(Below(1001)) / 1000.0f);
  } else if (roll < 700) {
    PointAtSomethingShown(r);
  } else if (roll < 790) {
    r.Click(0);  // a press in this frame, released in the next
    return;
  } else if (roll < 810) {
    r.Button(0, true);
    holdFrames_ = 1 + static_cast<int>(Below(120));
  } else if (roll < 835) {
    r.Click(1);
    return;
  } else if (roll < 880) {
    const int key = Keys[Below(Keys.size())];
    // Escape and the boss key end screens fast; keep them rarer.
    if ((key == Key::Escape || key == Key::F12) && Chance(600)) return r.Step();
    r.Tap(key);
    return;
  } else if (roll < 930) {
    // Mostly printable characters, sometimes any byte.
    r.Char(Chance(900) ? 32 + static_cast<int>(Below(95)) : 1 + static_cast<int>(Below(255)));
  } else if (roll < 955) {
    r.Message(Chance(500) ? iMsgWheelUp : iMsgWheelDown);
  } else if (roll < 975) {
    r.Message(iMsgKeyUp,
              Chance(800) ? '1' + static_cast<int>(Below(5)) : static_cast<int>(Below(256)));
  } else if (roll < 985) {
    if (inactiveFrames_ == 0) {
      r.Active(false);
      r.Message(Chance(500) ? iMsgDeactivate : iMsgMinimize);
      inactiveFrames_ = 1 + static_cast<int>(Below(120));
    }
  } else if (roll < 993) {
    r.Message(Chance(500) ? iMsgMaximize : iMsgCaptionDblClk, 2);
  } else {
    r.Message(iMsgRestore);
  }
  r.Step();
}

}  // namespace gh::test::replay
