#include "Replay.h"

#include "engine/EngineCalls.h"
#include "game/Game.h"
#include "game/Player.h"
#include "game/Random.h"
#include "game/Terrorist.h"
#include "shell/Shell.h"
#include "ui/WidgetSet.h"

namespace gh::test {

namespace {

int CountDeaths(const std::vector<ihSoundEvent>& events) {
  int n = 0;
  for (const auto& e : events) {
    const std::string file = NormalisedFile(e.file);
    if (e.kind == 1 && file.size() >= 7 && file.compare(file.size() - 7, 7, "/10.wav") == 0) ++n;
  }
  return n;
}

// The first active terrorist that can still be hit, if any.
Terrorist* Target(Harness& h) {
  if (!h.Shell().RunningGame()) return nullptr;
  for (auto* rows :
       {&h.Shell().RunningGame()->UpperTerrorists(), &h.Shell().RunningGame()->LowerTerrorists()}) {
    for (auto& t : *rows) {
      if (t->Is(Terrorist::Pose::Walking) || t->Is(Terrorist::Pose::Shooting)) return t.get();
    }
  }
  return nullptr;
}

}  // namespace

bool MenuShown(Harness& h) {
  return h.Shell().Resources().Cursor && h.Shell().CurrentScreen() == Screen::Menu &&
         h.Shell().PreviousScreen() == Screen::FadeIn;
}

void AnswerQuestion(Harness& h, bool yes) {
  iVec2 at{};
  const WidgetSet& widgets = *h.Shell().Widgets();
  iSpriteLocation((yes ? widgets.Yes : widgets.No)->Sprite, &at);
  h.MouseAt(at.x, at.y);
  h.Step(1);
  h.Click();
  h.Step(1);
}

ReplayResult RunReplay(Harness& h, uint32_t seed, int playFrames, bool keepAlive) {
  ReplayResult result;
  auto step = [&] {
    h.Step(1);
    ++result.frames;
    // The game's scene only: the menus blink on the absolute clock.
    if (h.Shell().RunningGame()) result.checksums.push_back(Engine().ihSceneChecksum());
    result.kills += CountDeaths(h.SoundEvents());
    if (h.Shell().RunningGame()) {
      result.score = h.Shell().RunningGame()->State().Score;
      result.levelsReached = h.Shell().RunningGame()->State().Level + 1;
    }
  };

  h.SoundEvents();
  // The game's seed comes from the program's chances: seeded, the same game.
  h.Shell().GameChances().Seed(seed);
  h.Shell().SwitchScreen(Screen::Game);
  uint32_t lastShot = 0;
  auto playing = [&] {
    return h.Shell().RunningGame() && (h.Shell().RunningGame()->Phase() == GamePhase::Intro ||
                                       h.Shell().RunningGame()->Phase() == GamePhase::Playing ||
                                       h.Shell().RunningGame()->Phase() == GamePhase::LifeLost);
  };
  for (int i = 0; i < playFrames && playing(); ++i) {
    // Aim at a terrorist and hold the button on it; sweep the lanes otherwise.
    if (Terrorist* t = Target(h)) {
      const AnimatedMesh* s = t->Is(Terrorist::Pose::Walking) ? t->WalkMesh() : t->ShootMesh();
      h.MouseAt(s->X, s->Y);
      h.ButtonDown();
    } else {
      const float x = -15.0f + static_cast<float>((i * 37) % 300) / 10.0f;
      h.MouseAt(x, (i / 300) % 2 ? 0.0f : -2.0f);
      if (i % 90 < 30) {
        h.ButtonDown();
      } else {
        h.ButtonUp();
      }
    }
    if (i % 400 == 399) h.ButtonDown(1);
    if (i % 400 == 0) h.ButtonUp(1);
    if (i % 700 == 350) h.Post(iMsgKeyUp, '1' + (i / 700) % 5);
    if (i % 1500 == 1200) h.Post(iMsgWheelDown);
    if (keepAlive) h.Shell().RunningGame()->StateForTests().Health = 50;
    step();
    if (h.Shell().RunningGame() && h.Shell().RunningGame()->GetPlayer() &&
        h.Shell().RunningGame()->GetPlayer()->LastShotTick() != lastShot) {
      lastShot = h.Shell().RunningGame()->GetPlayer()->LastShotTick();
      ++result.shots;
    }
  }
  h.ButtonUp();
  h.ButtonUp(1);

  // Leave the game if it still runs, and decline the name question if the
  // score qualified.
  bool leaving = false;
  for (int guard = 0; h.Shell().RunningGame() && guard < 3000; ++guard) {
    if (h.Shell().RunningGame()->Phase() == GamePhase::NameEntry) {
      AnswerQuestion(h, false);
    } else if (h.Shell().RunningGame()->Phase() == GamePhase::Playing && !leaving) {
      if (h.Shell().RunningGame()->Paused()) h.Tap(25);  // P
      h.Tap(1);                                          // Escape
      if (h.StepUntilPrint("Exit to menu?", 5)) AnswerQuestion(h, true);
      leaving = true;
    } else {
      step();
    }
  }
  return result;
}

}  // namespace gh::test
