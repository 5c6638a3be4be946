// The recording file: what goes in comes out, and a damaged, oversized or
// foreign file is refused with its reason.
#include "game/Recording.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <vector>

namespace gh::test {
namespace {

// Where the header keeps its fields (the file's layout, written down once
// here so that forged files can be made).
constexpr size_t FramesAt = 28, RawSizeAt = 71, PackedSizeAt = 75, ChecksumAt = 79, HeaderSize = 83;

void Put32(std::string& file, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) file[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// A file with this header (taken from `like`) and this raw body, its sizes
// and checksum made to agree.
std::string Forge(const std::string& like, uint32_t frames, const std::string& raw) {
  uLongf size = compressBound(raw.size());
  std::string packed(size, '\0');
  EXPECT_EQ(compress(reinterpret_cast<Bytef*>(packed.data()), &size,
                     reinterpret_cast<const Bytef*>(raw.data()), raw.size()),
            Z_OK);
  packed.resize(size);
  std::string file = like.substr(0, HeaderSize) + packed;
  Put32(file, FramesAt, frames);
  Put32(file, RawSizeAt, static_cast<uint32_t>(raw.size()));
  Put32(file, PackedSizeAt, static_cast<uint32_t>(packed.size()));
  uLong crc = crc32(0, reinterpret_cast<const Bytef*>(file.data()), ChecksumAt);
  crc = crc32(crc, reinterpret_cast<const Bytef*>(packed.data()), packed.size());
  Put32(file, ChecksumAt, static_cast<uint32_t>(crc));
  return file;
}

// A short game with every kind of input and event, and values at their ends.
GameRecording Sample() {
  GameRecording r;
  r.DataVersion = 0xFEDCBA9876543210ull;
  r.ProgramVersion = "2.0 linux";
  r.Seed = std::numeric_limits<uint64_t>::max();
  r.Score = 123456;
  r.Level = 7;
  uint32_t tick = 0xFFFFFF00u;  // wraps during the game
  for (int i = 0; i < 40; ++i) {
    RecordedFrame f;
    tick += i % 3 == 0 ? 16 : 17;
    if (i == 20) tick += 5000;  // a long frame
    f.Input.Tick = tick;
    f.Input.PointerX = static_cast<uint16_t>(i % 7 == 0 ? 0 : i % 5 == 0 ? PointerRange : 2000 + i);
    f.Input.PointerY = static_cast<uint16_t>(i % 2 ? PointerRange : 1);
    f.Input.Fire = i % 4 < 2;
    f.Input.Reload = i % 9 == 0;
    f.Input.Pause = i % 11 == 0;
    if (i == 3) f.EventsBefore = {{GameEventKind::Escape, 0}, {GameEventKind::Answer, 0}};
    if (i == 5)
      f.EventsBefore = {{GameEventKind::ChooseWeapon, 4}, {GameEventKind::StepWeapon, -1}};
    if (i == 6) f.EventsBefore = {{GameEventKind::StepWeapon, 1}, {GameEventKind::FocusLost, 0}};
    if (i == 30) f.EventsBefore = {{GameEventKind::Restart, 0}, {GameEventKind::Answer, 1}};
    r.Frames.push_back(f);
  }
  return r;
}

TEST(RecordingFormat, WhatIsWrittenIsReadBack) {
  GameRecording longVersion = Sample();
  longVersion.ProgramVersion = std::string(32, 'v');
  GameRecording extremes = Sample();
  extremes.Score = std::numeric_limits<int32_t>::min();
  extremes.Level = -1;
  extremes.Seed = 0;
  extremes.Frames.front().Input.Tick = 0;
  GameRecording empty;
  empty.ProgramVersion = "";
  GameRecording highScore = Sample();
  highScore.Score = std::numeric_limits<int32_t>::max();
  highScore.Level = std::numeric_limits<int16_t>::max();
  for (const GameRecording& r : {Sample(), longVersion, extremes, empty, highScore}) {
    const Result<GameRecording> back = DecodeRecording(EncodeRecording(r));
    ASSERT_TRUE(back) << back.error().message;
    EXPECT_TRUE(*back == r);
  }
}

TEST(RecordingFormat, AVersionTooLongIsCut) {
  GameRecording r = Sample();
  r.ProgramVersion = std::string(200, 'x');
  const Result<GameRecording> back = DecodeRecording(EncodeRecording(r));
  ASSERT_TRUE(back);
  EXPECT_EQ(back->ProgramVersion, std::string(32, 'x'));
}

TEST(RecordingFormat, EveryCutShortFileIsRefused) {
  const std::string file = EncodeRecording(Sample());
  for (size_t n = 0; n < file.size(); ++n) {
    const Result<GameRecording> back = DecodeRecording(std::string_view(file).substr(0, n));
    ASSERT_FALSE(back) << "cut at " << n << " of " << file.size();
    EXPECT_FALSE(back.error().message.empty());
  }
}

TEST(RecordingFormat, EveryChangedByteIsRefused) {
  const std::string file = EncodeRecording(Sample());
  for (size_t n = 0; n < file.size(); ++n) {
    for (uint8_t flip : {0x01, 0x80, 0xFF}) {
      std::string damaged = file;
      damaged[n] = static_cast<char>(damaged[n] ^ flip);
      const Result<GameRecording> back = DecodeRecording(damaged);
      ASSERT_FALSE(back) << "byte " << n << " ^ " << int(flip);
    }
  }
  EXPECT_FALSE(DecodeRecording(file + "x"));
}

TEST(RecordingFormat, DamageIsRefusedWithItsReason) {
  const std::string good = EncodeRecording(Sample());
  // A body of `n` frames without input or events.
  auto still = [](uint32_t n) { return std::string(n, '\0'); };
  struct Case {
    const char* what;
    std::function<std::string()> file;
    const char* reason;
    RecordingLimits limits{};
  };
  const std::vector<Case> cases{
      {"another file", [] { return std::string("PK\3\4 a zip file, not a recording"); },
       "not a Gravelhorn 2 recording"},
      {"empty", [] { return std::string(); }, "not a Gravelhorn 2 recording"},
      {"a later format",
       [&] {
         std::string f = good;
         f[8] = 2;
         return f;
       },
       "another format (2)"},
      {"over the size limit", [&] { return good; }, "too large", RecordingLimits{100, 1000}},
      {"more frames than allowed", [&] { return good; }, "longer than any game",
       RecordingLimits{1u << 20, 39}},
      {"a huge frame count",
       [&] {
         std::string f = good;
         Put32(f, FramesAt, 0xFFFFFFFFu);
         return f;
       },
       "longer than any game"},
      {"a huge raw size",
       [&] {
         std::string f = good;
         Put32(f, RawSizeAt, 0xFFFFFFFFu);
         return f;
       },
       "sizes do not agree"},
      {"a raw size under one byte a frame",
       [&] {
         std::string f = good;
         Put32(f, RawSizeAt, 10);
         return f;
       },
       "sizes do not agree"},
      {"a huge compressed size",
       [&] {
         std::string f = good;
         Put32(f, PackedSizeAt, 0xFFFFFFFFu);
         return f;
       },
       "cut short"},
      {"a version length past its field",
       [&] {
         std::string f = good;
         f[HeaderSize - 4 - 4 - 4 - 32 - 1] = 33;
         return f;
       },
       "header is damaged"},
      {"a frame's tick change missing",  // two frames' flags, the first with a tick change
       [&] { return Forge(good, 2, std::string("\x01\x00", 2)); }, "frame 0 is cut short"},
      {"more frames than said", [&] { return Forge(good, 5, still(6)); },
       "more frames than it says"},
      {"a flag no writer sets", [&] { return Forge(good, 2, std::string("\0\x80", 2)); },
       "frame 1 is damaged"},
      {"an unknown event", [&] { return Forge(good, 1, std::string("\x40\x01\x07\x00", 4)); },
       "unknown"},
      {"a weapon that does not exist",
       [&] { return Forge(good, 1, std::string("\x40\x01\x03\x05", 4)); }, "unknown"},
      {"a wheel step of two", [&] { return Forge(good, 1, std::string("\x40\x01\x04\x02", 4)); },
       "unknown"},
      {"an answer of two", [&] { return Forge(good, 1, std::string("\x40\x01\x05\x02", 4)); },
       "unknown"},
      {"a pointer left of the view",  // from the middle, 2049 steps left (zig-zag 4097)
       [&] { return Forge(good, 1, std::string("\x02\x81\x20", 3)); }, "pointer leaves the view"},
      {"a pointer below the view",  // 2049 steps down (zig-zag 4098)
       [&] { return Forge(good, 1, std::string("\x04\x82\x20", 3)); }, "pointer leaves the view"},
      {"a varint over 32 bits",
       [&] { return Forge(good, 1, std::string("\x01\xFF\xFF\xFF\xFF\x7F", 6)); }, "cut short"},
      {"events cut short", [&] { return Forge(good, 1, std::string("\x40\x02\x01\x00\x01", 5)); },
       "cut short"},
      {"no events where events are said",
       [&] { return Forge(good, 1, std::string("\x40\x00", 2)); }, "events before frame 0"},
      {"a body that inflates to more than said",
       [&] {
         std::string f = Forge(good, 999, still(1000));
         Put32(f, RawSizeAt, 999);
         uLong crc = crc32(0, reinterpret_cast<const Bytef*>(f.data()), ChecksumAt);
         crc = crc32(crc, reinterpret_cast<const Bytef*>(f.data() + HeaderSize),
                     f.size() - HeaderSize);
         Put32(f, ChecksumAt, static_cast<uint32_t>(crc));
         return f;
       },
       "frames are damaged"},
      {"a body that inflates to less than said",
       [&] {
         std::string f = Forge(good, 1000, still(1000));
         Put32(f, RawSizeAt, 1001);
         uLong crc = crc32(0, reinterpret_cast<const Bytef*>(f.data()), ChecksumAt);
         crc = crc32(crc, reinterpret_cast<const Bytef*>(f.data() + HeaderSize),
                     f.size() - HeaderSize);
         Put32(f, ChecksumAt, static_cast<uint32_t>(crc));
         return f;
       },
       "frames are damaged"},
      {"a checksum that does not match",
       [&] {
         std::string f = good;
         f[ChecksumAt] = static_cast<char>(f[ChecksumAt] ^ 1);
         return f;
       },
       "checksum"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Result<GameRecording> back = DecodeRecording(c.file(), c.limits);
    ASSERT_FALSE(back);
    EXPECT_NE(back.error().message.find(c.reason), std::string::npos) << back.error().message;
  }
}

TEST(RecordingFormat, TheForgerWritesWhatTheReaderTakes) {
  // The forged files above differ from good ones only where each case says.
  const std::string good = EncodeRecording(Sample());
  const Result<GameRecording> still = DecodeRecording(Forge(good, 3, std::string(3, '\0')));
  ASSERT_TRUE(still) << still.error().message;
  ASSERT_EQ(still->Frames.size(), 3u);
  EXPECT_EQ(still->Frames[2].Input, FrameInput{});
}

TEST(RecordingFormat, ThisBuildPlaysOnlyItsOwnSimulationAndData) {
  GameRecording r = Sample();
  EXPECT_TRUE(CanPlayHere(r, r.DataVersion));
  const Status otherData = CanPlayHere(r, r.DataVersion + 1);
  ASSERT_FALSE(otherData);
  EXPECT_NE(otherData.error().message.find("version 2.0 linux"), std::string::npos);
  EXPECT_NE(otherData.error().message.find("other game data"), std::string::npos);
  r.Simulation = SimulationVersion + 1;
  EXPECT_FALSE(CanPlayHere(r, r.DataVersion));
}

TEST(RecordingFormat, TheRecorderKeepsEventsWithTheFrameTheyPrecede) {
  GameRecorder recorder(99, 5);
  recorder.Frame(FrameInput{.Tick = 1});
  recorder.Event({GameEventKind::Escape, 0});
  recorder.Event({GameEventKind::Answer, 1});
  recorder.Frame(FrameInput{.Tick = 2});
  recorder.Frame(FrameInput{.Tick = 3});
  recorder.Finish(70, 2);
  recorder.Event({GameEventKind::Escape, 0});
  recorder.Frame(FrameInput{.Tick = 4});
  const GameRecording& r = recorder.Recording();
  EXPECT_TRUE(recorder.Finished());
  EXPECT_EQ(r.Seed, 99u);
  EXPECT_EQ(r.DataVersion, 5u);
  EXPECT_EQ(r.ProgramVersion, ThisProgramVersion());
  ASSERT_EQ(r.Frames.size(), 3u);
  EXPECT_TRUE(r.Frames[0].EventsBefore.empty());
  EXPECT_EQ(r.Frames[1].EventsBefore,
            (std::vector<GameEvent>{{GameEventKind::Escape, 0}, {GameEventKind::Answer, 1}}));
  EXPECT_TRUE(r.Frames[2].EventsBefore.empty());
  EXPECT_EQ(r.Score, 70);
  EXPECT_EQ(r.Level, 2);
}

}  // namespace
}  // namespace gh::test
