// The platform seam for tests and benchmarks: no window system; the clock is
// the headless engine's virtual clock, and everything the program asks of the
// desktop is recorded for assertions.
#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/Platform.h"

namespace gh {

class HeadlessPlatform : public Platform {
 public:
  // The headless engine's virtual clock: its milliseconds, and one idle frame
  // (what waiting for window events amounts to without a window).
  struct Clock {
    uint32_t (*millis)() = nullptr;
    void (*idleTick)() = nullptr;
  };
  explicit HeadlessPlatform(Clock clock) : clock_(clock) {}

  Status CreateMainWindow(const char* title, int width, int height) override;
  intptr_t MainWindowHandle() override { return 0; }
  bool MainWindowOpen() override { return windowOpen; }
  void CloseMainWindow() override { windowOpen = false; }
  void WaitForEvents(int timeoutMs) override;
  bool IsApplicationActive() override { return active; }
  // A desktop that minimises sets `minimisedNow`; by default nothing happens.
  void MinimiseApplication() override { ++minimised; }
  bool IsMinimised() override { return minimisedNow; }
  uint32_t LastWindowUse() override { return lastWindowUse; }
  void HideSystemPointer() override { pointerHidden = true; }
  void ConfinePointer(bool confine) override { pointerConfined = confine; }
  uint32_t TickCount() override;
  void ShowMessage(const std::string& text) override { errors.push_back(text); }
  void ShellOpen(const std::string& target) override {
    opened.push_back(target);
    if (!browser) failed.push_back(target);
  }
  std::vector<std::string> FailedOpens() override { return std::exchange(failed, {}); }

  // What the program did, and knobs a test may turn.
  bool displayAvailable = true;
  bool windowOpen = false;
  bool active = true;
  bool pointerHidden = false;
  bool pointerConfined = false;
  int minimised = 0;
  bool minimisedNow = false;
  uint32_t lastWindowUse = 0;  // in TickCount's milliseconds
  std::string title;
  std::vector<std::string> errors;
  std::vector<std::string> opened;
  bool browser = true;              // false: nothing can open what ShellOpen is given
  std::vector<std::string> failed;  // not yet collected by FailedOpens
  // Subtracted from the engine's virtual milliseconds (see HarnessOptions::zeroClock).
  uint32_t tickBase = 0;

 private:
  Clock clock_;
};

}  // namespace gh
