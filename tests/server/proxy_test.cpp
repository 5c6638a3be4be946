// The score server at scale: two front ends sharing one PostgreSQL database
// behind nginx, which ends TLS with a certificate made here. nginx runs the
// sample site file from packaging/ as it is, but for ports and paths. The game
// sends over https, players keep their own rate budgets, and a front end
// stopped while players send loses nothing.
#include <arpa/inet.h>
#include <curl/curl.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "GameClicks.h"
#include "ServerProcess.h"
#include "TempPostgres.h"
#include "engine/EngineCalls.h"
#include "game/Game.h"
#include "harness/Harness.h"
#include "scores/WebScores.h"
#include "server/Storage.h"
#include "settings/Settings.h"
#include "shell/Shell.h"
#include "ui/WidgetSet.h"
#include "ui/Widgets.h"

extern char** environ;

namespace gh::scores::test {
namespace {

namespace fs = std::filesystem;
using gh::test::Harness;

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

int RunCommand(const std::vector<std::string>& command, const fs::path& log) {
  return gh::test::RunLogged(command, log.string());
}

// An environment variable set for one scope, then put back as it was.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    setenv(name, value.c_str(), 1);
  }
  ~ScopedVariable() {
    if (old_) {
      setenv(name_, old_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

// nginx as a foreground process with its prefix in `dir`. It is handed a
// socket already listening on a free loopback port, so there is no port to
// guess and no start to wait for: connections queue until it accepts.
class Nginx {
 public:
  static constexpr const char* Program = "/usr/sbin/nginx";

  explicit Nginx(fs::path dir) : dir_(std::move(dir)) {
    listener_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof at;
    if (listener_ < 0 || bind(listener_, reinterpret_cast<sockaddr*>(&at), size) != 0 ||
        listen(listener_, 128) != 0 ||
        getsockname(listener_, reinterpret_cast<sockaddr*>(&at), &size) != 0)
      return;
    port_ = ntohs(at.sin_port);
  }
  ~Nginx() {
    Stop();
    if (listener_ >= 0) close(listener_);
  }
  Nginx(const Nginx&) = delete;
  Nginx& operator=(const Nginx&) = delete;

  int Port() const { return port_; }

  // Writes the main configuration around `site`, checks it (nginx -t) and
  // starts nginx; "" or what went wrong.
  std::string Start(const std::string& site) {
    const std::string d = dir_.string();
    std::ofstream(dir_ / "site.conf") << site;
    std::ofstream(dir_ / "nginx.conf")
        << "pid " << d << "/nginx.pid;\n"
        << "error_log " << d << "/error.log notice;\n"
        << "worker_processes 1;\n"
        << "events { worker_connections 256; }\n"
        << "http {\n"
        << "  client_body_temp_path " << d << "/body;\n  proxy_temp_path " << d << "/proxy;\n"
        << "  fastcgi_temp_path " << d << "/fastcgi;\n  uwsgi_temp_path " << d << "/uwsgi;\n"
        << "  scgi_temp_path " << d << "/scgi;\n"
        << "  include " << d << "/site.conf;\n}\n";
    const std::vector<std::string> base = {Program, "-p", d + "/", "-c", d + "/nginx.conf"};
    std::vector<std::string> check = base;
    check.push_back("-t");
    if (RunCommand(check, dir_ / "nginx-t.log") != 0)
      return "nginx -t: " + ReadAll(dir_ / "nginx-t.log");

    std::vector<std::string> argv = base;
    argv.insert(argv.end(), {"-g", "daemon off;"});
    std::vector<char*> args;
    for (auto& a : argv) args.push_back(a.data());
    args.push_back(nullptr);
    // nginx takes over listening sockets named in the variable NGINX.
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) env.emplace_back(*e);
    env.push_back("NGINX=" + std::to_string(listener_) + ";");
    std::vector<char*> envp;
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    const std::string log = (dir_ / "nginx.log").string();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    const int rc = posix_spawn(&pid_, Program, &actions, nullptr, args.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    // Only nginx holds the socket now: should it end, connections are refused
    // instead of waiting.
    close(listener_);
    listener_ = -1;
    if (rc != 0) {
      pid_ = -1;
      return "cannot start nginx";
    }
    return {};
  }

  void Stop() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
  }

  std::string AccessLog() const { return ReadAll(dir_ / "access.log"); }
  std::string ErrorLog() const { return ReadAll(dir_ / "error.log") + ReadAll(dir_ / "nginx.log"); }

 private:
  fs::path dir_;
  int listener_ = -1;
  int port_ = 0;
  pid_t pid_ = -1;
};

// A player's own https client, from an address of its own on the loopback,
// making the game's two requests with the game's encoding.
class Player {
 public:
  struct Sent {
    bool versionOk = false;
    long submitStatus = 0;  // 0: no answer
  };

  Player(std::string base, std::string from, std::string ca)
      : base_(std::move(base)), from_("host!" + std::move(from)), ca_(std::move(ca)) {}

  // HTTP status of one GET (0 when no answer came), its body in `body`.
  long Get(CURL* curl, const std::string& query, std::string& body) {
    const std::string url = base_ + "/cgi/version.pl?" + query;
    body.clear();
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_INTERFACE, from_.c_str());
    curl_easy_setopt(curl, CURLOPT_CAINFO, ca_.c_str());
    curl_easy_setopt(curl, CURLOPT_PROXY, "");
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, 5000L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, 20000L);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
    curl_easy_setopt(
        curl, CURLOPT_WRITEFUNCTION, +[](char* data, size_t size, size_t count, void* user) {
          static_cast<std::string*>(user)->append(data, size * count);
          return size * count;
        });
    if (curl_easy_perform(curl) != CURLE_OK) return 0;
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    return status;
  }

  Sent Send(const std::string& name, int score) {
    Sent sent;
    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), curl_easy_cleanup);
    curl_easy_setopt(curl.get(), CURLOPT_COOKIEFILE, "");
    std::string reply;
    sent.versionOk = Get(curl.get(), "version&prg=Gravelhorn2", reply) == 200;
    if (!sent.versionOk) return sent;
    const std::string text = SubmissionText(name, score, TokenFromReply(reply), "Proxyland");
    std::string ignored;
    sent.submitStatus =
        Get(curl.get(), "hs&prg=Gravelhorn2&inf=" + EncodeSubmission(text), ignored);
    return sent;
  }

  std::string Page() {
    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), curl_easy_cleanup);
    std::string body;
    return Get(curl.get(), "prg=Gravelhorn2&show&type=0", body) == 200 ? body : std::string();
  }

 private:
  std::string base_, from_, ca_;
};

