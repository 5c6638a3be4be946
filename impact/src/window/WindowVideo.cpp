// The window backend's video side: the SDL window the program gives (or one of our
// own), an OpenGL 3.3 core context, the 800 x 600 view scaled to fit with black
// bars, and frame pacing at exactly 60 frames per second by sleeping.
//
// Pacing: frames start on an absolute 60 Hz schedule; each frame is drawn to the end
// and then shown at a fixed offset from its scheduled start, the longest recent
// drawing time. How long drawing takes varies from frame to frame (much more so
// when the pixels are filled on the CPU); showing frames at that offset instead of
// as soon as they are drawn keeps the intervals the player sees even.
//
// A frame whose picture equals the one on screen (nothing moved, faded, blinked,
// and the window was not exposed or resized) is neither drawn nor shown: an idle
// menu then costs next to nothing. The frame loop itself runs on as always.
#include <SDL.h>
#include <epoxy/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "Os.h"
#include "backend/Backend.h"
#include "core/Assets.h"
#include "core/Conventions.h"
#include "core/Engine.h"
#include "window/ForeignAllocations.h"
#include "window/RealWindowSize.h"
#include "window/Renderer.h"

namespace impact {

namespace {

// Benchmarks only. GH_FRAME_TRACE=1 prints a line per presented frame to standard
// error: "gh-frame <n> <CLOCK_MONOTONIC ns> <shown screen sprites> <shown world quads>",
// and the steps of start-up: "gh-start <library|open|context|ready> <ns>" (this
// library loaded, opening on the program's window, GL context made, ready to draw).
// GH_QUAD_TRACE=<file> writes every frame's quads to that file ("f <n>" and then
// one "q" line per quad), numbered as the frame trace numbers them.
bool FrameTraceOn() {
  static const bool on = [] {
    const char* v = std::getenv("GH_FRAME_TRACE");
    return v && *v && *v != '0';
  }();
  return on;
}

std::FILE* QuadTraceFile() {
  static std::FILE* file = [] {
    const char* path = std::getenv("GH_QUAD_TRACE");
    return path && *path ? std::fopen(path, "w") : nullptr;
  }();
  return file;
}

// Every presented frame, the loading picture included, counts.
unsigned long long g_presented = 0;

using os::MonotonicNs;

void TraceStart(const char* step) {
  if (FrameTraceOn())
    std::fprintf(stderr, "gh-start %s %llu\n", step,
                 static_cast<unsigned long long>(MonotonicNs()));
}

// When the program has loaded this library (its first step after exec).
const bool libraryLoadedTraced = (TraceStart("library"), true);

void TraceFrame(Engine& engine) {
  if (!FrameTraceOn()) return;
  size_t meshes = 0;
  for (const auto& [handle, mesh] : engine.Meshes()) meshes += mesh.shown ? 1 : 0;
  std::fprintf(stderr, "gh-frame %llu %llu %zu %zu\n", g_presented,
               static_cast<unsigned long long>(MonotonicNs()), engine.SortedSprites().size(),
               meshes);
}

constexpr uint64_t kFrameNs = 1000000000ull / conv::kFramesPerSecond;
// The show offset never exceeds this: a frame that takes longer is shown at once.
constexpr uint64_t kMaxShowOffsetNs = kFrameNs * 3 / 4;
constexpr uint64_t kShowMarginNs = 500000;
constexpr size_t kDrawTimes = 120;  // frames the show offset looks back over

struct Rect {
  int x, y, w, h;
};

// The largest 4:3 rectangle centred in a w x h area.
Rect FitView(int w, int h) {
  if (w <= 0 || h <= 0) return {0, 0, conv::kViewWidth, conv::kViewHeight};
  const double s = std::min(static_cast<double>(w) / conv::kViewWidth,
                            static_cast<double>(h) / conv::kViewHeight);
  const int vw = std::max(1, static_cast<int>(std::lround(conv::kViewWidth * s)));
  const int vh = std::max(1, static_cast<int>(std::lround(conv::kViewHeight * s)));
  return {(w - vw) / 2, (h - vh) / 2, vw, vh};
}

// Frames between two checks of the window's real size while nothing said it
// changed (a window manager may apply a full-screen request late, unannounced).
constexpr int kSizeCheckFrames = 30;

// What the player reads when there is no OpenGL 3.3: `offered` is the version
// the driver gave instead (as 21 for 2.1), 0 when it gave none.
std::string NoOpenGl33Message(int offered, const std::string& detail) {
  std::string text =
      "The game needs OpenGL 3.3, which this computer's graphics driver does not offer";
  if (offered > 0)
    text += " (it offers OpenGL " + std::to_string(offered / 10) + "." +
            std::to_string(offered % 10) + ")";
  text += ". A newer driver from the graphics card's maker may help.";
  // The system's own words, unless they only say that its last call went well
  // (as Windows' do after some failures: "Success.").
  const bool says = !detail.empty() && detail.find("Success") == std::string::npos &&
                    detail.find("completed successfully") == std::string::npos;
  if (says) text += "\n(" + detail + ")";
  return text;
}

class WindowVideo : public Video {
 public:
  explicit WindowVideo(Engine& engine) : engine_(engine) {}
  ~WindowVideo() override { Close(); }

