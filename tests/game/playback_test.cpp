// A game played live on the headless program, then played again from its
// recording on a fresh engine run: the same game, frame by frame.
#include "game/Playback.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Replay.h"
#include "engine/EngineCalls.h"
#include "game/Game.h"
#include "game/Recording.h"
#include "game/Terrorist.h"
#include "harness/Harness.h"
#include "shell/Shell.h"
#include "ui/WidgetSet.h"

namespace gh::test {
namespace {

struct LiveGame {
  GameRecording recording;
  // After each of the game's frames; none after the frame whose engine run
  // stopped (the game is freed with the run, its progress kept by the shell).
  std::vector<std::optional<GameProgress>> states;
};

// The first terrorist that can still be hit.
const Terrorist* Target(const Game& game) {
  for (auto* rows : {&game.UpperTerrorists(), &game.LowerTerrorists()})
    for (auto& t : *rows)
      if (t->Is(Terrorist::Pose::Walking) || t->Is(Terrorist::Pose::Shooting)) return t.get();
  return nullptr;
}

// Plays one game with scripted input through the engine: shots at the
// terrorists, reloads, a pause, Escape answered No, the weapon keys and the
// wheel, a lost focus, an engine restart, then Escape answered Yes.
LiveGame PlayLive() {
  LiveGame live;
  HarnessOptions options;
  options.seed = 21;
  options.zeroClock = true;  // the same game whatever ran before in this process
  Harness h(options);
  EXPECT_TRUE(h.StepUntil([&] { return MenuShown(h); }, 900));
  h.Shell().SwitchScreen(Screen::Game);
  if (!h.Shell().RunningGame()) {
    ADD_FAILURE() << "no game";
    return live;
  }
  auto recorded = [&] {
    const GameRecorder* r = h.Shell().Recorder();
    return r ? r->Recording().Frames.size() : size_t{0};
  };
  // One program frame; the game's state after it when the game ran a frame.
  auto step = [&] {
    const size_t before = recorded();
    h.Step(1);
    const size_t after = recorded();
    if (after == before + 1) {
      live.states.push_back(h.Shell().RunningGame()
                                ? std::optional<GameProgress>(h.Shell().RunningGame()->State())
                                : std::nullopt);
    } else if (after != before) {
      ADD_FAILURE() << "frames recorded without the game seeing them: " << before << " to "
                    << after;
    }
  };
  auto tap = [&](int key) {
    h.KeyDown(key);
    step();
    h.KeyUp(key);
  };
  auto answer = [&](bool yes) {
    for (int n = 0; n < 60 && !h.Shell().Questions().IsOpen(); ++n) step();
    iVec2 at{};
    iSpriteLocation((yes ? h.Shell().Widgets()->Yes : h.Shell().Widgets()->No)->Sprite, &at);
    h.MouseAt(at.x, at.y);
    step();
    h.ButtonDown();
    step();
    h.ButtonUp();
    step();
  };
  auto phase = [&] {
    return h.Shell().RunningGame() ? h.Shell().RunningGame()->Phase() : GamePhase::ToMenu;
  };

  bool left = false;
  for (int i = 0; i < 6000 && h.Shell().RunningGame() && !h.Shell().FinishedRecording(); ++i) {
    const Game& game = *h.Shell().RunningGame();
    if (const Terrorist* t = left ? nullptr : Target(game)) {
      const AnimatedMesh* s = t->Is(Terrorist::Pose::Walking) ? t->WalkMesh() : t->ShootMesh();
      h.MouseAt(s->X, s->Y);
      h.ButtonDown();
    } else {
      // Sweeps the lanes, the button held a third of the time.
      h.MouseAt(-15.0f + static_cast<float>((i * 37) % 300) / 10.0f, (i / 300) % 2 ? 0.0f : -2.0f);
      if (i % 90 < 30) {
        h.ButtonDown();
      } else {
        h.ButtonUp();
      }
    }
    if (i % 400 == 399) h.ButtonDown(1);
    if (i % 400 == 0) h.ButtonUp(1);
    if (i == 350) tap(Key::LetterP);  // a pause and back
    if (i == 420) tap(Key::LetterP);
    if (i == 500) h.Post(iMsgKeyUp, '2');
    if (i == 520) h.Post(iMsgWheelDown);
    if (i == 540) h.Post(iMsgWheelUp);
    if (i == 560) h.Post(iMsgKeyUp, '1');
    if (i == 600 && phase() == GamePhase::Playing) {
      h.ButtonUp();
      tap(Key::Escape);
      answer(false);  // "Exit to menu?" No
      continue;
    }
    if (i == 700) h.Post(iMsgDeactivate);  // a lost focus pauses
    if (i == 760) tap(Key::LetterP);
    if (i == 900) {
      // An engine restart: the game goes on from its progress, paused.
      const int opens = Engine().ihOpenCount();
      h.Post(iMsgCaptionDblClk, 2);
      for (int n = 0; n < 600 && !(Engine().ihOpenCount() > opens && h.Shell().RunningGame() &&
                                   h.Shell().CurrentScreen() == Screen::Game);
           ++n)
        step();
      step();
      if (!h.Shell().RunningGame()) break;
      EXPECT_TRUE(h.Shell().RunningGame()->Paused());
      tap(Key::LetterP);
      continue;
    }
    if (i >= 1800 && !left && phase() == GamePhase::Playing) {
      left = true;
      h.ButtonUp();
      tap(Key::Escape);
      answer(true);  // "Exit to menu?" Yes: the game-over path
      continue;
    }
    step();
  }
  h.ButtonUp();
  h.ButtonUp(1);
  EXPECT_TRUE(left) << "the script never left the game";
  if (const GameRecording* r = h.Shell().FinishedRecording()) live.recording = *r;
  return live;
}

const LiveGame& Live() {
  static const LiveGame live = PlayLive();
  return live;
}

// The main menu of a fresh program: the engine the playbacks run on.
class PlaybackTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Live();  // played first: one program runs at a time
    HarnessOptions options;
    options.seed = 3;
    h = std::make_unique<Harness>(options);
    ASSERT_TRUE(h->StepUntil([this] { return MenuShown(*h); }, 900));
  }
  std::unique_ptr<Harness> h;
};

