#include "window/Events.h"

#include <SDL.h>

#include <algorithm>
#include <array>
#include <vector>

#include "core/Engine.h"
#include "impact_types.h"
#include "window/ForeignAllocations.h"

namespace impact {

namespace {

struct KeyMap {
  std::array<uint8_t, SDL_NUM_SCANCODES> dik{};
  std::array<uint8_t, SDL_NUM_SCANCODES> vk{};
  std::array<char, SDL_NUM_SCANCODES> plain{};
  std::array<char, SDL_NUM_SCANCODES> shifted{};

  void Key(SDL_Scancode sc, int d, int v, char p = 0, char s = 0) {
    dik[sc] = static_cast<uint8_t>(d);
    vk[sc] = static_cast<uint8_t>(v);
    plain[sc] = p;
    shifted[sc] = s;
  }

  KeyMap() {
    // Letters: scan codes follow the rows of the keyboard.
    const char* rows[] = {"QWERTYUIOP", "ASDFGHJKL", "ZXCVBNM"};
    const int rowStart[] = {16, 30, 44};
    for (int r = 0; r < 3; ++r)
      for (int i = 0; rows[r][i]; ++i) {
        char c = rows[r][i];
        auto sc = static_cast<SDL_Scancode>(SDL_SCANCODE_A + (c - 'A'));
        Key(sc, rowStart[r] + i, c, static_cast<char>(c - 'A' + 'a'), c);
      }
    const char* digitShift = ")!@#$%^&*(";
    for (int d = 1; d <= 10; ++d) {
      int digit = d % 10;
      auto sc = static_cast<SDL_Scancode>(SDL_SCANCODE_1 + d - 1);
      Key(sc, 1 + d, '0' + digit, static_cast<char>('0' + digit), digitShift[digit]);
    }
    Key(SDL_SCANCODE_ESCAPE, 1, 0x1B);
    Key(SDL_SCANCODE_MINUS, 12, 0xBD, '-', '_');
    Key(SDL_SCANCODE_EQUALS, 13, 0xBB, '=', '+');
    Key(SDL_SCANCODE_BACKSPACE, 14, 0x08);
    Key(SDL_SCANCODE_TAB, 15, 0x09);
    Key(SDL_SCANCODE_LEFTBRACKET, 26, 0xDB, '[', '{');
    Key(SDL_SCANCODE_RIGHTBRACKET, 27, 0xDD, ']', '}');
    Key(SDL_SCANCODE_RETURN, 28, 0x0D);
    Key(SDL_SCANCODE_LCTRL, 29, 0x11);
    Key(SDL_SCANCODE_SEMICOLON, 39, 0xBA, ';', ':');
    Key(SDL_SCANCODE_APOSTROPHE, 40, 0xDE, '\'', '"');
    Key(SDL_SCANCODE_GRAVE, 41, 0xC0, '`', '~');
    Key(SDL_SCANCODE_LSHIFT, 42, 0x10);
    Key(SDL_SCANCODE_BACKSLASH, 43, 0xDC, '\\', '|');
    Key(SDL_SCANCODE_COMMA, 51, 0xBC, ',', '<');
    Key(SDL_SCANCODE_PERIOD, 52, 0xBE, '.', '>');
    Key(SDL_SCANCODE_SLASH, 53, 0xBF, '/', '?');
    Key(SDL_SCANCODE_RSHIFT, 54, 0x10);
    Key(SDL_SCANCODE_KP_MULTIPLY, 55, 0x6A, '*', '*');
    Key(SDL_SCANCODE_LALT, 56, 0x12);
    Key(SDL_SCANCODE_SPACE, 57, 0x20, ' ', ' ');
    Key(SDL_SCANCODE_CAPSLOCK, 58, 0x14);
    for (int i = 0; i < 10; ++i)
      Key(static_cast<SDL_Scancode>(SDL_SCANCODE_F1 + i), 59 + i, 0x70 + i);
    Key(SDL_SCANCODE_NUMLOCKCLEAR, 69, 0x90);
    Key(SDL_SCANCODE_SCROLLLOCK, 70, 0x91);
    Key(SDL_SCANCODE_KP_7, 71, 0x67, '7', '7');
    Key(SDL_SCANCODE_KP_8, 72, 0x68, '8', '8');
    Key(SDL_SCANCODE_KP_9, 73, 0x69, '9', '9');
    Key(SDL_SCANCODE_KP_MINUS, 74, 0x6D, '-', '-');
    Key(SDL_SCANCODE_KP_4, 75, 0x64, '4', '4');
    Key(SDL_SCANCODE_KP_5, 76, 0x65, '5', '5');
    Key(SDL_SCANCODE_KP_6, 77, 0x66, '6', '6');
    Key(SDL_SCANCODE_KP_PLUS, 78, 0x6B, '+', '+');
    Key(SDL_SCANCODE_KP_1, 79, 0x61, '1', '1');
    Key(SDL_SCANCODE_KP_2, 80, 0x62, '2', '2');
    Key(SDL_SCANCODE_KP_3, 81, 0x63, '3', '3');
    Key(SDL_SCANCODE_KP_0, 82, 0x60, '0', '0');
    Key(SDL_SCANCODE_KP_PERIOD, 83, 0x6E, '.', '.');
    Key(SDL_SCANCODE_NONUSBACKSLASH, 86, 0xE2, '\\', '|');
    Key(SDL_SCANCODE_F11, 87, 0x7A);
    Key(SDL_SCANCODE_F12, 88, 0x7B);
    Key(SDL_SCANCODE_KP_ENTER, 156, 0x0D);
    Key(SDL_SCANCODE_RCTRL, 157, 0x11);
    Key(SDL_SCANCODE_KP_DIVIDE, 181, 0x6F, '/', '/');
    Key(SDL_SCANCODE_PRINTSCREEN, 183, 0x2C);
    Key(SDL_SCANCODE_RALT, 184, 0x12);
    Key(SDL_SCANCODE_PAUSE, 197, 0x13);
    Key(SDL_SCANCODE_HOME, 199, 0x24);
    Key(SDL_SCANCODE_UP, 200, 0x26);
    Key(SDL_SCANCODE_PAGEUP, 201, 0x21);
    Key(SDL_SCANCODE_LEFT, 203, 0x25);
    Key(SDL_SCANCODE_RIGHT, 205, 0x27);
    Key(SDL_SCANCODE_END, 207, 0x23);
    Key(SDL_SCANCODE_DOWN, 208, 0x28);
    Key(SDL_SCANCODE_PAGEDOWN, 209, 0x22);
    Key(SDL_SCANCODE_INSERT, 210, 0x2D);
    Key(SDL_SCANCODE_DELETE, 211, 0x2E);
    Key(SDL_SCANCODE_LGUI, 219, 0x5B);
    Key(SDL_SCANCODE_RGUI, 220, 0x5C);
    Key(SDL_SCANCODE_APPLICATION, 221, 0x5D);
  }
};

const KeyMap& Keys() {
  static const KeyMap map;
  return map;
}

bool InRange(int32_t sc) { return sc >= 0 && sc < SDL_NUM_SCANCODES; }

void Send(Engine& engine, int32_t kind, int32_t a = 0) {
  iMessage m{kind, a, 0};
  engine.DispatchMessage(m);
}

// The code points of UTF-8 text that fit in one byte (Latin-1); the others,
// and broken sequences, are skipped.
std::vector<int32_t> Latin1Chars(const char* text) {
  std::vector<int32_t> out;
  const auto* p = reinterpret_cast<const unsigned char*>(text);
  while (*p) {
    int length = *p < 0x80           ? 1
                 : (*p >> 5) == 0x6  ? 2
                 : (*p >> 4) == 0xE  ? 3
                 : (*p >> 3) == 0x1E ? 4
                                     : 0;
    if (length == 0) {
      ++p;
      continue;
    }
    int32_t cp = length == 1 ? *p : *p & (0x7F >> length);
    int i = 1;
    for (; i < length && (p[i] & 0xC0) == 0x80; ++i) cp = (cp << 6) | (p[i] & 0x3F);
    if (i == length && cp <= 0xFF) out.push_back(cp);
    p += i;
  }
  return out;
}

void MovePointer(Engine& engine, int x, int y) {
  auto vp = engine.Viewport();
  if (vp[2] <= 0 || vp[3] <= 0) return;
  engine.InputMouseMove(static_cast<float>(x - vp[0]) / vp[2],
                        static_cast<float>(y - vp[1]) / vp[3]);
}

}  // namespace

int32_t DirectInputKey(int32_t sc) { return InRange(sc) ? Keys().dik[sc] : 0; }
int32_t VirtualKey(int32_t sc) { return InRange(sc) ? Keys().vk[sc] : 0; }
int32_t UsLayoutChar(int32_t sc, bool shift) {
  if (!InRange(sc)) return 0;
  return static_cast<unsigned char>(shift ? Keys().shifted[sc] : Keys().plain[sc]);
}

bool WindowSystemUp() { return SDL_WasInit(SDL_INIT_VIDEO) != 0; }

void PumpWindowEvents(Engine& engine) {
  SDL_Event e;
  while ([&] {
    ForeignAllocations foreign;
    return SDL_PollEvent(&e);
  }()) {
    switch (e.type) {
      case SDL_KEYDOWN: {
        const int32_t sc = e.key.keysym.scancode;
        if (!e.key.repeat) engine.InputKey(DirectInputKey(sc), true);
        break;
      }
      case SDL_TEXTINPUT:
        // Typed text follows the player's own layout, so accented letters can be
        // typed; the engine keeps what 8-bit text can hold.
        for (int32_t ch : Latin1Chars(e.text.text)) engine.InputChar(ch);
        break;
      case SDL_KEYUP: {
        const int32_t sc = e.key.keysym.scancode;
        engine.InputKey(DirectInputKey(sc), false);
        if (int32_t vk = VirtualKey(sc)) Send(engine, iMsgKeyUp, vk);
        break;
      }
      case SDL_MOUSEMOTION:
        MovePointer(engine, e.motion.x, e.motion.y);
        break;
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP: {
        MovePointer(engine, e.button.x, e.button.y);
        int button = e.button.button == SDL_BUTTON_LEFT     ? 0
                     : e.button.button == SDL_BUTTON_RIGHT  ? 1
                     : e.button.button == SDL_BUTTON_MIDDLE ? 2
                                                            : e.button.button - 1;
        engine.InputMouseButton(button, e.type == SDL_MOUSEBUTTONDOWN);
        break;
      }
      case SDL_MOUSEWHEEL: {
        int y = e.wheel.y;
        if (e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) y = -y;
        for (int i = 0; i < std::min(std::abs(y), 8); ++i)
          Send(engine, y > 0 ? iMsgWheelUp : iMsgWheelDown);
        break;
      }
      case SDL_WINDOWEVENT:
        switch (e.window.event) {
          case SDL_WINDOWEVENT_SHOWN:
          case SDL_WINDOWEVENT_EXPOSED:
          case SDL_WINDOWEVENT_SIZE_CHANGED:
            engine.RequestRedraw();  // what the window showed is gone
            break;
          case SDL_WINDOWEVENT_FOCUS_GAINED:
            Send(engine, iMsgActivate);
            break;
          case SDL_WINDOWEVENT_FOCUS_LOST:
            // Keys held while the focus leaves would never see their release.
            engine.ReleaseAllInput();
            Send(engine, iMsgDeactivate);
            break;
          case SDL_WINDOWEVENT_MINIMIZED:
            Send(engine, iMsgMinimize);
            break;
          case SDL_WINDOWEVENT_RESTORED:
            engine.RequestRedraw();
            if (engine.TakeMaximiseUndo()) break;  // our own undo of a maximise
            Send(engine, iMsgRestore);
            break;
          case SDL_WINDOWEVENT_MAXIMIZED:
            // The program answers with a full-screen restart; the window itself
            // does not stay maximised.
            if (SDL_Window* w = SDL_GetWindowFromID(e.window.windowID)) {
              engine.ExpectMaximiseUndo();
              SDL_RestoreWindow(w);
            }
            Send(engine, iMsgMaximize);
            break;
          case SDL_WINDOWEVENT_CLOSE:
            Send(engine, iMsgClose);
            break;
          case SDL_WINDOWEVENT_LEAVE:
            break;
        }
        break;
      case SDL_QUIT:
        Send(engine, iMsgClose);
        break;
    }
  }
}

}  // namespace impact
