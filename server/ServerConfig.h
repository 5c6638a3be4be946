// The score server's settings: command-line options and, with --config, a file
// of "name = value" lines using the same names.
#pragma once
#include <string>
#include <vector>

#include "server/ScoreService.h"

namespace gh::scores {

struct ServerConfig {
  std::string sqlitePath = "scores.sqlite";
  std::string postgres;  // a libpq connection string; when set, SQLite is not used
  int pgConnections = 4;
  std::string bind = "0.0.0.0";
  int port = 8080;
  int threads = 8;
  ServiceOptions service;
};

// Reads the options (argv[0] excluded). Throws std::invalid_argument with a
// message for the user on anything it cannot take. Sets `help` for --help.
ServerConfig ParseArguments(const std::vector<std::string>& args, bool& help);
// Applies one "name = value" setting; the same names as the options without "--".
void ApplySetting(ServerConfig& config, const std::string& name, const std::string& value);
// Applies a configuration file: "#" starts a comment, blank lines are skipped.
void ApplyConfigFile(ServerConfig& config, const std::string& path);

extern const char* const UsageText;

}  // namespace gh::scores
