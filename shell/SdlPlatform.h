// The real platform: an SDL2 window, the monotonic clock, message boxes and
// xdg-open.
#pragma once
#include <SDL.h>

#include <vector>

#include "shell/Platform.h"

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
  uint32_t TickCount() override;
  void ShellOpen(const std::string& target) override;

 protected:
  void ShowMessage(const std::string& text) override;

 private:
  static int WatchEvents(void* self, SDL_Event* event);
  void ReapChildren();

  SDL_Window* window_ = nullptr;
  bool videoReady_ = false;
  bool active_ = true;
  uint32_t lastUse_ = 0;
  std::vector<pid_t> children_;
};

}  // namespace gh
