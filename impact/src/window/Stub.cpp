// Placeholder until the window backend lands: opening a window fails cleanly.
#include "backend/Backend.h"

namespace impact {
namespace {
class NoVideo : public Video {
 public:
  bool Open(intptr_t, int32_t, std::string& error) override {
    error = "no window backend";
    return false;
  }
  void Close() override {}
  void SetFullscreen(bool) override {}
  bool Fullscreen() const override { return false; }
  bool FrameDue() override { return false; }
  void FrameStarted() override {}
  void WaitForFrame() override {}
  bool Minimised() const override { return false; }
  uint32_t MillisSinceOpen() override { return 0; }
  void Render(Engine&) override {}
  void RenderSprite(Engine&, const Sprite&) override {}
  void WarpPointer(float, float) override {}
};
}  // namespace
std::unique_ptr<Video> MakeWindowVideo(Engine&) { return std::make_unique<NoVideo>(); }
std::unique_ptr<Audio> MakeMixerAudio(Engine& engine) { return MakeVirtualAudio(engine); }
}  // namespace impact
