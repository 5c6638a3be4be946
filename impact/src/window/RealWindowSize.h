// The window's size as the window system has it, asked apart from the engine's
// headers (X11's headers define names the engine uses).
#pragma once
#include <SDL.h>

namespace impact {

// SDL takes a full-screen request as done at once, but without a window
// manager (or with one that ignores it) the window keeps its size. False where
// the size cannot be asked this way (not X11).
bool RealWindowSize(SDL_Window* window, int& w, int& h);

}  // namespace impact
