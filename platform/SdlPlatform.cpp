#include "platform/SdlPlatform.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace gh {

SdlPlatform::SdlPlatform() = default;

SdlPlatform::~SdlPlatform() {
  CloseMainWindow();
  ReapChildren();
  if (videoReady_) {
    SDL_DelEventWatch(&SdlPlatform::WatchEvents, this);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
  }
}

Status SdlPlatform::CreateMainWindow(const char* title, int width, int height) {
  if (!videoReady_) {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
      return Error{std::string("Gravelhorn 2 needs a graphical display and could not open one: ") +
                       SDL_GetError(),
                   {}};
    }
    // Without a display SDL falls back to its offscreen driver, and the game
    // would run on where nobody can see or close it. Only a driver the user
    // asked for by name may be one without a screen.
    const char* driver = SDL_GetCurrentVideoDriver();
    const char* asked = SDL_getenv("SDL_VIDEODRIVER");
    const bool screenless =
        driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
    if (screenless && !(asked && *asked)) {
      SDL_QuitSubSystem(SDL_INIT_VIDEO);
      return Error{
          "Gravelhorn 2 needs a graphical display and could not open one: no X11 or Wayland "
          "display was found (DISPLAY and WAYLAND_DISPLAY are not set or do not answer).",
          {}};
    }
    videoReady_ = true;
    SDL_AddEventWatch(&SdlPlatform::WatchEvents, this);
  }
  // Hidden until the engine presents its first frame (the loading picture), so
  // that the first thing the player sees is that picture, not an empty window.
  window_ = SDL_CreateWindow(title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height,
                             SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE);
  if (!window_) return Error{std::string("Cannot create the game's window: ") + SDL_GetError(), {}};
  active_ = true;
  return {};
}

intptr_t SdlPlatform::MainWindowHandle() { return window_ ? SDL_GetWindowID(window_) : 0; }

bool SdlPlatform::MainWindowOpen() { return window_ != nullptr; }

void SdlPlatform::CloseMainWindow() {
  if (!window_) return;
  SDL_SetWindowGrab(window_, SDL_FALSE);
  SDL_DestroyWindow(window_);
  window_ = nullptr;
}

void SdlPlatform::WaitForEvents(int timeoutMs) {
  if (videoReady_) SDL_WaitEventTimeout(nullptr, timeoutMs);
  ReapChildren();
}

// Focus changes are watched here rather than taken from the engine's message
// pump, so "the application is active" means the same whoever pumps events.
int SdlPlatform::WatchEvents(void* self, SDL_Event* event) {
  auto* platform = static_cast<SdlPlatform*>(self);
  if (event->type == SDL_KEYDOWN || event->type == SDL_MOUSEBUTTONDOWN) {
    platform->lastUse_ = platform->TickCount();
  }
  if (event->type == SDL_WINDOWEVENT) {
    switch (event->window.event) {
      case SDL_WINDOWEVENT_SHOWN:
      case SDL_WINDOWEVENT_EXPOSED:
        platform->lastUse_ = platform->TickCount();
        break;
      case SDL_WINDOWEVENT_FOCUS_GAINED:
      case SDL_WINDOWEVENT_RESTORED:
        platform->active_ = true;
        platform->lastUse_ = platform->TickCount();
        break;
      case SDL_WINDOWEVENT_FOCUS_LOST:
      case SDL_WINDOWEVENT_MINIMIZED:
        platform->active_ = false;
        break;
      default:
        break;
    }
  }
  return 1;
}

bool SdlPlatform::IsApplicationActive() {
  if (!window_) return false;
  return active_ && !(SDL_GetWindowFlags(window_) & SDL_WINDOW_MINIMIZED);
}

void SdlPlatform::MinimiseApplication() {
  if (window_) SDL_MinimizeWindow(window_);
}

bool SdlPlatform::IsMinimised() {
  return window_ && (SDL_GetWindowFlags(window_) & (SDL_WINDOW_MINIMIZED | SDL_WINDOW_HIDDEN)) != 0;
}

void SdlPlatform::HideSystemPointer() { SDL_ShowCursor(SDL_DISABLE); }

void SdlPlatform::ConfinePointer(bool confine) {
  if (window_) SDL_SetWindowGrab(window_, confine ? SDL_TRUE : SDL_FALSE);
}

void SdlPlatform::ShowMessage(const std::string& text) {
  std::fprintf(stderr, "Gravelhorn 2: %s\n", text.c_str());
  if (videoReady_ || BoxWithoutDisplay) {
    // The player must be able to close the program after the message, even when
    // no frame was ever shown.
    if (window_) SDL_ShowWindow(window_);
    EndOnStopSignals(true);
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "Gravelhorn 2", text.c_str(), window_);
    EndOnStopSignals(false);
  }
}

}  // namespace gh
