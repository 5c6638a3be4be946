#include "verify/Bot.h"

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "game/BonusBox.h"
#include "game/Game.h"
#include "game/GameHost.h"
#include "game/Player.h"
#include "game/Terrorist.h"
#include "game/Vehicles.h"
#include "verify/NullHost.h"

namespace gh {

namespace {

// The player's own chances (splitmix64): its choices follow from its seed
// alone and are the same on every build.
class BotChances {
 public:
  explicit BotChances(uint64_t seed) : state_(seed ^ 0x5bd1e995a5a5a5a5ull) {}
  uint64_t Next() {
    uint64_t z = (state_ += 0x9e3779b97f4a7c15ull);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
    return z ^ (z >> 31);
  }
  // Uniform over 0 .. n - 1.
  int Below(int n) { return n < 1 ? 0 : static_cast<int>(Next() % static_cast<uint64_t>(n)); }

 private:
  uint64_t state_;
};

// The live program's host as far as a game needs it here: the questions wait
// for the player's answer, the rest is silent.
class BotHost : public NullHost {
 public:
  void Ask(const std::string&, const std::string&, const iColor&, bool,
           std::function<void(bool)> then) override {
    pending_ = std::move(then);
  }
  bool Asking() const { return static_cast<bool>(pending_); }
  void Answer(bool yes) {
    std::function<void(bool)> then = std::move(pending_);
    pending_ = nullptr;
    if (then) then(yes);
  }
  void EndGame(bool) override { ended_ = true; }
  bool Ended() const { return ended_; }

