#include "ReplayPlayer.h"

#include <algorithm>
#include <sstream>

#include "engine/ScreenUnits.h"
#include "game/Game.h"
#include "scores/WebScores.h"
#include "settings/Settings.h"
#include "shell/Shell.h"

namespace gh::test::replay {

namespace {

constexpr uint32_t SampleEvery = 60;

void Apply(Harness& h, const Event& e) {
  const auto& engine = Engine();
  switch (e.kind) {
    case Event::Mouse:
      engine.ihMouseSet(e.x, e.y);
      break;
    case Event::Button:
      engine.ihMouseButtonSet(e.a, e.b);
      break;
    case Event::Key:
      engine.ihKeySet(e.a, e.b);
      break;
    case Event::Char:
      engine.ihCharType(e.a);
      break;
    case Event::Message:
      h.Post(e.a, e.b, e.c);
      break;
    case Event::Active:
      h.Platform().active = e.a != 0;
      break;
  }
}

std::string Hex64(uint64_t v) {
  std::ostringstream s;
  s << std::hex << v;
  return s.str();
}

}  // namespace

void Observer::Frame(Harness& h) {
  const uint64_t sum = sceneChecksums_ ? Engine().ihSceneChecksum() : 0;
  checksums_.push_back(sum);
  rolling_ = Fold(rolling_, sum);
  const auto frame = static_cast<uint32_t>(checksums_.size());
  if (frame % SampleEvery == 0) {
    end_.samples.emplace_back(frame, sum);
    // Nothing reads the sound log here: empty it so that it does not grow.
    ihSoundEvent drop;
    Engine().ihSoundEvents(&drop, 1);
  }
  if (h.Shell().RunningGame()) {
    end_.score = h.Shell().RunningGame()->State().Score;
    end_.level = h.Shell().RunningGame()->State().Level;
    end_.lives = h.Shell().RunningGame()->State().Lives;
  }
}

void Observer::Ended(Harness& h) {
  end_.exitCode = h.Exited() ? h.ExitCode() : -1;
  std::string error;
  const auto bytes = LoadFile(h.ConfigPath().string(), error);
  end_.configHash = bytes ? Fnv(*bytes) : 0;
  end_.table.clear();
  for (const auto& entry : h.Shell().PlayerSettings().HighScores)
    end_.table.emplace_back(entry.Score, entry.Name);
}

Expectation Observer::Expected() const {
  Expectation x = end_;
  x.frames = static_cast<uint32_t>(checksums_.size());
  x.rolling = rolling_;
  return x;
}

std::unique_ptr<Harness> StartHarness(uint32_t seed, const std::optional<std::string>& config) {
  SetScoreServerAddress("http://127.0.0.1:1");
  SetScoreTimeouts(200, 500);
  HarnessOptions options;
  options.seed = seed;
  options.config = config;
  options.zeroClock = true;
  return std::make_unique<Harness>(options);
}

Recorder::Recorder(uint32_t seed, std::optional<std::string> config) {
  recording_.seed = seed;
  recording_.config = config;
  h_ = StartHarness(seed, config);
}

Recorder::~Recorder() = default;

void Recorder::Add(const Event& e) {
  switch (e.kind) {
    case Event::Mouse:
      if (e.x == mouseX_ && e.y == mouseY_) return;
      mouseX_ = e.x;
      mouseY_ = e.y;
      break;
    case Event::Button:
      if (buttons_[e.a] == e.b) return;
      buttons_[e.a] = e.b;
      break;
    case Event::Key:
      if (keys_[e.a] == e.b) return;
      keys_[e.a] = e.b;
      break;
    default:
      break;
  }
  Apply(*h_, e);
  pending_.push_back(e);
}

void Recorder::Mouse(float x, float y) {
  Event e{Event::Mouse};
  e.x = std::clamp(x, 0.0f, 1.0f);
  e.y = std::clamp(y, 0.0f, 1.0f);
  Add(e);
}

void Recorder::MouseAt(float x, float y) {
  const iVec2 at = PlaneToView(x, y);
  Mouse(at.x, at.y);
}

void Recorder::Button(int button, bool down) {
  if (button < 0 || button > 2) return;
  Add({Event::Button, 0, 0, button, down ? 1 : 0});
}

void Recorder::Key(int key, bool down) {
  if (key < 0 || key > 255) return;
  Add({Event::Key, 0, 0, key, down ? 1 : 0});
}

void Recorder::Char(int ch) { Add({Event::Char, 0, 0, ch}); }

void Recorder::Message(int kind, int a, int b) { Add({Event::Message, 0, 0, kind, a, b}); }

void Recorder::Active(bool active) { Add({Event::Active, 0, 0, active ? 1 : 0}); }

void Recorder::Click(int button) {
  Button(button, true);
  Step();
  Button(button, false);
}

void Recorder::Tap(int key) {
  Key(key, true);
  Step();
  Key(key, false);
}

void Recorder::Type(const std::string& text) {
  for (char c : text) {
    Char(static_cast<unsigned char>(c));
    Step();
  }
}

void Recorder::Step(int frames) {
  for (int i = 0; i < frames && !h_->Exited(); ++i) {
    if (!pending_.empty()) {
      recording_.input.push_back({recording_.frames, std::move(pending_)});
      pending_.clear();
    }
    h_->Step(1);
    ++recording_.frames;
    observer_.Frame(*h_);
  }
}

void Recorder::Close(int maxFrames) {
  for (int i = 0; i < maxFrames && !h_->Exited(); i += 50) {
    Message(iMsgClose);
    Step(50);
  }
}

Recording Recorder::Finish() {
  if (!finished_) {
    finished_ = true;
    pending_.clear();  // input after the last frame never reached the program
    if (!h_->Exited()) h_->Close();
    observer_.Ended(*h_);
  }
  return recording_;
}

PlayResult Play(const Recording& recording, bool sceneChecksums) {
  PlayResult result;
  auto h = StartHarness(recording.seed, recording.config);
  Observer observer(sceneChecksums);
  size_t next = 0;
  for (uint32_t frame = 0; frame < recording.frames && !h->Exited(); ++frame) {
    if (next < recording.input.size() && recording.input[next].frame == frame) {
      for (const auto& e : recording.input[next].events) Apply(*h, e);
      ++next;
    }
    h->Step(1);
    observer.Frame(*h);
  }
  if (!h->Exited()) h->Close();
  observer.Ended(*h);
  result.seen = observer.Expected();
  result.checksums = observer.Checksums();
  result.errors = h->Platform().errors;
  return result;
}

std::string Compare(const Expectation& expected, const Expectation& seen) {
  std::ostringstream out;
  auto field = [&](const char* name, auto want, auto got) {
    if (want != got) out << name << ": expected " << want << ", got " << got << "\n";
  };
  field("frames", expected.frames, seen.frames);
  field("score", expected.score, seen.score);
  field("level", expected.level, seen.level);
  field("lives", expected.lives, seen.lives);
  field("exit code", expected.exitCode, seen.exitCode);
  if (expected.table != seen.table) {
    out << "score table differs:\n";
    for (size_t i = 0; i < std::max(expected.table.size(), seen.table.size()); ++i) {
      auto show = [](const auto& t, size_t k) {
        return k < t.size() ? "\"" + t[k].second + "\" " + std::to_string(t[k].first)
                            : std::string("-");
      };
      out << "  " << i + 1 << ": expected " << show(expected.table, i) << ", got "
          << show(seen.table, i) << "\n";
    }
  }
  if (expected.configHash != seen.configHash)
    out << "Config.cfg: expected hash " << Hex64(expected.configHash) << ", got "
        << Hex64(seen.configHash) << "\n";
  // The first sample that differs tells roughly where the runs parted.
  for (size_t i = 0; i < std::min(expected.samples.size(), seen.samples.size()); ++i) {
    if (expected.samples[i] != seen.samples[i]) {
      out << "scene differs first at the sample of frame " << expected.samples[i].first << "\n";
      break;
    }
  }
  if (expected.samples.size() != seen.samples.size())
    out << "samples: expected " << expected.samples.size() << ", got " << seen.samples.size()
        << "\n";
  if (expected.rolling != seen.rolling)
    out << "rolling scene hash: expected " << Hex64(expected.rolling) << ", got "
        << Hex64(seen.rolling) << "\n";
  return out.str();
}

}  // namespace gh::test::replay
