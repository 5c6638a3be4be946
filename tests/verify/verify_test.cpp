// gravelhorn2-verify as the score server runs it: the scripted player's game
// written and played again to the same end, damaged and forged copies refused
// with a reason, and the line protocol of its serving mode. In the process as
// well: the outcome does not depend on the engine frames run beside the game,
// and a verification leaves no engine object behind.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "game/Recording.h"
#include "platform/System.h"
#include "verify/Bot.h"
#include "verify/HeadlessEngine.h"
#include "verify/Verifier.h"

namespace {

namespace fs = std::filesystem;

struct Finished {
  int exitCode = -1;
  std::string out;  // standard output
};

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteAll(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
    lines.push_back(text.substr(start, end - start));
  if (start < text.size()) lines.push_back(text.substr(start) + "<no line end>");
  return lines;
}

class Verify : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new fs::path(fs::temp_directory_path() / ("gh-verify-" + std::to_string(::getpid())));
    fs::create_directories(*dir_);
    // One game of the scripted player for every test: made by the program.
    const Finished made = Start({"--bot", "41", (*dir_ / "bot.rec").string()});
    botLine_ = new std::string(made.out);
    botExit_ = made.exitCode;
  }
  static void TearDownTestSuite() {
    std::error_code ec;
    fs::remove_all(*dir_, ec);
    delete dir_;
    delete botLine_;
  }

  // The program with `args` after --data, standard input from `input`.
  static Finished Start(const std::vector<std::string>& args, const std::string& input = {}) {
    static int n = 0;
    const fs::path in = *dir_ / ("in" + std::to_string(n));
    const fs::path out = *dir_ / ("out" + std::to_string(n++));
    WriteAll(in, input);
    std::vector<std::string> argv = {std::string(GH_BIN_DIR) + "/gravelhorn2-verify", "--data",
                                     GH_BIN_DIR};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> raw;
    for (auto& a : argv) raw.push_back(a.data());
    raw.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = -1;
    Finished run;
    if (posix_spawn(&pid, raw[0], &actions, nullptr, raw.data(), environ) == 0) {
      int status = 0;
      // The program ends by itself: a recording is played no longer than its frames.
      waitpid(pid, &status, 0);
      run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    run.out = ReadAll(out);
    return run;
  }

  static std::string Bot() { return ReadAll(*dir_ / "bot.rec"); }
  static fs::path Write(const std::string& name, const std::string& bytes) {
    WriteAll(*dir_ / name, bytes);
    return *dir_ / name;
  }

  static fs::path* dir_;
  static std::string* botLine_;
  static int botExit_;
};

fs::path* Verify::dir_ = nullptr;
std::string* Verify::botLine_ = nullptr;
int Verify::botExit_ = -1;

// The scripted player's game ends verified, and its file, played again by a
// program of its own, ends the same: the same line, the score it claims.
TEST_F(Verify, TheBotsGamePlaysAgainToItsScore) {
  ASSERT_EQ(botExit_, 0) << *botLine_;
  const std::vector<std::string> made = Lines(*botLine_);
  ASSERT_EQ(made.size(), 1u) << *botLine_;
  ASSERT_EQ(made[0].rfind("verified ", 0), 0u) << made[0];

  const gh::Result<gh::GameRecording> recording = gh::DecodeRecording(Bot());
  ASSERT_TRUE(recording) << recording.error().message;
  EXPECT_GT(recording->Score, 0);
  EXPECT_EQ(made[0], "verified " + std::to_string(recording->Score) + " " +
                         std::to_string(recording->Level) + " " +
                         std::to_string(recording->Frames.size()));

  const Finished again = Start({(*dir_ / "bot.rec").string()});
  EXPECT_EQ(again.exitCode, 0);
  EXPECT_EQ(again.out, made[0] + "\n");
}

