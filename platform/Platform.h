// Every call the program makes to the operating system and desktop goes through
// this seam: the real one (SDL2, xdg-open) for the game, a headless one for tests
// and benchmarks. A Windows port replaces only the implementation.
#pragma once
#include <cstdint>
#include <string>

namespace gh {

class Platform {
 public:
  virtual ~Platform() = default;

  // The main window: its client area is width x height. False (with the reason
  // in `error`) when no window can be made, e.g. without a display.
  virtual bool CreateMainWindow(const char* title, int width, int height, std::string& error) = 0;
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
  // The system's own pointer is hidden over the window (the game draws its own).
  virtual void HideSystemPointer() = 0;
  // Keeps the pointer inside the window (during play).
  virtual void ConfinePointer(bool confine) = 0;
  // Moves the system pointer to a point of the window's client area, in pixels
  // of the 800 x 600 view; nothing happens when it is there already.
  virtual void SetCursorPos(int clientX, int clientY) = 0;

  // Milliseconds from a monotonic clock, 32 bits, wrapping.
  virtual uint32_t TickCount() = 0;

  // An error the player must see: a message box when there is a display, and
  // always a line on standard error.
  virtual void ShowError(const std::string& text) = 0;
  // Opens a document or web address with the desktop's default handler; not
  // waited for, failures ignored.
  virtual void ShellOpen(const std::string& target) = 0;
};

// The platform in use; set once at start (the game's main, or a test harness).
Platform& ThePlatform();
void SetPlatform(Platform* platform);

// The system millisecond tick count, as the game's timers read it.
inline uint32_t GetTickCount() { return ThePlatform().TickCount(); }

}  // namespace gh
