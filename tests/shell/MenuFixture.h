// The real program on the headless engine, started and driven to the main
// menu, with the moves a player makes on the menus.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/EngineCalls.h"
#include "game/Game.h"
#include "harness/Harness.h"
#include "settings/Settings.h"
#include "shell/Shell.h"
#include "ui/WidgetSet.h"
#include "ui/Widgets.h"

namespace gh::test {

class MenuTest : public ::testing::Test {
 protected:
  void TearDown() override { h.reset(); }

  // Starts the program; `toMenu` waits for the main menu's buttons.
  void Start(bool toMenu = true, HarnessOptions options = {}) {
    h = std::make_unique<Harness>(options);
    if (toMenu) {
      ASSERT_TRUE(h->StepUntil(
          [this] {
            return OnScreen(Screen::Menu) && h->Shell().Widgets() && Shown(Menu().StartGame);
          },
          1500))
          << "the main menu never appeared";
      h->Step(1);
    }
  }

  bool OnScreen(Screen screen) const { return h->Shell().CurrentScreen() == screen; }

  // The widget set of the running engine (the program has started).
  WidgetSet& Menu() const { return *h->Shell().Widgets(); }

  bool Shown(const Widget* widget) const { return widget && Drawn(widget->Sprite).has_value(); }
  bool Shown(SpriteRef sprite) const { return sprite && Drawn(sprite).has_value(); }

  // The widget's sprite as drawn now, if it is shown.
  std::optional<ihSprite> Drawn(SpriteRef sprite) const {
    for (const auto& s : h->Sprites())
      if (s.handle == sprite.get()) return s;
    return std::nullopt;
  }

  // Puts the pointer on a shown widget, `dx` screen units right of its centre,
  // and lets one frame pass so that it takes the focus.
  void Hover(const Widget* widget, float dx = 0) {
    ASSERT_NE(widget, nullptr);
    const auto sprite = Drawn(widget->Sprite);
    ASSERT_TRUE(sprite.has_value()) << "the widget is not on screen";
    h->MouseAt(sprite->x + dx, sprite->y);
    h->Step(1);
  }

  // Points at a widget and clicks it, then lets the next screen draw a frame.
  void ClickOn(const Widget* widget, float dx = 0) {
    Hover(widget, dx);
    h->Click();
    h->Step(1);
  }

  void Press(int key) {
    h->Tap(key);
    h->Step(1);
  }

  // Where the engine's pointer is, in screen units.
  static float PointerX() { return PointerOnPlane().x; }
  static float PointerY() { return PointerOnPlane().y; }

  // The pointer rests on the widget, inside its picture (a click there picks
  // it), and on a text button beside its caption, not on the letters.
  bool PointerOn(const Widget* widget) const {
    const auto sprite = Drawn(widget->Sprite);
    if (!sprite || std::abs(PointerX() - sprite->x) > sprite->width / 2 - 0.1f ||
        std::abs(PointerY() - sprite->y) > sprite->height / 2 - 0.1f) {
      return false;
    }
    const auto* button = dynamic_cast<const TextButton*>(widget);
    if (!button) return true;
    for (const auto& p : h->Prints()) {
      if (p.text == button->Caption && std::abs(p.x - sprite->x) < 0.01f &&
          std::abs(p.y - sprite->y) < 0.01f) {
        return PointerX() < p.left || PointerX() > p.right;
      }
    }
    return false;  // the caption is not printed
  }

  int CountPrints(const std::string& text) const {
    const auto texts = h->PrintTexts();
    return static_cast<int>(std::count(texts.begin(), texts.end(), text));
  }

  const ihPrint* LastPrint(const std::string& text) { return h->FindPrint(text, printStorage); }

  // Opens the exit question from the main menu with Escape.
  void AskExitByEscape() {
    Press(Key::Escape);
    ASSERT_TRUE(h->HasPrint("Exit the game?"));
    ASSERT_TRUE(Shown(Menu().Yes));
    ASSERT_TRUE(Shown(Menu().No));
  }

  int Clicks() {
    int clicks = 0;
    for (const auto& e : h->SoundEvents())
      if (e.kind == 1 && NormalisedFile(e.file) == "data/sound/click.wav") ++clicks;
    return clicks;
  }

  std::unique_ptr<Harness> h;
  std::vector<ihPrint> printStorage;
};

}  // namespace gh::test
