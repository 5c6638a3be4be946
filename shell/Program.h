// The program's spine: the main window, the engine's life cycle and the frame loop.
#pragma once
#include <string>

#include "platform/Platform.h"

namespace gh {

// Runs the whole program on `platform` with the engine library at `enginePath`
// and returns its exit code: 0 after a normal end, 1 when the engine library,
// the window or the engine cannot be opened.
int ProgramMain(Platform& platform, const std::string& enginePath);

// Puts the shell's globals back to their start values (for harnesses that run
// the program more than once in one process).
void ResetShellState();

// The window handlers, as the window system's messages reach them.
void ApplicationEvents1Idle();
void ApplicationEvents1Restore();
void ApplicationEvents1Deactivate();
void WMSysCommandMaximize();
void WMNCLButtonDblClk(int hitTest);

// Opens the address of "play.url" (an Internet Shortcut) if the file exists.
void OpenPlayLink();

}  // namespace gh
