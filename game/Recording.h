// A recorded game: what the game needs to play it again exactly (its seed, the
// input of every frame and the events between frames) and how it ended, plus
// what says whether this build can play it (the simulation's version and the
// data's). Files are small: a header, then the frames delta-coded and
// deflated (zlib).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "game/GameInput.h"
#include "platform/Result.h"

namespace gh {

// Raised whenever a change makes the same input play a different game (rules,
// timing, chances): recordings of another simulation are not played.
inline constexpr uint16_t SimulationVersion = 1;

struct RecordedFrame {
  std::vector<GameEvent> EventsBefore;  // in order, before this frame runs
  FrameInput Input;
  bool operator==(const RecordedFrame&) const = default;
};

struct GameRecording {
  uint16_t Simulation = SimulationVersion;
  uint64_t DataVersion = 0;    // the Data/ the game was played with (ReadDataVersion)
  std::string ProgramVersion;  // who made it, for messages ("2.0 linux")
  uint64_t Seed = 0;           // the game's chances
  std::vector<RecordedFrame> Frames;
  // How the game ended as the recording program saw it: the frame after the
  // last one would have checked the score against the table.
  int32_t Score = 0;
  int16_t Level = 0;
  bool operator==(const GameRecording&) const = default;
};

// What a reader accepts; anything over is refused before it is inflated.
struct RecordingLimits {
  size_t MaxBytes = 4u << 20;                 // the file
  uint32_t MaxFrames = 60u * 60u * 60u * 4u;  // four hours of play
};

// The file's bytes. Decode refuses a truncated, oversized, inconsistent or
// foreign file with an Error that says why (never throws, never reads past
// `bytes`, never allocates beyond the limits).
std::string EncodeRecording(const GameRecording& recording);
Result<GameRecording> DecodeRecording(std::string_view bytes, const RecordingLimits& limits = {});

// The version of Data/ this program reads (a digest assetgen writes to
// "Data\version.txt"); an Error when it is missing.
Result<uint64_t> ReadDataVersion();
// This program's identity for ProgramVersion.
std::string ThisProgramVersion();

// Whether this build can play `recording` on data `dataVersion`; the Error is
// the player's words ("This recording was made by Gravelhorn 2 version ...").
Status CanPlayHere(const GameRecording& recording, uint64_t dataVersion);

// Writes a game down as it is played: the live program calls Event for every
// event it applies, Frame before every frame it runs and Finish once the
// game has ended (its phase reached the score check).
class GameRecorder {
 public:
  GameRecorder(uint64_t seed, uint64_t dataVersion);
  void Event(const GameEvent& event);
  void Frame(const FrameInput& input);
  void Finish(int32_t score, int16_t level);
  bool Finished() const { return finished_; }
  const GameRecording& Recording() const { return recording_; }

 private:
  GameRecording recording_;
  std::vector<GameEvent> pending_;
  bool finished_ = false;
};

}  // namespace gh