 private:
  std::function<void(bool)> pending_;
  bool ended_ = false;
};

// A point of the screen plane (x -16..16, y -12..12, as the world's plane z = 0
// shows it) as the pointer's whole steps of the view. Whole-number arithmetic
// after one rounding, so every build lands on the same step.
uint16_t Step(float plane, float low, float span, bool down) {
  const float fraction = down ? (low - plane) / span : (plane - low) / span;
  int32_t step = static_cast<int32_t>(fraction * static_cast<float>(PointerRange) + 0.5f);
  if (step < 0) step = 0;
  if (step > PointerRange) step = PointerRange;
  return static_cast<uint16_t>(step);
}

struct Aim {
  float X = 0, Y = 0;
  int Priority = 0;  // higher first
};

// What is worth the player's aim now, from the game's own state.
std::vector<Aim> Targets(const Game& game) {
  std::vector<Aim> aims;
  auto terrorists = [&](const auto& list) {
    for (const auto& t : list) {
      if (!t) continue;
      if (t->Is(Terrorist::Pose::Shooting))
        aims.push_back({t->ShootMesh()->X, t->ShootMesh()->Y, 3});
      if (t->Is(Terrorist::Pose::Walking)) aims.push_back({t->WalkMesh()->X, t->WalkMesh()->Y, 2});
    }
  };
  terrorists(game.LowerTerrorists());
  terrorists(game.UpperTerrorists());
  auto vehicles = [&](const auto& list) {
    for (const auto& v : list)
      if (v && v->Active() && v->Health() > 0 && !v->Body()->Hidden)
        aims.push_back({v->Body()->X, v->Body()->Y, 1});
  };
  vehicles(game.Aircraft());
  vehicles(game.Cars());
  vehicles(game.Trains());
  for (const auto& t : game.Trucks())
    if (t && t->Active() && t->Health() > 0 && !t->Cabin()->Hidden)
      aims.push_back({t->Cabin()->X, t->Cabin()->Y, 1});
  for (const auto& b : game.BonusBoxes())
    if (b && b->Is(BonusBox::Stage::Open) && b->Content() != BonusType::HealthPenalty)
      aims.push_back({b->Icon()->X, b->Icon()->Y, 4});
  return aims;
}

bool InPlay(const Game& game) { return game.Phase() == GamePhase::Playing && !game.Paused(); }

}  // namespace

Result<GameRecording> PlayBotGame(uint64_t seed, const BotOptions& options) {
  const Result<uint64_t> data = ReadDataVersion();
  if (!data) return data.error();
  BotHost host;
  Result<std::unique_ptr<Game>> made = Game::Create(host, seed);
  if (!made) return made.error();
  Game& game = **made;
  GameRecorder recorder(seed, *data);
  BotChances chances(seed);

  // When the one-off moves come: a pause, the exit question declined, a lost
  // focus; each at a time of its own.
  const uint32_t pauseAt = 900 + static_cast<uint32_t>(chances.Below(1800));
  const uint32_t askAt = pauseAt + 1200 + static_cast<uint32_t>(chances.Below(1800));
  const uint32_t focusAt = askAt + 1200 + static_cast<uint32_t>(chances.Below(1800));
  const uint32_t maxFrames = options.MaxFrames > 600 ? options.MaxFrames : 600;
  // Leaves in time to end within the limit: the exit question, the caption.
  const uint32_t leaveAt =
      options.LeaveAfterFrames > 0 && options.LeaveAfterFrames < maxFrames - 600
          ? options.LeaveAfterFrames
          : maxFrames - 600;
  enum class Plan { Play, Paused, Asked, FocusLost, Leaving } plan = Plan::Play;
  bool paused = false, asked = false, focusLost = false;
  uint32_t planSince = 0;

  std::optional<Aim> target;
  float jitterX = 0, jitterY = 0;
  uint32_t tickBase = 1000 + static_cast<uint32_t>(chances.Below(1 << 20));

  auto event = [&](GameEvent e) {
    recorder.Event(e);
    game.Apply(e);
  };

  for (uint32_t frame = 0; frame < maxFrames; ++frame) {
    if (game.Phase() == GamePhase::ScoreCheck || host.Ended()) break;
    FrameInput input;
    input.Tick = tickBase + static_cast<uint32_t>(static_cast<uint64_t>(frame) * 1000 / 60);

    // A question open: the player answers it before the next frame.
    if (host.Asking()) {
      const bool yes = plan == Plan::Leaving;
      recorder.Event({GameEventKind::Answer, static_cast<int8_t>(yes ? 1 : 0)});
      host.Answer(yes);
      if (plan == Plan::Asked) plan = Plan::Play;
    }

    // The one-off moves.
    if (frame >= leaveAt && plan != Plan::Leaving && InPlay(game) && !host.Asking()) {
      plan = Plan::Leaving;
      event({GameEventKind::Escape, 0});
    } else if (plan == Plan::Play && InPlay(game)) {
      if (!paused && frame >= pauseAt) {
        paused = true;
        plan = Plan::Paused;
        planSince = frame;
        input.Pause = true;
      } else if (!asked && frame >= askAt) {
        asked = true;
        plan = Plan::Asked;
        event({GameEventKind::Escape, 0});
      } else if (!focusLost && frame >= focusAt) {
        focusLost = true;
        plan = Plan::FocusLost;
        planSince = frame;
        event({GameEventKind::FocusLost, 0});
      }
    } else if ((plan == Plan::Paused || plan == Plan::FocusLost) && frame - planSince >= 90) {
      // A pause by the key ends with Escape, one by a lost focus with the key.
      if (plan == Plan::Paused)
        event({GameEventKind::Escape, 0});
      else
        input.Pause = true;
      plan = Plan::Play;
    }

    // Weapons: now and then another one, by key or by wheel.
    if (InPlay(game) && frame % 1200 == 600) {
      if (chances.Below(2) == 0)
        event({GameEventKind::ChooseWeapon, static_cast<int8_t>(chances.Below(5))});
      else
        event({GameEventKind::StepWeapon, static_cast<int8_t>(chances.Below(2) ? 1 : -1)});
    }

    // Aim: keep a target while it is there, else take the most urgent one.
    const std::vector<Aim> aims = Targets(game);
    bool still = false;
    if (target) {
      for (const Aim& a : aims)
        if (a.Priority == target->Priority && a.X - target->X < 1.5f && target->X - a.X < 1.5f &&
            a.Y - target->Y < 1.0f && target->Y - a.Y < 1.0f) {
          target = a;
          still = true;
          break;
        }
    }
    if (!still) {
      target.reset();
      for (const Aim& a : aims)
        if (!target || a.Priority > target->Priority) target = a;
      // Aims off by up to `spread` twentieths of a unit: a steady hand for a
      // game of a set length, else one less sure as the levels go on, so that
      // the game ends by itself some day.
      const int spread = options.LeaveAfterFrames > 0 ? 2 : 10 + 12 * game.State().Level;
      jitterX = static_cast<float>(chances.Below(2 * spread + 1) - spread) / 20.0f;
      jitterY = static_cast<float>(chances.Below(2 * spread + 1) - spread) / 20.0f;
    }
    if (target) {
      input.PointerX = Step(target->X + jitterX, -16.0f, 32.0f, false);
      input.PointerY = Step(target->Y + jitterY, 12.0f, 24.0f, true);
      input.Fire = true;
    }
    const int weapon = game.CurrentWeapon();
    if (game.State().Ammo[weapon] == 0 && game.State().Magazines[weapon] > 0 && frame % 20 == 0)
      input.Reload = true;

    recorder.Frame(input);
    game.RunFrame(input);
  }
  if (game.Phase() != GamePhase::ScoreCheck)
    return Error{
        "The scripted player's game did not end within " + std::to_string(maxFrames) + " frames.",
        {}};
  recorder.Finish(game.State().Score, game.State().Level);
  return recorder.Recording();
}

}  // namespace gh
