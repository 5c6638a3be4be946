// Load on the score server over the loopback: many concurrent clients each doing
// the game's exchange (version request, then submission with the token and the
// cookie) against SQLite and PostgreSQL in turn. Prints submissions per second
// and latency percentiles, then counts the rows: every accepted submission must
// be there exactly once. Bounded in count and in time.
//
//   bench_score_server [clients] [submissions per run] [rounds] [seconds cap per run]
//                      [server threads]
#include <httplib.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <set>
#include <thread>

#include "BenchStats.h"
#include "TempPostgres.h"
#include "scores/ScoreProtocol.h"
#include "server/HttpServer.h"
#include "server/ScoreService.h"
#include "server/ServerConfig.h"
#include "server/Submission.h"

namespace {

using namespace gh::scores;

std::string LoadAverage() {
  std::ifstream in("/proc/loadavg");
  std::string a, b, c;
  in >> a >> b >> c;
  return a + " " + b + " " + c;
}

// The game's submission, encoded as the game does it (the bench does not link
// the game).
std::string Encode(const std::string& name, int score, const std::string& token,
                   const std::string& country) {
  return gh::protocol::EncodeBlocks(
      gh::protocol::SubmissionText(name, score, gh::protocol::DefaultKey, token, country));
}

// The fifth "|"-separated field of a version reply.
std::string Token(const std::string& reply) {
  size_t start = 0;
  for (int bar = 0; bar < 4 && start != std::string::npos; ++bar) {
    start = reply.find('|', start);
    if (start != std::string::npos) ++start;
  }
  if (start == std::string::npos) return {};
  return reply.substr(start, reply.find('|', start) - start);
}

double Percentile(std::vector<double>& ms, double p) {
  if (ms.empty()) return 0;
  std::sort(ms.begin(), ms.end());
  return ms[std::min(ms.size() - 1, static_cast<size_t>(p * (ms.size() - 1) + 0.5))];
}

struct Figures {
  double perSecond = 0, pairP50 = 0, pairP99 = 0, submitP99 = 0;
  int64_t sent = 0, accepted = 0, failed = 0, rows = 0, distinct = 0;
};

Figures Run(Storage& storage, int clients, int threads, int total, int secondsCap) {
  ServiceOptions options;
  options.versionPerMinute = 0;  // every client shares 127.0.0.1
  options.submitPerMinute = 0;
  options.pageRows = total + 100;
  ScoreService service(storage, options, {}, [](const std::string&) {});
  // The program's own configuration: its defaults and the thread count given.
  ServerConfig config;
  config.threads = threads;
  HttpServer server([&service](const HttpRequest& req) { return service.Handle(req); },
                    ServerLimits(config));
  const int port = server.Start("127.0.0.1", 0);

  const int perClient = total / clients;
  const uint64_t deadline = bench::MonotonicNs() + uint64_t(secondsCap) * 1000000000ull;
  std::atomic<int64_t> accepted{0}, failed{0}, sent{0};
  std::vector<std::vector<double>> pairMs(clients), submitMs(clients);
  std::vector<std::thread> workers;
  const uint64_t start = bench::MonotonicNs();
  for (int c = 0; c < clients; ++c) {
    workers.emplace_back([&, c] {
      for (int i = 0; i < perClient && bench::MonotonicNs() < deadline; ++i) {
        // One connection for the pair, as the game's client does.
        const uint64_t t0 = bench::MonotonicNs();
        httplib::Client client("127.0.0.1", port);
        client.set_keep_alive(true);
        client.set_tcp_nodelay(true);
        client.set_read_timeout(10);
        auto version = client.Get("/cgi/version.pl?version&prg=Gravelhorn2");
        if (!version || version->status != 200) {
          ++failed;
          continue;
        }
        std::string cookie = version->get_header_value("Set-Cookie");
        cookie = cookie.substr(0, cookie.find(';'));
        const std::string name = "c" + std::to_string(c) + "-" + std::to_string(i);
        const std::string inf =
            Encode(name, 1 + (c * 7919 + i) % 100000, Token(version->body), "Loopback");
        const uint64_t t1 = bench::MonotonicNs();
        auto submit =
            client.Get("/cgi/version.pl?hs&prg=Gravelhorn2&inf=" + inf, {{"Cookie", cookie}});
        const uint64_t t2 = bench::MonotonicNs();
        ++sent;
        if (submit && submit->status == 200) {
          ++accepted;
        } else {
          ++failed;
        }
        pairMs[c].push_back((t2 - t0) / 1e6);
        submitMs[c].push_back((t2 - t1) / 1e6);
      }
    });
  }
  for (auto& w : workers) w.join();
  const double seconds = (bench::MonotonicNs() - start) / 1e9;
  server.Stop();

  Figures f;
  std::vector<double> pairs, submits;
  for (int c = 0; c < clients; ++c) {
    pairs.insert(pairs.end(), pairMs[c].begin(), pairMs[c].end());
    submits.insert(submits.end(), submitMs[c].begin(), submitMs[c].end());
  }
  f.sent = sent;
  f.accepted = accepted;
  f.failed = failed;
  f.perSecond = accepted / seconds;
  f.pairP50 = Percentile(pairs, 0.5);
  f.pairP99 = Percentile(pairs, 0.99);
  f.submitP99 = Percentile(submits, 0.99);
  f.rows = storage.CountScores();
  std::set<std::string> names;
  for (const auto& row : storage.TopScores(static_cast<int>(f.rows) + 10)) names.insert(row.name);
  f.distinct = static_cast<int64_t>(names.size());
  return f;
}

void Print(const char* backend, const Figures& f) {
  std::printf("%-10s %8.0f %9.2f %9.2f %11.2f %7lld %8lld %6lld %6lld %8lld  %s\n", backend,
              f.perSecond, f.pairP50, f.pairP99, f.submitP99, (long long)f.sent,
              (long long)f.accepted, (long long)f.failed, (long long)f.rows, (long long)f.distinct,
              f.rows == f.accepted && f.distinct == f.rows ? "ok" : "ROWS LOST OR DUPLICATED");
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  const int clients = argc > 1 ? std::max(1, std::atoi(argv[1])) : 16;
  const int total = argc > 2 ? std::max(clients, std::atoi(argv[2])) : 20000;
  const int rounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 2;
  const int cap = argc > 4 ? std::max(1, std::atoi(argv[4])) : 60;
  const int threads = argc > 5 ? std::max(1, std::atoi(argv[5])) : 8;
  std::printf(
      "score server load: %d clients, %d server threads, %d submissions a run, %d rounds, at most "
      "%d s a run\n",
      clients, threads, total, rounds, cap);
  std::printf("load average before: %s\n", LoadAverage().c_str());

  // PostgreSQL as a server would run it: fsync on.
  gh::test::TempPostgres postgres(/*durable=*/true);
  if (!postgres.Started()) std::printf("PostgreSQL skipped: %s\n", postgres.Why().c_str());
  const auto dir =
      std::filesystem::temp_directory_path() / ("gh_bench_scores_" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);

  std::printf("%-10s %8s %9s %9s %11s %7s %8s %6s %6s %8s\n", "database", "subm/s", "pair p50",
              "pair p99", "submit p99", "sent", "accepted", "failed", "rows", "distinct");
  for (int round = 0; round < rounds; ++round) {
    {
      const auto file = dir / ("round" + std::to_string(round) + ".sqlite");
      auto storage = OpenSqlite(file.string());
      Print("SQLite", Run(*storage, clients, threads, total, cap));
    }
    if (postgres.Started()) {
      const std::string db = postgres.NewDatabase("bench" + std::to_string(round));
      auto storage = OpenPostgres(db, 8);
      Print("PostgreSQL", Run(*storage, clients, threads, total, cap));
    }
  }
  std::filesystem::remove_all(dir);
  std::printf("load average after: %s\n", LoadAverage().c_str());
  return 0;
}