// The sample site file with this test's ports and paths; every text replaced
// must be there exactly once, so an edit of the sample cannot slip by.
std::string SiteFile(const fs::path& dir, int nginxPort, int front1, int front2,
                     std::string& missing) {
  std::string site = ReadAll(fs::path(GH_SOURCE_DIR) / "packaging/nginx-gravelhorn2-scores.conf");
  const std::vector<std::pair<std::string, std::string>> replace = {
      {"listen 443 ssl;", "listen 127.0.0.1:" + std::to_string(nginxPort) + " ssl;"},
      {"server 127.0.0.1:8081 ", "server 127.0.0.1:" + std::to_string(front1) + " "},
      {"server 127.0.0.1:8082 ", "server 127.0.0.1:" + std::to_string(front2) + " "},
      {"/etc/ssl/gravelhorn2-scores/fullchain.pem", (dir / "cert.pem").string()},
      {"/etc/ssl/gravelhorn2-scores/privkey.pem", (dir / "key.pem").string()},
      {"/var/log/nginx/gravelhorn2-scores.log", (dir / "access.log").string()},
  };
  for (const auto& [from, to] : replace) {
    const size_t at = site.find(from);
    if (at == std::string::npos || site.find(from, at + 1) != std::string::npos) {
      missing += "\"" + from + "\" ";
      continue;
    }
    site.replace(at, from.size(), to);
  }
  return site;
}

// The front end ("127.0.0.1:port") that served the last request in the log.
std::string LastUpstream(const std::string& log) {
  const size_t end = log.rfind('\n');
  if (end == std::string::npos) return {};
  const size_t begin = log.rfind('\n', end - 1);
  const size_t from = begin == std::string::npos ? 0 : begin + 1;
  const std::string line = log.substr(from, end - from);
  const size_t at = line.find("upstream=");
  if (at == std::string::npos) return {};
  const size_t stop = line.find_first_of(", ", at);
  return line.substr(at + 9, stop == std::string::npos ? std::string::npos : stop - at - 9);
}

