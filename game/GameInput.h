// What the player does to a running game, as the game reads it. The game
// reads no input of its own from the engine or the system: the live program
// fills a FrameInput from the engine every frame and turns its handlers
// (Escape, the wheel, the weapon keys, a lost focus, a question's answer, an
// engine restart) into GameEvents; a recording plays the same values back, so
// a game is a function of its seed and this stream.
#pragma once
#include <cstdint>

namespace gh {

// The pointer in whole steps of the view, 0 (left, top) to PointerRange
// (right, bottom). Whole numbers keep a recording exact and small; 1/4096 of
// the view is finer than a pixel of any display up to 4K.
inline constexpr int32_t PointerRange = 4096;

struct FrameInput {
  uint32_t Tick = 0;  // the system clock in milliseconds at this frame (only differences count)
  uint16_t PointerX = PointerRange / 2;
  uint16_t PointerY = PointerRange / 2;
  bool Fire = false;    // the left button is held
  bool Reload = false;  // the right button was clicked in this frame
  bool Pause = false;   // the pause key was clicked in this frame
  bool operator==(const FrameInput&) const = default;
};

// What happens to a game between two of its frames.
enum class GameEventKind : uint8_t {
  Escape = 1,        // ends a pause, or asks whether to leave
  FocusLost = 2,     // the window lost the focus: play pauses
  ChooseWeapon = 3,  // Value: the weapon 0-4 (keys 1-5), taken when it can be chosen
  StepWeapon = 4,    // Value: +1 or -1 (the wheel)
  Answer = 5,        // Value: 1 "Yes", 0 "No" to the question the game asked
  Restart = 6,       // the engine run stopped: the game goes on from its progress on a new scene
};

struct GameEvent {
  GameEventKind Kind = GameEventKind::Escape;
  int8_t Value = 0;
  bool operator==(const GameEvent&) const = default;
};

}  // namespace gh
