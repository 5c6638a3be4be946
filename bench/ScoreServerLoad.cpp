// Load on the score server over the loopback: many concurrent clients each doing
// the game's exchange (version request, then submission with the token and the
// cookie) against SQLite and PostgreSQL in turn. Prints submissions per second
// and latency percentiles, then counts the rows: every accepted submission must
// be there exactly once. Bounded in count and in time.
//
//   bench_score_server [clients] [submissions per run] [rounds] [seconds cap per run]
//                      [server threads]
#include <arpa/inet.h>
#include <httplib.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

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

// Hostile clients beside the players: `slow` connections sending their heads a
// byte a second and `idle` ones sending nothing, each from one of many
// loopback addresses (under the per-address cap), reopened when the server
// cuts them so that as many stay open through the run.
class HostileClients {
 public:
  HostileClients(int port, int slow, int idle) : port_(port) {
    for (int n = 0; n < slow + idle; ++n) slots_.push_back({-1, n < slow, 0});
    Refill();
    thread_ = std::thread([this] {
      while (!stop_) {
        std::this_thread::sleep_for(std::chrono::seconds(1));
        Refill();
      }
    });
  }
  ~HostileClients() {
    stop_ = true;
    thread_.join();
    for (auto& s : slots_)
      if (s.fd >= 0) close(s.fd);
  }
  int Open() const {
    int n = 0;
    for (const auto& s : slots_) n += s.fd >= 0 ? 1 : 0;
    return n;
  }

 private:
  struct Slot {
    int fd;
    bool slow;
    size_t sent;
  };
  void Refill() {
    static const std::string head = "GET /cgi/version.pl?version&prg=Gravelhorn2 HTTP/1.1\r\n";
    for (size_t i = 0; i < slots_.size(); ++i) {
      Slot& s = slots_[i];
      if (s.fd >= 0) {
        pollfd p{s.fd, POLLIN, 0};
        char byte;
        if (poll(&p, 1, 0) > 0 && recv(s.fd, &byte, 1, MSG_DONTWAIT) <= 0) {
          close(s.fd);
          s.fd = -1;
        }
      }
      if (s.fd < 0) {
        s.fd = Connect("127.0.1." + std::to_string(1 + i / 30));
        s.sent = 0;
      }
      if (s.fd >= 0 && s.slow && s.sent < head.size() &&
          send(s.fd, head.data() + s.sent, 1, MSG_NOSIGNAL) == 1)
        ++s.sent;
    }
  }
  int Connect(const std::string& source) const {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in from{}, to{};
    from.sin_family = to.sin_family = AF_INET;
    inet_pton(AF_INET, source.c_str(), &from.sin_addr);
    inet_pton(AF_INET, "127.0.0.1", &to.sin_addr);
    to.sin_port = htons(static_cast<uint16_t>(port_));
    if (bind(fd, reinterpret_cast<sockaddr*>(&from), sizeof from) != 0 ||
        connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) {
      close(fd);
      return -1;
    }
    return fd;
  }
  int port_;
  std::vector<Slot> slots_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

Figures Run(Storage& storage, int clients, int threads, int total, int secondsCap, int slow = 0,
            int idle = 0) {
  ServiceOptions options;
  options.versionPerMinute = 0;  // every client shares 127.0.0.1
  options.submitPerMinute = 0;
  options.pageRows = total + 100;
  ScoreService service(storage, options, {}, [](const std::string&) {});
  // The program's own configuration: its defaults and the thread count given.
  ServerConfig config;
  config.threads = threads;
  // Every player here comes from 127.0.0.1: one address's cap would be the
  // bench's limit, not the server's.
  config.http.perAddress = 100000;
  HttpServer server([&service](const HttpRequest& req) { return service.Handle(req); },
                    ServerLimits(config));
  const int port = server.Start("127.0.0.1", 0);
  std::unique_ptr<HostileClients> hostile;
  if (slow + idle > 0) hostile = std::make_unique<HostileClients>(port, slow, idle);

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
  if (hostile) std::printf("hostile connections open at the end: %d\n", hostile->Open());
  hostile.reset();
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
  // Players beside 256 slow and 1,000 idle connections (SQLite).
  {
    rlimit limit{};
    getrlimit(RLIMIT_NOFILE, &limit);
    limit.rlim_cur = std::min<rlim_t>(limit.rlim_max, 8192);
    setrlimit(RLIMIT_NOFILE, &limit);
    const auto file = dir / "hostile.sqlite";
    auto storage = OpenSqlite(file.string());
    std::printf("with 256 slow and 1000 idle connections, load %s:\n", LoadAverage().c_str());
    Print("SQLite", Run(*storage, clients, threads, total / 4, cap, 256, 1000));
  }
  std::filesystem::remove_all(dir);
  std::printf("load average after: %s\n", LoadAverage().c_str());
  return 0;
}
