// A scripted player for recordings to check the verifier with: it plays the
// real game through the game's own input, as the live program feeds it, and
// writes the game down as the live program does. It aims at the enemies on
// the scene (from the game's state), fires, reloads, changes weapons, pauses
// once and once answers "No" to the question whether to leave. Everything it
// does follows from its seed: the same seed plays the same game on any build.
#pragma once
#include <cstdint>

#include "game/Recording.h"
#include "platform/Result.h"

namespace gh {

struct BotOptions {
  // Frames of play after which the player leaves the game through the exit
  // question ("Yes"), aiming with a steady hand until then (long enough to
  // live twenty minutes and more); 0: its hand grows less sure level by level
  // and it plays until its lives are gone. Either way the game ends within
  // MaxFrames.
  uint32_t LeaveAfterFrames = 0;
  uint32_t MaxFrames = RecordingLimits{}.MaxFrames;
};

// Plays one game on the running engine (the headless engine opened, Data/ in
// the working folder) to its score check and returns its recording.
Result<GameRecording> PlayBotGame(uint64_t seed, const BotOptions& options = {});

}  // namespace gh
