#include "platform/HeadlessPlatform.h"

namespace gh {

bool HeadlessPlatform::CreateMainWindow(const char* windowTitle, int, int, std::string& error) {
  if (!displayAvailable) {
    error = "Gravelhorn 2 needs a graphical display and could not open one: no display";
    return false;
  }
  title = windowTitle;
  windowOpen = true;
  return true;
}

void HeadlessPlatform::WaitForEvents(int) { clock_.idleTick(); }

uint32_t HeadlessPlatform::TickCount() { return clock_.millis() - tickBase; }

}  // namespace gh
