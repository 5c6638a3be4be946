// The server's options and configuration file.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "server/ServerConfig.h"

namespace gh::scores {
namespace {

ServerConfig Parse(const std::vector<std::string>& args) {
  bool help = false;
  return ParseArguments(args, help);
}

TEST(ServerConfig, OptionsAndTheFileSetTheSameThings) {
  const auto path =
      std::filesystem::temp_directory_path() / ("gh_scores_conf_" + std::to_string(getpid()));
  std::ofstream(path) << "# sample\n\nport = 9000\n key=Q  # the build's letter\n"
                         "postgres = host=/run/postgresql dbname=s\nsubmit-rate = 0\n";
  const ServerConfig c = Parse(
      {"--db", "x.sqlite", "--config", path.string(), "--max-score=5000", "--bind", "127.0.0.1"});
  std::filesystem::remove(path);
  EXPECT_EQ(c.sqlitePath, "x.sqlite");
  EXPECT_EQ(c.port, 9000);
  EXPECT_EQ(c.service.key, 'Q');
  EXPECT_EQ(c.postgres, "host=/run/postgresql dbname=s");
  EXPECT_EQ(c.service.submitPerMinute, 0);
  EXPECT_EQ(c.service.maxScore, 5000);
  EXPECT_EQ(c.bind, "127.0.0.1");
}

// "#" starts a comment at a line's start or after white space only; the new
// options reach the settings.
// The shipped samples are read as they are, recordings' settings included.
TEST(ServerConfig, TheSampleConfigurationsAreTaken) {
  const std::string dir = std::string(GH_SOURCE_DIR) + "/packaging/";
  const ServerConfig c = Parse({"--config", dir + "gravelhorn2-scores.conf"});
  EXPECT_EQ(c.verify.workers, 2);
  EXPECT_EQ(c.verify.program, "/usr/local/lib/gravelhorn2-verify/gravelhorn2-verify");
  EXPECT_EQ(c.verify.dataDir, "/usr/local/lib/gravelhorn2-verify");
  EXPECT_EQ(c.verify.jobSeconds, 30);
  EXPECT_EQ(c.service.maxRecordingBytes, 4u << 20);
  EXPECT_EQ(ServerLimits(c).bodyBytes, 4u << 20);
  EXPECT_FALSE(c.service.verifiedOnly);
  EXPECT_TRUE(Parse({"--verified-only", "yes"}).service.verifiedOnly);
  EXPECT_EQ(Parse({"--config", dir + "gravelhorn2-scores-behind-proxy.conf"}).verify.workers, 2);
}

TEST(ServerConfig, AHashInsideAValueIsTheValuesOwn) {
  const auto path =
      std::filesystem::temp_directory_path() / ("gh_scores_hash_" + std::to_string(getpid()));
  std::ofstream(path) << "#port = 1\ntitle = No#1 of C#\t# a comment\n"
                         "port = 9001 #the port\ntrusted-proxy = 127.0.0.1, ::1\n"
                         "head-seconds = 7\t# slow heads\n";
  const ServerConfig c =
      Parse({"--config", path.string(), "--trusted-proxy", "10.1.2.3", "--max-head-bytes", "4096"});
  std::filesystem::remove(path);
  EXPECT_EQ(c.service.title, "No#1 of C#");
  EXPECT_EQ(c.port, 9001);
  EXPECT_EQ(c.http.headSeconds, 7);
  EXPECT_EQ(ServerLimits(c).headBytes, 4096u);
  for (const char* proxy : {"127.0.0.1", "::1", "10.1.2.3"})
    EXPECT_TRUE(c.service.trustedProxies.Contains(*ParseIp(proxy))) << proxy;
  EXPECT_FALSE(c.service.trustedProxies.Contains(*ParseIp("10.1.2.4")));
}

TEST(ServerConfig, BadValuesAreRefusedWithAMessage) {
  const struct {
    std::vector<std::string> args;
    const char* message;
  } cases[] = {
      {{"--port", "70000"}, "port"},
      {{"--port", "80x"}, "port"},
      {{"--port"}, "needs a value"},
      {{"--key", "g"}, "capital letter"},
      {{"--key", "GG"}, "capital letter"},
      {{"--min-score", "10", "--max-score", "5"}, "min-score is above max-score"},
      {{"--colour", "red"}, "unknown setting"},
      {{"stray"}, "unexpected argument"},
      {{"--config", "/nonexistent/gh.conf"}, "cannot read"},
      {{"--threads", "0"}, "threads"},
      {{"--token-seconds", "-1"}, "token-seconds"},
      {{"--trusted-proxy", "proxy.example"}, "trusted-proxy"},
      {{"hide"}, "by ids, or by --name"},
      {{"delete", "3", "--name", "x"}, "not both"},
      {{"--name", "x"}, "moderation command"},
      {{"rows", "4"}, "unexpected argument"},
      {{"--verified-only", "maybe"}, "yes or no"},
      {{"--verify-workers", "-1"}, "verify-workers"},
      {{"--max-recording-bytes", "10"}, "max-recording-bytes"},
      {{"--verify-program", ""}, "empty path"},
  };
  for (const auto& c : cases) {
    try {
      Parse(c.args);
      ADD_FAILURE() << c.args[0] << ": accepted";
    } catch (const std::invalid_argument& e) {
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos)
          << c.args[0] << ": " << e.what();
    }
  }
}

TEST(ServerConfig, ALineWithoutEqualsNamesItsLine) {
  const auto path =
      std::filesystem::temp_directory_path() / ("gh_scores_bad_" + std::to_string(getpid()));
  std::ofstream(path) << "port = 1\nport 2\n";
  try {
    Parse({"--config", path.string()});
    ADD_FAILURE() << "accepted";
  } catch (const std::invalid_argument& e) {
    EXPECT_NE(std::string(e.what()).find(":2:"), std::string::npos) << e.what();
  }
  std::filesystem::remove(path);
}

}  // namespace
}  // namespace gh::scores