  bool Open(intptr_t window, int32_t, std::string& error) override {
    ForeignAllocations foreign;
    TraceStart("open");
    if (window != 0) {
      if (!SDL_WasInit(SDL_INIT_VIDEO)) {
        error = "the program's window system is not running";
        return false;
      }
      window_ = SDL_GetWindowFromID(static_cast<Uint32>(window));
      if (!window_) {
        error = "no window with id " + std::to_string(window);
        return false;
      }
      if (!(SDL_GetWindowFlags(window_) & SDL_WINDOW_OPENGL)) {
        error = "the window was not made for OpenGL";
        window_ = nullptr;
        return false;
      }
    } else {
      if (!SDL_WasInit(SDL_INIT_VIDEO)) {
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
          error = SDL_GetError();
          return false;
        }
        initedVideo_ = true;
      }
      window_ = SDL_CreateWindow(conv::kWindowTitle, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                 conv::kViewWidth, conv::kViewHeight,
                                 SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN);
      if (!window_) {
        error = SDL_GetError();
        Close();
        return false;
      }
      ownWindow_ = true;
    }
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    context_ = SDL_GL_CreateContext(window_);
    if (!context_) {
      error = NoOpenGl33Message(0, SDL_GetError());
      Close();
      return false;
    }
    SDL_GL_MakeCurrent(window_, context_);
    // Where the driver lacks 3.3, SDL on Windows hands back an older context
    // instead of failing, and the first call it lacks would end the program.
    if (const int version = epoxy_gl_version(); version < 33 || !epoxy_is_desktop_gl()) {
      error = NoOpenGl33Message(version, "");
      Close();
      return false;
    }
    TraceStart("context");
    // Typed characters come as text in the player's layout (SDL_TEXTINPUT).
    SDL_StartTextInput();
    // Frames are paced by our own clock at exactly 60 per second.
    SDL_GL_SetSwapInterval(0);
    engine_.NewGlGeneration();
    if (!renderer_.Init(error)) {
      Close();
      return false;
    }
    renderer_.TraceQuadsTo(QuadTraceFile());
    SDL_AddEventWatch(&WindowVideo::WatchEvents, this);
    watching_ = true;
    sizeKnown_ = false;
    openTicks_ = SDL_GetTicks64();
    nextDue_ = MonotonicNs();
    UpdateViewport();
    // The pointer may have moved while no engine was there to follow it.
    if (SDL_GetMouseFocus() == window_) {
      int mx = 0, my = 0;
      SDL_GetMouseState(&mx, &my);
      const auto vp = engine_.Viewport();
      if (vp[2] > 0 && vp[3] > 0)
        engine_.InputMouseMove(static_cast<float>(mx - vp[0]) / vp[2],
                               static_cast<float>(my - vp[1]) / vp[3]);
    }
    TraceStart("ready");
    return true;
  }

  void Close() override {
    ForeignAllocations foreign;
    if (watching_) {
      SDL_DelEventWatch(&WindowVideo::WatchEvents, this);
      watching_ = false;
    }
    if (context_) {
      SDL_GL_MakeCurrent(window_, context_);
      renderer_.Shutdown();
      SDL_GL_DeleteContext(context_);
      context_ = nullptr;
    }
    if (ownWindow_ && window_) SDL_DestroyWindow(window_);
    window_ = nullptr;
    ownWindow_ = false;
    if (initedVideo_) {
      SDL_QuitSubSystem(SDL_INIT_VIDEO);
      initedVideo_ = false;
    }
  }

