// The record i3ImpactSettings takes: six signed 32-bit fields. This engine
// reads only the full-screen flag; the others are the constants the program
// has always passed, whose meaning belongs to the engine.
#pragma once
#include <array>
#include <cstdint>

namespace gh {

class EngineSettings {
 public:
  static constexpr EngineSettings Windowed() { return EngineSettings(false); }
  static constexpr EngineSettings FullScreen() { return EngineSettings(true); }
  // The display setting of "Config.cfg": 1 is a window, anything else full screen.
  static constexpr EngineSettings ForDisplaySetting(uint8_t windowed) {
    return EngineSettings(windowed != 1);
  }

  constexpr bool FullScreenWanted() const { return fields_[FullScreenFlag] != 0; }
  // The six fields in the engine's order, as the raw call takes them.
  constexpr const int32_t* Record() const { return fields_.data(); }

 private:
  enum Field { First, Second, ViewBits, Fourth, FullScreenFlag, Last, Count };
  constexpr explicit EngineSettings(bool fullScreen) {
    fields_[ViewBits] = 800 * 600 * 32;  // the view's pixels times their bits
    fields_[FullScreenFlag] = fullScreen ? -1 : 0;
    fields_[Last] = -1;
  }
  std::array<int32_t, Count> fields_{};
};

}  // namespace gh
