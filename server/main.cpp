// gravelhorn2-scores: the game's online score table.
#include <httplib.h>
#include <signal.h>

#include <atomic>
#include <cstdio>
#include <thread>

#include "server/ScoreService.h"
#include "server/ServerConfig.h"

using namespace gh::scores;

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

  // SIGINT and SIGTERM are taken by one thread that stops the server, so the
  // database is closed cleanly; every other thread inherits the blocked set.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  signal(SIGPIPE, SIG_IGN);

  std::unique_ptr<Storage> storage;
  try {
    storage = config.postgres.empty() ? OpenSqlite(config.sqlitePath)
                                      : OpenPostgres(config.postgres, config.pgConnections);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "gravelhorn2-scores: %s\n", e.what());
    return 1;
  }

  ScoreService service(*storage, config.service);
  httplib::Server server;
  const int threads = config.threads;
  server.new_task_queue = [threads] {
    return new httplib::ThreadPool(static_cast<size_t>(threads));
  };
  server.set_payload_max_length(4096);
  server.set_read_timeout(5, 0);
  server.set_write_timeout(5, 0);
  service.Mount(server);

  int port = config.port;
  if (port == 0) {
    port = server.bind_to_any_port(config.bind);
  } else if (!server.bind_to_port(config.bind, port)) {
    port = -1;
  }
  if (port <= 0) {
    std::fprintf(stderr, "gravelhorn2-scores: cannot listen on %s:%d\n", config.bind.c_str(),
                 config.port);
    return 1;
  }
  std::printf("gravelhorn2-scores: listening on %s:%d, %s\n", config.bind.c_str(), port,
              config.postgres.empty() ? ("SQLite " + config.sqlitePath).c_str() : "PostgreSQL");
  std::fflush(stdout);

  std::atomic<bool> ended{false};
  std::thread stopper([&] {
    int sig = 0;
    sigwait(&stopSignals, &sig);
    // A stop before the listening loop runs would be lost: wait for the loop.
    while (!server.is_running() && !ended) std::this_thread::yield();
    server.stop();
  });
  const bool ok = server.listen_after_bind();
  ended = true;
  // Wake the stopper if the server ended on its own.
  pthread_kill(stopper.native_handle(), SIGTERM);
  stopper.join();
  std::printf("gravelhorn2-scores: stopped\n");
  return ok ? 0 : 1;
}
