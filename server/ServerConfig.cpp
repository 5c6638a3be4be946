#include "server/ServerConfig.h"

#include <charconv>
#include <cstdint>
#include <fstream>
#include <stdexcept>

namespace gh::scores {

const char* const UsageText =
    "Usage: gravelhorn2-scores [options]\n"
    "  --db PATH              SQLite file, created if missing (default scores.sqlite)\n"
    "  --postgres CONNINFO    use PostgreSQL instead, e.g. \"host=/run/postgresql dbname=scores\"\n"
    "  --pg-connections N     connections kept open to PostgreSQL (default 4)\n"
    "  --bind ADDRESS         address to listen on (default 0.0.0.0)\n"
    "  --port N               port to listen on, 0 for any free one (default 8080)\n"
    "  --threads N            requests served at once (default 8)\n"
    "  --head-seconds N       time for a request head, and for the next one on a kept\n"
    "                         connection; slower connections are closed (default 5)\n"
    "  --idle-seconds N       a connection silent both ways this long is closed (default 5)\n"
    "  --max-head-bytes N     memory per connection for a request head; a longer head\n"
    "                         is answered 431 (default 8192)\n"
    "  --per-address N        open connections from one address (default 32)\n"
    "  --max-connections N    open connections in all (default 4096)\n"
    "  --db-wait-ms N         longest wait for a lock held by another database session;\n"
    "                         then the request is answered 503 (default 2000)\n"
    "  --trusted-proxy ADDR   a reverse proxy whose X-Forwarded-For names the client;\n"
    "                         repeatable (in a file: trusted-proxy = 127.0.0.1, ::1)\n"
    "  --key LETTER           the key letter the game sends (default G)\n"
    "  --min-score N          lowest score taken (default 1)\n"
    "  --max-score N          highest score taken (default 10000000)\n"
    "  --token-seconds N      how long a token stays good (default 300)\n"
    "  --version-rate N       version requests per minute per address, 0 = no limit (default 60)\n"
    "  --submit-rate N        submissions per minute per address, 0 = no limit (default 30)\n"
    "  --upload-rate N        recording uploads per minute per address, 0 = no limit (default 30)\n"
    "  --max-recording-bytes N  the largest recording taken; a larger body is answered 413\n"
    "                         and not read (default 4194304)\n"
    "  --upload-seconds N     time for a recording's upload after its head (default 60)\n"
    "  --upload-memory-mb N   every upload being read, together, at most; more are\n"
    "                         answered 503 (default 64)\n"
    "  --verify-workers N     verifier processes playing recordings again, 0 = recordings\n"
    "                         are kept but not verified (default 2)\n"
    "  --verify-program PATH  the verifier (default gravelhorn2-verify, found in PATH)\n"
    "  --verify-data DIR      the folder holding the Data/ the verifier plays with\n"
    "                         (default: the verifier program's own folder)\n"
    "  --verify-queue N       recordings waiting for a verifier; more wait in the database\n"
    "                         (default 64)\n"
    "  --verify-seconds N     time for one recording; a slower verifier is killed and the\n"
    "                         row refused (default 30)\n"
    "  --verify-memory-mb N   address space of each verifier, 0 = no limit (default 1024)\n"
    "  --verified-only yes|no the page's table counts only verified scores (default no)\n"
    "  --page-rows N          rows on the score page (default 100)\n"
    "  --max-name N           bytes kept of a name and of a country (default 24)\n"
    "  --title TEXT           the score page's title\n"
    "  --config FILE          read these settings from FILE (\"name = value\" lines)\n"
    "  --help                 this text\n"
    "Moderation (with --db or --postgres, and --config):\n"
    "  rows [--name N] [--address A] [--limit N]   list rows, hidden ones too\n"
    "  hide|unhide|delete (ID... | --name N | --address A)\n"
    "                         take rows off the page, put them back, or delete them\n";

namespace {

int64_t Number(const std::string& name, const std::string& value, int64_t low, int64_t high) {
  int64_t n = 0;
  const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), n);
  if (ec != std::errc() || end != value.data() + value.size() || n < low || n > high)
    throw std::invalid_argument(name + ": \"" + value + "\" is not a number from " +
                                std::to_string(low) + " to " + std::to_string(high));
  return n;
}

