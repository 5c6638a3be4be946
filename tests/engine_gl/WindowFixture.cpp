#include "WindowFixture.h"

#include <SDL_image.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>

namespace enginetest {

std::unique_ptr<ScratchDir> WindowEngine::dir;

bool View::LitBox(int x0, int y0, int x1, int y1, int& left, int& top, int& right, int& bottom,
                  int threshold) const {
  left = top = INT32_MAX;
  right = bottom = -1;
  for (int y = std::max(0, y0); y < std::min(height, y1); ++y)
    for (int x = std::max(0, x0); x < std::min(width, x1); ++x)
      if (Lit(x, y, threshold)) {
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
      }
  return right >= 0;
}

void View::SavePng(const std::string& path) const {
  SDL_Surface* s = SDL_CreateRGBSurfaceWithFormatFrom(
      const_cast<uint8_t*>(rgba.data()), width, height, 32, width * 4, SDL_PIXELFORMAT_RGBA32);
  if (!s) return;
  IMG_SavePNG(s, path.c_str());
  SDL_FreeSurface(s);
}

void WindowEngine::SetUpTestSuite() {
  dir = std::make_unique<ScratchDir>();
  const ScratchDir& d = *dir;
  WriteText(d / "Data/sprite.x", kQuadModel);
  WritePng(d / "Data/Red300x50.png", 300, 50, [](int, int) { return Rgba{255, 0, 0, 255}; });
  WritePng(d / "Data/Green100x60.png", 100, 60, [](int, int) { return Rgba{0, 255, 0, 255}; });
  WritePng(d / "Data/White.png", 64, 64, [](int, int) { return Rgba{255, 255, 255, 255}; });
  WritePng(d / "Data/Sky.png", 160, 120, [](int, int y) {
    return Rgba{static_cast<uint8_t>(40 + y), static_cast<uint8_t>(60 + y), 160, 255};
  });
  // Red, green, blue and yellow quarters.
  WritePng(d / "Data/Quarters.png", 160, 120, [](int x, int y) {
    const bool right = x >= 80, bottom = y >= 60;
    if (!bottom) return right ? Rgba{0, 255, 0, 255} : Rgba{255, 0, 0, 255};
    return right ? Rgba{255, 255, 0, 255} : Rgba{0, 0, 255, 255};
  });
  // Opaque left half, transparent right half.
  WritePng(d / "Data/Half.png", 200, 100, [](int x, int) {
    return x < 100 ? Rgba{0, 0, 255, 255} : Rgba{0, 0, 0, 0};
  });
  WritePng(d / "Data/Hit.png", 32, 32, [](int x, int y) {
    double r = std::hypot(x - 15.5, y - 15.5) / 16;
    uint8_t a = static_cast<uint8_t>(std::max(0.0, 1 - r) * 255);
    return Rgba{255, 255, 255, a};
  });
  // Dark smoke beside it, for additive bursts.
  WritePng(d / "Data/smoke.png", 32, 32, [](int x, int y) {
    double r = std::hypot(x - 15.5, y - 15.5) / 16;
    uint8_t a = static_cast<uint8_t>(std::max(0.0, 1 - r) * 255);
    return Rgba{40, 36, 34, a};
  });
  std::filesystem::create_directories(d / "Data/font");
  std::filesystem::copy_file(kFontFile, d / "Data/font/BancoDi.wid");
  WriteWav(d / "Data/Sound/Click.wav", 0.4, 22050, 440);
}

void WindowEngine::TearDownTestSuite() { dir.reset(); }

void WindowEngine::SetUp() {
  const char* display = std::getenv("DISPLAY");
  if (!display || !*display) {
    skipped_ = true;
    GTEST_SKIP() << "no DISPLAY: run under xvfb-run";
  }
  ih = &Engine();
  oldCwd_ = std::filesystem::current_path().string();
  std::filesystem::current_path(dir->path());
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
  ih->ihHeadlessEnable(0);
  ih->ihCaptureEnable(1);
  gh::raw::iMessageHandlerSet(nullptr, nullptr);
  gh::raw::i3ImpactErrorFlagSet(0);
}

void WindowEngine::OpenEngine(bool ownWindow) {
  intptr_t id = 0;
  if (!ownWindow) {
    window = SDL_CreateWindow("Gravelhorn 2", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, 800,
                              600, SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN);
    ASSERT_NE(window, nullptr) << SDL_GetError();
    id = SDL_GetWindowID(window);
  }
  ASSERT_EQ(gh::raw::i3ImpactOpen(id, 0), -1) << gh::raw::i3ImpactErrorText();
}

void WindowEngine::CloseEngine() {
  gh::raw::i3ImpactClose();
  if (window) SDL_DestroyWindow(window);
  window = nullptr;
}

void WindowEngine::TearDown() {
  if (skipped_) return;
  CloseEngine();
  gh::raw::iMessageHandlerSet(nullptr, nullptr);
  ih->ihCaptureEnable(0);
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
  std::filesystem::current_path(oldCwd_);
}

void WindowEngine::Frame() {
  gh::raw::i3ImpactMain();
  gh::raw::i3ImpactRender();
}

View WindowEngine::Capture() {
  View v;
  int32_t w = 0, h = 0;
  if (!ih->ihViewPixels(nullptr, 0, &w, &h)) return v;
  v.width = w;
  v.height = h;
  v.rgba.resize(static_cast<size_t>(w) * h * 4);
  ih->ihViewPixels(v.rgba.data(), static_cast<int32_t>(v.rgba.size()), nullptr, nullptr);
  return v;
}

int32_t WindowEngine::Picture(const char* file, int w, int h, float x, float y) {
  int32_t s = gh::raw::iSpriteCreate("Data\\sprite.x", 0);
  gh::raw::iSpriteTextureSet(s, gh::raw::iTextureCreate(file));
  iVec2 scale{w / 40.0f, h / 40.0f}, at{x, y};
  gh::raw::iSpriteScaleSet(s, &scale);
  gh::raw::iSpriteLocationSet(s, &at);
  gh::raw::iSpriteShow(s);
  return s;
}

int32_t WindowEngine::WorldQuad(const char* file, int w, int h, float x, float y, bool lit) {
  int32_t m = gh::raw::iMeshCreate("Data\\sprite.x");
  gh::raw::iMeshTextureSet(m, gh::raw::iTextureCreate(file));
  gh::raw::iMeshScaleSet(m, w / 40.0f, h / 40.0f, 1);
  iVec3 at{x, y, 0};
  gh::raw::iMeshLocationSet(m, &at);
  gh::raw::iMeshLocalLightsEnable(m, lit ? -1 : 0);
  gh::raw::iMeshShow(m);
  return m;
}

}  // namespace enginetest

// Under the address sanitizer: the display's libraries (D-Bus, the GL driver that
// SDL unloads) keep allocations to process end that LeakSanitizer reports with no
// frame of ours. The headless engine tests keep leak checking for the engine.
extern "C" const char* __asan_default_options() { return "detect_leaks=0"; }
