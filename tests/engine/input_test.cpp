// Keys, buttons, typed characters and the pointer, frame by frame.
#include <utility>
#include <vector>

#include "EngineFixture.h"

namespace enginetest {
namespace {

using engine_input = HeadlessEngine;

TEST_F(engine_input, ClickIsTrueForEveryQueryOfTheOneFrameAfterThePress) {
  ih->ihKeySet(28, 1);
  EXPECT_EQ(gh::raw::iKeyClick(28), 0);  // not before the next frame starts
  EXPECT_NE(gh::raw::iKeyDown(28), 0);
  gh::raw::i3ImpactMain();
  EXPECT_NE(gh::raw::iKeyClick(28), 0);
  EXPECT_NE(gh::raw::iKeyClick(28), 0);
  EXPECT_NE(gh::raw::iKeyDown(28), 0);
  gh::raw::i3ImpactMain();
  EXPECT_EQ(gh::raw::iKeyClick(28), 0);  // held, but no new press
  EXPECT_NE(gh::raw::iKeyDown(28), 0);
  ih->ihKeySet(28, 0);
  gh::raw::i3ImpactMain();
  EXPECT_EQ(gh::raw::iKeyDown(28), 0);
  EXPECT_EQ(gh::raw::iKeyClick(28), 0);
}

TEST_F(engine_input, PressAndReleaseWithinOneFrameStillClicks) {
  struct Case {
    int key;  // -1: mouse button 0, -2: mouse button 1
  } cases[] = {{57}, {200}, {1}, {184}, {-1}, {-2}};
  for (const Case& c : cases) {
    auto set = [&](int down) {
      if (c.key >= 0)
        ih->ihKeySet(c.key, down);
      else
        ih->ihMouseButtonSet(-c.key - 1, down);
    };
    auto click = [&] {
      return c.key >= 0 ? gh::raw::iKeyClick(c.key) : gh::raw::iMouseButtonClick(-c.key - 1);
    };
    auto down = [&] {
      return c.key >= 0 ? gh::raw::iKeyDown(c.key) : gh::raw::iMouseButtonDown(-c.key - 1);
    };
    set(1);
    set(0);
    gh::raw::i3ImpactMain();
    EXPECT_NE(click(), 0) << c.key;
    EXPECT_EQ(down(), 0) << c.key;
    gh::raw::i3ImpactMain();
    EXPECT_EQ(click(), 0) << c.key;
  }
}

TEST_F(engine_input, MouseButtonsAreSeparate) {
  ih->ihMouseButtonSet(1, 1);
  gh::raw::i3ImpactMain();
  EXPECT_NE(gh::raw::iMouseButtonClick(1), 0);
  EXPECT_NE(gh::raw::iMouseButtonDown(1), 0);
  EXPECT_EQ(gh::raw::iMouseButtonClick(0), 0);
  EXPECT_EQ(gh::raw::iMouseButtonDown(0), 0);
}

TEST_F(engine_input, TypedCharactersComeOneAFrameAndAreConsumed) {
  for (char ch : std::string("Ab 1")) ih->ihCharType(ch);
  ih->ihCharType(8);       // control characters are not text
  ih->ihCharType(0x85);    // nor are the 8-bit ones
  ih->ihCharType(0x20AC);  // nor anything beyond 8 bits
  ih->ihCharType(0xE9);    // a Latin-1 letter is
  std::string got;
  for (int i = 0; i < 8; ++i) {
    gh::raw::i3ImpactMain();
    int32_t peek = gh::raw::iTypedChar(0);
    int32_t ch = gh::raw::iTypedChar(-1);
    EXPECT_EQ(peek, ch);
    EXPECT_EQ(gh::raw::iTypedChar(-1), 0);  // consumed
    if (ch) got.push_back(static_cast<char>(ch));
  }
  EXPECT_EQ(got, "Ab 1\xE9");
}

// Presses faster than frames: each press is a click of its own frame, in the
// order pressed, with the character it typed; modifiers ride along.
TEST_F(engine_input, PressesWithinOneFrameComeOneAFrameInOrder) {
  struct Event {
    int key;  // a press and release of this key, or 0
    int ch;   // then this character, or 0
  };
  struct Case {
    const char* name;
    std::vector<Event> events;                // all within one frame
    std::vector<std::pair<int, int>> frames;  // per frame: the key clicked (0 none), the char
  };
  const Case cases[] = {
      {"three Backspaces", {{14, 0}, {14, 0}, {14, 0}}, {{14, 0}, {14, 0}, {14, 0}, {0, 0}}},
      {"a letter, then Enter", {{31, 's'}, {28, 0}}, {{31, 's'}, {28, 0}, {0, 0}}},
      {"Backspace, then a letter", {{14, 0}, {31, 's'}}, {{14, 0}, {31, 's'}, {0, 0}}},
      {"Shift rides with the letter", {{42, 0}, {31, 'S'}}, {{31, 'S'}, {0, 0}}},
      {"a character typed before a press", {{0, 'x'}, {28, 0}}, {{0, 'x'}, {28, 0}, {0, 0}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (const Event& e : c.events) {
      if (e.key) ih->ihKeySet(e.key, 1);
      if (e.ch) ih->ihCharType(e.ch);
      if (e.key) ih->ihKeySet(e.key, 0);
    }
    for (const auto& [key, ch] : c.frames) {
      gh::raw::i3ImpactMain();
      int clicked = 0, count = 0;
      for (int k = 1; k < 256; ++k)
        if (gh::raw::iKeyClick(k) && k != 42) {
          clicked = k;
          ++count;
        }
      EXPECT_LE(count, 1);
      EXPECT_EQ(clicked, key);
      EXPECT_EQ(gh::raw::iTypedChar(-1), ch);
    }
  }
}

TEST_F(engine_input, UnreadCharacterIsGoneNextFrame) {
  ih->ihCharType('x');
  gh::raw::i3ImpactMain();
  gh::raw::i3ImpactMain();
  EXPECT_EQ(gh::raw::iTypedChar(-1), 0);
}

TEST_F(engine_input, PointerIsAFractionOfTheViewAndResetMovesIt) {
  ih->ihMouseSet(0.25f, 0.75f);
  EXPECT_FLOAT_EQ(gh::raw::iMouseX(), 0.25f);
  EXPECT_FLOAT_EQ(gh::raw::iMouseY(), 0.75f);
  ih->ihMouseSet(-3, 7);
  EXPECT_FLOAT_EQ(gh::raw::iMouseX(), 0);
  EXPECT_FLOAT_EQ(gh::raw::iMouseY(), 1);
  iVec2 centre{(6.0f + 16) / 32, (1.0f - 12) / -24};
  gh::raw::iMouseReset(&centre);
  EXPECT_FLOAT_EQ(gh::raw::iMouseX(), centre.x);
  EXPECT_FLOAT_EQ(gh::raw::iMouseY(), centre.y);
  gh::raw::iMouseReset(nullptr);
  EXPECT_FLOAT_EQ(gh::raw::iMouseX(), centre.x);
}

}  // namespace
}  // namespace enginetest
