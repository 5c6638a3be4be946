// Kept replays: each is played on a fresh program and must end as it ended
// when it was recorded (score, level, lives, the table in Config.cfg) with the
// same scene every frame.
//
// When the game changes on purpose, regenerate:
//   GH_REPLAY_UPDATE=expect test_replay   plays the kept replays, rewrites data/*.expect
//   GH_REPLAY_UPDATE=record test_replay   records the sessions anew, rewrites both files
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "Sessions.h"
#include "harness/replay/ReplayFile.h"
#include "harness/replay/ReplayPlayer.h"

namespace gh::test::replay {
namespace {

const std::string DataDir = std::string(GH_TEST_DIR) + "/data/";

std::string UpdateMode() {
  const char* mode = std::getenv("GH_REPLAY_UPDATE");
  return mode ? mode : "";
}

// ---- the file format ------------------------------------------------------------------

Recording Sample() {
  Recording r;
  r.seed = 99;
  r.config = std::string("\x01\xff\x00 a", 5);
  r.frames = 10;
  Event m{Event::Mouse};
  m.x = 0.1f;
  m.y = 0.987654321f;
  r.input.push_back({0, {m, {Event::Button, 0, 0, 0, 1}}});
  r.input.push_back({3, {{Event::Key, 0, 0, 57, 1}, {Event::Char, 0, 0, 200}}});
  r.input.push_back({9, {{Event::Message, 0, 0, 7, 49, 0}, {Event::Active, 0, 0, 0}}});
  return r;
}

TEST(ReplayFormat, WritesAndReadsBackExactly) {
  for (const auto& config : {std::optional<std::string>(), std::optional<std::string>("")}) {
    Recording r = Sample();
    r.config = config;
    std::string error;
    const auto back = Read(Write(r), error);
    ASSERT_TRUE(back) << error;
    EXPECT_EQ(*back, r);
  }
  Recording r = Sample();
  std::string error;
  const auto back = Read(Write(r), error);
  ASSERT_TRUE(back) << error;
  EXPECT_EQ(*back, r);  // the pointer's floats survive the text exactly
}

TEST(ReplayFormat, RejectsDamagedFilesWithAMessage) {
  const std::string good = Write(Sample());
  auto replace = [&](const std::string& from, const std::string& to) {
    std::string s = good;
    const auto at = s.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return s.replace(at, from.size(), to);
  };
  const struct {
    std::string text;
    std::string message;
  } cases[] = {
      {"", "ends inside its header"},
      {"hello\n", "expected \"gh2replay\""},
      {replace("gh2replay 1", "gh2replay 2"), "format version 2 is not supported"},
      {replace("seed 99", "seed -4"), "seed out of range"},
      {replace("seed 99", "seed 99 7"), "unexpected \"7\""},
      {replace("config 01ff002061", "config 01f"), "not hex pairs"},
      {replace("config 01ff002061", "config zz"), "not hex pairs"},
      {replace("frames 10", "frames 1000000000"), "frames out of range"},
      {replace("3 K 57 1", "3 K 300 1"), "key out of range"},
      {replace("3 K 57 1", "3 Q 57 1"), "unknown event \"Q\""},
      {replace("3 K 57 1", "0 K 57 1"), "does not follow frame 0"},
      {replace("9 W", "12 W"), "past the last frame"},
      {replace("0 M 0.1", "0 M nan"), "bad pointer x"},
      {replace("0 M 0.1", "0 M 7"), "outside 0..1"},
      {replace("0 M 0.1", "0 M"), "bad pointer y"},
      {replace("B 0 1", "B 0"), "missing button state"},
      {replace("C 200", "C 0"), "character out of range"},
      {replace("\nend\n", "\n"), "no \"end\" line"},
      {good + "3 K 1 1\n", "text after \"end\""},
      {replace("3 K 57 1 C 200", "3"), "a frame line without events"},
  };
  for (const auto& c : cases) {
    std::string error;
    EXPECT_FALSE(Read(c.text, error)) << c.text;
    EXPECT_NE(error.find(c.message), std::string::npos)
        << "message \"" << error << "\" lacks \"" << c.message << "\"";
  }
}

TEST(ReplayFormat, ExpectationsRoundTripAndRejectDamage) {
  Expectation x;
  x.frames = 120;
  x.rolling = 0xfedcba9876543210ull;
  x.score = 2330;
  x.level = 6;
  x.lives = 0;
  x.exitCode = 0;
  x.configHash = 42;
  x.table = {{500, "Ace Replay"}, {0, ""}};
  x.samples = {{60, 1}, {120, 0xffffffffffffffffull}};
  std::string error;
  const auto back = ReadExpectation(Write(x), error);
  ASSERT_TRUE(back) << error;
  EXPECT_EQ(*back, x);
  EXPECT_FALSE(ReadExpectation("", error));
  EXPECT_FALSE(ReadExpectation("gh2expect 1\nscore x\nend\n", error));
  EXPECT_NE(error.find("line 2"), std::string::npos) << error;
  EXPECT_FALSE(ReadExpectation("gh2expect 1\nscore 3\n", error));
  EXPECT_FALSE(ReadExpectation("gh2expect 1\ntable 2 4 -\nend\n", error));
}

// ---- recording and playing ------------------------------------------------------------

// A recording plays back to exactly what the recorder saw, and the same
// recording twice in one process gives the same frames.
TEST(ReplayPlayer, PlaysARecordingBackExactlyAndRepeatably) {
  Recording recording;
  Expectation seen;
  std::vector<uint64_t> seenChecksums;
  {
    Recorder recorder(5, std::nullopt);
    Sessions().at(2).script(recorder);  // random input, closed at the end
    recording = recorder.Finish();
    seen = recorder.Seen().Expected();
    seenChecksums = recorder.Seen().Checksums();
  }
  ASSERT_GT(recording.frames, 600u);
  ASSERT_EQ(seen.exitCode, 0);

  std::string error;
  const auto read = Read(Write(recording), error);
  ASSERT_TRUE(read) << error;
  const PlayResult first = Play(*read);
  EXPECT_EQ(Compare(seen, first.seen), "");
  EXPECT_EQ(first.checksums, seenChecksums);
  const PlayResult second = Play(*read);
  EXPECT_EQ(second.checksums, first.checksums);
  EXPECT_EQ(Compare(first.seen, second.seen), "");
}

class KeptReplay : public ::testing::TestWithParam<Session> {};

TEST_P(KeptReplay, EndsAsRecorded) {
  const Session& session = GetParam();
  const std::string replayPath = DataDir + session.name + ".replay";
  const std::string expectPath = DataDir + session.name + ".expect";
  std::string error;
  if (UpdateMode() == "record") {
    Recorder recorder(session.seed, std::nullopt);  // ends before the replay starts
    session.script(recorder);
    const Recording recording = recorder.Finish();
    ASSERT_TRUE(SaveFile(replayPath, Write(recording), error)) << error;
  }
  const auto text = LoadFile(replayPath, error);
  ASSERT_TRUE(text) << error;
  const auto recording = Read(*text, error);
  ASSERT_TRUE(recording) << replayPath << ": " << error;

  const PlayResult result = Play(*recording);
  EXPECT_TRUE(result.errors.empty()) << result.errors.front();
  if (!UpdateMode().empty()) {
    ASSERT_TRUE(SaveFile(expectPath, Write(result.seen), error)) << error;
    std::printf("wrote %s: %u frames, score %d, level %d, lives %d\n", expectPath.c_str(),
                result.seen.frames, result.seen.score, result.seen.level, result.seen.lives);
  }
  const auto expectText = LoadFile(expectPath, error);
  ASSERT_TRUE(expectText) << error;
  const auto expected = ReadExpectation(*expectText, error);
  ASSERT_TRUE(expected) << expectPath << ": " << error;
  EXPECT_EQ(Compare(*expected, result.seen), "") << session.name;
}

INSTANTIATE_TEST_SUITE_P(Data, KeptReplay, ::testing::ValuesIn(Sessions()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace gh::test::replay
