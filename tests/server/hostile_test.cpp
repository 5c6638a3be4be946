// The built server against hostile clients on the loopback: slow heads, idle
// connections, many connections from one address, an oversized head, a stop
// while clients drip. Each waits for the state it needs, bounded.
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "ServerProcess.h"
#include "scores/ScoreProtocol.h"
#include "server/Storage.h"

namespace gh::scores::test {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// A connection from loopback address `source` (127.0.0.0/8 is all loopback),
// so that many clients need not share one address's connection cap.
int Connect(int port, const std::string& source) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) return -1;
  sockaddr_in from{};
  from.sin_family = AF_INET;
  inet_pton(AF_INET, source.c_str(), &from.sin_addr);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(static_cast<uint16_t>(port));
  inet_pton(AF_INET, "127.0.0.1", &to.sin_addr);
  if (bind(fd, reinterpret_cast<sockaddr*>(&from), sizeof from) != 0 ||
      connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

// True once the server has closed `fd` (end of file or reset), waiting at most `ms`.
bool ClosedByServer(int fd, int ms) {
  pollfd p{fd, POLLIN, 0};
  if (poll(&p, 1, ms) <= 0) return false;
  char buffer[4096];
  const ssize_t n = recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
  return n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) || n > 0;
}

struct Reply {
  int status = -1;
  std::string head, body;
};

// Reads one reply from `fd`, at most 10 s (the game's own limit); bytes after
// it stay in `data` for the next one.
Reply ReadReply(int fd, std::string& data) {
  Reply r;
  const auto until = Clock::now() + std::chrono::seconds(10);
  size_t headEnd = std::string::npos, length = 0;
  const auto findHead = [&] {
    if (headEnd == std::string::npos && (headEnd = data.find("\r\n\r\n")) != std::string::npos) {
      const size_t at = data.find("Content-Length: ");
      if (at != std::string::npos && at < headEnd) length = std::stoul(data.substr(at + 16));
    }
  };
  findHead();
  while (Clock::now() < until) {
    if (headEnd != std::string::npos && data.size() >= headEnd + 4 + length) break;
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, 100) <= 0) continue;
    char buffer[8192];
    const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
    if (n <= 0) break;
    data.append(buffer, static_cast<size_t>(n));
    findHead();
  }
  if (headEnd == std::string::npos || data.size() < 12) return r;
  r.status = std::stoi(data.substr(9, 3));
  r.head = data.substr(0, headEnd);
  r.body = data.substr(headEnd + 4, length);
  data.erase(0, std::min(data.size(), headEnd + 4 + length));
  return r;
}

Reply ReadReply(int fd) {
  std::string data;
  return ReadReply(fd, data);
}

bool SendAll(int fd, const std::string& bytes) {
  size_t sent = 0;
  while (sent < bytes.size()) {
    const ssize_t n = send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) return false;
    sent += static_cast<size_t>(n);
  }
  return true;
}

std::string Get(const std::string& query, const std::string& extra = "") {
  return "GET " + std::string(protocol::ScriptPath) + "?" + query +
         " HTTP/1.1\r\nHost: 127.0.0.1\r\n" + extra + "\r\n";
}

// The game's exchange on one kept connection: the version request, then the
// submission with its token and cookie. Both statuses.
std::pair<int, int> GameExchange(int port, const std::string& source, const std::string& name) {
  const int fd = Connect(port, source);
  if (fd < 0) return {-1, -1};
  Reply version;
  if (SendAll(fd, Get(std::string(protocol::VersionQuery)))) version = ReadReply(fd);
  std::string token;
  {
    std::string rest = version.body;
    for (int field = 0; field <= protocol::TokenField; ++field) {
      const size_t bar = rest.find('|');
      if (bar == std::string::npos) break;
      token = rest.substr(0, bar);
      rest.erase(0, bar + 1);
    }
  }
  const size_t at = version.head.find("Set-Cookie: ");
  const std::string cookie =
      at == std::string::npos ? ""
                              : version.head.substr(at + 12, version.head.find(';', at) - at - 12);
  const std::string inf = protocol::EncodeBlocks(
      protocol::SubmissionText(name, 1234, protocol::DefaultKey, token, "Loopback"));
  Reply submit;
  if (SendAll(fd, Get(std::string(protocol::SubmitQuery) + inf, "Cookie: " + cookie + "\r\n")))
    submit = ReadReply(fd);
  close(fd);
  return {version.status, submit.status};
}

// Room for a few thousand sockets in this process and in the server it starts.
void RaiseFileLimit() {
  rlimit limit{};
  getrlimit(RLIMIT_NOFILE, &limit);
  limit.rlim_cur = std::min<rlim_t>(limit.rlim_max, 8192);
  setrlimit(RLIMIT_NOFILE, &limit);
}

class HostileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RaiseFileLimit();
    dir_ = fs::temp_directory_path() / ("gh_hostile_" + std::to_string(getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override {
    for (int fd : fds_) close(fd);
    fs::remove_all(dir_);
  }
  std::unique_ptr<ServerProcess> Start(std::vector<std::string> args) {
    args.insert(args.begin(), {"--db", (dir_ / "scores.sqlite").string()});
    return std::make_unique<ServerProcess>(args, (dir_ / "server.log").string());
  }
  int Open(int port, const std::string& source) {
    const int fd = Connect(port, source);
    if (fd >= 0) fds_.push_back(fd);
    return fd;
  }
  std::string ServerLog() const {
    std::ifstream in(dir_ / "server.log");
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  fs::path dir_;
  std::vector<int> fds_;
};

// 256 clients sending their heads a byte a second and 1,000 that send nothing
// hold no worker: a player's exchange completes while they are all connected,
// and every one of them is cut off by the head's time limit.
TEST_F(HostileTest, SlowAndIdleClientsNeitherBlockPlayersNorStayForever) {
  auto server = Start({"--head-seconds", "3", "--idle-seconds", "60"});
  ASSERT_GT(server->Port(), 0) << server->Output() << ServerLog();
  const int port = server->Port();
  const std::string head = Get(std::string(protocol::VersionQuery));
  struct Hostile {
    int fd;
    bool slow;
    size_t sent = 0;
    bool cut = false;
  };
  std::vector<Hostile> hostile;
  for (int n = 0; n < 1256; ++n) {
    // 30 a source address, under the server's cap per address.
    const std::string source = "127.0.1." + std::to_string(1 + n / 30);
    const int fd = Open(port, source);
    ASSERT_GE(fd, 0) << "connection " << n;
    hostile.push_back({fd, n < 256});
  }
  for (auto& h : hostile)
    if (h.slow) h.sent += send(h.fd, head.data(), 1, MSG_NOSIGNAL) == 1 ? 1 : 0;

  const auto [version, submit] = GameExchange(port, "127.0.0.2", "Player");
  EXPECT_EQ(version, 200);
  EXPECT_EQ(submit, 200);
  int stillOpen = 0;
  for (auto& h : hostile) stillOpen += ClosedByServer(h.fd, 0) ? 0 : 1;
  EXPECT_GT(stillOpen, 0) << "the exchange was not made while the hostile clients were there";

  // Drip a byte a second into every slow head until the server has cut every
  // hostile connection; a head is far longer than the drip can send.
  const auto until = Clock::now() + std::chrono::seconds(40);
  auto nextDrip = Clock::now() + std::chrono::seconds(1);
  int cut = 0;
  while (cut < static_cast<int>(hostile.size()) && Clock::now() < until) {
    std::vector<pollfd> polls;
    for (auto& h : hostile) polls.push_back({h.fd, static_cast<short>(h.cut ? 0 : POLLIN), 0});
    poll(polls.data(), polls.size(), 100);
    for (size_t i = 0; i < hostile.size(); ++i) {
      if (!hostile[i].cut && polls[i].revents != 0 && ClosedByServer(hostile[i].fd, 0)) {
        hostile[i].cut = true;
        ++cut;
      }
    }
    if (Clock::now() >= nextDrip) {
      nextDrip += std::chrono::seconds(1);
      for (auto& h : hostile)
        if (h.slow && !h.cut && h.sent < head.size())
          h.sent += send(h.fd, head.data() + h.sent, 1, MSG_NOSIGNAL) == 1 ? 1 : 0;
    }
  }
  EXPECT_EQ(cut, static_cast<int>(hostile.size())) << "connections the server kept";
  for (const auto& h : hostile)
    if (h.slow) {
      EXPECT_LT(h.sent, head.size()) << "a slow head was completed, not cut";
    }
  EXPECT_EQ(server->Stop(), 0);
}

// One address gets its cap of connections; the ones over it are closed at once.
TEST_F(HostileTest, ConnectionsOverTheCapOfOneAddressAreClosed) {
  // Time limits far off: on a busy machine the four kept must not be cut for
  // idling while the six over the cap are looked at.
  auto server = Start({"--per-address", "4", "--idle-seconds", "60", "--head-seconds", "60"});
  ASSERT_GT(server->Port(), 0) << ServerLog();
  std::vector<int> fds;
  for (int n = 0; n < 10; ++n) fds.push_back(Open(server->Port(), "127.0.0.3"));
  int closed = 0;
  for (size_t n = 4; n < fds.size(); ++n) closed += ClosedByServer(fds[n], 10000) ? 1 : 0;
  EXPECT_EQ(closed, 6);
  for (size_t n = 0; n < 4; ++n) EXPECT_FALSE(ClosedByServer(fds[n], 0)) << n;
  // Another address is served meanwhile.
  EXPECT_EQ(GameExchange(server->Port(), "127.0.0.4", "Other").first, 200);
}

// The program runs with the limits it is given: a head over the cap is
// answered 431, and a 50 MB head leaves the server's memory as it was.
TEST_F(HostileTest, OversizedHeadsAreAnswered431AndCostNoMemory) {
  auto server = Start({"--max-head-bytes", "4096"});
  ASSERT_GT(server->Port(), 0) << ServerLog();
  const struct {
    const char* what;
    size_t headerBytes;
    int status;
  } cases[] = {
      {"a head within the cap", 1000, 200},
      {"a head over the configured cap", 6000, 431},
  };
  for (const auto& c : cases) {
    const int fd = Open(server->Port(), "127.0.0.5");
    ASSERT_TRUE(SendAll(fd, Get(std::string(protocol::PageQuery),
                                "X-Pad: " + std::string(c.headerBytes, 'a') + "\r\n")));
    EXPECT_EQ(ReadReply(fd).status, c.status) << c.what;
  }

  const auto rss = [&] {
    std::ifstream in("/proc/" + std::to_string(server->Pid()) + "/status");
    std::string line;
    while (std::getline(in, line))
      if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    return -1L;
  };
  const long before = rss();
  const int fd = Open(server->Port(), "127.0.0.6");
  std::string start = "GET /cgi/version.pl?prg=Gravelhorn2&show&type=0 HTTP/1.1\r\nX-Big: ";
  send(fd, start.data(), start.size(), MSG_NOSIGNAL);
  const std::string chunk(64 * 1024, 'b');
  size_t sent = 0;
  Reply reply;
  // Sends until the server stops taking bytes; its answer comes before.
  while (sent < 50u * 1024 * 1024) {
    pollfd p{fd, POLLOUT | POLLIN, 0};
    if (poll(&p, 1, 10000) <= 0) break;
    if (p.revents & POLLIN) {
      reply = ReadReply(fd);
      break;
    }
    const ssize_t n = send(fd, chunk.data(), chunk.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n <= 0) break;
    sent += static_cast<size_t>(n);
  }
  EXPECT_EQ(reply.status, 431);
  EXPECT_LT(sent, 50u * 1024 * 1024) << "the server read the whole head";
  const long after = rss();
  EXPECT_LT(after - before, 8 * 1024) << "kB the server grew by";
  EXPECT_EQ(GameExchange(server->Port(), "127.0.0.7", "After").first, 200);
}

// SIGTERM ends the server while slow clients keep dripping.
TEST_F(HostileTest, StopsOnSigtermWhileClientsDrip) {
  auto server = Start({"--head-seconds", "60", "--idle-seconds", "60"});
  ASSERT_GT(server->Port(), 0) << ServerLog();
  std::vector<int> slow;
  for (int n = 0; n < 32; ++n)
    slow.push_back(Open(server->Port(), "127.0.2." + std::to_string(1 + n / 8)));
  for (int fd : slow) send(fd, "G", 1, MSG_NOSIGNAL);
  const pid_t pid = server->Pid();
  kill(pid, SIGTERM);
  int status = 0;
  pid_t done = 0;
  const auto until = Clock::now() + std::chrono::seconds(20);
  while ((done = waitpid(pid, &status, WNOHANG)) == 0 && Clock::now() < until) {
    for (int fd : slow) send(fd, "E", 1, MSG_NOSIGNAL);
    pollfd p{slow[0], POLLIN, 0};
    poll(&p, 1, 200);  // wakes early when the server closes the connection
  }
  if (done == pid) server->Reaped();
  ASSERT_EQ(done, pid) << "still running 20 s after SIGTERM";
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

// Requests sent back to back on one connection each get their reply; a body
// on a GET is never taken for the next request.
TEST_F(HostileTest, PipelinedRequestsAreAnsweredAndBodiesAreNotRequests) {
  auto server = Start({});
  ASSERT_GT(server->Port(), 0) << ServerLog();
  const std::string page = Get(std::string(protocol::PageQuery));
  const std::string version = Get(std::string(protocol::VersionQuery));
  const struct {
    const char* what;
    std::string bytes;
    std::vector<int> statuses;
  } cases[] = {
      {"two pipelined requests", page + version, {200, 200}},
      {"a version request hidden in a GET's body",
       Get(std::string(protocol::PageQuery),
           "Content-Length: " + std::to_string(version.size()) + "\r\n") +
           version,
       {400}},
  };
  for (const auto& c : cases) {
    const int fd = Open(server->Port(), "127.0.0.8");
    ASSERT_TRUE(SendAll(fd, c.bytes));
    std::vector<int> statuses;
    std::string pending;
    while (true) {
      const Reply r = ReadReply(fd, pending);
      if (r.status < 0) break;
      statuses.push_back(r.status);
      if (r.head.find("Connection: close") != std::string::npos) break;
      if (statuses.size() == c.statuses.size()) break;
    }
    EXPECT_EQ(statuses, c.statuses) << c.what;
    EXPECT_TRUE(c.statuses.size() > 1 || ClosedByServer(fd, 10000)) << c.what;
  }
  server->Stop();
  EXPECT_EQ(OpenSqlite((dir_ / "scores.sqlite").string())->CountTokens(), 1)
      << "only the pipelined version request issued a token";
}

// A database file the server cannot write: it says so and does not start.
TEST_F(HostileTest, ADatabaseThatCannotBeWrittenIsRefusedAtStart) {
  const fs::path file = dir_ / "scores.sqlite";
  OpenSqlite(file.string()).reset();
  // The owner's write bit means nothing to root: make the file immutable then.
  int flags = 0;
  const int fd = open(file.c_str(), O_RDONLY);
  ASSERT_GE(fd, 0);
  const bool root = geteuid() == 0;
  if (root) {
    ioctl(fd, FS_IOC_GETFLAGS, &flags);
    const int immutable = flags | FS_IMMUTABLE_FL;
    if (ioctl(fd, FS_IOC_SETFLAGS, &immutable) != 0) {
      close(fd);
      GTEST_SKIP() << "this file system keeps no immutable flag";
    }
  } else {
    fs::permissions(file, fs::perms::owner_read);
  }
  auto server = Start({});
  const int port = server->Port();
  const int code = server->Stop();
  if (root) ioctl(fd, FS_IOC_SETFLAGS, &flags);
  close(fd);
  EXPECT_EQ(port, 0) << server->Output();
  EXPECT_EQ(code, 1);
  EXPECT_NE(ServerLog().find("cannot write"), std::string::npos) << ServerLog();
}

// The program's moderation commands: each one's output, exit code and log line.
TEST_F(HostileTest, ModerationCommandsListHideAndDeleteRowsAndLogIt) {
  {
    auto storage = OpenSqlite((dir_ / "scores.sqlite").string());
    const char* names[] = {"Ann", "Spam", "Spam"};
    for (int n = 0; n < 3; ++n) {
      const std::string token = std::string(31, '0') + std::to_string(n);
      storage->IssueToken(token, "c", 100);
      storage->Submit(token, "c", 1, {names[n], "X", 100 - n, 1, "203.0.113." + std::to_string(n)});
    }
  }
  const auto run = [&](std::vector<std::string> args) {
    args.insert(args.begin(), {std::string(GH_BIN_DIR) + "/gravelhorn2-scores", "--db",
                               (dir_ / "scores.sqlite").string()});
    std::string command;
    for (const auto& a : args) command += "'" + a + "' ";
    command += "2>>'" + (dir_ / "server.log").string() + "'";
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    const int status = pclose(pipe);
    return std::make_pair(WIFEXITED(status) ? WEXITSTATUS(status) : -1, out);
  };
  const struct {
    std::vector<std::string> args;
    int code;
    const char* output;  // in what it prints
    const char* log;     // in its log, "" for nothing
  } cases[] = {
      {{"rows", "--name", "Spam"}, 0, "203.0.113.2", ""},
      {{"hide", "--name", "Spam"}, 0, "", "hid 2 rows (name \"Spam\")"},
      {{"rows", "--address", "203.0.113.1"}, 0, "hidden", ""},
      {{"unhide", "2"}, 0, "", "showed again 1 rows (id 2)"},
      {{"delete", "--address", "203.0.113.2"}, 0, "", "deleted 1 rows (address 203.0.113.2)"},
      {{"delete", "99"}, 1, "", "deleted 0 rows (id 99)"},
      {{"rows"}, 0, "Ann", ""},
  };
  for (const auto& c : cases) {
    const auto [code, out] = run(c.args);
    EXPECT_EQ(code, c.code) << c.args[0] << " " << c.args.back();
    EXPECT_NE(out.find(c.output), std::string::npos) << c.args[0] << ": " << out;
    if (*c.log) {
      EXPECT_NE(ServerLog().find(c.log), std::string::npos) << c.log << "\n" << ServerLog();
    }
  }
  auto storage = OpenSqlite((dir_ / "scores.sqlite").string());
  const auto page = storage->TopScores(10);
  ASSERT_EQ(page.size(), 2u);
  EXPECT_EQ(page[0].name, "Ann");
  EXPECT_EQ(storage->FindRows({0, "Spam", ""}, 10).at(0).address, "203.0.113.1");
}

}  // namespace
}  // namespace gh::scores::test
