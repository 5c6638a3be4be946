// The program's spine on the headless engine: start-up, the frame loop, engine
// restarts, fatal errors and the end of the program.
#include <gtest/gtest.h>

#include <fstream>

#include "harness/Harness.h"
#include "settings/Settings.h"
#include "shell/Program.h"
#include "shell/Shell.h"

namespace gh::test {
namespace {

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST(StartUp, OpensTheTitledWindowAndDrawsTheLoadingPictureFirst) {
  Harness h;
  h.Step(2);
  EXPECT_EQ(h.Platform().title, "Gravelhorn 2");
  EXPECT_EQ(Engine().ihOpenCount() > 0, true);
  // The loading picture was presented at once, before the first frame was drawn.
  const int32_t rendered = Engine().ihLastRendered();
  ASSERT_NE(rendered, 0);
  EXPECT_EQ(rendered, h.Shell().Resources().Loading.get());
  EXPECT_TRUE(h.Platform().errors.empty());
}

TEST(StartUp, WithoutADisplayEndsWithAMessageAndExitCodeOne) {
  HarnessOptions options;
  options.displayAvailable = false;
  Harness h(options);
  h.Step(5);
  ASSERT_TRUE(h.Exited());
  EXPECT_EQ(h.ExitCode(), 1);
  ASSERT_EQ(h.Platform().errors.size(), 1u);
  EXPECT_TRUE(Contains(h.Platform().errors[0], "display"));
}

TEST(StartUp, AnEngineThatCannotOpenEndsTheProgramInsteadOfRetrying) {
  HarnessOptions options;
  options.engineOpenFails = true;
  Harness h(options);
  h.Step(20);
  ASSERT_TRUE(h.Exited());
  EXPECT_EQ(h.ExitCode(), 1);
  EXPECT_EQ(h.Platform().errors.size(), 1u);
}

TEST(StartUp, AMissingEngineLibraryIsNamedAndEndsTheProgram) {
  HeadlessPlatform platform({Engine().ihMillis, Engine().ihIdleTick});
  const int code = ProgramMain(platform, "/nonexistent/folder/system.so");
  EXPECT_EQ(code, 1);
  ASSERT_EQ(platform.errors.size(), 1u);
  EXPECT_TRUE(Contains(platform.errors[0], "/nonexistent/folder/system.so"));
  EXPECT_FALSE(platform.windowOpen);
}

TEST(StartUp, AnEngineLibraryWithoutACallNamesTheMissingFunction) {
  HeadlessPlatform platform({Engine().ihMillis, Engine().ihIdleTick});
  const int code = ProgramMain(platform, GH_PARTIAL_ENGINE);
  EXPECT_EQ(code, 1);
  ASSERT_EQ(platform.errors.size(), 1u);
  // The stand-in library has the first life-cycle call only.
  EXPECT_TRUE(Contains(platform.errors[0], "i3ImpactClose")) << platform.errors[0];
}

TEST(FrameLoop, TheSameInputGivesTheSameFramesTwice) {
  auto run = [] {
    std::vector<uint64_t> sums;
    Harness h;
    for (int i = 0; i < 400; ++i) {
      if (i == 300) h.MouseAt(0.0f, 4.5f);
      if (i == 320) h.KeyDown(Key::Down);
      if (i == 321) h.KeyUp(Key::Down);
      h.Step(1);
      sums.push_back(Engine().ihSceneChecksum());
    }
    return sums;
  };
  const auto first = run();
  const auto second = run();
  EXPECT_EQ(first, second);
}

// A fatal engine error is told once, then the program ends with exit code 1:
// a stopped engine could show nothing more, and a frozen window is no answer.
TEST(FrameLoop, ARunPhaseErrorIsReportedOnceAndTheProgramEndsWithExitCode1) {
  Harness h;
  ASSERT_TRUE(h.StepUntilPrint("Start Game", 900));
  Engine().ihErrorRaise();
  h.Step(3);
  ASSERT_EQ(h.Platform().errors.size(), 1u);
  EXPECT_TRUE(Contains(h.Platform().errors[0], "Problem with running game dll run procedure"))
      << h.Platform().errors[0];
  EXPECT_TRUE(h.Exited());
  EXPECT_EQ(h.ExitCode(), 1);
}

TEST(FrameLoop, ADisplayChangeRestartsTheEngineAndReturnsToTheSameScreen) {
  Harness h;
  ASSERT_TRUE(h.StepUntilPrint("Start Game", 900));
  h.Step(2);
  h.Shell().SwitchScreen(Screen::Options);
  h.Step(2);
  const int opens = Engine().ihOpenCount();
  const int32_t oldCursor = h.Shell().Resources().Cursor.get();
  ASSERT_EQ(Engine().ihFullscreen(), 0);

  // The maximise command: full screen through a restart.
  h.Post(iMsgMaximize);
  h.Step(3);
  EXPECT_EQ(Engine().ihOpenCount(), opens + 1);
  EXPECT_EQ(h.Shell().PlayerSettings().Windowed, 0);
  EXPECT_NE(Engine().ihFullscreen(), 0);
  EXPECT_EQ(h.Shell().CurrentScreen(), Screen::Options);
  EXPECT_NE(h.Shell().Resources().Cursor.get(), oldCursor);  // every engine object made anew
  EXPECT_TRUE(h.HasPrint("OPTIONS"));

  // A double click on the frame but not the caption restarts without a change.
  h.Post(iMsgCaptionDblClk, 5);
  h.Step(3);
  EXPECT_EQ(Engine().ihOpenCount(), opens + 2);
  EXPECT_EQ(h.Shell().PlayerSettings().Windowed, 0);
  EXPECT_EQ(h.Shell().CurrentScreen(), Screen::Options);
}

TEST(FrameLoop, TheBossKeyInFullScreenStopsTheEngineAndRestoreComesBack) {
  HarnessOptions options;
  // Full screen, boss key F12, the default table.
  std::string config("\x00\x01\x01\x58\x00", 5);
  for (int i = 0; i < 10; ++i) {
    config += std::string(1, '\x00');
    const int32_t score = (10 - i) * 500;
    config.append(reinterpret_cast<const char*>(&score), 4);
  }
  options.config = config;
  Harness h(options);
  ASSERT_TRUE(h.StepUntilPrint("Start Game", 900));
  h.Step(2);
  h.Shell().SwitchScreen(Screen::HighScores);
  h.Step(2);
  h.KeyDown(Key::F12);
  h.Step(2);
  h.KeyUp(Key::F12);
  h.Step(2);
  EXPECT_GE(h.Platform().minimised, 1);
  EXPECT_EQ(Engine().ihOpenCount() > 0, true);
  const int opens = Engine().ihOpenCount();
  h.Post(iMsgRestore);
  h.Step(3);
  EXPECT_EQ(Engine().ihOpenCount(), opens + 1);
  EXPECT_EQ(h.Shell().CurrentScreen(), Screen::HighScores);
}

TEST(EndOfProgram, PlayLinkIsOpenedOnlyWhenTheFileExists) {
  {
    Harness h;
    h.Step(5);
    h.Close();
    ASSERT_TRUE(h.Exited());
    EXPECT_TRUE(h.Platform().opened.empty());
  }
  {
    Harness h;
    std::ofstream(h.Folder() / "play.url")
        << "[InternetShortcut]\r\nURL=https://example.org/play\r\n";
    h.Step(5);
    h.Close();
    ASSERT_TRUE(h.Exited());
    ASSERT_EQ(h.Platform().opened.size(), 1u);
    EXPECT_EQ(h.Platform().opened[0], "https://example.org/play");
  }
}

}  // namespace
}  // namespace gh::test
