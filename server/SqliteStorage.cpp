// The embedded default: one SQLite file in WAL mode, one connection shared
// under a lock (SQLite writes one transaction at a time anyway).
#include <sqlite3.h>

#include <chrono>
#include <mutex>

#include "server/Storage.h"

namespace gh::scores {

namespace {

// A lock held by another connection, after the busy wait: busy, not broken.
[[noreturn]] void Fail(sqlite3* db, const std::string& what) {
  const int code = sqlite3_errcode(db) & 0xFF;
  if (code == SQLITE_BUSY || code == SQLITE_LOCKED) throw StorageBusy("SQLite: " + what);
  throw StorageError("SQLite: " + what);
}

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
    sqlite3_reset(stmt_);
    Fail(db_, sqlite3_errmsg(db_));
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
  SqliteStorage(const std::string& path, int waitMs) : waitMs_(waitMs) {
    const int rc = sqlite3_open_v2(
        path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
        nullptr);
    if (rc != SQLITE_OK) {
      const std::string why = db_ ? sqlite3_errmsg(db_) : "out of memory";
      sqlite3_close(db_);
      throw StorageError("cannot open " + path + ": " + why);
    }
    try {
      // A file opened for reading only would take no row: refuse to start.
      if (sqlite3_db_readonly(db_, "main") == 1)
        throw StorageError("cannot write " + path + ": it is read-only");
      // Another process on the same file is waited for, but not for long.
      sqlite3_busy_timeout(db_, waitMs);
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
    Lock lock(*this);
    return ReadVersion();
  }

  void IssueToken(const std::string& token, const std::string& cookie, int64_t expiresAt) override {
    Lock lock(*this);
    insertToken_->Reset().Bind(token).Bind(cookie).Bind(expiresAt).Run();
  }

  TokenCheck Submit(const std::string& token, const std::string& cookie, int64_t now,
                    const ScoreRow& row) override {
    Lock lock(*this);
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
              .Bind(row.address)
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
    Lock lock(*this);
    purgeTokens_->Reset().Bind(now).Run();
    return sqlite3_changes64(db_);
  }

  std::vector<ScoreRow> TopScores(int limit) override {
    Lock lock(*this);
    std::vector<ScoreRow> rows;
    auto& top = *topScores_;
    top.Reset().Bind(static_cast<int64_t>(limit));
    while (top.Step()) rows.push_back({top.Text(0), top.Text(1), top.Int(2), top.Int(3), {}});
    top.Reset();
    return rows;
  }

  std::vector<ScoreRow> FindRows(const RowFilter& filter, int limit) override {
    Lock lock(*this);
    std::vector<ScoreRow> rows;
    auto& find = *findRows_;
    Bind(find, filter).Bind(static_cast<int64_t>(limit));
    while (find.Step()) {
      ScoreRow row{find.Text(0), find.Text(1), find.Int(2), find.Int(3), find.Text(4)};
      row.id = find.Int(5);
      row.hidden = find.Int(6) != 0;
      rows.push_back(std::move(row));
    }
    find.Reset();
    return rows;
  }

  int64_t SetHidden(const RowFilter& filter, bool hidden) override {
    Lock lock(*this);
    auto& set = *setHidden_;
    set.Reset().Bind(int64_t{hidden ? 1 : 0});
    BindFilter(set, filter).Run();
    return sqlite3_changes64(db_);
  }

  int64_t DeleteRows(const RowFilter& filter) override {
    Lock lock(*this);
    Bind(*deleteRows_, filter).Run();
    return sqlite3_changes64(db_);
  }

  int64_t CountScores() override { return Count("SELECT COUNT(*) FROM scores"); }
  int64_t CountTokens() override { return Count("SELECT COUNT(*) FROM tokens"); }

 private:
  void Exec(const std::string& sql) {
    char* error = nullptr;
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
      const std::string why = error ? error : sqlite3_errmsg(db_);
      sqlite3_free(error);
      Fail(db_, why);
    }
  }

  // The one connection, waited for no longer than the database's own wait.
  class Lock {
   public:
    explicit Lock(SqliteStorage& s) : mutex_(s.mutex_) {
      if (!mutex_.try_lock_for(std::chrono::milliseconds(s.waitMs_)))
        throw StorageBusy("SQLite: the database is busy");
    }
    ~Lock() { mutex_.unlock(); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

   private:
    std::timed_mutex& mutex_;
  };

  static Statement& BindFilter(Statement& st, const RowFilter& f) {
    return st.Bind(f.id).Bind(f.id).Bind(f.name).Bind(f.name).Bind(f.address).Bind(f.address);
  }
  static Statement& Bind(Statement& st, const RowFilter& f) { return BindFilter(st.Reset(), f); }

  int64_t Count(const char* sql) {
    Lock lock(*this);
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
      // A write now, so a file that cannot take one is found at the start.
      Exec("UPDATE schema_version SET version = version");
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
        db_, "INSERT INTO scores (name, country, score, created, address) VALUES (?, ?, ?, ?, ?)");
    purgeTokens_ = std::make_unique<Statement>(db_, "DELETE FROM tokens WHERE expires < ?");
    topScores_ = std::make_unique<Statement>(
        db_,
        "SELECT name, country, score, created FROM scores WHERE hidden = 0"
        " ORDER BY score DESC, id ASC LIMIT ?");
    findRows_ = std::make_unique<Statement>(
        db_, ("SELECT name, country, score, created, address, id, hidden FROM scores WHERE " +
              std::string(Filter) + " ORDER BY score DESC, id ASC LIMIT ?")
                 .c_str());
    setHidden_ = std::make_unique<Statement>(
        db_, ("UPDATE scores SET hidden = ? WHERE " + std::string(Filter)).c_str());
    deleteRows_ = std::make_unique<Statement>(
        db_, ("DELETE FROM scores WHERE " + std::string(Filter)).c_str());
  }

  void Finalize() {
    insertToken_.reset();
    takeToken_.reset();
    findToken_.reset();
    insertScore_.reset();
    purgeTokens_.reset();
    topScores_.reset();
    findRows_.reset();
    setHidden_.reset();
    deleteRows_.reset();
  }

  static constexpr const char* Filter =
      "(? = 0 OR id = ?) AND (? = '' OR name = ?) AND (? = '' OR address = ?)";

  sqlite3* db_ = nullptr;
  int waitMs_;
  std::timed_mutex mutex_;
  std::unique_ptr<Statement> insertToken_, takeToken_, findToken_, insertScore_, purgeTokens_,
      topScores_, findRows_, setHidden_, deleteRows_;
};

}  // namespace

std::unique_ptr<Storage> OpenSqlite(const std::string& path, int waitMs) {
  return std::make_unique<SqliteStorage>(path, waitMs);
}

}  // namespace gh::scores
