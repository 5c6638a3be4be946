// The program's view read back from the engine's window backend, for the
// screenshot tests (run under xvfb-run): the program starts on the headless
// engine, is restarted on a real window, and each presented view can be read
// and saved as PNG for a person to look at.
#pragma once
#include <SDL.h>
#include <SDL_image.h>
#include <dlfcn.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "harness/Harness.h"
#include "impact_types.h"
#include "shell/Shell.h"

namespace gh::test {

// A captured view: RGBA, 4 bytes a pixel, rows from the top; width 0 when none.
struct ViewPixels {
  int width = 0, height = 0;
  std::vector<uint8_t> rgba;
};

// The engine library's capture calls, which only the window backend answers.
class WindowCapture {
 public:
  // Binds the calls in the engine library (loading it); false without them.
  bool Bind() {
    Engine();
    void* lib = dlopen(GH_BIN_DIR "/system.so", RTLD_NOW | RTLD_NOLOAD);
    if (!lib) return false;
    enable_ = reinterpret_cast<void (*)(int32_t)>(dlsym(lib, "ihCaptureEnable"));
    pixels_ = reinterpret_cast<int32_t (*)(uint8_t*, int32_t, int32_t*, int32_t*)>(
        dlsym(lib, "ihViewPixels"));
    dlclose(lib);
    return enable_ && pixels_;
  }

  // Restarts the engine on a window with every view kept, as a double click on
  // the window frame does; true once the window is open and the menu's buttons
  // are back.
  bool OpenWindow(Harness& h) {
    const int32_t opened = Engine().ihOpenCount();
    Engine().ihHeadlessEnable(0);
    enable_(1);
    h.Post(iMsgCaptionDblClk, 0);
    return h.StepUntil([&] { return Engine().ihOpenCount() > opened && h.Shell().Widgets(); }, 600);
  }

  // Views are no longer kept.
  void Stop() {
    if (enable_) enable_(0);
  }

  // The last presented view.
  ViewPixels Read() const {
    ViewPixels v;
    int32_t w = 0, h = 0;
    if (!pixels_ || !pixels_(nullptr, 0, &w, &h)) return v;
    v.width = w;
    v.height = h;
    v.rgba.resize(static_cast<size_t>(w) * h * 4);
    pixels_(v.rgba.data(), static_cast<int32_t>(v.rgba.size()), nullptr, nullptr);
    return v;
  }

  static void SavePng(const ViewPixels& v, const std::filesystem::path& file) {
    // The surface only lends the pixels to the writer, which reads them.
    SDL_Surface* surface =
        SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint8_t*>(v.rgba.data()), v.width, v.height,
                                           32, v.width * 4, SDL_PIXELFORMAT_RGBA32);
    if (surface) {
      IMG_SavePNG(surface, file.c_str());
      SDL_FreeSurface(surface);
    }
  }

 private:
  void (*enable_)(int32_t) = nullptr;
  int32_t (*pixels_)(uint8_t*, int32_t, int32_t*, int32_t*) = nullptr;
};

// Where a screenshot test keeps its pictures: $GH_SHOTS_DIR, or shots/<name>
// beside the build's bin/; made if missing.
inline std::filesystem::path ShotsFolder(const std::string& name) {
  const char* chosen = std::getenv("GH_SHOTS_DIR");
  const std::filesystem::path folder = chosen
                                           ? std::filesystem::path(chosen)
                                           : std::filesystem::path(GH_BIN_DIR) / "../shots" / name;
  std::filesystem::create_directories(folder);
  return folder;
}

}  // namespace gh::test
