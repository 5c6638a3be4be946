// Plays recorded games again on the headless engine and says how each ended:
// whether the game played from the recording's seed and input reaches its
// score check exactly at the recording's last frame, with its score. A
// recording can never make it run longer than its own frames.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "game/Recording.h"
#include "platform/Result.h"

namespace gh {

class HeadlessEngine;

struct VerifyOutcome {
  bool Verified = false;
  int32_t Score = 0;
  int16_t Level = 0;
  uint32_t Frames = 0;
  std::string Reason;  // why refused, in a player's words
};

// The one line the verifier prints for a recording (no line end):
// "verified <score> <level> <frames>" or "refused <reason>", the reason on one line.
std::string OutcomeLine(const VerifyOutcome& outcome);

class Verifier {
 public:
  struct Options {
    RecordingLimits Limits;
    // Engine frames (drawn) run after every game frame: none is what the game
    // needs; tests run one to show that the outcome does not change.
    int EngineFramesPerGameFrame = 0;
  };
  // Opens the engine library headless with Data/ of the working folder and
  // reads that data's version; an Error when either cannot be had.
  static Result<std::unique_ptr<Verifier>> Open(const std::string& engineLibrary,
                                                const Options& options);
  static Result<std::unique_ptr<Verifier>> Open(const std::string& engineLibrary) {
    return Open(engineLibrary, Options{});
  }
  ~Verifier();

  // A recording file's bytes. An Error only when this verifier itself cannot
  // play games (its data could not be read): nothing is then said about the
  // recording.
  Result<VerifyOutcome> Verify(std::string_view bytes);
  Result<VerifyOutcome> Verify(const GameRecording& recording);

  uint64_t DataVersion() const { return dataVersion_; }
  const Options& Settings() const { return options_; }
  HeadlessEngine& Engine() { return *engine_; }

 private:
  Verifier() = default;
  Options options_;
  std::unique_ptr<HeadlessEngine> engine_;
  uint64_t dataVersion_ = 0;
};

}  // namespace gh
