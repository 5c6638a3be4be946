// The embedded default: one SQLite file in WAL mode, one connection shared
// under a lock (SQLite writes one transaction at a time anyway).
#include <sqlite3.h>

#include <mutex>

#include "server/Storage.h"

namespace gh::scores {

namespace {

class Statement {
 public:
  Statement(sqlite3* db, const char* sql) : db_(db) {
    if (sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr) != SQLITE_OK)
      throw StorageError(std::string("SQLite: ") + sqlite3_errmsg(db) + " in: " + sql);
  }
  ~Statement() { sqlite3_finalize(stmt_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  // Binds in order, starting afresh.
  Statement& Reset() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
    next_ = 1;
    return *this;
  }
  Statement& Bind(const std::string& text) {
    Check(sqlite3_bind_text(stmt_, next_++, text.data(), static_cast<int>(text.size()),
                            SQLITE_TRANSIENT));
    return *this;
  }
  Statement& Bind(int64_t value) {
    Check(sqlite3_bind_int64(stmt_, next_++, value));
    return *this;
  }
  // True while a row is there.
  bool Step() {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    throw StorageError(std::string("SQLite: ") + sqlite3_errmsg(db_));
  }
  void Run() {
    while (Step()) {
    }
    sqlite3_reset(stmt_);
  }
  int64_t Int(int column) { return sqlite3_column_int64(stmt_, column); }
  std::string Text(int column) {
    const auto* p = sqlite3_column_text(stmt_, column);
    return p ? std::string(reinterpret_cast<const char*>(p),
                           static_cast<size_t>(sqlite3_column_bytes(stmt_, column)))
             : std::string();
  }

 private:
  void Check(int rc) {
    if (rc != SQLITE_OK) throw StorageError(std::string("SQLite: ") + sqlite3_errmsg(db_));
  }
  sqlite3* db_;
  sqlite3_stmt* stmt_ = nullptr;
  int next_ = 1;
};

class SqliteStorage : public Storage {
 public:
  explicit SqliteStorage(const std::string& path) {
    const int rc = sqlite3_open_v2(
        path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
        nullptr);
    if (rc != SQLITE_OK) {
      const std::string why = db_ ? sqlite3_errmsg(db_) : "out of memory";
      sqlite3_close(db_);
      throw StorageError("cannot open " + path + ": " + why);
    }
    try {
      // Another process on the same file waits for a lock instead of failing.
      sqlite3_busy_timeout(db_, 5000);
      Exec("PRAGMA journal_mode=WAL");
      // In WAL mode NORMAL loses no committed row when the program dies, only
      // possibly the last ones when the whole machine does; never corrupts.
      Exec("PRAGMA synchronous=NORMAL");
      Exec("PRAGMA foreign_keys=ON");
      Migrate();
      Prepare();
    } catch (...) {
      Finalize();
      sqlite3_close(db_);
      throw;
    }
  }
  ~SqliteStorage() override {
    Finalize();
    sqlite3_close(db_);
  }

  int SchemaVersion() override {
    std::lock_guard lock(mutex_);
    return ReadVersion();
  }

  void IssueToken(const std::string& token, const std::string& cookie, int64_t expiresAt) override {
    std::lock_guard lock(mutex_);
    insertToken_->Reset().Bind(token).Bind(cookie).Bind(expiresAt).Run();
  }

  TokenCheck Submit(const std::string& token, const std::string& cookie, int64_t now,
                    const ScoreRow& row) override {
    std::lock_guard lock(mutex_);
    Exec("BEGIN IMMEDIATE");
    try {
      TokenCheck result;
      auto& take = *takeToken_;
      take.Reset().Bind(token).Bind(cookie);
      if (take.Step()) {
        const int64_t expires = take.Int(0);
        take.Run();
        if (expires < now) {
          result = TokenCheck::Expired;
        } else {
          insertScore_->Reset()
              .Bind(row.name)
              .Bind(row.country)
              .Bind(row.score)
              .Bind(row.time)
              .Run();
          result = TokenCheck::Accepted;
        }
      } else {
        take.Run();
        auto& find = *findToken_;
        find.Reset().Bind(token);
        result = find.Step() ? TokenCheck::OtherCookie : TokenCheck::Unknown;
        find.Run();
      }
      Exec("COMMIT");
      return result;
    } catch (...) {
      sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
      throw;
    }
  }