// The game, headless: a game ended with `score`, entered under `name` and sent
// to the server the environment names. False when it asked to try again.
bool SendFromTheGame(const std::string& name, int32_t score) {
  Harness h;
  EXPECT_TRUE(h.StepUntil(
      [&] {
        return h.Shell().Resources().Cursor && h.Shell().CurrentScreen() == Screen::Menu &&
               h.Shell().PreviousScreen() == Screen::FadeIn;
      },
      900));
  h.Step(2);
  for (auto& entry : h.Shell().PlayerSettings().HighScores) entry.Score = 0;
  ClickOn(h, h.Shell().Widgets()->StartGame->Sprite);
  EXPECT_TRUE(h.StepUntil(
      [&] {
        return h.Shell().RunningGame() && h.Shell().RunningGame()->Phase() == GamePhase::Playing;
      },
      400));
  if (!h.Shell().RunningGame()) return false;
  h.Shell().RunningGame()->StateForTests().Score = score;
  h.Tap(gh::Key::Escape);
  EXPECT_TRUE(h.StepUntilPrint("Exit to menu?", 10));
  Answer(h, true);
  EXPECT_TRUE(h.StepUntilPrint("Your Scores is " + std::to_string(score), 400));
  ClickOn(h, h.Shell().Widgets()->NameBox->Sprite);
  h.Type(name);
  h.Step(1);
  Answer(h, true);
  EXPECT_TRUE(h.StepUntilPrint("World's Highscores page?", 10));
  Answer(h, true);
  const bool sent = h.StepUntil([&] { return h.Shell().RunningGame() == nullptr; }, 10) &&
                    !h.HasPrint("Cant conect!!!");
  h.Close();
  return sent;
}

