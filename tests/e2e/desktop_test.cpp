// The desktop the end-to-end tests run the game on: without a window manager
// nothing honours a full-screen request, so a manager that does not come up, or
// goes away, must be reported at once and not as a time-out much later.
#include "harness/Desktop.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>

#include <filesystem>
#include <optional>
#include <string>

namespace {

namespace fs = std::filesystem;
using gh::test::Desktop;

class DesktopHelper : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* tool : {"Xvfb", "evilwm", "xprop"})
      if (!gh::test::HaveTool(tool)) GTEST_SKIP() << tool << " is not installed";
    char pattern[] = "/tmp/gh-desktop-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = pattern;
  }
  void TearDown() override {
    std::error_code ec;
    if (!folder_.empty()) fs::remove_all(folder_, ec);
  }
  fs::path folder_;
};

TEST_F(DesktopHelper, TheWindowManagerTakesTheDisplay) {
  Desktop desktop(folder_);
  EXPECT_TRUE(desktop.Ready()) << desktop.Problem();
  EXPECT_TRUE(desktop.Problem().empty());
}

TEST_F(DesktopHelper, AWindowManagerThatCannotStartIsReportedInItsOwnWords) {
  // As evilwm ends on a machine without the font it asks for.
  Desktop desktop(folder_, {"sh", "-c", "echo \"couldn't find a font to use\" >&2; exit 1"});
  EXPECT_FALSE(desktop.Ready());
  EXPECT_NE(desktop.Problem().find("exited with code 1"), std::string::npos) << desktop.Problem();
  EXPECT_NE(desktop.Problem().find("couldn't find a font to use"), std::string::npos)
      << desktop.Problem();
}

// EXPECT_NONFATAL_FAILURE's statement sees no local variables.
std::optional<Desktop>* dying = nullptr;

TEST_F(DesktopHelper, AWindowManagerThatDiesFailsTheTestAndEndsItsWait) {
  std::optional<Desktop> desktop;
  desktop.emplace(folder_);
  ASSERT_TRUE(desktop->Ready()) << desktop->Problem();
  desktop->SignalWindowManager(SIGKILL);
  dying = &desktop;
  // A wait for a window that never comes ends as soon as the loss is seen.
  EXPECT_NONFATAL_FAILURE(
      EXPECT_FALSE(gh::test::WaitFor([] { return !(*dying)->GameWindow().empty(); }, 600)),
      "the window manager evilwm was ended by a signal");
  dying = nullptr;
  EXPECT_TRUE(gh::test::DesktopBroken());
  EXPECT_FALSE(desktop->Ready());
}

}  // namespace
