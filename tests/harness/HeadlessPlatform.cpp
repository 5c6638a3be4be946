#include "HeadlessPlatform.h"

#include "Harness.h"

namespace gh::test {

bool HeadlessPlatform::CreateMainWindow(const char* windowTitle, int, int, std::string& error) {
  if (!displayAvailable) {
    error = "Gravelhorn 2 needs a graphical display and could not open one: no display";
    return false;
  }
  title = windowTitle;
  windowOpen = true;
  return true;
}

void HeadlessPlatform::WaitForEvents(int) { calls_.ihIdleTick(); }

void HeadlessPlatform::SetCursorPos(int clientX, int clientY) {
  cursorX = clientX;
  cursorY = clientY;
}

uint32_t HeadlessPlatform::TickCount() { return calls_.ihMillis() - tickBase; }

}  // namespace gh::test
