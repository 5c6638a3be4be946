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

  Status CreateMainWindow(const char* title, int width, int height) override;
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
  uint32_t TickCount() override;
  void ShellOpen(const std::string& target) override;
  std::vector<std::string> FailedOpens() override;

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
  static int WatchEvents(void* self, SDL_Event* event);
  // While a message box is up nothing reads SDL's quit event: a request to end
  // (SIGTERM, SIGINT) ends the program at once, with exit code 1.
  static void EndOnStopSignals(bool on);
  void ReapChildren();

  SDL_Window* window_ = nullptr;
  bool videoReady_ = false;
  bool active_ = true;
  uint32_t lastUse_ = 0;
  // Openers still running, with what they were asked to open.
  struct Child {
    pid_t pid;
    std::string target;
  };
  std::vector<Child> children_;
  std::vector<std::string> failedOpens_;
};

}  // namespace gh