TEST_F(PlaybackTest, ARecordedGamePlaysAgainFrameByFrame) {
  const LiveGame& live = Live();
  ASSERT_FALSE(live.recording.Frames.empty()) << "the live game left no recording";
  ASSERT_EQ(live.states.size(), live.recording.Frames.size());
  EXPECT_GT(live.recording.Score, 0) << "the script scored nothing: a weak check";
  ASSERT_TRUE(live.states.back());
  EXPECT_EQ(live.recording.Score, live.states.back()->Score);
  EXPECT_EQ(live.states.back()->Phase, GamePhase::ScoreCheck);
  EXPECT_EQ(std::count(live.states.begin(), live.states.end(), std::nullopt), 1)
      << "one frame stopped its engine run";
  // Every event the script made, in the recording.
  std::vector<GameEventKind> kinds;
  for (const RecordedFrame& f : live.recording.Frames)
    for (const GameEvent& e : f.EventsBefore) kinds.push_back(e.Kind);
  for (GameEventKind k :
       {GameEventKind::Escape, GameEventKind::Answer, GameEventKind::FocusLost,
        GameEventKind::ChooseWeapon, GameEventKind::StepWeapon, GameEventKind::Restart}) {
    EXPECT_NE(std::find(kinds.begin(), kinds.end(), k), kinds.end()) << int(k);
  }

  // It names the data it was played with (Data/version.txt, which assetgen writes).
  const Result<uint64_t> data = ReadDataVersion();
  ASSERT_TRUE(data) << data.error().message;
  EXPECT_NE(*data, 0u);
  EXPECT_EQ(live.recording.DataVersion, *data);
  EXPECT_TRUE(CanPlayHere(live.recording, *data));

  const Result<GameRecording> file = DecodeRecording(EncodeRecording(live.recording));
  ASSERT_TRUE(file) << file.error().message;
  ASSERT_TRUE(*file == live.recording);
  auto playback = GamePlayback::Create(h->Shell(), *file);
  ASSERT_TRUE(playback) << playback.error().message;
  GamePlayback& p = **playback;
  size_t frame = 0, compared = 0;
  while (p.Step()) {
    ASSERT_LT(frame, live.states.size());
    if (const std::optional<GameProgress>& want = live.states[frame]) {
      const GameProgress& got = p.CurrentGame().State();
      ASSERT_TRUE(got == *want) << "the game went another way at frame " << frame << ": score "
                                << got.Score << " (live " << want->Score << "), clock "
                                << got.ClockMs << " (live " << want->ClockMs << ")";
      ++compared;
    }
    ++frame;
  }
  EXPECT_EQ(compared + 1, live.states.size());
  EXPECT_TRUE(p.Done());
  const PlaybackOutcome outcome = p.Outcome();
  EXPECT_TRUE(outcome.Verified) << outcome.Reason;
  EXPECT_EQ(outcome.Score, live.recording.Score);
  EXPECT_EQ(outcome.Level, live.recording.Level);
  EXPECT_EQ(outcome.Frames, live.recording.Frames.size());
}

