#include "Recording.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstring>

#include "engine/ScreenUnits.h"
#include "platform/System.h"

#ifndef GH_PROGRAM_VERSION
#define GH_PROGRAM_VERSION "0.0"
#endif

namespace gh {

namespace {

// The file: a fixed header, then the deflated frames.
constexpr std::array<char, 8> Magic{'G', 'H', '2', 'R', 'E', 'C', '\r', '\n'};
constexpr uint16_t FormatVersion = 1;
constexpr size_t ProgramVersionCap = 32;
// magic, format, simulation, data version, seed, frames, score, level,
// version length and text, raw size, compressed size, checksum.
constexpr size_t HeaderSize = 8 + 2 + 2 + 8 + 8 + 4 + 4 + 2 + 1 + ProgramVersionCap + 4 + 4 + 4;
// The checksum covers the header before it and the compressed body.
constexpr size_t ChecksumAt = HeaderSize - 4;

// What one frame can take in the body at most, events aside; events may
// add up to EventSlack bytes over the whole body (many may pile up while a
// question is open, when no frame runs).
constexpr uint64_t MaxFrameBytes = 1 + 5 + 3 + 3 + 3;
constexpr uint64_t EventSlack = 1u << 20;
constexpr uint32_t MaxEventsInFrame = 1u << 16;

// A frame's flags.
enum : uint8_t {
  TickDeltaChanged = 1,
  PointerXMoved = 2,
  PointerYMoved = 4,
  FireHeld = 8,
  ReloadClicked = 16,
  PauseClicked = 32,
  HasEvents = 64,
  KnownFlags = 127,
};

void PutLE(std::string& out, uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFFu));
}

uint64_t GetLE(std::string_view in, size_t at, int bytes) {
  uint64_t value = 0;
  for (int i = 0; i < bytes; ++i) value |= uint64_t{static_cast<uint8_t>(in[at + i])} << (8 * i);
  return value;
}

void PutVarint(std::string& out, uint32_t value) {
  while (value >= 0x80u) {
    out.push_back(static_cast<char>((value & 0x7Fu) | 0x80u));
    value >>= 7;
  }
  out.push_back(static_cast<char>(value));
}

uint32_t ZigZag(int32_t v) {
  return (static_cast<uint32_t>(v) << 1) ^ static_cast<uint32_t>(v < 0 ? -1 : 0);
}
int32_t UnZigZag(uint32_t v) {
  return static_cast<int32_t>(v >> 1) ^ -static_cast<int32_t>(v & 1u);
}

// Reads the body; every read says whether the bytes were there.
class Reader {
 public:
  explicit Reader(std::string_view bytes) : bytes_(bytes) {}
  bool Byte(uint8_t& value) {
    if (at_ >= bytes_.size()) return false;
    value = static_cast<uint8_t>(bytes_[at_++]);
    return true;
  }
  bool Varint(uint32_t& value) {
    value = 0;
    for (int shift = 0; shift < 35; shift += 7) {
      uint8_t b = 0;
      if (!Byte(b)) return false;
      if (shift == 28 && b > 0x0Fu) return false;  // over 32 bits
      value |= uint32_t{b & 0x7Fu} << shift;
      if (!(b & 0x80u)) return true;
    }
    return false;
  }
  bool AtEnd() const { return at_ == bytes_.size(); }

 private:
  std::string_view bytes_;
  size_t at_ = 0;
};

bool EventValueFits(const GameEvent& e) {
  switch (e.Kind) {
    case GameEventKind::Escape:
    case GameEventKind::FocusLost:
    case GameEventKind::Restart:
      return e.Value == 0;
    case GameEventKind::ChooseWeapon:
      return e.Value >= 0 && e.Value <= 4;
    case GameEventKind::StepWeapon:
      return e.Value == 1 || e.Value == -1;
    case GameEventKind::Answer:
      return e.Value == 0 || e.Value == 1;
  }
  return false;
}

