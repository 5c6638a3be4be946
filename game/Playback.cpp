#include "Playback.h"

#include <utility>

namespace gh {

// The playback's state, and the host its game calls: questions are answered
// from the recording, sounds and the pointer picture go on to the view, and
// nothing is entered into a table, sent or held.
struct GamePlayback::Host final : GameHost {
  Host(GameHost& view, const GameRecording& recording) : view(view), recording(recording) {}
  ~Host() override { game.reset(); }  // the game calls its host as it goes

  void Ask(const std::string&, const std::string&, const iColor&, bool,
           std::function<void(bool)> then) override {
    pendingAnswer = std::move(then);
  }
  bool QualifiesForHighScores(int32_t) override { return false; }
  Status EnterHighScore(int32_t) override { return {}; }
  void SendScore(int32_t, std::function<void(bool)> then) override {
    if (then) then(false);
  }
  void PlaySound(SoundRef sound, bool looped) override { view.PlaySound(sound, looped); }
  void ConfinePointer(bool) override {}
  void EndGame(bool) override {}
  void SetPointerPicture(const char* file) override { view.SetPointerPicture(file); }

  // Runs the events before a frame; false when the game could not be made again.
  bool ApplyEvents(const std::vector<GameEvent>& events) {
    for (const GameEvent& event : events) {
      switch (event.Kind) {
        case GameEventKind::Answer:
          if (pendingAnswer) std::exchange(pendingAnswer, nullptr)(event.Value != 0);
          break;
        case GameEventKind::Restart: {
          const std::optional<GameProgress> progress = game->Progress();
          pendingAnswer = nullptr;
          game.reset();
          Result<std::unique_ptr<Game>> made = Game::Create(*this, recording.Seed, progress);
          if (!made) {
            failure = made.error().message;
            return false;
          }
          game = std::move(*made);
          break;
        }
        default:
          game->Apply(event);
          break;
      }
    }
    return true;
  }

  GameHost& view;
  const GameRecording recording;
  std::function<void(bool)> pendingAnswer;
  std::unique_ptr<Game> game;
  uint32_t played = 0;
  bool ended = false;  // the game's phase reached the score check
  std::string failure;
};

GamePlayback::GamePlayback() = default;
GamePlayback::~GamePlayback() = default;

Result<std::unique_ptr<GamePlayback>> GamePlayback::Create(GameHost& view,
                                                           const GameRecording& recording) {
  std::unique_ptr<GamePlayback> playback(new GamePlayback());
  playback->host_ = std::make_unique<Host>(view, recording);
  Result<std::unique_ptr<Game>> game = Game::Create(*playback->host_, recording.Seed);
  if (!game) return game.error();
  playback->host_->game = std::move(*game);
  return playback;
}

bool GamePlayback::Done() const {
  const Host& h = *host_;
  return h.ended || !h.failure.empty() || h.played >= h.recording.Frames.size();
}

bool GamePlayback::Step() {
  if (Done()) return false;
  Host& h = *host_;
  const RecordedFrame& frame = h.recording.Frames[h.played];
  if (!h.ApplyEvents(frame.EventsBefore)) return false;
  h.game->RunFrame(frame.Input);
  ++h.played;
  if (h.game->Phase() == GamePhase::ScoreCheck) h.ended = true;
  return true;
}

uint32_t GamePlayback::FramesPlayed() const { return host_->played; }

uint32_t GamePlayback::FrameCount() const {
  return static_cast<uint32_t>(host_->recording.Frames.size());
}

const Game& GamePlayback::CurrentGame() const { return *host_->game; }

const FrameInput& GamePlayback::LastInput() const { return host_->game->Input(); }

PlaybackOutcome GamePlayback::PlayToEnd() {
  while (Step()) {
  }
  return Outcome();
}

PlaybackOutcome GamePlayback::Outcome() const {
  const Host& h = *host_;
  PlaybackOutcome out;
  out.Score = h.game ? h.game->State().Score : 0;
  out.Level = h.game ? h.game->State().Level : int16_t{0};
  out.Frames = h.played;
  const uint32_t count = FrameCount();
  if (!h.failure.empty()) {
    out.Reason = h.failure;
  } else if (!h.ended) {
    out.Reason = h.played < count ? "the recording has not been played to its end"
                                  : "the recording ends before the game does";
  } else if (h.played != count) {
    out.Reason =
        "the game ended at frame " + std::to_string(h.played) + " of " + std::to_string(count);
  } else if (out.Score != h.recording.Score) {
    out.Reason = "the game played again scored " + std::to_string(out.Score) + ", not " +
                 std::to_string(h.recording.Score);
  } else if (out.Level != h.recording.Level) {
    out.Reason = "the game played again ended at level " + std::to_string(out.Level + 1) +
                 ", not " + std::to_string(h.recording.Level + 1);
  } else {
    out.Verified = true;
  }
  return out;
}

}  // namespace gh
