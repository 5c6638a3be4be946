#include "window/RealWindowSize.h"

#include <SDL_syswm.h>

namespace impact {

bool RealWindowSize(SDL_Window* window, int& w, int& h) {
#if defined(SDL_VIDEO_DRIVER_X11)
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11)
    return false;
  XWindowAttributes attributes{};
  if (!XGetWindowAttributes(info.info.x11.display, info.info.x11.window, &attributes)) return false;
  if (attributes.width <= 0 || attributes.height <= 0) return false;
  w = attributes.width;
  h = attributes.height;
  return true;
#else
  (void)window;
  (void)w;
  (void)h;
  return false;
#endif
}

}  // namespace impact
