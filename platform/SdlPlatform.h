// The real platform: an SDL2 window, the monotonic clock, message boxes and the
// desktop's URL opener (xdg-open; the shell's "open" on Windows).
#pragma once
#include <SDL.h>
#include <sys/types.h>

#include <vector>

#include "platform/Platform.h"

namespace gh {

class SdlPlatform : public Platform {
 public:
  SdlPlatform();
  ~SdlPlatform() override;

  bool CreateMainWindow(const char* title, int width, int height, std::string& error) override;
  intptr_t MainWindowHandle() override;
  bool MainWindowOpen() override;
  void CloseMainWindow() override;
  void WaitForEvents(int timeoutMs) override;
  bool IsApplicationActive() override;
  void MinimiseApplication() override;
  bool IsMinimised() override;
  uint32_t LastWindowUse() override { return lastUse_; }
  void HideSystemPointer() override;
  void ConfinePointer(bool confine) override;
  void SetCursorPos(int clientX, int clientY) override;
  // Only the engine knows where the view really lies in the window (a
  // full-screen request may not have been honoured): the program hands the
  // platform the engine's way of moving the pointer there.
  using PointerMover = void (*)(int clientX, int clientY);
  void SetPointerMover(PointerMover mover) { pointerMover_ = mover; }
  uint32_t TickCount() override;
  void ShellOpen(const std::string& target) override;

 protected:
  void ShowMessage(const std::string& text) override;

 private:
#ifdef _WIN32
  // Windows always has a desktop, and the game no console: a message that could
  // not be shown in a box would be seen by nobody.
  static constexpr bool BoxWithoutDisplay = true;
#else
  static constexpr bool BoxWithoutDisplay = false;
#endif
  PointerMover pointerMover_ = nullptr;
  static int WatchEvents(void* self, SDL_Event* event);
  // While a message box is up nothing reads SDL's quit event: a request to end
  // (SIGTERM, SIGINT) ends the program at once, with exit code 1.
  static void EndOnStopSignals(bool on);
  void ReapChildren();

  SDL_Window* window_ = nullptr;
  bool videoReady_ = false;
  bool active_ = true;
  uint32_t lastUse_ = 0;
  std::vector<pid_t> children_;
};

}  // namespace gh
