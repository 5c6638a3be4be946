// PostgreSQL through libpq: a small pool of connections, every query with bound
// parameters, a submission in one statement (so in one transaction).
#include <libpq-fe.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>

#include "server/Storage.h"

namespace gh::scores {

namespace {

struct ResultDeleter {
  void operator()(PGresult* r) const { PQclear(r); }
};
using Result = std::unique_ptr<PGresult, ResultDeleter>;

// Any number that keeps two front ends from migrating at the same time.
constexpr const char* MigrationLock = "SELECT pg_advisory_xact_lock(7161305)";

class PostgresStorage : public Storage {
 public:
  PostgresStorage(const std::string& conninfo, int connections, int waitMs) : waitMs_(waitMs) {
    if (connections < 1) connections = 1;
    try {
      for (int i = 0; i < connections; ++i) {
        PGconn* conn = PQconnectdb(conninfo.c_str());
        idle_.push_back(conn);
        if (PQstatus(conn) != CONNECTION_OK)
          throw StorageError(std::string("PostgreSQL: cannot connect: ") + PQerrorMessage(conn));
        // Notices ("relation already exists, skipping") are not errors.
        PQsetNoticeProcessor(
            conn, [](void*, const char*) {}, nullptr);
      }
      Migrate(idle_.front());
      for (PGconn* c : idle_) Setup(c);
    } catch (...) {
      for (PGconn* c : idle_) PQfinish(c);
      throw;
    }
  }
  ~PostgresStorage() override {
    for (PGconn* c : idle_) PQfinish(c);
  }

  int SchemaVersion() override {
    Lease conn(*this);
    return ReadVersion(conn.get());
  }

  void IssueToken(const std::string& token, const std::string& cookie, int64_t expiresAt) override {
    Lease conn(*this);
    Query(conn.get(), "INSERT INTO tokens (token, cookie, expires) VALUES ($1, $2, $3)",
          {token, cookie, std::to_string(expiresAt)});
  }

  TokenCheck Submit(const std::string& token, const std::string& cookie, int64_t now,
                    const ScoreRow& row) override {
    Lease conn(*this);
    // EXISTS reads the snapshot from before the DELETE: with no row taken it
    // tells a token of another cookie from one never issued or already used.
    const Result r = Query(conn.get(),
                           "WITH taken AS (DELETE FROM tokens WHERE token = $1 AND cookie = $2"
                           " RETURNING expires),"
                           " stored AS (INSERT INTO scores (name, country, score, created, address,"
                           " upload_token, upload_cookie, upload_expires)"
                           " SELECT $3, $4, $5, $6, $8, $1, $2, expires FROM taken"
                           " WHERE expires >= $7 RETURNING 1)"
                           " SELECT (SELECT COUNT(*) FROM taken), (SELECT COUNT(*) FROM stored),"
                           " EXISTS (SELECT 1 FROM tokens WHERE token = $1)",
                           {token, cookie, row.name, row.country, std::to_string(row.score),
                            std::to_string(row.time), std::to_string(now), row.address});
    const bool taken = std::string(PQgetvalue(r.get(), 0, 0)) != "0";
    const bool stored = std::string(PQgetvalue(r.get(), 0, 1)) != "0";
    const bool exists = std::string(PQgetvalue(r.get(), 0, 2)) == "t";
    if (taken) return stored ? TokenCheck::Accepted : TokenCheck::Expired;
    return exists ? TokenCheck::OtherCookie : TokenCheck::Unknown;
  }

