// Where the score server keeps its table and its outstanding tokens. Tokens
// live in the database too, so that several front ends on one PostgreSQL
// database accept each other's tokens.
#pragma once
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace gh::scores {

struct ScoreRow {
  std::string name;     // UTF-8, cleaned
  std::string country;  // UTF-8, cleaned
  int64_t score = 0;
  int64_t time = 0;  // seconds since 1970, UTC
};

enum class TokenCheck {
  Accepted,     // the token was outstanding for this cookie and in time: used up, row stored
  Unknown,      // never issued, or already used
  OtherCookie,  // issued with another cookie: left outstanding
  Expired,      // out of time: used up, nothing stored
};

const char* TokenCheckText(TokenCheck check);

class StorageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class Storage {
 public:
  virtual ~Storage() = default;

  // The schema version this build brings databases to (the migrations' count).
  static int LatestSchemaVersion();
  virtual int SchemaVersion() = 0;

  virtual void IssueToken(const std::string& token, const std::string& cookie,
                          int64_t expiresAt) = 0;
  // Uses up the token and stores the row in one transaction: either both
  // happen or neither does.
  virtual TokenCheck Submit(const std::string& token, const std::string& cookie, int64_t now,
                            const ScoreRow& row) = 0;
  // Drops tokens that ran out before `now`; how many went.
  virtual int64_t PurgeTokens(int64_t now) = 0;

  // Best first; equal scores in the order they arrived.
  virtual std::vector<ScoreRow> TopScores(int limit) = 0;
  virtual int64_t CountScores() = 0;
  virtual int64_t CountTokens() = 0;
};

// SQLite in WAL mode; the file is created with its schema if missing.
std::unique_ptr<Storage> OpenSqlite(const std::string& path);
// PostgreSQL through libpq with a small pool of connections; `conninfo` is a
// libpq connection string ("host=/run/postgresql dbname=scores").
std::unique_ptr<Storage> OpenPostgres(const std::string& conninfo, int connections = 4);

// The migrations, in order: migration i brings the schema from version i to
// i + 1. The two databases differ only in how a row gets its id.
enum class Dialect { Sqlite, Postgres };
std::vector<std::string> Migrations(Dialect dialect);

}  // namespace gh::scores