// The body holds each kind of value together, which deflate packs far
// better than frame after frame: every frame's flags, then the tick changes,
// the pointer's moves across, its moves down, and the events.
std::string EncodeBody(const std::vector<RecordedFrame>& frames) {
  std::string flagBytes, ticks, xs, ys, events;
  flagBytes.reserve(frames.size());
  uint32_t tick = 0, delta = 0;
  uint16_t x = PointerRange / 2, y = PointerRange / 2;
  for (const RecordedFrame& f : frames) {
    const FrameInput& in = f.Input;
    const uint32_t newDelta = in.Tick - tick;
    uint8_t flags = 0;
    if (newDelta != delta) flags |= TickDeltaChanged;
    if (in.PointerX != x) flags |= PointerXMoved;
    if (in.PointerY != y) flags |= PointerYMoved;
    if (in.Fire) flags |= FireHeld;
    if (in.Reload) flags |= ReloadClicked;
    if (in.Pause) flags |= PauseClicked;
    if (!f.EventsBefore.empty()) flags |= HasEvents;
    flagBytes.push_back(static_cast<char>(flags));
    if (flags & TickDeltaChanged) PutVarint(ticks, ZigZag(static_cast<int32_t>(newDelta - delta)));
    if (flags & PointerXMoved) PutVarint(xs, ZigZag(in.PointerX - x));
    if (flags & PointerYMoved) PutVarint(ys, ZigZag(in.PointerY - y));
    if (flags & HasEvents) {
      PutVarint(events, static_cast<uint32_t>(f.EventsBefore.size()));
      for (const GameEvent& e : f.EventsBefore) {
        events.push_back(static_cast<char>(e.Kind));
        events.push_back(static_cast<char>(e.Value));
      }
    }
    tick = in.Tick;
    delta = newDelta;
    x = in.PointerX;
    y = in.PointerY;
  }
  return flagBytes + ticks + xs + ys + events;
}

Error Refused(const std::string& why) {
  return Error{"This recording cannot be played: " + why + ".", {}};
}

Status DecodeBody(std::string_view body, uint32_t frameCount, std::vector<RecordedFrame>& frames) {
  if (body.size() < frameCount) return Refused("it has fewer frames than it says");
  Reader r(body.substr(frameCount));
  frames.resize(frameCount);
  for (uint32_t n = 0; n < frameCount; ++n) {
    const auto flags = static_cast<uint8_t>(body[n]);
    if (flags & ~KnownFlags) return Refused("frame " + std::to_string(n) + " is damaged");
    FrameInput& in = frames[n].Input;
    in.Fire = flags & FireHeld;
    in.Reload = flags & ReloadClicked;
    in.Pause = flags & PauseClicked;
  }
  auto flagsOf = [&](uint32_t n) { return static_cast<uint8_t>(body[n]); };
  uint32_t v = 0;
  uint32_t tick = 0, delta = 0;
  for (uint32_t n = 0; n < frameCount; ++n) {
    if (flagsOf(n) & TickDeltaChanged) {
      if (!r.Varint(v)) return Refused("frame " + std::to_string(n) + " is cut short");
      delta += static_cast<uint32_t>(UnZigZag(v));
    }
    tick += delta;
    frames[n].Input.Tick = tick;
  }
  for (auto [flag, axis] : {std::pair{PointerXMoved, 0}, std::pair{PointerYMoved, 1}}) {
    int32_t at = PointerRange / 2;
    for (uint32_t n = 0; n < frameCount; ++n) {
      if (flagsOf(n) & flag) {
        if (!r.Varint(v)) return Refused("frame " + std::to_string(n) + " is cut short");
        const int64_t moved = int64_t{at} + UnZigZag(v);
        if (moved < 0 || moved > PointerRange)
          return Refused("the pointer leaves the view in frame " + std::to_string(n));
        at = static_cast<int32_t>(moved);
      }
      (axis == 0 ? frames[n].Input.PointerX : frames[n].Input.PointerY) = static_cast<uint16_t>(at);
    }
  }
  for (uint32_t n = 0; n < frameCount; ++n) {
    if (!(flagsOf(n) & HasEvents)) continue;
    uint32_t count = 0;
    if (!r.Varint(count) || count == 0 || count > MaxEventsInFrame)
      return Refused("the events before frame " + std::to_string(n) + " are damaged");
    for (uint32_t i = 0; i < count; ++i) {
      uint8_t kind = 0, value = 0;
      if (!r.Byte(kind) || !r.Byte(value))
        return Refused("frame " + std::to_string(n) + " is cut short");
      GameEvent e{static_cast<GameEventKind>(kind), static_cast<int8_t>(value)};
      if (kind < 1 || kind > 6 || !EventValueFits(e))
        return Refused("an event before frame " + std::to_string(n) + " is unknown");
      frames[n].EventsBefore.push_back(e);
    }
  }
  if (!r.AtEnd()) return Refused("it has more frames than it says");
  return {};
}

