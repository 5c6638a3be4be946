// The score server's settings: command-line options and, with --config, a file
// of "name = value" lines using the same names.
#pragma once
#include <string>
#include <vector>

#include "server/HttpServer.h"
#include "server/ScoreService.h"
#include "server/VerifyPool.h"

namespace gh::scores {

struct ServerConfig {
  std::string sqlitePath = "scores.sqlite";
  std::string postgres;  // a libpq connection string; when set, SQLite is not used
  int pgConnections = 4;
  std::string bind = "0.0.0.0";
  int port = 8080;
  int threads = 8;
  int dbWaitMs = 2000;  // the longest wait for a lock held by another session
  HttpLimits http;      // its threads are `threads`
  ServiceOptions service;
  VerifyOptions verify;

  // A moderation command instead of serving: "rows", "hide", "unhide" or
  // "delete", the ids after it, and --name / --address / --limit.
  std::string command;
  std::vector<int64_t> ids;
  RowFilter filter;
  int limit = 100;
};

// The HTTP limits the program serves with, from its settings; the benchmark
// measures the same.
HttpLimits ServerLimits(const ServerConfig& config);

// Reads the options (argv[0] excluded). Throws std::invalid_argument with a
// message for the user on anything it cannot take. Sets `help` for --help.
ServerConfig ParseArguments(const std::vector<std::string>& args, bool& help);
// Applies one "name = value" setting; the same names as the options without "--".
void ApplySetting(ServerConfig& config, const std::string& name, const std::string& value);
// Applies a configuration file: "#" at a line's start or after white space
// starts a comment, blank lines are skipped.
void ApplyConfigFile(ServerConfig& config, const std::string& path);

extern const char* const UsageText;

}  // namespace gh::scores