// The player's game is a varied one: it aims and fires, reloads, changes
// weapons by key and by wheel, pauses, loses the focus once, declines the exit
// question once, and ends by losing its lives (no "Yes" to leave).
TEST_F(Verify, TheBotPlaysAVariedGame) {
  const gh::Result<gh::GameRecording> recording = gh::DecodeRecording(Bot());
  ASSERT_TRUE(recording) << recording.error().message;
  std::map<std::pair<gh::GameEventKind, int>, int> events;
  int fire = 0, reload = 0, pause = 0;
  std::set<std::pair<int, int>> places;
  for (const gh::RecordedFrame& f : recording->Frames) {
    for (const gh::GameEvent& e : f.EventsBefore) {
      const bool valued = e.Kind == gh::GameEventKind::Answer;
      ++events[{e.Kind, valued ? e.Value : 0}];
    }
    fire += f.Input.Fire;
    reload += f.Input.Reload;
    pause += f.Input.Pause;
    places.insert({f.Input.PointerX, f.Input.PointerY});
  }
  using K = gh::GameEventKind;
  EXPECT_EQ((events[{K::Answer, 0}]), 1);
  EXPECT_EQ((events[{K::Answer, 1}]), 0);
  EXPECT_EQ((events[{K::FocusLost, 0}]), 1);
  EXPECT_EQ((events[{K::Escape, 0}]), 2);  // the question declined, the end of the pause
  EXPECT_GT((events[{K::ChooseWeapon, 0}] + events[{K::StepWeapon, 0}]), 2);
  EXPECT_EQ(pause, 2);  // the pause, the end of the lost focus's pause
  EXPECT_GT(fire, static_cast<int>(recording->Frames.size()) / 4);
  EXPECT_GT(reload, 0);
  EXPECT_GT(places.size(), 100u);
  EXPECT_GT(recording->Level, 0);
}

// The same seed plays the same game; another seed another one.
TEST_F(Verify, TheBotFollowsItsSeed) {
  const Finished same = Start({"--bot", "41", (*dir_ / "same.rec").string()});
  EXPECT_EQ(same.out, *botLine_);
  EXPECT_EQ(ReadAll(*dir_ / "same.rec"), Bot());
  const Finished other = Start({"--bot", "42", (*dir_ / "other.rec").string()});
  EXPECT_EQ(other.exitCode, 0) << other.out;
  EXPECT_NE(ReadAll(*dir_ / "other.rec"), Bot());
}

// Every damaged or forged copy is refused with a reason: exit code 1, one line.
TEST_F(Verify, DamagedAndForgedCopiesAreRefused) {
  const std::string bytes = Bot();
  const gh::Result<gh::GameRecording> decoded = gh::DecodeRecording(bytes);
  ASSERT_TRUE(decoded) << decoded.error().message;
  const gh::GameRecording& good = *decoded;
  auto changed = [&](auto change) {
    gh::GameRecording copy = good;
    change(copy);
    return gh::EncodeRecording(copy);
  };
  std::string flipped = bytes;
  flipped[flipped.size() / 2] = static_cast<char>(flipped[flipped.size() / 2] ^ 0x20);
  const struct {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"empty", ""},
      {"cut in half", bytes.substr(0, bytes.size() / 2)},
      {"last byte missing", bytes.substr(0, bytes.size() - 1)},
      {"a byte flipped", flipped},
      {"garbage after the end", bytes + std::string(64, 'x')},
      {"a higher score claimed", changed([](gh::GameRecording& r) { r.Score += 10; })},
      {"another level claimed", changed([](gh::GameRecording& r) { r.Level += 1; })},
      {"the last frames missing",
       changed([](gh::GameRecording& r) { r.Frames.resize(r.Frames.size() - 120); })},
      {"frames after the game's end",
       changed([](gh::GameRecording& r) { r.Frames.resize(r.Frames.size() + 120); })},
      {"another seed", changed([](gh::GameRecording& r) { r.Seed += 1; })},
      {"the pointer mirrored", changed([](gh::GameRecording& r) {
         for (auto& f : r.Frames) f.Input.PointerX = static_cast<uint16_t>(4095 - f.Input.PointerX);
       })},
      {"other data", changed([](gh::GameRecording& r) { r.DataVersion += 1; })},
      {"another simulation",
       changed([](gh::GameRecording& r) { r.Simulation = gh::SimulationVersion + 1; })},
  };
  for (const auto& c : cases) {
    const Finished run = Start({Write("case.rec", c.bytes).string()});
    EXPECT_EQ(run.exitCode, 1) << c.name << ": " << run.out;
    const std::vector<std::string> lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 1u) << c.name << ": " << run.out;
    EXPECT_EQ(lines[0].rfind("refused ", 0), 0u) << c.name << ": " << lines[0];
    EXPECT_GT(lines[0].size(), std::string("refused ").size() + 5) << c.name;
  }
}