uint32_t Checksum(std::string_view header, std::string_view body) {
  uLong crc = crc32(0L, Z_NULL, 0);
  crc = crc32(crc, reinterpret_cast<const Bytef*>(header.data()), static_cast<uInt>(header.size()));
  // The body is at most RecordingLimits::MaxBytes, well under uInt's range,
  // but fed in pieces all the same.
  for (size_t at = 0; at < body.size(); at += 1u << 30) {
    const size_t n = std::min<size_t>(body.size() - at, 1u << 30);
    crc = crc32(crc, reinterpret_cast<const Bytef*>(body.data() + at), static_cast<uInt>(n));
  }
  return static_cast<uint32_t>(crc);
}

}  // namespace

std::string EncodeRecording(const GameRecording& recording) {
  const std::string raw = EncodeBody(recording.Frames);
  uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
  std::string packed(packedSize, '\0');
  if (compress2(reinterpret_cast<Bytef*>(packed.data()), &packedSize,
                reinterpret_cast<const Bytef*>(raw.data()), static_cast<uLong>(raw.size()),
                Z_BEST_COMPRESSION) != Z_OK) {
    packedSize = 0;  // cannot happen with a buffer of compressBound's size
  }
  packed.resize(packedSize);

  const std::string version = recording.ProgramVersion.substr(0, ProgramVersionCap);
  std::string out(Magic.begin(), Magic.end());
  PutLE(out, FormatVersion, 2);
  PutLE(out, recording.Simulation, 2);
  PutLE(out, recording.DataVersion, 8);
  PutLE(out, recording.Seed, 8);
  PutLE(out, recording.Frames.size(), 4);
  PutLE(out, static_cast<uint32_t>(recording.Score), 4);
  PutLE(out, static_cast<uint16_t>(recording.Level), 2);
  out.push_back(static_cast<char>(version.size()));
  out += version;
  out.append(ProgramVersionCap - version.size(), '\0');
  PutLE(out, raw.size(), 4);
  PutLE(out, packed.size(), 4);
  PutLE(out, Checksum(out, packed), 4);
  out += packed;
  return out;
}

