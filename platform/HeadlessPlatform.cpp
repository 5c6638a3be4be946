#include "platform/HeadlessPlatform.h"

namespace gh {

Status HeadlessPlatform::CreateMainWindow(const char* windowTitle, int, int) {
  if (!displayAvailable) {
    return Error{"Gravelhorn 2 needs a graphical display and could not open one: no display", {}};
  }
  title = windowTitle;
  windowOpen = true;
  return {};
}

void HeadlessPlatform::WaitForEvents(int) { clock_.idleTick(); }

uint32_t HeadlessPlatform::TickCount() { return clock_.millis() - tickBase; }

}  // namespace gh
