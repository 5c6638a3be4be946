// Opening a web page on a desktop without a working browser: the platform's
// opener (xdg-open, found on PATH) reports a page it could not open, so that
// the player can be told the address.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "harness/Desktop.h"
#include "platform/SdlPlatform.h"

namespace gh::test {
namespace {

namespace fs = std::filesystem;

struct Opener {
  const char* what;
  const char* script;  // the xdg-open on PATH; none: there is no xdg-open at all
  bool fails;
};

class BrowserOpener : public ::testing::TestWithParam<Opener> {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/gh-opener-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = pattern;
    if (GetParam().script) {
      const fs::path stub = folder_ / "xdg-open";
      // Leaves its argument behind as a sign that it ran, then ends as told.
      std::ofstream(stub) << "#!/bin/sh\nprintf '%s' \"$1\" > \"" << (folder_ / "ran").string()
                          << ".tmp\"\nmv \"" << (folder_ / "ran").string() << ".tmp\" \""
                          << (folder_ / "ran").string() << "\"\n"
                          << GetParam().script << "\n";
      ASSERT_EQ(chmod(stub.c_str(), 0755), 0);
    }
    if (const char* path = getenv("PATH")) oldPath_ = path;
    // /bin for the stub's own tools, after the stub's folder; /bin has no xdg-open
    // on a build machine, and the case without one uses the folder alone.
    const std::string path =
        GetParam().script ? folder_.string() + ":/bin:/usr/bin" : folder_.string();
    setenv("PATH", path.c_str(), 1);
  }
  void TearDown() override {
    if (oldPath_) setenv("PATH", oldPath_->c_str(), 1);
    std::error_code ec;
    fs::remove_all(folder_, ec);
  }

  fs::path folder_;
  std::optional<std::string> oldPath_;
};

TEST_P(BrowserOpener, APageThatCouldNotBeOpenedIsReportedOnce) {
  const std::string page = "http://scores.example.invalid/cgi/version.pl?prg=Gravelhorn2&show";
  SdlPlatform platform;
  platform.ShellOpen(page);
  std::vector<std::string> failed;
  auto collect = [&] {
    for (std::string& f : platform.FailedOpens()) failed.push_back(std::move(f));
    return !failed.empty();
  };
  if (GetParam().script) {
    ASSERT_TRUE(WaitFor([&] { return fs::exists(folder_ / "ran"); }, 30)) << "xdg-open never ran";
    EXPECT_EQ(ReadFile(folder_ / "ran"), page);  // one argument, as given
  }
  // A failure is reported as soon as the opener ends; a success is never.
  EXPECT_EQ(WaitFor(collect, GetParam().fails ? 30 : 1), GetParam().fails);
  if (GetParam().fails) {
    ASSERT_EQ(failed.size(), 1u);
    EXPECT_EQ(failed[0], page);
    EXPECT_TRUE(platform.FailedOpens().empty()) << "reported twice";
  }
}

INSTANTIATE_TEST_SUITE_P(Openers, BrowserOpener,
                         ::testing::Values(Opener{"NoBrowser", "exit 3", true},
                                           Opener{"ActionFailed", "exit 4", true},
                                           Opener{"BrowserStarted", "exit 0", false},
                                           Opener{"NoXdgOpen", nullptr, true}),
                         [](const auto& info) { return std::string(info.param.what); });

}  // namespace
}  // namespace gh::test