TEST(BehindProxy, TwoFrontEndsOnPostgresServeTheGameOverHttpsAndLoseNothing) {
  if (!fs::exists(Nginx::Program))
    GTEST_SKIP()
        << "nginx is not installed (Debian package nginx-light; tools/deps.sh installs it)";
  curl_global_init(CURL_GLOBAL_DEFAULT);
  gh::test::TempPostgres postgres;
  if (!postgres.Started()) GTEST_SKIP() << "PostgreSQL did not start: " << postgres.Why();
  const std::string conninfo = postgres.NewDatabase("gravelhorn2");
  ASSERT_FALSE(conninfo.empty());

  const fs::path dir = fs::temp_directory_path() / ("gh_proxy_" + std::to_string(getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  // nginx's workers give up root; they pass through this folder to their own.
  chmod(dir.c_str(), 0711);

  // A self-signed certificate for the proxy's address, made now.
  ASSERT_EQ(RunCommand({"openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt",
                        "ec_paramgen_curve:prime256v1", "-nodes", "-days", "2", "-subj",
                        "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1", "-keyout",
                        (dir / "key.pem").string(), "-out", (dir / "cert.pem").string()},
                       dir / "openssl.log"),
            0)
      << ReadAll(dir / "openssl.log");
  const std::string ca = (dir / "cert.pem").string();

  // The front ends' sample configuration, with this test's database and a
  // player's budget of a few submissions a minute.
  const int budget = 3;
  const fs::path sample =
      fs::path(GH_SOURCE_DIR) / "packaging/gravelhorn2-scores-behind-proxy.conf";
  const std::vector<std::string> options = {"--config",      sample.string(),       "--postgres",
                                            conninfo,        "--page-rows",         "200",
                                            "--submit-rate", std::to_string(budget)};
  auto front1 = std::make_unique<ServerProcess>(options, (dir / "front1.log").string());
  auto front2 = std::make_unique<ServerProcess>(options, (dir / "front2.log").string());
  ASSERT_GT(front1->Port(), 0) << front1->Output() << ReadAll(dir / "front1.log");
  ASSERT_GT(front2->Port(), 0) << front2->Output() << ReadAll(dir / "front2.log");

  Nginx nginx(dir);
  ASSERT_GT(nginx.Port(), 0);
  std::string missing;
  const std::string site = SiteFile(dir, nginx.Port(), front1->Port(), front2->Port(), missing);
  ASSERT_EQ(missing, "") << "not once in the sample site file";
  const std::string started = nginx.Start(site);
  ASSERT_EQ(started, "") << nginx.ErrorLog();
  const std::string https = "https://127.0.0.1:" + std::to_string(nginx.Port());

  // The game's own client trusts the certificate only when told to, and still
  // checks that it names the host.
  {
    struct Case {
      const char* what;
      std::string address, ca;
      bool sent;
    };
    const std::string otherName = "https://localhost:" + std::to_string(nginx.Port());
    for (const Case& c : {Case{"the system's authorities only", https, "", false},
                          Case{"the certificate named", https, ca, true},
                          Case{"the certificate, but another host name", otherName, ca, false}}) {
      ScopedVariable trust(ScoreCaVariable, c.ca);
      SetScoreServerAddress(c.address);
      EXPECT_EQ(SubmitScore("Tls Check", 7, "Here"), c.sent) << c.what;
    }
    SetScoreServerAddress("");
  }

  // Forty players send one after another; the front end that served the
  // latest of the first ten is stopped while the others go on.
  constexpr int Players = 40;
  std::vector<Player::Sent> sent(Players);
  std::mutex mutex;
  std::condition_variable progress;
  int done = 0;
  std::thread players([&] {
    for (int i = 0; i < Players; ++i) {
      Player p(https, "127.0.1." + std::to_string(i + 1), ca);
      const Player::Sent s = p.Send("player" + std::to_string(i), 1000 + i);
      std::lock_guard lock(mutex);
      sent[i] = s;
      ++done;
      progress.notify_all();
    }
  });
  std::string stopped;
  {
    std::unique_lock lock(mutex);
    progress.wait_for(lock, std::chrono::minutes(2), [&] { return done >= Players / 4; });
    stopped = LastUpstream(nginx.AccessLog());
  }
  ServerProcess* alive = nullptr;
  if (stopped == "127.0.0.1:" + std::to_string(front1->Port())) {
    EXPECT_EQ(front1->Stop(), 0);
    alive = front2.get();
  } else {
    EXPECT_EQ(stopped, "127.0.0.1:" + std::to_string(front2->Port())) << nginx.AccessLog();
    EXPECT_EQ(front2->Stop(), 0);
    alive = front1.get();
  }
  players.join();
  std::printf("stopped the front end at %s after %d of %d players\n", stopped.c_str(), Players / 4,
              Players);

  // Nothing lost: every player had a token, and every submission is stored
  // (one whose answer was cut by the stop may have been refused on the retry
  // for its used token, but its row is there).
  {
    std::unique_ptr<Storage> storage = OpenPostgres(conninfo, 1);
    std::set<std::string> names;
    for (const auto& row : storage->TopScores(1000)) names.insert(row.name);
    for (int i = 0; i < Players; ++i) {
      EXPECT_TRUE(sent[i].versionOk) << "player " << i << " had no token";
      EXPECT_TRUE(names.count("player" + std::to_string(i)))
          << "player " << i << "'s score is not stored";
    }
  }

  // One front end left: a player who used up their budget is refused, and the
  // game's player, from another address, is not.
  Player greedy(https, "127.0.0.2", ca);
  int refused = 0;
  for (int i = 0; i < budget + 2 && refused == 0; ++i)
    if (greedy.Send("greedy", 500 + i).submitStatus == 429) ++refused;
  EXPECT_EQ(refused, 1) << "no budget per player";
  {
    ScopedVariable server(ScoreServerVariable, https);
    ScopedVariable trust(ScoreCaVariable, ca);
    EXPECT_TRUE(SendFromTheGame("Ada", 4321)) << "the game could not send";
  }
  const std::string page = Player(https, "127.0.0.1", ca).Page();
  const size_t name = page.find("<td class=\"name\">Ada</td>");
  ASSERT_NE(name, std::string::npos) << page;
  const std::string row = page.substr(name, page.find("</tr>", name) - name);
  EXPECT_NE(row.find("<td class=\"score\">4321</td>"), std::string::npos) << row;

  nginx.Stop();
  EXPECT_EQ(alive->Stop(), 0);
  if (!HasFailure()) fs::remove_all(dir);
}

}  // namespace
}  // namespace gh::scores::test
