// Where the score server keeps its table and its outstanding tokens. Tokens
// live in the database too, so that several front ends on one PostgreSQL
// database accept each other's tokens.
#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace gh::scores {

// Where a row's recording stands: none uploaded, waiting for a verifier,
// played again to the row's score, or refused with a reason.
enum class RecordingState { None = 0, Pending = 1, Verified = 2, Refused = 3 };

struct ScoreRow {
  std::string name;     // UTF-8, cleaned
  std::string country;  // UTF-8, cleaned
  int64_t score = 0;
  int64_t time = 0;     // seconds since 1970, UTC
  std::string address;  // the client that sent it
  int64_t id = 0;       // set when read back
  bool hidden = false;  // kept, but not on the page
  RecordingState recording = RecordingState::None;
  std::string recordingReason = {};  // why a recording was refused
};

// What an upload of a recording found for its token and cookie.
enum class UploadCheck {
  Accepted,         // the row that token stored, in time, with no recording yet: kept, pending
  Unknown,          // no row was stored with that token
  OtherCookie,      // the row was stored with another cookie
  AlreadyUploaded,  // the row has its recording already
  Expired,          // the token's time is over
};

const char* UploadCheckText(UploadCheck check);

// A recording waiting for its verification, and the score its row claims.
struct PendingRecording {
  int64_t id = 0;
  int64_t score = 0;
  std::string bytes;
};

// Which rows a moderation command means; an empty field matches every row.
struct RowFilter {
  int64_t id = 0;
  std::string name;     // exactly, as stored
  std::string address;  // exactly, as stored
  bool Empty() const { return id == 0 && name.empty() && address.empty(); }
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

// The database did not answer in time: another session holds a lock.
class StorageBusy : public StorageError {
 public:
  using StorageError::StorageError;
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
  // happen or neither does. The row remembers the token, its cookie and its
  // time, for the upload of its recording.
  virtual TokenCheck Submit(const std::string& token, const std::string& cookie, int64_t now,
                            const ScoreRow& row) = 0;
  // Keeps `recording` with the row that `token` (with `cookie`) stored, once,
  // within the token's time; the row's recording is then pending. `id` gets
  // the row's id when accepted.
  virtual UploadCheck AttachRecording(const std::string& token, const std::string& cookie,
                                      int64_t now, const std::string& recording, int64_t& id) = 0;
  // The ids of rows whose recordings wait for verification, oldest first.
  virtual std::vector<int64_t> PendingRecordings(int limit) = 0;
  // A pending row's recording and score; nullopt when the row is gone or no
  // longer pending.
  virtual std::optional<PendingRecording> LoadPending(int64_t id) = 0;
  // The verification's outcome for a pending row.
  virtual void SetVerification(int64_t id, RecordingState state, const std::string& reason,
                               int64_t frames) = 0;
  // A verified row's recording, for download; nullopt for any other row and
  // for hidden ones.
  virtual std::optional<std::string> VerifiedRecording(int64_t id) = 0;
  // Drops tokens that ran out before `now`; how many went.
  virtual int64_t PurgeTokens(int64_t now) = 0;

  // Best first; equal scores in the order they arrived; hidden rows left out,
  // and with `verifiedOnly` every row whose recording is not verified.
  virtual std::vector<ScoreRow> TopScores(int limit, bool verifiedOnly = false) = 0;
  // Moderation: the rows a filter matches, hidden ones too, best first; hiding,
  // showing again and deleting them. How many rows changed.
  virtual std::vector<ScoreRow> FindRows(const RowFilter& filter, int limit) = 0;
  virtual int64_t SetHidden(const RowFilter& filter, bool hidden) = 0;
  virtual int64_t DeleteRows(const RowFilter& filter) = 0;
  virtual int64_t CountScores() = 0;
  virtual int64_t CountTokens() = 0;
};

// SQLite in WAL mode; the file is created with its schema if missing, and
// refused when it cannot be written. A lock held elsewhere is waited for at
// most `waitMs`, then StorageBusy.
std::unique_ptr<Storage> OpenSqlite(const std::string& path, int waitMs = 2000);
// PostgreSQL through libpq with a small pool of connections; `conninfo` is a
// libpq connection string ("host=/run/postgresql dbname=scores"). A statement
// or a lock wait longer than `waitMs` is cancelled: StorageBusy.
std::unique_ptr<Storage> OpenPostgres(const std::string& conninfo, int connections = 4,
                                      int waitMs = 2000);

// The migrations, in order: migration i brings the schema from version i to
// i + 1. The two databases differ only in how a row gets its id.
enum class Dialect { Sqlite, Postgres };
std::vector<std::string> Migrations(Dialect dialect);

}  // namespace gh::scores
