#include "server/Storage.h"

namespace gh::scores {

std::vector<std::string> Migrations(Dialect dialect) {
  const std::string id = dialect == Dialect::Sqlite ? " id INTEGER PRIMARY KEY AUTOINCREMENT,"
                                                    : " id BIGSERIAL PRIMARY KEY,";
  return {
      // 1: the table and the outstanding tokens.
      "CREATE TABLE scores (" + id +
          " name TEXT NOT NULL,"
          " country TEXT NOT NULL,"
          " score BIGINT NOT NULL,"
          " created BIGINT NOT NULL);"
          "CREATE TABLE tokens ("
          " token TEXT PRIMARY KEY,"
          " cookie TEXT NOT NULL,"
          " expires BIGINT NOT NULL);",
      // 2: the page reads the best scores first.
      "CREATE INDEX scores_by_rank ON scores (score DESC, id ASC);"
      "CREATE INDEX tokens_by_expiry ON tokens (expires);",
      // 3: moderation: who sent a row, and rows kept but off the page.
      "ALTER TABLE scores ADD COLUMN address TEXT NOT NULL DEFAULT '';"
      "ALTER TABLE scores ADD COLUMN hidden INTEGER NOT NULL DEFAULT 0;"
      "CREATE INDEX scores_by_name ON scores (name);"
      "CREATE INDEX scores_by_address ON scores (address);",
      // 4: a token lives five minutes and a lost one costs a player one more try,
      // so PostgreSQL keeps them out of its write-ahead log: issuing one then
      // waits for no flush to disk, and only a taken submission does.
      dialect == Dialect::Postgres ? "ALTER TABLE tokens SET UNLOGGED;"
                                   : "SELECT 1;",  // SQLite has no such tables
      // 5: recordings. The row remembers the token that stored it (and its
      // cookie and time) so that the recording's upload finds it; the
      // recording, where its verification stands, why it was refused and
      // how many frames the verifier played.
      "ALTER TABLE scores ADD COLUMN upload_token TEXT NOT NULL DEFAULT '';"
      "ALTER TABLE scores ADD COLUMN upload_cookie TEXT NOT NULL DEFAULT '';"
      "ALTER TABLE scores ADD COLUMN upload_expires BIGINT NOT NULL DEFAULT 0;"
      "ALTER TABLE scores ADD COLUMN recording " +
          std::string(dialect == Dialect::Sqlite ? "BLOB" : "BYTEA") +
          ";"
          "ALTER TABLE scores ADD COLUMN rec_state INTEGER NOT NULL DEFAULT 0;"
          "ALTER TABLE scores ADD COLUMN rec_reason TEXT NOT NULL DEFAULT '';"
          "ALTER TABLE scores ADD COLUMN rec_frames BIGINT NOT NULL DEFAULT 0;"
          "CREATE INDEX scores_by_upload_token ON scores (upload_token) WHERE upload_token <> '';"
          "CREATE INDEX scores_pending ON scores (id) WHERE rec_state = 1;"
          "CREATE INDEX scores_verified_by_rank ON scores (score DESC, id ASC) WHERE rec_state = "
          "2;",
  };
}

int Storage::LatestSchemaVersion() { return static_cast<int>(Migrations(Dialect::Sqlite).size()); }

const char* TokenCheckText(TokenCheck check) {
  switch (check) {
    case TokenCheck::Accepted:
      return "accepted";
    case TokenCheck::Unknown:
      return "unknown or already used token";
    case TokenCheck::OtherCookie:
      return "token issued with another cookie";
    case TokenCheck::Expired:
      return "expired token";
  }
  return "?";
}

const char* UploadCheckText(UploadCheck check) {
  switch (check) {
    case UploadCheck::Accepted:
      return "queued";
    case UploadCheck::Unknown:
      return "no score was stored with this token";
    case UploadCheck::OtherCookie:
      return "the score was stored with another cookie";
    case UploadCheck::AlreadyUploaded:
      return "this score's recording was uploaded already";
    case UploadCheck::Expired:
      return "the token's time is over";
  }
  return "?";
}

}  // namespace gh::scores
