// gravelhorn2-scores: the game's online score table.
#include <signal.h>

#include <chrono>
#include <cstdio>
#include <iostream>

#include "server/HttpServer.h"
#include "server/Moderation.h"
#include "server/ScoreService.h"
#include "server/ServerConfig.h"
#include "server/VerifyPool.h"

using namespace gh::scores;

namespace {

void LogLine(const std::string& line) {
  using namespace std::chrono;
  const int64_t ms = duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
  std::fprintf(stderr, "%s %s\n", LogTime(ms).c_str(), line.c_str());
  std::fflush(stderr);
}

}  // namespace

int main(int argc, char** argv) {
  ServerConfig config;
  try {
    bool help = false;
    config = ParseArguments(std::vector<std::string>(argv + 1, argv + argc), help);
    if (help) {
      std::fputs(UsageText, stdout);
      return 0;
    }
  } catch (const std::invalid_argument& e) {
    std::fprintf(stderr, "gravelhorn2-scores: %s\n%s", e.what(), UsageText);
    return 2;
  }

  // SIGINT and SIGTERM are blocked before any thread starts, so every thread
  // inherits that and the main thread alone takes them, with sigwait.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  signal(SIGPIPE, SIG_IGN);

  std::unique_ptr<Storage> storage;
  try {
    storage = config.postgres.empty()
                  ? OpenSqlite(config.sqlitePath, config.dbWaitMs)
                  : OpenPostgres(config.postgres, config.pgConnections, config.dbWaitMs);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "gravelhorn2-scores: %s\n", e.what());
    return 1;
  }

  if (!config.command.empty()) {
    try {
      return Moderate(config, *storage, std::cout, LogLine);
    } catch (const std::exception& e) {
      std::fprintf(stderr, "gravelhorn2-scores: %s\n", e.what());
      return 1;
    }
  }

  // The service puts the time in front of its own lines.
  ScoreService service(*storage, config.service);
  // Recordings are verified off the request threads; rows left pending by a
  // full queue or an earlier run are picked up from the database.
  VerifyPool verifier(*storage, config.verify,
                      [&service](const std::string& line) { service.Note(line); });
  service.OnRecording([&verifier](int64_t id) { verifier.Enqueue(id); });
  HttpServer server([&service](const HttpRequest& req) { return service.Handle(req); },
                    ServerLimits(config),
                    [&service](const std::string& line) { service.Note(line); });
  int port = 0;
  try {
    port = server.Start(config.bind, config.port);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "gravelhorn2-scores: %s\n", e.what());
    return 1;
  }
  std::printf("gravelhorn2-scores: listening on %s:%d, %s\n", config.bind.c_str(), port,
              config.postgres.empty() ? ("SQLite " + config.sqlitePath).c_str() : "PostgreSQL");
  std::fflush(stdout);

  int sig = 0;
  sigwait(&stopSignals, &sig);
  // Closes every connection, slow ones too, and ends the server's threads.
  server.Stop();
  std::printf("gravelhorn2-scores: stopped\n");
  return 0;
}