  int64_t PurgeTokens(int64_t now) override {
    std::lock_guard lock(mutex_);
    purgeTokens_->Reset().Bind(now).Run();
    return sqlite3_changes64(db_);
  }

  std::vector<ScoreRow> TopScores(int limit) override {
    std::lock_guard lock(mutex_);
    std::vector<ScoreRow> rows;
    auto& top = *topScores_;
    top.Reset().Bind(static_cast<int64_t>(limit));
    while (top.Step()) rows.push_back({top.Text(0), top.Text(1), top.Int(2), top.Int(3)});
    top.Reset();
    return rows;
  }

  int64_t CountScores() override { return Count("SELECT COUNT(*) FROM scores"); }
  int64_t CountTokens() override { return Count("SELECT COUNT(*) FROM tokens"); }

 private:
  void Exec(const std::string& sql) {
    char* error = nullptr;
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
      const std::string why = error ? error : sqlite3_errmsg(db_);
      sqlite3_free(error);
      throw StorageError("SQLite: " + why);
    }
  }

  int64_t Count(const char* sql) {
    std::lock_guard lock(mutex_);
    Statement count(db_, sql);
    return count.Step() ? count.Int(0) : 0;
  }

  int ReadVersion() {
    Statement version(db_, "SELECT version FROM schema_version");
    return version.Step() ? static_cast<int>(version.Int(0)) : 0;
  }

  // Brings the file to the latest schema; a second process starting at the
  // same time waits on the write lock and then finds nothing left to do.
  void Migrate() {
    Exec("BEGIN IMMEDIATE");
    try {
      Exec("CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL)");
      int version = ReadVersion();
      const auto migrations = Migrations(Dialect::Sqlite);
      if (version > static_cast<int>(migrations.size()))
        throw StorageError("the database's schema version " + std::to_string(version) +
                           " is newer than this program's " + std::to_string(migrations.size()));
      if (version == 0) Exec("INSERT INTO schema_version VALUES (0)");
      for (; version < static_cast<int>(migrations.size()); ++version) {
        Exec(migrations[static_cast<size_t>(version)]);
        Exec("UPDATE schema_version SET version = " + std::to_string(version + 1));
      }
      Exec("COMMIT");
    } catch (...) {
      sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
      throw;
    }
  }

  void Prepare() {
    insertToken_ = std::make_unique<Statement>(
        db_, "INSERT INTO tokens (token, cookie, expires) VALUES (?, ?, ?)");
    takeToken_ = std::make_unique<Statement>(
        db_, "DELETE FROM tokens WHERE token = ? AND cookie = ? RETURNING expires");
    findToken_ = std::make_unique<Statement>(db_, "SELECT 1 FROM tokens WHERE token = ?");
    insertScore_ = std::make_unique<Statement>(
        db_, "INSERT INTO scores (name, country, score, created) VALUES (?, ?, ?, ?)");
    purgeTokens_ = std::make_unique<Statement>(db_, "DELETE FROM tokens WHERE expires < ?");
    topScores_ = std::make_unique<Statement>(
        db_,
        "SELECT name, country, score, created FROM scores ORDER BY score DESC, id ASC LIMIT ?");
  }

  void Finalize() {
    insertToken_.reset();
    takeToken_.reset();
    findToken_.reset();
    insertScore_.reset();
    purgeTokens_.reset();
    topScores_.reset();
  }

  sqlite3* db_ = nullptr;
  std::mutex mutex_;
  std::unique_ptr<Statement> insertToken_, takeToken_, findToken_, insertScore_, purgeTokens_,
      topScores_;
};

}  // namespace

std::unique_ptr<Storage> OpenSqlite(const std::string& path) {
  return std::make_unique<SqliteStorage>(path);
}

}  // namespace gh::scores
