// The embedded default: one SQLite file in WAL mode, one connection shared
// under a lock (SQLite writes one transaction at a time anyway).
#include <sqlite3.h>

#include <chrono>
#include <mutex>
#include <optional>
#include <type_traits>

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
  Statement& BindBlob(const std::string& bytes) {
    Check(sqlite3_bind_blob64(stmt_, next_++, bytes.data(), bytes.size(), SQLITE_TRANSIENT));
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
    return InTransaction([&] {
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
              .Bind(token)
              .Bind(cookie)
              .Bind(expires)
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
      return result;
    });
  }

  UploadCheck AttachRecording(const std::string& token, const std::string& cookie, int64_t now,
                              const std::string& recording, int64_t& id) override {
    Lock lock(*this);
    return InTransaction([&] {
      UploadCheck result = UploadCheck::Unknown;
      auto& find = *findUpload_;
      find.Reset().Bind(token);
      if (!token.empty() && find.Step()) {
        const int64_t rowId = find.Int(0);
        const std::string rowCookie = find.Text(1);
        const int64_t expires = find.Int(2);
        const int64_t state = find.Int(3);
        find.Run();
        if (rowCookie != cookie) {
          result = UploadCheck::OtherCookie;
        } else if (state != static_cast<int64_t>(RecordingState::None)) {
          result = UploadCheck::AlreadyUploaded;
        } else if (expires < now) {
          result = UploadCheck::Expired;
        } else {
          attach_->Reset().BindBlob(recording).Bind(rowId).Run();
          id = rowId;
          result = UploadCheck::Accepted;
        }
      } else {
        find.Run();
      }
      return result;
    });
  }

  std::vector<int64_t> PendingRecordings(int limit) override {
    Lock lock(*this);
    std::vector<int64_t> ids;
    auto& pending = *pending_;
    pending.Reset().Bind(static_cast<int64_t>(limit));
    while (pending.Step()) ids.push_back(pending.Int(0));
    pending.Reset();
    return ids;
  }

  std::optional<PendingRecording> LoadPending(int64_t id) override {
    Lock lock(*this);
    auto& load = *loadPending_;
    load.Reset().Bind(id);
    std::optional<PendingRecording> job;
    if (load.Step()) job = PendingRecording{id, load.Int(0), load.Text(1)};
    load.Reset();
    return job;
  }

  void SetVerification(int64_t id, RecordingState state, const std::string& reason,
                       int64_t frames) override {
    Lock lock(*this);
    setVerification_->Reset()
        .Bind(static_cast<int64_t>(state))
        .Bind(reason)
        .Bind(frames)
        .Bind(id)
        .Run();
  }

  std::optional<std::string> VerifiedRecording(int64_t id) override {
    Lock lock(*this);
    auto& load = *verifiedRecording_;
    load.Reset().Bind(id);
    std::optional<std::string> bytes;
    if (load.Step()) bytes = load.Text(0);
    load.Reset();
    return bytes;
  }

  int64_t PurgeTokens(int64_t now) override {
    Lock lock(*this);
    purgeTokens_->Reset().Bind(now).Run();
    return sqlite3_changes64(db_);
  }

  std::vector<ScoreRow> TopScores(int limit, bool verifiedOnly) override {
    Lock lock(*this);
    std::vector<ScoreRow> rows;
    auto& top = verifiedOnly ? *topVerified_ : *topScores_;
    top.Reset().Bind(static_cast<int64_t>(limit));
    while (top.Step()) {
      ScoreRow row{top.Text(0), top.Text(1), top.Int(2), top.Int(3), {}};
      row.id = top.Int(4);
      row.recording = static_cast<RecordingState>(top.Int(5));
      row.recordingReason = top.Text(6);
      rows.push_back(std::move(row));
    }
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

  // Runs `work` inside a write transaction (taking the write lock at once),
  // committed when it returns and rolled back when it throws.
  template <class Work>
  std::invoke_result_t<Work&> InTransaction(Work work) {
    Exec("BEGIN IMMEDIATE");
    try {
      if constexpr (std::is_void_v<std::invoke_result_t<Work&>>) {
        work();
        Exec("COMMIT");
      } else {
        auto result = work();
        Exec("COMMIT");
        return result;
      }
    } catch (...) {
      sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
      throw;
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
    InTransaction([&] {
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
    });
  }

  void Prepare() {
    insertToken_ = std::make_unique<Statement>(
        db_, "INSERT INTO tokens (token, cookie, expires) VALUES (?, ?, ?)");
    takeToken_ = std::make_unique<Statement>(
        db_, "DELETE FROM tokens WHERE token = ? AND cookie = ? RETURNING expires");
    findToken_ = std::make_unique<Statement>(db_, "SELECT 1 FROM tokens WHERE token = ?");
    insertScore_ = std::make_unique<Statement>(
        db_,
        "INSERT INTO scores (name, country, score, created, address, upload_token, upload_cookie,"
        " upload_expires) VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
    purgeTokens_ = std::make_unique<Statement>(db_, "DELETE FROM tokens WHERE expires < ?");
    topScores_ = std::make_unique<Statement>(
        db_,
        "SELECT name, country, score, created, id, rec_state, rec_reason FROM scores"
        " WHERE hidden = 0 ORDER BY score DESC, id ASC LIMIT ?");
    topVerified_ = std::make_unique<Statement>(
        db_,
        "SELECT name, country, score, created, id, rec_state, rec_reason FROM scores"
        " WHERE hidden = 0 AND rec_state = 2 ORDER BY score DESC, id ASC LIMIT ?");
    findUpload_ = std::make_unique<Statement>(
        db_,
        "SELECT id, upload_cookie, upload_expires, rec_state FROM scores"
        " WHERE upload_token = ? AND upload_token <> ''");
    attach_ = std::make_unique<Statement>(
        db_, "UPDATE scores SET recording = ?, rec_state = 1 WHERE id = ? AND rec_state = 0");
    pending_ = std::make_unique<Statement>(
        db_, "SELECT id FROM scores WHERE rec_state = 1 ORDER BY id LIMIT ?");
    loadPending_ = std::make_unique<Statement>(
        db_, "SELECT score, recording FROM scores WHERE id = ? AND rec_state = 1");
    setVerification_ = std::make_unique<Statement>(
        db_,
        "UPDATE scores SET rec_state = ?, rec_reason = ?, rec_frames = ? WHERE id = ?"
        " AND rec_state = 1");
    verifiedRecording_ = std::make_unique<Statement>(
        db_, "SELECT recording FROM scores WHERE id = ? AND rec_state = 2 AND hidden = 0");
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
    topVerified_.reset();
    findUpload_.reset();
    attach_.reset();
    pending_.reset();
    loadPending_.reset();
    setVerification_.reset();
    verifiedRecording_.reset();
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
      topScores_, topVerified_, findUpload_, attach_, pending_, loadPending_, setVerification_,
      verifiedRecording_, findRows_, setHidden_, deleteRows_;
};

}  // namespace

std::unique_ptr<Storage> OpenSqlite(const std::string& path, int waitMs) {
  return std::make_unique<SqliteStorage>(path, waitMs);
}

}  // namespace gh::scores