  UploadCheck AttachRecording(const std::string& token, const std::string& cookie, int64_t now,
                              const std::string& recording, int64_t& id) override {
    if (token.empty()) return UploadCheck::Unknown;
    Lease conn(*this);
    // One statement: the row is found and, when everything fits, takes the
    // recording; a second upload racing this one finds rec_state taken.
    const Result r = Query(conn.get(),
                           "WITH found AS (SELECT id, upload_cookie, upload_expires, rec_state"
                           " FROM scores WHERE upload_token = $1 AND upload_token <> ''),"
                           " kept AS (UPDATE scores SET recording = $4, rec_state = 1"
                           " WHERE id IN (SELECT id FROM found) AND rec_state = 0"
                           " AND upload_cookie = $2 AND upload_expires >= $3 RETURNING id)"
                           " SELECT (SELECT id FROM kept), f.upload_cookie = $2, f.rec_state,"
                           " f.upload_expires >= $3, f.id FROM found f",
                           {token, cookie, std::to_string(now), recording}, {3});
    if (PQntuples(r.get()) == 0) return UploadCheck::Unknown;
    if (!PQgetisnull(r.get(), 0, 0)) {
      id = std::stoll(PQgetvalue(r.get(), 0, 4));
      return UploadCheck::Accepted;
    }
    if (std::string(PQgetvalue(r.get(), 0, 1)) != "t") return UploadCheck::OtherCookie;
    if (std::string(PQgetvalue(r.get(), 0, 2)) != "0") return UploadCheck::AlreadyUploaded;
    if (std::string(PQgetvalue(r.get(), 0, 3)) != "t") return UploadCheck::Expired;
    return UploadCheck::AlreadyUploaded;  // taken by an upload at the same moment
  }

  std::vector<int64_t> PendingRecordings(int limit) override {
    Lease conn(*this);
    const Result r =
        Query(conn.get(), "SELECT id FROM scores WHERE rec_state = 1 ORDER BY id LIMIT $1",
              {std::to_string(limit)});
    std::vector<int64_t> ids;
    for (int i = 0; i < PQntuples(r.get()); ++i)
      ids.push_back(std::stoll(PQgetvalue(r.get(), i, 0)));
    return ids;
  }

  std::optional<PendingRecording> LoadPending(int64_t id) override {
    Lease conn(*this);
    // Binary results: the recording's bytes as they are, the score as text.
    const Result r = Query(
        conn.get(), "SELECT score::text, recording FROM scores WHERE id = $1 AND rec_state = 1",
        {std::to_string(id)}, {}, true);
    if (PQntuples(r.get()) == 0) return std::nullopt;
    return PendingRecording{id, std::stoll(Value(r.get(), 0)), Value(r.get(), 1)};
  }

  void SetVerification(int64_t id, RecordingState state, const std::string& reason,
                       int64_t frames) override {
    Lease conn(*this);
    Query(conn.get(),
          "UPDATE scores SET rec_state = $1, rec_reason = $2, rec_frames = $3 WHERE id = $4"
          " AND rec_state = 1",
          {std::to_string(static_cast<int>(state)), reason, std::to_string(frames),
           std::to_string(id)});
  }

  std::optional<std::string> VerifiedRecording(int64_t id) override {
    Lease conn(*this);
    const Result r = Query(conn.get(),
                           "SELECT recording FROM scores WHERE id = $1 AND rec_state = 2"
                           " AND hidden = 0",
                           {std::to_string(id)}, {}, true);
    if (PQntuples(r.get()) == 0) return std::nullopt;
    return Value(r.get(), 0);
  }

  int64_t PurgeTokens(int64_t now) override {
    Lease conn(*this);
    const Result r =
        Query(conn.get(), "DELETE FROM tokens WHERE expires < $1", {std::to_string(now)});
    return std::stoll(PQcmdTuples(r.get()));
  }

  std::vector<ScoreRow> TopScores(int limit, bool verifiedOnly) override {
    Lease conn(*this);
    const Result r = Query(conn.get(),
                           verifiedOnly ? "SELECT name, country, score, created, id, rec_state,"
                                          " rec_reason FROM scores WHERE hidden = 0 AND"
                                          " rec_state = 2 ORDER BY score DESC, id ASC LIMIT $1"
                                        : "SELECT name, country, score, created, id, rec_state,"
                                          " rec_reason FROM scores WHERE hidden = 0"
                                          " ORDER BY score DESC, id ASC LIMIT $1",
                           {std::to_string(limit)});
    std::vector<ScoreRow> rows;
    for (int i = 0; i < PQntuples(r.get()); ++i) {
      ScoreRow row{PQgetvalue(r.get(), i, 0),
                   PQgetvalue(r.get(), i, 1),
                   std::stoll(PQgetvalue(r.get(), i, 2)),
                   std::stoll(PQgetvalue(r.get(), i, 3)),
                   {}};
      row.id = std::stoll(PQgetvalue(r.get(), i, 4));
      row.recording = static_cast<RecordingState>(std::stoi(PQgetvalue(r.get(), i, 5)));
      row.recordingReason = PQgetvalue(r.get(), i, 6);
      rows.push_back(std::move(row));
    }
    return rows;
  }

