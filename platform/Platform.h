// Every call the program makes to the operating system and desktop goes through
// this seam: the real one (SDL2, xdg-open) for the game, a headless one for tests
// and benchmarks. A Windows port replaces only the implementation.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Result.h"

namespace gh {

// Breaks every line of `text` longer than `width` characters at its spaces; a
// word longer than that keeps a line of its own, unbroken.
std::string WrapMessage(const std::string& text, size_t width = 60);

class Platform {
 public:
  virtual ~Platform() = default;

  // The main window: its client area is width x height. An Error when no
  // window can be made, e.g. without a display.
  virtual Status CreateMainWindow(const char* title, int width, int height) = 0;
  // The handle the engine opens on (0 when there is no real window).
  virtual intptr_t MainWindowHandle() = 0;
  virtual bool MainWindowOpen() = 0;
  virtual void CloseMainWindow() = 0;

  // Waits until window events are pending or `timeoutMs` passed: the idle wait
  // of the application's message loop while the engine is not running.
  virtual void WaitForEvents(int timeoutMs) = 0;

  // The application has the input focus.
  virtual bool IsApplicationActive() = 0;
  virtual void MinimiseApplication() = 0;
  // The main window is minimised or hidden now.
  virtual bool IsMinimised() = 0;
  // The tick (TickCount) of the last sign that the player has the window in
  // front: shown, exposed, focused, clicked or typed in.
  virtual uint32_t LastWindowUse() = 0;
  // The system's own pointer is hidden over the window (the game draws its own).
  virtual void HideSystemPointer() = 0;
  // Keeps the pointer inside the window (during play).
  virtual void ConfinePointer(bool confine) = 0;

  // Milliseconds from a monotonic clock, 32 bits, wrapping.
  virtual uint32_t TickCount() = 0;

  // An error the player must see: a message box when there is a display, and
  // always a line on standard error. Long lines are wrapped first, so that no
  // box is wider than the screen.
  void ShowError(const std::string& text) { ShowMessage(WrapMessage(text)); }
  // Opens a document or web address with the desktop's default handler; not
  // waited for. Whether it could be opened is learnt later: see FailedOpens.
  virtual void ShellOpen(const std::string& target) = 0;
  // The targets of ShellOpen found since the last call to have no handler that
  // could open them (no browser), each once.
  virtual std::vector<std::string> FailedOpens() = 0;

 protected:
  // Shows an error message already wrapped.
  virtual void ShowMessage(const std::string& text) = 0;
};

// The platform in use; set once at start (the game's main, or a test harness).
Platform& ThePlatform();
void SetPlatform(Platform* platform);

// The system millisecond tick count, as the game's timers read it.
inline uint32_t TickCount() { return ThePlatform().TickCount(); }

}  // namespace gh