std::string Job(const std::string& bytes, uint32_t length) {
  std::string job;
  for (int i = 0; i < 4; ++i) job.push_back(static_cast<char>(length >> (8 * i) & 0xFF));
  return job + bytes;
}
std::string Job(const std::string& bytes) {
  return Job(bytes, static_cast<uint32_t>(bytes.size()));
}

// Serving: one flushed line a job, in order; a job over the size limit is
// read past and refused, the jobs after it answered; the end of the input
// ends the program (0), a job cut short ends it with 2 after its line.
TEST_F(Verify, ServesOneLineAJobInOrder) {
  const std::string bytes = Bot();
  const std::string verified = Lines(*botLine_).at(0);
  const size_t over = gh::RecordingLimits{}.MaxBytes + 1;
  const std::string input =
      Job(bytes) + Job(bytes.substr(0, 20)) + Job(std::string(over, 'x')) + Job("") + Job(bytes);
  const Finished run = Start({"--serve"}, input);
  EXPECT_EQ(run.exitCode, 0);
  const std::vector<std::string> lines = Lines(run.out);
  ASSERT_EQ(lines.size(), 5u) << run.out;
  EXPECT_EQ(lines[0], verified);
  for (int i : {1, 2, 3}) EXPECT_EQ(lines[i].rfind("refused ", 0), 0u) << lines[i];
  EXPECT_NE(lines[2].find("larger"), std::string::npos) << lines[2];
  EXPECT_EQ(lines[4], verified);

  const Finished cut = Start({"--serve"}, Job(bytes) + Job(bytes.substr(0, 100), 5000));
  EXPECT_EQ(cut.exitCode, 2);
  const std::vector<std::string> cutLines = Lines(cut.out);
  ASSERT_EQ(cutLines.size(), 2u) << cut.out;
  EXPECT_EQ(cutLines[0], verified);
  EXPECT_EQ(cutLines[1].rfind("refused ", 0), 0u) << cutLines[1];

  const Finished none = Start({"--serve"});
  EXPECT_EQ(none.exitCode, 0);
  EXPECT_EQ(none.out, "");
}

TEST_F(Verify, UsageAndDataErrorsExitWithTwo) {
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"--serve", "extra"},
      {"--bot", "x", "out.rec"},
      {"--bot", "1"},
      {"--bot", "1", "out.rec", "--minutes", "0"},
      {(*dir_ / "no such file.rec").string()},
  };
  for (const auto& args : cases) {
    const Finished run = Start(args);
    EXPECT_EQ(run.exitCode, 2) << (args.empty() ? "" : args[0]);
    EXPECT_EQ(run.out, "") << (args.empty() ? "" : args[0]);
  }
  // A folder without Data/.
  std::vector<std::string> argv = {std::string(GH_BIN_DIR) + "/gravelhorn2-verify", "--data",
                                   dir_->string(), "--serve"};
  std::vector<char*> raw;
  for (auto& a : argv) raw.push_back(a.data());
  raw.push_back(nullptr);
  pid_t pid = -1;
  ASSERT_EQ(posix_spawn(&pid, raw[0], nullptr, nullptr, raw.data(), environ), 0);
  int status = 0;
  waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2);
}

// In this process: the engine's frames, drawn or not, change nothing of the
// game played again, and a verification frees every engine object it made.
TEST_F(Verify, TheOutcomeNeedsNoDrawnFramesAndLeavesNothingBehind) {
  const fs::path before = fs::current_path();
  ASSERT_TRUE(gh::EnterFolder(GH_BIN_DIR));
  const std::string bytes = Bot();
  std::string lines[2];
  for (int frames : {0, 1}) {
    gh::Verifier::Options options;
    options.EngineFramesPerGameFrame = frames;
    gh::Result<std::unique_ptr<gh::Verifier>> verifier =
        gh::Verifier::Open(gh::LibraryPath(GH_BIN_DIR, "system"), options);
    ASSERT_TRUE(verifier) << verifier.error().message;
    const int32_t objects = (*verifier)->Engine().ObjectCount();
    const gh::Result<gh::VerifyOutcome> outcome = (*verifier)->Verify(bytes);
    ASSERT_TRUE(outcome) << outcome.error().message;
    lines[frames] = gh::OutcomeLine(*outcome);
    EXPECT_EQ((*verifier)->Engine().ObjectCount(), objects) << "engine frames: " << frames;
  }
  EXPECT_EQ(lines[0], lines[1]);
  EXPECT_EQ(lines[0], Lines(*botLine_).at(0));
  fs::current_path(before);
}

}  // namespace