Result<GameRecording> DecodeRecording(std::string_view bytes, const RecordingLimits& limits) {
  if (bytes.size() < Magic.size() || !std::equal(Magic.begin(), Magic.end(), bytes.begin()))
    return Refused("it is not a Gravelhorn 2 recording");
  if (bytes.size() > limits.MaxBytes) return Refused("it is too large");
  if (bytes.size() < HeaderSize) return Refused("it is cut short");
  const auto format = static_cast<uint16_t>(GetLE(bytes, 8, 2));
  if (format != FormatVersion)
    return Refused("it was written in another format (" + std::to_string(format) + ")");
  GameRecording rec;
  size_t at = 10;
  rec.Simulation = static_cast<uint16_t>(GetLE(bytes, at, 2));
  at += 2;
  rec.DataVersion = GetLE(bytes, at, 8);
  at += 8;
  rec.Seed = GetLE(bytes, at, 8);
  at += 8;
  const auto frames = static_cast<uint32_t>(GetLE(bytes, at, 4));
  at += 4;
  rec.Score = static_cast<int32_t>(static_cast<uint32_t>(GetLE(bytes, at, 4)));
  at += 4;
  rec.Level = static_cast<int16_t>(static_cast<uint16_t>(GetLE(bytes, at, 2)));
  at += 2;
  const auto versionLength = static_cast<uint8_t>(bytes[at]);
  at += 1;
  if (versionLength > ProgramVersionCap) return Refused("its header is damaged");
  rec.ProgramVersion.assign(bytes.substr(at, versionLength));
  at += ProgramVersionCap;
  const auto rawSize = static_cast<uint32_t>(GetLE(bytes, at, 4));
  at += 4;
  const auto packedSize = static_cast<uint32_t>(GetLE(bytes, at, 4));
  at += 4;
  const auto checksum = static_cast<uint32_t>(GetLE(bytes, at, 4));

  // Every size is checked before anything is inflated or reserved.
  if (frames > limits.MaxFrames) return Refused("it is longer than any game played here");
  if (rawSize > uint64_t{frames} * MaxFrameBytes + EventSlack || rawSize < frames)
    return Refused("its sizes do not agree");
  if (packedSize != bytes.size() - HeaderSize) {
    return packedSize > bytes.size() - HeaderSize ? Refused("it is cut short")
                                                  : Refused("it has bytes past its end");
  }
  const std::string_view packed = bytes.substr(HeaderSize);
  if (Checksum(bytes.substr(0, ChecksumAt), packed) != checksum)
    return Refused("it is damaged (its checksum does not match)");

  std::string raw(rawSize, '\0');
  z_stream z{};
  if (inflateInit(&z) != Z_OK) return Refused("there is not enough memory");
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data()));
  z.avail_in = static_cast<uInt>(packed.size());
  z.next_out = reinterpret_cast<Bytef*>(raw.data());
  z.avail_out = static_cast<uInt>(raw.size());
  // The output buffer holds exactly the declared size: a stream that would
  // give more stops with room for nothing.
  const int inflated = inflate(&z, Z_FINISH);
  const bool exact = inflated == Z_STREAM_END && z.avail_out == 0 && z.avail_in == 0;
  inflateEnd(&z);
  if (!exact) return Refused("its frames are damaged");

  if (Status body = DecodeBody(raw, frames, rec.Frames); !body) return body.error();
  return rec;
}

Result<uint64_t> ReadDataVersion() {
  const std::string path = ResolveDataPath("Data\\version.txt");
  const Result<std::string> text = ReadFileStart(path, 64);
  if (!text) return text.error();
  uint64_t value = 0;
  int digits = 0;
  for (char c : *text) {
    int digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else if (c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else if (c == '\n' || c == '\r') {
      break;
    } else {
      digits = 99;
      break;
    }
    value = (value << 4) | static_cast<uint64_t>(digit);
    ++digits;
  }
  if (digits != 16)
    return Error{"The data version \"" + ShownPath("Data\\version.txt") + "\" is damaged.", {}};
  return value;
}

std::string ThisProgramVersion() {
#ifdef _WIN32
  return GH_PROGRAM_VERSION " windows";
#else
  return GH_PROGRAM_VERSION " linux";
#endif
}

Status CanPlayHere(const GameRecording& recording, uint64_t dataVersion) {
  const std::string who = recording.ProgramVersion.empty() ? std::string("another version")
                                                           : "version " + recording.ProgramVersion;
  if (recording.Simulation != SimulationVersion) {
    return Error{"This recording was made by Gravelhorn 2 " + who +
                     ", which plays the game differently: it cannot be played here.",
                 {}};
  }
  if (recording.DataVersion != dataVersion) {
    return Error{"This recording was made by Gravelhorn 2 " + who +
                     " with other game data: it cannot be played here.",
                 {}};
  }
  return {};
}

GameRecorder::GameRecorder(uint64_t seed, uint64_t dataVersion) {
  recording_.Seed = seed;
  recording_.DataVersion = dataVersion;
  recording_.ProgramVersion = ThisProgramVersion();
}

void GameRecorder::Event(const GameEvent& event) {
  if (!finished_) pending_.push_back(event);
}

void GameRecorder::Frame(const FrameInput& input) {
  if (finished_) return;
  recording_.Frames.push_back(RecordedFrame{std::move(pending_), input});
  pending_.clear();
}

void GameRecorder::Finish(int32_t score, int16_t level) {
  if (finished_) return;
  finished_ = true;
  recording_.Score = score;
  recording_.Level = level;
  pending_.clear();
}

}  // namespace gh
