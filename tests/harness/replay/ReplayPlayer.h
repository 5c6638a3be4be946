// Records a session of the real program on the headless engine as input, and
// plays a recording back exactly. Both watch the same things frame by frame
// (the scene checksum, the game's score, level and lives) and, once the
// program has ended, Config.cfg and the score table it holds.
#pragma once
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ReplayFile.h"
#include "harness/Harness.h"

namespace gh::test::replay {

// What a run showed; `Expected()` is what a replay of it must show again.
class Observer {
 public:
  // Without scene checksums (a speed benchmark) every frame's checksum counts as 0.
  explicit Observer(bool sceneChecksums = true) : sceneChecksums_(sceneChecksums) {}
  void Frame(Harness& h);  // after each frame
  void Ended(Harness& h);  // after the program ended (or gave up)
  Expectation Expected() const;
  const std::vector<uint64_t>& Checksums() const { return checksums_; }

 private:
  std::vector<uint64_t> checksums_;
  uint64_t rolling_ = 1469598103934665603ull;
  Expectation end_;
  bool sceneChecksums_ = true;
};

// The harness as a replay or a recording needs it: a clock that starts from
// zero whatever ran before in this process, the engine seeded, and a score
// server that refuses at once (no network in tests).
std::unique_ptr<Harness> StartHarness(uint32_t seed, const std::optional<std::string>& config);

// Drives the program and writes down every input it gives.
class Recorder {
 public:
  Recorder(uint32_t seed, std::optional<std::string> config);
  ~Recorder();

  // Read-only use: what is on screen, the program's state.
  Harness& H() { return *h_; }
  bool Exited() const { return h_->Exited(); }
  uint32_t Frames() const { return recording_.frames; }

  // Input for the next frame.
  void Mouse(float x, float y);    // fractions of the view (clamped to 0..1)
  void MouseAt(float x, float y);  // screen units
  void Button(int button, bool down);
  void Key(int key, bool down);
  void Char(int ch);
  void Message(int kind, int a = 0, int b = 0);
  void Active(bool active);
  // Convenience: press for one frame, then release (recorded as such).
  void Click(int button = 0);
  void Tap(int key);
  void Type(const std::string& text);

  void Step(int frames = 1);
  // Asks the program to close as its window's close box would, until it ends.
  void Close(int maxFrames = 3000);
  // Ends the session: the recording and what it showed.
  Recording Finish();
  const Observer& Seen() const { return observer_; }

 private:
  void Add(const Event& e);
  // What the engine holds now: input that repeats it is left out.
  float mouseX_ = 0.5f, mouseY_ = 0.5f;
  int buttons_[3] = {};
  int keys_[256] = {};
  Recording recording_;
  std::vector<Event> pending_;
  std::unique_ptr<Harness> h_;
  Observer observer_;
  bool finished_ = false;
};

struct PlayResult {
  Expectation seen;
  std::vector<uint64_t> checksums;
  std::vector<std::string> errors;  // what the program showed as errors
};

// Plays a recording frame by frame on a fresh program; if the program has not
// ended by the last frame, closes it (those frames are not counted).
// Without scene checksums the result's checksums, rolling hash and samples are
// those of an all-zero scene: for timing the program alone.
PlayResult Play(const Recording& recording, bool sceneChecksums = true);

// Describes how `seen` differs from `expected` (empty: the same).
std::string Compare(const Expectation& expected, const Expectation& seen);

}  // namespace gh::test::replay
