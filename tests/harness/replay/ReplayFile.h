// A recorded session of the program at the level of its input: the header
// (format version, engine seed, the Config.cfg it started with) and, frame by
// frame, what the player did. Text, one line per frame that has input:
//
//   gh2replay 1
//   seed 4242
//   config none | config <hex bytes>
//   frames 5400
//   <frame> <event> <event> ...
//   end
//
// Events: M x y (pointer, fractions of the view), B button down(0|1),
// K scancode down(0|1), C character (typed, decimal), W kind a b (window
// message), A active(0|1) (the application has the focus). Frames count from
// 0 and are ascending; a frame with no input has no line.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace gh::test::replay {

inline constexpr int FormatVersion = 1;

struct Event {
  enum Kind : char {
    Mouse = 'M',
    Button = 'B',
    Key = 'K',
    Char = 'C',
    Message = 'W',
    Active = 'A',
  };
  Kind kind = Mouse;
  float x = 0, y = 0;    // Mouse
  int32_t a = 0, b = 0;  // Button (button, down), Key (scancode, down), Char (a),
  int32_t c = 0;         // Message (kind, a, b), Active (a)
  bool operator==(const Event&) const = default;
};

struct FrameInput {
  uint32_t frame = 0;
  std::vector<Event> events;
  bool operator==(const FrameInput&) const = default;
};

struct Recording {
  uint32_t seed = 1;
  std::optional<std::string> config;  // bytes of Config.cfg at start, none: no file
  uint32_t frames = 0;                // frames the session ran
  std::vector<FrameInput> input;      // frames with input, ascending
  bool operator==(const Recording&) const = default;
};

std::string Write(const Recording& recording);
// Parses a recording; on failure returns nothing and sets `error` to a message
// that names the line and what is wrong with it.
std::optional<Recording> Read(const std::string& text, std::string& error);

std::optional<std::string> LoadFile(const std::string& path, std::string& error);
bool SaveFile(const std::string& path, const std::string& bytes, std::string& error);

// The values a replay must reproduce, kept beside it (<name>.expect):
//
//   gh2expect 1
//   frames <n>
//   rolling <hex>          every frame's scene checksum, folded in order
//   score <n> / level <n> / lives <n>   the game's last values (-1: no game)
//   exit <code>
//   config <hex>           a hash of Config.cfg after the program ended (0: none)
//   table <rank> <score> <hex name>     the table as Config.cfg holds it, ten lines
//   sample <frame> <hex>   the scene checksum after every 60th frame
//   end
struct Expectation {
  uint32_t frames = 0;
  uint64_t rolling = 0;
  int32_t score = -1, level = -1, lives = -1;
  int32_t exitCode = -1;
  uint64_t configHash = 0;
  std::vector<std::pair<int32_t, std::string>> table;  // score, name
  std::vector<std::pair<uint32_t, uint64_t>> samples;  // frame, checksum
  bool operator==(const Expectation&) const = default;
};

std::string Write(const Expectation& expectation);
std::optional<Expectation> ReadExpectation(const std::string& text, std::string& error);

// 64-bit FNV-1a, and the fold of one frame's checksum into the rolling hash.
uint64_t Fnv(const std::string& bytes);
uint64_t Fold(uint64_t rolling, uint64_t checksum);

}  // namespace gh::test::replay
