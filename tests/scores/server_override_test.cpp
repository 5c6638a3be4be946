// Pointing the game at another score server at run time: the environment
// variable, then the file beside the program, then the build's address.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "harness/Environment.h"
#include "scores/WebScores.h"

namespace gh {
namespace {

TEST(ServerOverride, OnlyHttpAddressesAreTaken) {
  const struct {
    const char* text;
    const char* address;  // nullptr: refused
  } cases[] = {
      {"http://127.0.0.1:8080", "http://127.0.0.1:8080"},
      {"  http://lan-party.local:8080/ \n", "http://lan-party.local:8080"},
      {"https://scores.example.org//", "https://scores.example.org"},
      {"", nullptr},
      {"127.0.0.1:8080", nullptr},
      {"http://", nullptr},
      {"ftp://host", nullptr},
      {"http://host name", nullptr},
      {"http://host/?x=1", nullptr},
      {"http://h\x01st", nullptr},
  };
  for (const auto& c : cases) {
    const auto got = CheckedServerAddress(c.text);
    if (c.address) {
      ASSERT_TRUE(got) << c.text;
      EXPECT_EQ(*got, c.address) << c.text;
    } else {
      EXPECT_FALSE(got) << c.text << " gave " << *got;
    }
  }
}

class ServerOverrideChoice : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = std::filesystem::current_path();
    dir_ = std::filesystem::temp_directory_path() /
           ("gh_override_" + std::to_string(std::random_device()()));
    std::filesystem::create_directories(dir_);
    std::filesystem::current_path(dir_);
    test::UnsetVariable(ScoreServerVariable);
    SetScoreServerAddress("");
  }
  void TearDown() override {
    test::UnsetVariable(ScoreServerVariable);
    SetScoreServerAddress("");
    std::filesystem::current_path(previous_);
    std::filesystem::remove_all(dir_);
  }
  std::filesystem::path previous_, dir_;
};

TEST_F(ServerOverrideChoice, VariableThenFileThenBuild) {
  EXPECT_EQ(ScoreServerAddress(), GH_SCORE_SERVER);
  std::ofstream(dir_ / ScoreServerFile) << "http://127.0.0.1:9001/\nignored second line\n";
  EXPECT_EQ(ScoreServerAddress(), "http://127.0.0.1:9001");
  EXPECT_EQ(ScorePageAddress(), "http://127.0.0.1:9001/cgi/version.pl?prg=Gravelhorn2&show&type=0");
  test::SetVariable(ScoreServerVariable, "http://127.0.0.1:9002");
  EXPECT_EQ(ScoreServerAddress(), "http://127.0.0.1:9002");
  // A broken variable falls back to the build's address, not to the file.
  test::SetVariable(ScoreServerVariable, "not an address");
  EXPECT_EQ(ScoreServerAddress(), GH_SCORE_SERVER);
  test::UnsetVariable(ScoreServerVariable);
  std::ofstream(dir_ / ScoreServerFile) << "garbage\n";
  EXPECT_EQ(ScoreServerAddress(), GH_SCORE_SERVER);
  // A test's own address wins over both.
  std::ofstream(dir_ / ScoreServerFile) << "http://127.0.0.1:9001\n";
  SetScoreServerAddress("http://127.0.0.1:9003");
  EXPECT_EQ(ScoreServerAddress(), "http://127.0.0.1:9003");
}

}  // namespace
}  // namespace gh