  std::vector<ScoreRow> FindRows(const RowFilter& filter, int limit) override {
    Lease conn(*this);
    const Result r =
        Query(conn.get(),
              ("SELECT name, country, score, created, address, id, hidden FROM scores"
               " WHERE " +
               std::string(Filter) + " ORDER BY score DESC, id ASC LIMIT $4")
                  .c_str(),
              {std::to_string(filter.id), filter.name, filter.address, std::to_string(limit)});
    std::vector<ScoreRow> rows;
    for (int i = 0; i < PQntuples(r.get()); ++i) {
      ScoreRow row{PQgetvalue(r.get(), i, 0), PQgetvalue(r.get(), i, 1),
                   std::stoll(PQgetvalue(r.get(), i, 2)), std::stoll(PQgetvalue(r.get(), i, 3)),
                   PQgetvalue(r.get(), i, 4)};
      row.id = std::stoll(PQgetvalue(r.get(), i, 5));
      row.hidden = std::string(PQgetvalue(r.get(), i, 6)) != "0";
      rows.push_back(std::move(row));
    }
    return rows;
  }

  int64_t SetHidden(const RowFilter& filter, bool hidden) override {
    Lease conn(*this);
    const Result r =
        Query(conn.get(), ("UPDATE scores SET hidden = $4 WHERE " + std::string(Filter)).c_str(),
              {std::to_string(filter.id), filter.name, filter.address, hidden ? "1" : "0"});
    return std::stoll(PQcmdTuples(r.get()));
  }

  int64_t DeleteRows(const RowFilter& filter) override {
    Lease conn(*this);
    const Result r = Query(conn.get(), ("DELETE FROM scores WHERE " + std::string(Filter)).c_str(),
                           {std::to_string(filter.id), filter.name, filter.address});
    return std::stoll(PQcmdTuples(r.get()));
  }

  int64_t CountScores() override { return Count("SELECT COUNT(*) FROM scores"); }
  int64_t CountTokens() override { return Count("SELECT COUNT(*) FROM tokens"); }

 private:
  // One connection taken from the pool for the length of a call; a broken one
  // is reconnected before use.
  class Lease {
   public:
    explicit Lease(PostgresStorage& pool) : pool_(pool) {
      std::unique_lock lock(pool_.mutex_);
      // Every connection busy for longer than a statement may take: give up.
      if (!pool_.available_.wait_for(lock, std::chrono::milliseconds(pool_.waitMs_) * 2,
                                     [&] { return !pool_.idle_.empty(); }))
        throw StorageBusy("PostgreSQL: every connection is busy");
      conn_ = pool_.idle_.back();
      pool_.idle_.pop_back();
      lock.unlock();
      if (PQstatus(conn_) != CONNECTION_OK) {
        PQreset(conn_);
        if (PQstatus(conn_) == CONNECTION_OK) {
          try {
            pool_.Setup(conn_);
          } catch (...) {
            Return();
            throw;
          }
        }
      }
    }
    ~Lease() { Return(); }
    void Return() {
      if (!conn_) return;
      {
        std::lock_guard lock(pool_.mutex_);
        pool_.idle_.push_back(conn_);
      }
      conn_ = nullptr;
      pool_.available_.notify_one();
    }
    Lease(const Lease&) = delete;
    Lease& operator=(const Lease&) = delete;
    PGconn* get() const { return conn_; }

   private:
    PostgresStorage& pool_;
    PGconn* conn_ = nullptr;
  };

