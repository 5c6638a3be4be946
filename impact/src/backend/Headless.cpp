// The headless backend: no window, no GL, no audio device. Frames are always due;
// rendering does the bookkeeping only; sounds play for their length in virtual time.
#include <algorithm>
#include <map>
#include <vector>

#include "backend/Backend.h"
#include "core/Conventions.h"
#include "core/Engine.h"

namespace impact {

namespace {

class HeadlessVideo : public Video {
 public:
  bool Open(intptr_t, int32_t, std::string&) override { return true; }
  void Close() override {}
  void SetFullscreen(bool on) override { fullscreen_ = on; }
  bool Fullscreen() const override { return fullscreen_; }
  bool FrameDue() override { return true; }
  void FrameStarted() override {}
  void WaitForFrame() override {}
  bool Minimised() const override { return false; }
  uint32_t MillisSinceOpen() override { return 0; }  // the core uses the virtual clock
  void Render(Engine& engine) override { engine.SortedSprites(); }
  void RenderSprite(Engine&, const Sprite&) override {}
  void WarpPointer(float, float) override {}

 private:
  bool fullscreen_ = false;
};

// Tracks what would be playing: a non-looped play lasts the sound's length.
class VirtualAudio : public Audio {
 public:
  explicit VirtualAudio(Engine& engine) : engine_(engine) {}
  void Open() override {}
  void Close() override { plays_.clear(); }
  bool Load(Sound&, std::string&) override { return true; }
  void Free(int32_t handle, Sound&) override { plays_.erase(handle); }
  void Play(int32_t handle, Sound& sound, bool loop, bool restart) override {
    const uint32_t now = Now();
    if (sound.music) {
      // One tune streams at a time; playing the one already playing goes on.
      if (!restart && Playing(handle, sound)) return;
      for (auto& [h, list] : plays_)
        if (h != handle && music_.count(h)) list.clear();
      music_[handle] = true;
      restart = true;
    }
    auto& list = plays_[handle];
    if (restart) list.clear();
    Prune(list, sound, now);
    list.push_back({now, loop});
  }
  void Stop(int32_t handle, Sound&) override { plays_.erase(handle); }
  void StopAll() override { plays_.clear(); }
  bool Playing(int32_t handle, const Sound& sound) override {
    auto it = plays_.find(handle);
    if (it == plays_.end()) return false;
    const uint32_t now = Now();
    for (const PlayRecord& p : it->second)
      if (p.loop || now - p.start < sound.durationMs) return true;
    return false;
  }

 private:
  struct PlayRecord {
    uint32_t start;
    bool loop;
  };
  uint32_t Now() const { return conv::FrameMillis(engine_.Frame()); }
  static void Prune(std::vector<PlayRecord>& list, const Sound& sound, uint32_t now) {
    list.erase(std::remove_if(list.begin(), list.end(),
                              [&](const PlayRecord& p) {
                                return !p.loop && now - p.start >= sound.durationMs;
                              }),
               list.end());
  }

  Engine& engine_;
  std::map<int32_t, std::vector<PlayRecord>> plays_;
  std::map<int32_t, bool> music_;
};

}  // namespace

std::unique_ptr<Video> MakeHeadlessVideo(Engine&) { return std::make_unique<HeadlessVideo>(); }
std::unique_ptr<Audio> MakeVirtualAudio(Engine& engine) {
  return std::make_unique<VirtualAudio>(engine);
}

}  // namespace impact
