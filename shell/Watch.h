// Watching a recorded game in the game's own view: the playback, its speed and
// pause, and the host that hands the game's sounds and pointer to the shell.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "game/GameHost.h"
#include "game/Playback.h"
#include "game/Recording.h"
#include "ui/UiHost.h"

namespace gh {

class Shell;

// The speeds a recorded game plays at: game frames per engine frame, as a
// fraction.
struct WatchSpeed {
  uint32_t frames;
  uint32_t engineFrames;
  const char* caption;
};
inline constexpr WatchSpeed WatchSpeeds[] = {
    {1, 4, "1/4x"}, {1, 2, "1/2x"}, {1, 1, "1x"}, {2, 1, "2x"}, {4, 1, "4x"}, {8, 1, "8x"},
};
inline constexpr int WatchSpeedCount = sizeof WatchSpeeds / sizeof WatchSpeeds[0];
inline constexpr int WatchNormalSpeed = 2;

// The view a played-back game shows itself in: the shell, for the sounds (as
// in the game, each sound started at most once an engine frame however many
// game frames it runs) and the pointer's picture. The playback answers the
// game's questions itself; the rest of a live game's host is not used.
class WatchView final : public GameHost {
 public:
  explicit WatchView(Shell& shell) : shell_(shell) {}
  // A new engine frame: its sounds may start again.
  void NewFrame() { started_.clear(); }
  // While catching up after an engine restart: nothing is heard.
  bool Silent = false;

  void Ask(const std::string&, const std::string&, const iColor&, bool,
           std::function<void(bool)>) override {}
  bool QualifiesForHighScores(int32_t) override { return false; }
  Status EnterHighScore(int32_t) override { return {}; }
  void SendScore(int32_t, std::function<void(bool)>) override {}
  void PlaySound(SoundRef sound, bool looped) override;
  // Watching leaves the pointer free.
  void ConfinePointer(bool) override {}
  void EndGame(bool) override {}
  void SetPointerPicture(const char* file) override;

 private:
  Shell& shell_;
  std::vector<SoundRef> started_;
};

// A recorded game being watched: what plays it and how.
struct WatchState {
  GameRecording recording;
  // Where the program goes at the game's end or on Escape.
  Screen after = Screen::HighScores;
  std::unique_ptr<WatchView> view;
  // None while the engine restarts (the scene goes with the engine's run).
  std::unique_ptr<GamePlayback> playback;
  int speed = WatchNormalSpeed;
  bool paused = false;
  // Engine frames toward the next game frame, at the slow speeds.
  uint32_t credit = 0;
  // Game frames played before an engine restart: the next run catches up.
  uint32_t resumeAt = 0;
  // The prints before the caption: the game's, kept while no game frame runs.
  int32_t captionFrom = 0;
  // Game frames the last engine frame ran.
  uint32_t lastSteps = 0;
};

}  // namespace gh
