// The keyboard's scan codes as the engine reads them (iKeyDown, iKeyClick,
// iKeyLastPressed, the boss key stored in "Config.cfg"): the keys the program
// and its tests name.
#pragma once
#include <cstdint>

namespace gh {

enum Key : int32_t {
  Escape = 1,
  Minus = 12,
  Equals = 13,  // "+" with Shift on most layouts
  Backspace = 14,
  Tab = 15,
  LetterP = 25,  // pause
  Enter = 28,
  LeftCtrl = 29,
  LetterS = 31,
  LeftShift = 42,
  RightShift = 54,
  LeftAlt = 56,
  Space = 57,
  F5 = 63,
  KeypadMinus = 74,
  KeypadPlus = 78,
  F12 = 88,  // the boss key of a first start
  RightAlt = 184,
  Up = 200,
  Left = 203,
  Right = 205,
  Down = 208,
};

}  // namespace gh
