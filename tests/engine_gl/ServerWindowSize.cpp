// Kept apart from the tests: X11's headers define names that clash with theirs.
#include <SDL.h>
#include <SDL_syswm.h>

namespace enginetest {

// The window's size as the X server has it, whatever SDL assumes.
bool ServerWindowSize(SDL_Window* window, int& w, int& h) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return false;
  XWindowAttributes a{};
  if (!XGetWindowAttributes(info.info.x11.display, info.info.x11.window, &a)) return false;
  w = a.width;
  h = a.height;
  return true;
}

}  // namespace enginetest
