// The size of a recorded game: a scripted player plays for a given time on the
// headless engine, moving the pointer as a hand moves a mouse (in whole pixels
// of the 800 x 600 view, gliding towards its next target, a little unsteady
// while it moves, resting now and then), and the game's recording
// is encoded. Prints bytes; fails on nothing but a recording that does not
// read back.
//
//   bench_recording_size [minutes] [seed]
#include <cstdio>
#include <cstdlib>

#include "Replay.h"
#include "game/Game.h"
#include "game/Recording.h"
#include "game/Terrorist.h"
#include "shell/Shell.h"

int main(int argc, char** argv) {
  using namespace gh;
  using namespace gh::test;
  const int minutes = argc > 1 ? std::atoi(argv[1]) : 20;
  const uint32_t seed = argc > 2 ? static_cast<uint32_t>(std::atoi(argv[2])) : 7;
  HarnessOptions options;
  options.seed = seed;
  Harness h(options);
  if (!h.StepUntil([&] { return MenuShown(h); }, 900)) return 2;
  h.Shell().SwitchScreen(Screen::Game);
  GameDice hand(seed);  // the hand's unsteadiness
  float x = 0, y = 0, targetX = 0, targetY = 0;
  int rest = 0;
  const int frames = minutes * 60 * 60;
  for (int i = 0; i < frames && h.Shell().RunningGame(); ++i) {
    Game& game = *h.Shell().RunningGame();
    game.StateForTests().Health = Game::FullHealth;  // plays on to the end of the time
    game.StateForTests().Lives = 3;
    const Terrorist* target = nullptr;
    for (auto* rows : {&game.UpperTerrorists(), &game.LowerTerrorists()})
      for (auto& t : *rows)
        if (!target && (t->Is(Terrorist::Pose::Walking) || t->Is(Terrorist::Pose::Shooting)))
          target = t.get();
    if (target) {
      const AnimatedMesh* s =
          target->Is(Terrorist::Pose::Walking) ? target->WalkMesh() : target->ShootMesh();
      targetX = s->X;
      targetY = s->Y;
    } else if (i % 120 == 0) {
      targetX = hand.Between(-14, 14);
      targetY = hand.Between(-8, 8);
    }
    if (rest > 0) {
      --rest;
    } else {
      // A fifth of the way each frame, at most a unit, and a tremor.
      float dx = (targetX - x) / 5, dy = (targetY - y) / 5;
      dx = dx > 1 ? 1 : dx < -1 ? -1 : dx;
      dy = dy > 1 ? 1 : dy < -1 ? -1 : dy;
      const bool moving = dx * dx + dy * dy > 0.0004f;
      x += dx + (moving ? hand.Between(-0.03f, 0.03f) : 0.0f);
      y += dy + (moving ? hand.Between(-0.03f, 0.03f) : 0.0f);
      if (hand.Below(200) == 0) rest = 10 + hand.Below(50);
    }
    // The engine's pointer stands on whole pixels, as a mouse reports them.
    const float px = static_cast<float>(static_cast<int>((x + 16) / 32 * 800)) / 800;
    const float py = static_cast<float>(static_cast<int>((12 - y) / 24 * 600)) / 600;
    h.MouseFraction(px, py);
    if (target && (x - targetX) * (x - targetX) + (y - targetY) * (y - targetY) < 1) {
      h.ButtonDown();
    } else {
      h.ButtonUp();
    }
    if (i % 600 == 599) h.ButtonDown(1);
    if (i % 600 == 0) h.ButtonUp(1);
    if (i % 1800 == 900) h.Post(iMsgWheelUp);
    h.Step(1);
  }
  const GameRecorder* recorder = h.Shell().Recorder();
  if (!recorder) return 2;
  const GameRecording& recording = recorder->Recording();
  const std::string bytes = EncodeRecording(recording);
  const Result<GameRecording> back = DecodeRecording(bytes);
  if (!back || !(*back == recording)) {
    std::fprintf(stderr, "the recording does not read back\n");
    return 1;
  }
  size_t events = 0;
  for (const RecordedFrame& f : recording.Frames) events += f.EventsBefore.size();
  std::printf("%d min, %zu frames, %zu events, score %d: %zu bytes (%.1f bytes a second)\n",
              minutes, recording.Frames.size(), events,
              h.Shell().RunningGame() ? h.Shell().RunningGame()->State().Score : 0, bytes.size(),
              static_cast<double>(bytes.size()) / (minutes * 60.0));
  return 0;
}
