#include "verify/Verifier.h"

#include "engine/EngineCalls.h"
#include "game/Playback.h"
#include "verify/HeadlessEngine.h"
#include "verify/NullHost.h"

namespace gh {

std::string OutcomeLine(const VerifyOutcome& outcome) {
  if (outcome.Verified) {
    return "verified " + std::to_string(outcome.Score) + " " + std::to_string(outcome.Level) + " " +
           std::to_string(outcome.Frames);
  }
  std::string reason = outcome.Reason.empty() ? "no reason given" : outcome.Reason;
  for (char& c : reason)
    if (c == '\n' || c == '\r') c = ' ';
  return "refused " + reason;
}

Result<std::unique_ptr<Verifier>> Verifier::Open(const std::string& engineLibrary,
                                                 const Options& options) {
  std::unique_ptr<Verifier> verifier(new Verifier());
  verifier->options_ = options;
  const Result<uint64_t> data = ReadDataVersion();
  if (!data) return data.error();
  verifier->dataVersion_ = *data;
  Result<std::unique_ptr<HeadlessEngine>> engine = HeadlessEngine::Open(engineLibrary);
  if (!engine) return engine.error();
  verifier->engine_ = std::move(*engine);
  return verifier;
}

Verifier::~Verifier() = default;

Result<VerifyOutcome> Verifier::Verify(std::string_view bytes) {
  if (bytes.size() > options_.Limits.MaxBytes) {
    return VerifyOutcome{.Reason = "The recording is larger than " +
                                   std::to_string(options_.Limits.MaxBytes) + " bytes."};
  }
  const Result<GameRecording> recording = DecodeRecording(bytes, options_.Limits);
  if (!recording) return VerifyOutcome{.Reason = recording.error().message};
  return Verify(*recording);
}

Result<VerifyOutcome> Verifier::Verify(const GameRecording& recording) {
  if (recording.Frames.size() > options_.Limits.MaxFrames) {
    return VerifyOutcome{.Reason = "The recording is longer than " +
                                   std::to_string(options_.Limits.MaxFrames) + " frames."};
  }
  if (Status here = CanPlayHere(recording, dataVersion_); !here)
    return VerifyOutcome{.Reason = here.error().message};

  NullHost view;
  Result<std::unique_ptr<GamePlayback>> made = GamePlayback::Create(view, recording);
  if (!made) return made.error();
  GamePlayback& playback = **made;
  // Bounded by the recording's own length whatever the playback does.
  const size_t frames = recording.Frames.size();
  for (size_t i = 0; i < frames; ++i) {
    // The live program clears the frame's texts before each frame's work.
    iPrintsHide();
    if (!playback.Step()) break;
    for (int n = 0; n < options_.EngineFramesPerGameFrame; ++n) engine_->Frame(true);
  }
  const PlaybackOutcome end = playback.Outcome();
  VerifyOutcome outcome{.Verified = end.Verified,
                        .Score = end.Score,
                        .Level = end.Level,
                        .Frames = end.Frames,
                        .Reason = end.Reason};
  if (!outcome.Verified && outcome.Reason.empty())
    outcome.Reason = "The game played again does not end as the recording says.";
  return outcome;
}

}  // namespace gh
