// A throw-away PostgreSQL server in a temporary folder, from Debian's
// postgresql package: initdb, pg_ctl start, and on destruction pg_ctl stop and
// the folder removed. It listens only on a Unix socket inside its folder. The
// server refuses to run as root, so as root the binaries run as "nobody".
#pragma once
#include <fcntl.h>
#include <pwd.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

extern char** environ;

namespace gh::test {

// Runs a command to its end, its output appended to `log`; the exit code, -1
// when it could not start or ended by a signal.
inline int RunLogged(std::vector<std::string> argv, const std::string& log) {
  std::vector<char*> args;
  for (auto& a : argv) args.push_back(a.data());
  args.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  pid_t pid = -1;
  const int rc = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return -1;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class TempPostgres {
 public:
  // `durable` keeps fsync on (for figures); tests leave it off.
  explicit TempPostgres(bool durable = false) {
    namespace fs = std::filesystem;
    std::vector<fs::path> found;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator("/usr/lib/postgresql", ec))
      if (fs::exists(e.path() / "bin/initdb")) found.push_back(e.path() / "bin");
    if (found.empty()) {
      why_ = "PostgreSQL's initdb is not installed (Debian package postgresql)";
      return;
    }
    std::sort(found.begin(), found.end());
    bin_ = found.back();

    std::string pattern = (fs::temp_directory_path() / "gh-pg-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
      why_ = "cannot make a temporary folder";
      return;
    }
    dir_ = pattern;
    if (geteuid() == 0) {
      const passwd* nobody = getpwnam("nobody");
      if (!nobody || chown(dir_.c_str(), nobody->pw_uid, nobody->pw_gid) != 0) {
        why_ = "running as root and cannot hand the folder to the user nobody";
        return;
      }
      asUser_ = {"setpriv", "--reuid=" + std::to_string(nobody->pw_uid),
                 "--regid=" + std::to_string(nobody->pw_gid), "--clear-groups", "--"};
    }
    const std::string data = (dir_ / "data").string();
    if (Run({(bin_ / "initdb").string(), "-D", data, "-A", "trust", "-U", "postgres", "-E", "UTF8",
             "--locale=C", "--no-sync"}) != 0) {
      why_ = "initdb failed: " + Log();
      return;
    }
    const std::string options = "-k " + dir_.string() +
                                " -c listen_addresses='' -c fsync=" + (durable ? "on" : "off") +
                                " -c max_connections=40";
    if (Run({(bin_ / "pg_ctl").string(), "-D", data, "-l", (dir_ / "server.log").string(), "-w",
             "-t", "120", "-o", options, "start"}) != 0) {
      why_ = "pg_ctl start failed: " + Log();
      return;
    }
    started_ = true;
    conninfo_ = "host=" + dir_.string() + " dbname=postgres user=postgres";
  }

  ~TempPostgres() {
    if (started_)
      Run({(bin_ / "pg_ctl").string(), "-D", (dir_ / "data").string(), "-m", "immediate", "-w",
           "stop"});
    std::error_code ec;
    if (!dir_.empty()) std::filesystem::remove_all(dir_, ec);
  }
  TempPostgres(const TempPostgres&) = delete;
  TempPostgres& operator=(const TempPostgres&) = delete;

  bool Started() const { return started_; }
  // Why it did not start.
  const std::string& Why() const { return why_; }
  const std::string& Conninfo() const { return conninfo_; }

  // A fresh database on this server; its connection string.
  std::string NewDatabase(const std::string& name) {
    if (Run({(bin_ / "createdb").string(), "-h", dir_.string(), "-U", "postgres", name}) != 0)
      return {};
    return "host=" + dir_.string() + " dbname=" + name + " user=postgres";
  }

 private:
  int Run(const std::vector<std::string>& command) {
    std::vector<std::string> argv = asUser_;
    argv.insert(argv.end(), command.begin(), command.end());
    return RunLogged(std::move(argv), (dir_ / "commands.log").string());
  }

  std::string Log() const {
    std::ifstream in(dir_ / "commands.log");
    std::string text(std::istreambuf_iterator<char>(in), {});
    return text.size() > 2000 ? text.substr(text.size() - 2000) : text;
  }

  std::filesystem::path bin_, dir_;
  std::vector<std::string> asUser_;
  bool started_ = false;
  std::string why_, conninfo_;
};

}  // namespace gh::test