TEST_F(PlaybackTest, AChangedRecordingIsRefusedWithItsReason) {
  const GameRecording& good = Live().recording;
  ASSERT_GT(good.Frames.size(), 100u);
  const auto& states = Live().states;
  // The first shot that killed: the last frame with a shot before the
  // first score (which comes some frames after the shot, as the terrorist dies).
  // A frame of play (its clock ran) that spent a shot; the pistol is filled
  // to 99 at the start of every frame of play.
  auto shot = [&](size_t n) {
    if (!states[n] || !states[n - 1] || states[n]->Phase != GamePhase::Playing ||
        states[n]->ClockMs == states[n - 1]->ClockMs)
      return false;
    const int w = states[n]->Weapon;
    return w == 0 ? states[n]->Ammo[0] == 98 : states[n]->Ammo[w] < states[n - 1]->Ammo[w];
  };
  size_t killingShot = 0;
  for (size_t n = 1; n < states.size() && killingShot == 0; ++n) {
    if (!states[n] || !states[n - 1] || states[n]->Score <= states[n - 1]->Score) continue;
    for (size_t back = n; back-- > 1;) {
      if (shot(back)) {
        killingShot = back;
        break;
      }
    }
  }
  ASSERT_GT(killingShot, 0u);
  struct Case {
    const char* what;
    std::function<void(GameRecording&)> change;
    std::string reason;
  };
  const size_t count = good.Frames.size();
  const std::vector<Case> cases{
      {"the trigger let go for one frame",
       [&](GameRecording& r) { r.Frames[killingShot].Input.Fire = false; },
       ""},  // the game goes another way: any reason
      {"a higher score claimed", [](GameRecording& r) { r.Score += 10; },
       "the game played again scored " + std::to_string(good.Score) + ", not " +
           std::to_string(good.Score + 10)},
      {"the last frames cut off", [](GameRecording& r) { r.Frames.resize(r.Frames.size() - 30); },
       "the recording ends before the game does"},
      {"frames added after the end",
       [](GameRecording& r) {
         for (int n = 0; n < 10; ++n) r.Frames.push_back(r.Frames.back());
       },
       "the game ended at frame " + std::to_string(count) + " of " + std::to_string(count + 10)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    GameRecording changed = good;
    c.change(changed);
    auto playback = GamePlayback::Create(h->Shell(), changed);
    ASSERT_TRUE(playback);
    const PlaybackOutcome outcome = (*playback)->PlayToEnd();
    EXPECT_FALSE(outcome.Verified);
    EXPECT_FALSE(outcome.Reason.empty());
    EXPECT_NE(outcome.Reason.find(c.reason), std::string::npos) << outcome.Reason;
  }
}

}  // namespace
}  // namespace gh::test