std::string Trim(const std::string& s) {
  const size_t a = s.find_first_not_of(" \t\r");
  if (a == std::string::npos) return {};
  const size_t b = s.find_last_not_of(" \t\r");
  return s.substr(a, b - a + 1);
}

}  // namespace

void ApplySetting(ServerConfig& c, const std::string& name, const std::string& value) {
  auto& s = c.service;
  if (name == "db") {
    if (value.empty()) throw std::invalid_argument("db: empty path");
    c.sqlitePath = value;
  } else if (name == "postgres") {
    c.postgres = value;
  } else if (name == "pg-connections") {
    c.pgConnections = static_cast<int>(Number(name, value, 1, 64));
  } else if (name == "bind") {
    if (value.empty()) throw std::invalid_argument("bind: empty address");
    c.bind = value;
  } else if (name == "port") {
    c.port = static_cast<int>(Number(name, value, 0, 65535));
  } else if (name == "threads") {
    c.threads = static_cast<int>(Number(name, value, 1, 256));
  } else if (name == "head-seconds") {
    c.http.headSeconds = static_cast<int>(Number(name, value, 1, 3600));
  } else if (name == "idle-seconds") {
    c.http.idleSeconds = static_cast<int>(Number(name, value, 1, 3600));
  } else if (name == "max-head-bytes") {
    c.http.headBytes = static_cast<size_t>(Number(name, value, 2048, 1 << 20));
  } else if (name == "per-address") {
    c.http.perAddress = static_cast<int>(Number(name, value, 1, 100000));
  } else if (name == "max-connections") {
    c.http.connections = static_cast<int>(Number(name, value, 1, 1000000));
  } else if (name == "db-wait-ms") {
    c.dbWaitMs = static_cast<int>(Number(name, value, 1, 600000));
  } else if (name == "trusted-proxy") {
    size_t at = 0;
    while (at <= value.size()) {
      size_t comma = value.find(',', at);
      if (comma == std::string::npos) comma = value.size();
      try {
        s.trustedProxies.Add(Trim(value.substr(at, comma - at)));
      } catch (const std::invalid_argument& e) {
        throw std::invalid_argument("trusted-proxy: " + std::string(e.what()));
      }
      at = comma + 1;
    }
  } else if (name == "key") {
    if (value.size() != 1 || value[0] < 'A' || value[0] > 'Z')
      throw std::invalid_argument("key: \"" + value + "\" is not one capital letter A to Z");
    s.key = value[0];
  } else if (name == "min-score") {
    s.minScore = Number(name, value, INT32_MIN, INT32_MAX);
  } else if (name == "max-score") {
    s.maxScore = Number(name, value, INT32_MIN, INT32_MAX);
  } else if (name == "token-seconds") {
    s.tokenSeconds = Number(name, value, 1, 86400);
  } else if (name == "version-rate") {
    s.versionPerMinute = static_cast<int>(Number(name, value, 0, 1000000));
  } else if (name == "submit-rate") {
    s.submitPerMinute = static_cast<int>(Number(name, value, 0, 1000000));
  } else if (name == "upload-rate") {
    s.uploadPerMinute = static_cast<int>(Number(name, value, 0, 1000000));
  } else if (name == "max-recording-bytes") {
    s.maxRecordingBytes = c.http.bodyBytes =
        static_cast<size_t>(Number(name, value, 1024, int64_t{256} << 20));
  } else if (name == "upload-memory-mb") {
    c.http.bodiesBytes = static_cast<size_t>(Number(name, value, 1, 1 << 20)) << 20;
  } else if (name == "upload-seconds") {
    c.http.bodySeconds = static_cast<int>(Number(name, value, 1, 3600));
  } else if (name == "verify-workers") {
    c.verify.workers = static_cast<int>(Number(name, value, 0, 256));
  } else if (name == "verify-program") {
    if (value.empty()) throw std::invalid_argument("verify-program: empty path");
    c.verify.program = value;
  } else if (name == "verify-data") {
    if (value.empty()) throw std::invalid_argument("verify-data: empty path");
    c.verify.dataDir = value;
  } else if (name == "verify-queue") {
    c.verify.queue = static_cast<size_t>(Number(name, value, 1, 1000000));
  } else if (name == "verify-seconds") {
    c.verify.jobSeconds = static_cast<int>(Number(name, value, 1, 3600));
  } else if (name == "verify-memory-mb") {
    c.verify.memoryMb = Number(name, value, 0, int64_t{1} << 30);
  } else if (name == "verified-only") {
    if (value == "yes" || value == "true" || value == "1") {
      s.verifiedOnly = true;
    } else if (value == "no" || value == "false" || value == "0") {
      s.verifiedOnly = false;
    } else {
      throw std::invalid_argument("verified-only: \"" + value + "\" is not yes or no");
    }
  } else if (name == "page-rows") {
    s.pageRows = static_cast<int>(Number(name, value, 1, 10000));
  } else if (name == "max-name") {
    s.maxNameBytes = s.maxCountryBytes = static_cast<size_t>(Number(name, value, 1, 200));
  } else if (name == "title") {
    s.title = value;
  } else {
    throw std::invalid_argument("unknown setting \"" + name + "\"");
  }
}