  // `binary` lists the parameters passed as bytes (a recording); `binaryResult`
  // has every column come back as bytes.
  static Result Query(PGconn* conn, const char* sql, const std::vector<std::string>& params,
                      const std::vector<size_t>& binary = {}, bool binaryResult = false) {
    std::vector<const char*> values;
    std::vector<int> lengths, formats;
    for (const auto& p : params) {
      values.push_back(p.c_str());
      lengths.push_back(static_cast<int>(p.size()));
      formats.push_back(0);
    }
    for (const size_t i : binary) formats[i] = 1;
    Result r(PQexecParams(conn, sql, static_cast<int>(values.size()), nullptr, values.data(),
                          lengths.data(), formats.data(), binaryResult ? 1 : 0));
    const ExecStatusType status = r ? PQresultStatus(r.get()) : PGRES_FATAL_ERROR;
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
      // Cancelled by the statement or the lock time-out: another session
      // holds what this one needs.
      const char* state = r ? PQresultErrorField(r.get(), PG_DIAG_SQLSTATE) : nullptr;
      const std::string code = state ? state : "";
      if (code == "57014" || code == "55P03")
        throw StorageBusy(std::string("PostgreSQL: ") + PQerrorMessage(conn));
      throw StorageError(std::string("PostgreSQL: ") + PQerrorMessage(conn));
    }
    return r;
  }

  static std::string Value(const PGresult* r, int column) {
    return std::string(PQgetvalue(r, 0, column), static_cast<size_t>(PQgetlength(r, 0, column)));
  }

  // A statement or a lock wait is bounded, so a lock held elsewhere cannot
  // hold every request.
  void Setup(PGconn* conn) const {
    const std::string ms = std::to_string(waitMs_);
    Exec(conn, "SET statement_timeout = " + ms + "; SET lock_timeout = " + ms);
  }

  static constexpr const char* Filter =
      "($1::bigint = 0 OR id = $1::bigint) AND ($2::text = '' OR name = $2::text)"
      " AND ($3::text = '' OR address = $3::text)";

  static void Exec(PGconn* conn, const std::string& sql) {
    Result r(PQexec(conn, sql.c_str()));
    const ExecStatusType status = r ? PQresultStatus(r.get()) : PGRES_FATAL_ERROR;
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
      throw StorageError(std::string("PostgreSQL: ") + PQerrorMessage(conn));
  }

  int64_t Count(const char* sql) {
    Lease conn(*this);
    const Result r = Query(conn.get(), sql, {});
    return std::stoll(PQgetvalue(r.get(), 0, 0));
  }

  static int ReadVersion(PGconn* conn) {
    const Result r = Query(conn, "SELECT version FROM schema_version", {});
    return PQntuples(r.get()) > 0 ? std::stoi(PQgetvalue(r.get(), 0, 0)) : 0;
  }

  // Brings the database to the latest schema under an advisory lock, so front
  // ends started together migrate once.
  static void Migrate(PGconn* conn) {
    Exec(conn, "BEGIN");
    try {
      Exec(conn, MigrationLock);
      Exec(conn, "CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL)");
      int version = ReadVersion(conn);
      const auto migrations = Migrations(Dialect::Postgres);
      if (version > static_cast<int>(migrations.size()))
        throw StorageError("the database's schema version " + std::to_string(version) +
                           " is newer than this program's " + std::to_string(migrations.size()));
      if (version == 0) Exec(conn, "INSERT INTO schema_version VALUES (0)");
      for (; version < static_cast<int>(migrations.size()); ++version) {
        Exec(conn, migrations[static_cast<size_t>(version)]);
        Exec(conn, "UPDATE schema_version SET version = " + std::to_string(version + 1));
      }
      Exec(conn, "COMMIT");
    } catch (...) {
      Result(PQexec(conn, "ROLLBACK"));
      throw;
    }
  }

  int waitMs_;
  std::mutex mutex_;
  std::condition_variable available_;
  std::vector<PGconn*> idle_;
};

}  // namespace

std::unique_ptr<Storage> OpenPostgres(const std::string& conninfo, int connections, int waitMs) {
  return std::make_unique<PostgresStorage>(conninfo, connections, waitMs);
}

}  // namespace gh::scores
