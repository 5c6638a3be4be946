#include "Sessions.h"

#include "engine/EngineCalls.h"
#include "game/Game.h"
#include "game/Player.h"
#include "game/Terrorist.h"
#include "harness/replay/RandomInput.h"
#include "shell/Shell.h"
#include "ui/WidgetSet.h"
#include "ui/Widgets.h"

namespace gh::test::replay {

namespace {

Recorder* current = nullptr;

// The widget set of the program under the recorder, or none.
WidgetSet* Widgets() { return current ? current->H().Shell().Widgets() : nullptr; }

bool Shown(SpriteRef sprite) {
  if (!current || !sprite) return false;
  for (const auto& s : current->H().Sprites())
    if (s.handle == sprite.get()) return true;
  return false;
}

bool MenuUp() {
  return current->H().Shell().Resources().Cursor &&
         current->H().Shell().CurrentScreen() == Screen::Menu && Widgets() &&
         Shown(Widgets()->StartGame->Sprite);
}

void Until(Recorder& r, const std::function<bool()>& done, int maxFrames) {
  for (int i = 0; i < maxFrames && !done() && !r.Exited(); ++i) r.Step();
}

// Points at a shown widget, lets it take the focus, clicks it and lets the
// next screen draw.
void ClickOn(Recorder& r, const Widget* widget) {
  if (!widget || !Shown(widget->Sprite)) return;
  iVec2 at{};
  iSpriteLocation(widget->Sprite, &at);
  r.MouseAt(at.x, at.y);
  r.Step();
  r.Click();
  r.Step(2);
}

void Answer(Recorder& r, bool yes) {
  Until(
      r, [] { return Widgets() && Shown(Widgets()->Yes->Sprite); }, 120);
  ClickOn(r, yes ? Widgets()->Yes : Widgets()->No);
}

void Menus(Recorder& r) {
  Until(r, MenuUp, 1500);
  r.Step(30);
  ClickOn(r, Widgets()->Options);
  ClickOn(r, Widgets()->SoundToggle);
  ClickOn(r, Widgets()->MusicToggle);
  ClickOn(r, Widgets()->CountryBox);
  r.Type("Norway");
  r.Tap(Key::Backspace);
  r.Type("y!");
  r.Tap(Key::Enter);
  r.Step(20);
  ClickOn(r, Widgets()->BossKeyBox);
  r.Tap(Key::F5);
  r.Step(20);
  ClickOn(r, Widgets()->OptionsBack);
  ClickOn(r, Widgets()->OptionsBack);
  ClickOn(r, Widgets()->Back);
  Until(r, MenuUp, 300);
  ClickOn(r, Widgets()->HighScores);
  r.Step(60);
  ClickOn(r, Widgets()->Back);
  ClickOn(r, Widgets()->OptionsBack);
  Until(r, MenuUp, 300);
  ClickOn(r, Widgets()->Help);
  for (int page = 0; page < 3; ++page) {
    r.Step(40);
    r.Message(iMsgWheelDown);
    r.Step(20);
    r.Tap(Key::Down);
    r.Step(20);
    ClickOn(r, Widgets()->Next);
  }
  ClickOn(r, Widgets()->Prev);
  r.Step(30);
  ClickOn(r, Widgets()->Back);
  ClickOn(r, Widgets()->OptionsBack);
  Until(r, MenuUp, 300);
  // Focus lost and back, a minimise and restore.
  r.Active(false);
  r.Message(iMsgDeactivate);
  r.Step(30);
  r.Active(true);
  r.Message(iMsgActivate);
  r.Step(30);
  ClickOn(r, Widgets()->ExitGame);
  Answer(r, true);
  Until(
      r, [] { return false; }, 600);
}

// The first terrorist that can still be hit.
Terrorist* Target(Recorder& r) {
  if (!r.H().Shell().RunningGame()) return nullptr;
  for (auto* rows : {&r.H().Shell().RunningGame()->UpperTerrorists(),
                     &r.H().Shell().RunningGame()->LowerTerrorists()})
    for (auto& t : *rows)
      if (t->Is(Terrorist::Pose::Walking) || t->Is(Terrorist::Pose::Shooting)) return t.get();
  return nullptr;
}

void Play(Recorder& r, int maxFrames) {
  Until(r, MenuUp, 1500);
  r.Step(10);
  ClickOn(r, Widgets()->StartGame);  // Start Game
  auto playing = [&] {
    return r.H().Shell().RunningGame() &&
           (r.H().Shell().RunningGame()->Phase() == GamePhase::Intro ||
            r.H().Shell().RunningGame()->Phase() == GamePhase::Playing ||
            r.H().Shell().RunningGame()->Phase() == GamePhase::LifeLost);
  };
  Until(r, playing, 600);
  bool held = false;
  for (int i = 0; i < maxFrames && playing(); ++i) {
    if (Terrorist* t = Target(r)) {
      const AnimatedMesh* s = t->Is(Terrorist::Pose::Walking) ? t->WalkMesh() : t->ShootMesh();
      r.MouseAt(s->X, s->Y);
      if (!held) r.Button(0, true);
      held = true;
    } else {
      r.MouseAt(-15.0f + static_cast<float>((i * 37) % 300) / 10.0f, (i / 300) % 2 ? 0.0f : -2.0f);
      const bool want = i % 90 < 30;
      if (want != held) r.Button(0, want);
      held = want;
    }
    if (i % 400 == 399) r.Button(1, true);
    if (i % 400 == 0) r.Button(1, false);
    if (i % 700 == 350) r.Message(iMsgKeyUp, '1' + (i / 700) % 5);
    if (i % 1500 == 1200) r.Message(iMsgWheelDown);
    if (i == 900) {  // a pause and back
      r.Tap(Key::LetterP);
      r.Step(60);
      r.Tap(Key::LetterP);
    }
    r.Step();
  }
  r.Button(0, false);
  r.Button(1, false);
  r.Step();
  if (r.H().Shell().RunningGame() && r.H().Shell().RunningGame()->Phase() == GamePhase::Playing) {
    r.Tap(Key::Escape);
    Answer(r, true);  // "Exit to menu?"
  }
  // A score for the table: the name, then sending it, which the refusing
  // server turns into the question to try again.
  Until(
      r,
      [&] {
        return !r.H().Shell().RunningGame() ||
               r.H().Shell().RunningGame()->Phase() == GamePhase::NameEntry;
      },
      3000);
  if (r.H().Shell().RunningGame() && r.H().Shell().RunningGame()->Phase() == GamePhase::NameEntry) {
    r.Step(10);
    ClickOn(r, Widgets()->NameBox);
    r.Type("Ace Replay");
    Answer(r, true);
    Answer(r, true);   // send
    Answer(r, false);  // "Cant conect!!!" - not again
  }
  Until(
      r, [&] { return !r.H().Shell().RunningGame(); }, 3000);
  r.Step(120);
  r.Close();
}

void Random(Recorder& r, uint32_t seed, int frames) {
  RandomInput input(seed);
  for (int i = 0; i < frames && !r.Exited(); ++i) input.Frame(r);
  r.Close();
}

}  // namespace

const std::vector<Session>& Sessions() {
  static const std::vector<Session> sessions = {
      {"menus", 11,
       [](Recorder& r) {
         current = &r;
         Menus(r);
       }},
      {"game", 4242,
       [](Recorder& r) {
         current = &r;
         Play(r, 30000);
       }},
      {"random", 77,
       [](Recorder& r) {
         current = &r;
         Random(r, 77, 4000);
       }},
  };
  return sessions;
}

}  // namespace gh::test::replay
