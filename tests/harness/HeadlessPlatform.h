// The platform seam for tests and benchmarks: no window system; the clock is
// the headless engine's virtual clock, and everything the program asks of the
// desktop is recorded for assertions.
#pragma once
#include <string>
#include <vector>

#include "shell/Platform.h"

namespace gh::test {

struct EngineHarnessCalls;

class HeadlessPlatform : public Platform {
 public:
  explicit HeadlessPlatform(const EngineHarnessCalls& calls) : calls_(calls) {}

  bool CreateMainWindow(const char* title, int width, int height, std::string& error) override;
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
  void SetCursorPos(int clientX, int clientY) override;
  uint32_t TickCount() override;
  void ShowMessage(const std::string& text) override { errors.push_back(text); }
  void ShellOpen(const std::string& target) override { opened.push_back(target); }

  // What the program did, and knobs a test may turn.
  bool displayAvailable = true;
  bool windowOpen = false;
  bool active = true;
  bool pointerHidden = false;
  bool pointerConfined = false;
  int minimised = 0;
  bool minimisedNow = false;
  uint32_t lastWindowUse = 0;  // in TickCount's milliseconds
  int cursorX = -1, cursorY = -1;
  std::string title;
  std::vector<std::string> errors;
  std::vector<std::string> opened;
  // Subtracted from the engine's virtual milliseconds (see HarnessOptions::zeroClock).
  uint32_t tickBase = 0;

 private:
  const EngineHarnessCalls& calls_;
};

}  // namespace gh::test
