// Plays a recorded game on the engine that runs (the window or headless): the
// game is made as the recording's game was, and each Step runs one recorded
// frame (its events, then the game's frame). The playback is the game's host:
// it answers the game's questions from the recording, and hands sounds and the
// pointer picture on to the `view` host (a null host when verifying).
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "game/Game.h"
#include "game/GameHost.h"
#include "game/Recording.h"

namespace gh {

struct PlaybackOutcome {
  // The game ended (reached its score check) exactly at the recording's last
  // frame, with the recording's score and level.
  bool Verified = false;
  int32_t Score = 0;  // what the game played again reached
  int16_t Level = 0;
  uint32_t Frames = 0;  // frames played
  std::string Reason;   // why not verified, in a player's words
};

class GamePlayback {
 public:
  // Builds the game's scene on the running engine; an Error names a data
  // file that could not be read. Does not check versions (see CanPlayHere).
  static Result<std::unique_ptr<GamePlayback>> Create(GameHost& view,
                                                      const GameRecording& recording);
  ~GamePlayback();

  // Runs the next recorded frame; false (and nothing run) when every frame
  // has been played or the game ended early.
  bool Step();
  bool Done() const;
  uint32_t FramesPlayed() const;
  uint32_t FrameCount() const;
  // The game as it is now (for the HUD and the pointer's place).
  const Game& CurrentGame() const;
  const FrameInput& LastInput() const;
  // Plays every remaining frame and says how it ended.
  PlaybackOutcome PlayToEnd();
  PlaybackOutcome Outcome() const;  // after Done()

 private:
  GamePlayback();
  struct Host;
  std::unique_ptr<Host> host_;
};

}  // namespace gh
