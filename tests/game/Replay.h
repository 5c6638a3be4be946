// A scripted game on the headless engine, used by the replay test and the
// replay benchmark: the same seed and script give the same game.
#pragma once
#include <cstdint>
#include <vector>

#include "harness/Harness.h"

namespace gh::test {

// The main menu is up after the start-up and its fade-in.
bool MenuShown(Harness& h);

// Answers the open question box by clicking its first ("Yes") or second button.
void AnswerQuestion(Harness& h, bool yes);

struct ReplayResult {
  int32_t score = 0;
  int levelsReached = 0;
  int frames = 0;                   // frames stepped from entering the game to the menu
  int shots = 0;                    // shots the player fired (shot sounds)
  int kills = 0;                    // terrorists that died (death sounds)
  std::vector<uint64_t> checksums;  // the scene of every frame of the game
};

// From the main menu: enters the game, seeds the game's chances, plays
// `playFrames` frames of scripted input (or until the game is over), leaves
// through the exit question, declines the name question and returns when the
// menu is back. With keepAlive the player's health is topped up every frame, so
// long replays reach the later levels.
ReplayResult RunReplay(Harness& h, uint32_t seed, int playFrames, bool keepAlive = false);

}  // namespace gh::test