void ApplyConfigFile(ServerConfig& config, const std::string& path) {
  std::ifstream in(path);
  if (!in) throw std::invalid_argument("cannot read the configuration file " + path);
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    // "#" inside a value ("title = Top #1") is the value's own.
    for (size_t hash = line.find('#'); hash != std::string::npos; hash = line.find('#', hash + 1)) {
      if (hash == 0 || line[hash - 1] == ' ' || line[hash - 1] == '\t') {
        line.erase(hash);
        break;
      }
    }
    line = Trim(line);
    if (line.empty()) continue;
    const size_t eq = line.find('=');
    if (eq == std::string::npos)
      throw std::invalid_argument(path + ":" + std::to_string(number) + ": no \"=\" in \"" + line +
                                  "\"");
    try {
      ApplySetting(config, Trim(line.substr(0, eq)), Trim(line.substr(eq + 1)));
    } catch (const std::invalid_argument& e) {
      throw std::invalid_argument(path + ":" + std::to_string(number) + ": " + e.what());
    }
  }
}

ServerConfig ParseArguments(const std::vector<std::string>& args, bool& help) {
  ServerConfig config;
  help = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--help" || a == "-h") {
      help = true;
      continue;
    }
    if (a.rfind("--", 0) != 0) {
      if (config.command.empty() &&
          (a == "rows" || a == "hide" || a == "unhide" || a == "delete")) {
        config.command = a;
      } else if (!config.command.empty() && config.command != "rows") {
        config.ids.push_back(Number("id", a, 1, INT64_MAX));
      } else {
        throw std::invalid_argument("unexpected argument \"" + a + "\"");
      }
      continue;
    }
    std::string name = a.substr(2), value;
    const size_t eq = name.find('=');
    if (eq != std::string::npos) {
      value = name.substr(eq + 1);
      name.erase(eq);
    } else {
      if (i + 1 >= args.size()) throw std::invalid_argument(a + " needs a value");
      value = args[++i];
    }
    if (name == "config") {
      ApplyConfigFile(config, value);
    } else if (name == "name") {
      config.filter.name = value;
    } else if (name == "address") {
      config.filter.address = value;
    } else if (name == "limit") {
      config.limit = static_cast<int>(Number(name, value, 1, 1000000));
    } else {
      ApplySetting(config, name, value);
    }
  }
  if (config.service.minScore > config.service.maxScore)
    throw std::invalid_argument("min-score is above max-score");
  const bool filtered = !config.filter.Empty();
  if (filtered && config.command.empty())
    throw std::invalid_argument("--name and --address go with a moderation command");
  if (!config.command.empty() && config.command != "rows" && config.ids.empty() == !filtered)
    throw std::invalid_argument(config.command +
                                ": name rows by ids, or by --name or --address, not both");
  return config;
}

}  // namespace gh::scores

namespace gh::scores {

HttpLimits ServerLimits(const ServerConfig& config) {
  HttpLimits limits = config.http;
  limits.threads = config.threads;
  return limits;
}

}  // namespace gh::scores
