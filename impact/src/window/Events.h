// The window system's events, translated for the engine: keys to scan codes,
// the pointer to view fractions, window changes to iMessage for the program.
#pragma once
#include <cstdint>

namespace impact {

class Engine;

// SDL's video subsystem is up (the program's window or the engine's own).
bool WindowSystemUp();
// Takes every pending window event, updates the engine's input and hands window
// messages to the program's handler.
void PumpWindowEvents(Engine& engine);
// DirectInput scan code of an SDL scancode (0 when it has none).
int32_t DirectInputKey(int32_t sdlScancode);
// Windows virtual-key code of an SDL keycode (0 when it has none).
int32_t VirtualKey(int32_t sdlKeycode);
// The character a key types on a US keyboard (0 when none).
int32_t UsLayoutChar(int32_t sdlScancode, bool shift);

}  // namespace impact