  void SetFullscreen(bool on) override {
    if (!window_) return;
    // A minimise leaves full screen but keeps the window's full-screen flag
    // until the restore; where the desktop ignored the minimise no restore
    // comes, and asking for full screen again would be taken as done already.
    if (on && (SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN_DESKTOP) ==
                  SDL_WINDOW_FULLSCREEN_DESKTOP) {
      int w = 0, h = 0;
      SDL_GetWindowSize(window_, &w, &h);
      SDL_Rect screen{};
      if (SDL_GetDisplayBounds(SDL_GetWindowDisplayIndex(window_), &screen) == 0 &&
          (w != screen.w || h != screen.h))
        SDL_SetWindowFullscreen(window_, 0);
    }
    SDL_SetWindowFullscreen(window_, on ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
    if (!on) SDL_SetWindowSize(window_, conv::kViewWidth, conv::kViewHeight);
    sizeKnown_ = false;
    UpdateViewport();
  }

  bool Fullscreen() const override {
    return window_ && (SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN_DESKTOP) != 0;
  }

  bool FrameDue() override { return MonotonicNs() >= nextDue_; }

  void FrameStarted() override {
    const uint64_t now = MonotonicNs();
    scheduled_ = nextDue_;
    nextDue_ += kFrameNs;
    // After a stall (a blocking request, a dragged window) start afresh instead of
    // running a burst of frames to catch up.
    if (nextDue_ + 4 * kFrameNs < now) {
      nextDue_ = now + kFrameNs;
      scheduled_ = now;
    }
  }

  void WaitForFrame() override {
    const uint64_t now = MonotonicNs();
    if (now >= nextDue_) return;
    const uint64_t wait = nextDue_ - now;
    const int ms = static_cast<int>(wait / 1000000);
    if (ms >= 1) {
      // Wakes early for window events; the frame loop then asks again.
      if (SDL_WaitEventTimeout(nullptr, ms)) return;
    }
    const uint64_t now2 = MonotonicNs();
    if (now2 < nextDue_ && !SDL_HasEvents(SDL_FIRSTEVENT, SDL_LASTEVENT)) {
      const uint64_t rest = nextDue_ - now2;
      os::SleepForNs(rest);
    }
  }

  bool Minimised() const override {
    return window_ && (SDL_GetWindowFlags(window_) & SDL_WINDOW_MINIMIZED) != 0;
  }

  uint32_t MillisSinceOpen() override {
    return static_cast<uint32_t>(SDL_GetTicks64() - openTicks_);
  }

  void Render(Engine& engine) override {
    ForeignAllocations foreign;
    if (!context_) return;
    Rect full = UpdateViewport();
    Rect v = FitView(full.w, full.h);
    if (engine.TakeRedraw()) renderer_.Invalidate();
    // GL counts rows from the bottom.
    if (!renderer_.BuildScene(engine, v.x, full.h - v.y - v.h, v.w, v.h, full.w, full.h)) {
      return;
    }
    renderer_.TraceFrame(++g_presented);
    renderer_.DrawBuilt(engine);
    Capture(engine, v.x, full.h - v.y - v.h, v.w, v.h);
    Show();
    engine.CountFrameShown();
    TraceFrame(engine);
  }

  void RenderSprite(Engine& engine, const Sprite& sprite) override {
    ForeignAllocations foreign;
    if (!context_) return;
    Rect full = UpdateViewport();
    Rect v = FitView(full.w, full.h);
    renderer_.DrawSprite(engine, sprite, v.x, full.h - v.y - v.h, v.w, v.h, full.w, full.h);
    renderer_.TraceFrame(++g_presented);
    Capture(engine, v.x, full.h - v.y - v.h, v.w, v.h);
    Present();  // at once: loading pictures come outside the schedule
    engine.CountFrameShown();
    TraceFrame(engine);  // the loading picture is the first frame a player sees
  }

  void WarpPointer(float x, float y) override {
    if (!window_) return;
    auto vp = engine_.Viewport();
    const int wx = vp[0] + static_cast<int>(std::lround(x * vp[2]));
    const int wy = vp[1] + static_cast<int>(std::lround(y * vp[3]));
    int mx = 0, my = 0;
    SDL_GetMouseState(&mx, &my);
    if (SDL_GetMouseFocus() == window_ && mx == wx && my == wy) return;
    SDL_WarpMouseInWindow(window_, wx, wy);
  }

 private:
  // Finishes drawing, waits for the frame's show time and shows it.
  void Show() {
    glFinish();
    const uint64_t drawn = MonotonicNs();
    const uint64_t took = drawn > scheduled_ ? drawn - scheduled_ : 0;
    drawTimes_[drawIndex_++ % kDrawTimes] = took;
    uint64_t longest = 0;
    for (uint64_t t : drawTimes_) longest = std::max(longest, t);
    const uint64_t offset = std::min(longest + kShowMarginNs, kMaxShowOffsetNs);
    if (scheduled_ != 0 && drawn < scheduled_ + offset) os::SleepUntilNs(scheduled_ + offset);
    Present();
  }

  // A program's window may wait hidden for its first frame: shown now, with it.
  void Present() {
    if (SDL_GetWindowFlags(window_) & SDL_WINDOW_HIDDEN) SDL_ShowWindow(window_);
    SDL_GL_SwapWindow(window_);
  }

  void Capture(Engine& engine, int x, int y, int w, int h) {
    if (!engine.CaptureOn()) return;
    auto& buf = engine.CaptureBuffer();
    std::vector<uint8_t> rows(static_cast<size_t>(w) * h * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, w, h, GL_RGBA, GL_UNSIGNED_BYTE, rows.data());
    buf.resize(rows.size());
    const size_t stride = static_cast<size_t>(w) * 4;
    for (int r = 0; r < h; ++r)  // GL's first row is the bottom one
      std::copy_n(rows.data() + (h - 1 - r) * stride, stride, buf.data() + r * stride);
    engine.SetCaptureSize(w, h);
  }

  // Keeps the engine's pointer mapping (window coordinates) current and returns
  // the drawable's size in pixels.
  Rect UpdateViewport() {
    int ww = conv::kViewWidth, wh = conv::kViewHeight;
    SDL_GetWindowSize(window_, &ww, &wh);
    int dw = ww, dh = wh;
    SDL_GL_GetDrawableSize(window_, &dw, &dh);
    // On X window and drawable sizes are the same pixels; the server's word
    // counts, asked again after any window event and now and then.
    if (!sizeKnown_ || ++framesSinceSizeCheck_ >= kSizeCheckFrames) {
      framesSinceSizeCheck_ = 0;
      sizeKnown_ = true;
      realSize_ = RealWindowSize(window_, realW_, realH_);
    }
    if (realSize_) {
      ww = dw = realW_;
      wh = dh = realH_;
    }
    Rect v = FitView(ww, wh);
    engine_.SetViewport(v.x, v.y, v.w, v.h);
    return {0, 0, dw, dh};
  }

  static int WatchEvents(void* self, SDL_Event* event) {
    auto* video = static_cast<WindowVideo*>(self);
    if (event->type == SDL_WINDOWEVENT && video->window_ &&
        event->window.windowID == SDL_GetWindowID(video->window_)) {
      video->sizeKnown_ = false;
    }
    return 1;
  }

  Engine& engine_;
  SDL_Window* window_ = nullptr;
  SDL_GLContext context_ = nullptr;
  bool ownWindow_ = false;
  bool initedVideo_ = false;
  Renderer renderer_;
  uint64_t openTicks_ = 0;
  uint64_t nextDue_ = 0;
  uint64_t scheduled_ = 0;  // when the frame being drawn was due to start
  uint64_t drawTimes_[kDrawTimes] = {};
  size_t drawIndex_ = 0;
  bool watching_ = false;
  bool sizeKnown_ = false;  // realSize_ and realW_ x realH_ are current
  bool realSize_ = false;   // the window system told the size
  int realW_ = 0, realH_ = 0;
  int framesSinceSizeCheck_ = 0;
};

}  // namespace

std::unique_ptr<Video> MakeWindowVideo(Engine& engine) {
  return std::make_unique<WindowVideo>(engine);
}

}  // namespace impact
