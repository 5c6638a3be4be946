// The storage interface against both databases: SQLite in a temporary file and
// a throw-away PostgreSQL server started for this test program.
#include "server/Storage.h"

#include <gtest/gtest.h>
#include <libpq-fe.h>
#include <sqlite3.h>

#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>
#include <thread>

#include "TempPostgres.h"

namespace gh::scores {
namespace {

namespace fs = std::filesystem;

// One PostgreSQL server for the whole program; each test gets a database of its own.
test::TempPostgres& Postgres() {
  static test::TempPostgres server;
  return server;
}

struct Backend {
  const char* name;
};

class StorageTest : public ::testing::TestWithParam<Backend> {
 protected:
  void SetUp() override {
    static std::atomic<int> counter{0};
    const std::string unique = std::to_string(getpid()) + "_" + std::to_string(counter++);
    if (IsPostgres()) {
      if (!Postgres().Started())
        GTEST_SKIP() << "no PostgreSQL for this test: " << Postgres().Why();
      target_ = Postgres().NewDatabase("t" + unique);
      ASSERT_FALSE(target_.empty()) << "createdb failed";
    } else {
      dir_ = fs::temp_directory_path() / ("gh_scores_" + unique);
      fs::create_directories(dir_);
      target_ = (dir_ / "scores.sqlite").string();
    }
    storage_ = Open();
  }
  void TearDown() override {
    storage_.reset();
    if (!dir_.empty()) fs::remove_all(dir_);
  }
  bool IsPostgres() const { return std::string(GetParam().name) == "PostgreSQL"; }
  std::unique_ptr<Storage> Open(int waitMs = 2000) {
    return IsPostgres() ? OpenPostgres(target_, 4, waitMs) : OpenSqlite(target_, waitMs);
  }
  static ScoreRow Row(const std::string& name, int64_t score, int64_t time = 1000) {
    return {name, "Somewhere", score, time, {}};
  }

  std::string target_;
  fs::path dir_;
  std::unique_ptr<Storage> storage_;
};

TEST_P(StorageTest, ASecondStartFindsTheSchemaAndTheRows) {
  EXPECT_EQ(storage_->SchemaVersion(), Storage::LatestSchemaVersion());
  storage_->IssueToken("t1", "c1", 100);
  ASSERT_EQ(storage_->Submit("t1", "c1", 50, Row("kept", 10)), TokenCheck::Accepted);
  storage_.reset();
  storage_ = Open();
  EXPECT_EQ(storage_->SchemaVersion(), Storage::LatestSchemaVersion());
  ASSERT_EQ(storage_->CountScores(), 1);
  EXPECT_EQ(storage_->TopScores(10)[0].name, "kept");
}

TEST_P(StorageTest, ATokenIsGoodOnceWithItsCookieAndInTime) {
  storage_->IssueToken("a", "cookie-a", 100);
  storage_->IssueToken("b", "cookie-b", 100);
  storage_->IssueToken("c", "cookie-c", 100);
  const struct {
    const char* what;
    const char* token;
    const char* cookie;
    int64_t now;
    TokenCheck expected;
  } steps[] = {
      {"never issued", "zzz", "cookie-a", 50, TokenCheck::Unknown},
      {"another cookie", "a", "cookie-b", 50, TokenCheck::OtherCookie},
      {"no cookie", "a", "", 50, TokenCheck::OtherCookie},
      {"its cookie, in time", "a", "cookie-a", 100, TokenCheck::Accepted},
      {"replayed", "a", "cookie-a", 50, TokenCheck::Unknown},
      {"out of time", "b", "cookie-b", 101, TokenCheck::Expired},
      {"out of time, then again", "b", "cookie-b", 50, TokenCheck::Unknown},
  };
  for (const auto& s : steps)
    EXPECT_EQ(storage_->Submit(s.token, s.cookie, s.now, Row(s.what, 5)), s.expected) << s.what;
  EXPECT_EQ(storage_->CountScores(), 1);
  EXPECT_EQ(storage_->TopScores(10)[0].name, "its cookie, in time");
  // Only "c" is still outstanding; purging at its expiry keeps it, after drops it.
  EXPECT_EQ(storage_->CountTokens(), 1);
  EXPECT_EQ(storage_->PurgeTokens(100), 0);
  EXPECT_EQ(storage_->PurgeTokens(101), 1);
  EXPECT_EQ(storage_->CountTokens(), 0);
}

// A row's recording: kept once with the token and cookie that stored the row,
// in the token's time; waiting, then verified or refused; only a verified
// one is offered, and the verified table holds only those.
TEST_P(StorageTest, ARecordingIsKeptOnceForItsRowAndVerifiedOrRefused) {
  storage_->IssueToken("a", "cookie-a", 100);
  storage_->IssueToken("b", "cookie-b", 100);
  storage_->IssueToken("c", "cookie-c", 100);
  ASSERT_EQ(storage_->Submit("a", "cookie-a", 50, Row("A", 30)), TokenCheck::Accepted);
  ASSERT_EQ(storage_->Submit("b", "cookie-b", 50, Row("B", 20)), TokenCheck::Accepted);
  ASSERT_EQ(storage_->Submit("c", "cookie-c", 50, Row("C", 10)), TokenCheck::Accepted);
  // Every byte value, a zero among them, as a recording's file has.
  std::string bytes;
  for (int i = 0; i < 512; ++i) bytes.push_back(static_cast<char>(i));
  const struct {
    const char* what;
    const char* token;
    const char* cookie;
    int64_t now;
    UploadCheck expected;
  } steps[] = {
      {"an unknown token", "zzz", "cookie-a", 60, UploadCheck::Unknown},
      {"no token", "", "", 60, UploadCheck::Unknown},
      {"another cookie", "a", "cookie-b", 60, UploadCheck::OtherCookie},
      {"out of time", "c", "cookie-c", 101, UploadCheck::Expired},
      {"its cookie, in time", "a", "cookie-a", 100, UploadCheck::Accepted},
      {"again", "a", "cookie-a", 60, UploadCheck::AlreadyUploaded},
      {"the second row", "b", "cookie-b", 60, UploadCheck::Accepted},
  };
  std::vector<int64_t> ids;
  for (const auto& s : steps) {
    int64_t id = 0;
    EXPECT_EQ(storage_->AttachRecording(s.token, s.cookie, s.now, bytes, id), s.expected) << s.what;
    if (s.expected == UploadCheck::Accepted) ids.push_back(id);
  }
  ASSERT_EQ(ids.size(), 2u);
  EXPECT_EQ(storage_->PendingRecordings(10), ids);
  const auto pending = storage_->LoadPending(ids[0]);
  ASSERT_TRUE(pending);
  EXPECT_EQ(pending->score, 30);
  EXPECT_EQ(pending->bytes, bytes);
  EXPECT_FALSE(storage_->VerifiedRecording(ids[0])) << "pending";

  storage_->SetVerification(ids[0], RecordingState::Verified, "", 600);
  storage_->SetVerification(ids[1], RecordingState::Refused, "took too long", 0);
  EXPECT_TRUE(storage_->PendingRecordings(10).empty());
  EXPECT_FALSE(storage_->LoadPending(ids[0])) << "no longer pending";
  EXPECT_EQ(storage_->VerifiedRecording(ids[0]), bytes);
  EXPECT_FALSE(storage_->VerifiedRecording(ids[1])) << "refused";
  const auto all = storage_->TopScores(10);
  ASSERT_EQ(all.size(), 3u);
  EXPECT_EQ(all[0].recording, RecordingState::Verified);
  EXPECT_EQ(all[1].recording, RecordingState::Refused);
  EXPECT_EQ(all[1].recordingReason, "took too long");
  EXPECT_EQ(all[2].recording, RecordingState::None);
  const auto verified = storage_->TopScores(10, true);
  ASSERT_EQ(verified.size(), 1u);
  EXPECT_EQ(verified[0].name, "A");
  EXPECT_EQ(verified[0].id, ids[0]);
  // A hidden row's recording is not offered either.
  ASSERT_EQ(storage_->SetHidden({ids[0], "", ""}, true), 1);
  EXPECT_FALSE(storage_->VerifiedRecording(ids[0]));
}

TEST_P(StorageTest, TopScoresBestFirstTiesInArrivalOrderTextsAsGiven) {
  const std::vector<ScoreRow> rows = {Row("third", 300),
                                      Row("first", 900),
                                      Row("tie-early", 500),
                                      Row("tie-late", 500),
                                      Row("'); DROP TABLE scores; --", 100),
                                      {"\xc3\xa9t\xc3\xa9 <b>", "\"q\" \\ %", 50, 7, {}}};
  int n = 0;
  for (const auto& row : rows) {
    const std::string token = "t" + std::to_string(n++);
    storage_->IssueToken(token, "c", 10);
    ASSERT_EQ(storage_->Submit(token, "c", 1, row), TokenCheck::Accepted);
  }
  const auto top = storage_->TopScores(100);
  ASSERT_EQ(top.size(), rows.size());
  const char* order[] = {"first",
                         "tie-early",
                         "tie-late",
                         "third",
                         "'); DROP TABLE scores; --",
                         "\xc3\xa9t\xc3\xa9 <b>"};
  for (size_t i = 0; i < top.size(); ++i) EXPECT_EQ(top[i].name, order[i]) << i;
  EXPECT_EQ(top[5].country, "\"q\" \\ %");
  EXPECT_EQ(top[5].time, 7);
  EXPECT_EQ(storage_->TopScores(2).size(), 2u);
}

// Many threads race to use the same tokens: each token stores exactly one row.
TEST_P(StorageTest, ConcurrentUsesOfOneTokenStoreOneRow) {
  constexpr int tokens = 20, threads = 4;
  for (int t = 0; t < tokens; ++t) storage_->IssueToken("t" + std::to_string(t), "c", 100);
  std::atomic<int> accepted{0};
  std::vector<std::thread> workers;
  for (int w = 0; w < threads; ++w) {
    workers.emplace_back([&] {
      for (int t = 0; t < tokens; ++t) {
        if (storage_->Submit("t" + std::to_string(t), "c", 1, Row("r", t + 1)) ==
            TokenCheck::Accepted)
          ++accepted;
      }
    });
  }
  for (auto& w : workers) w.join();
  EXPECT_EQ(accepted, tokens);
  EXPECT_EQ(storage_->CountScores(), tokens);
}

TEST_P(StorageTest, ADatabaseFromANewerProgramIsRefused) {
  storage_.reset();
  // Pretend a later program migrated this database further.
  const char* sql = "UPDATE schema_version SET version = 99";
  if (IsPostgres()) {
    PGconn* conn = PQconnectdb(target_.c_str());
    PQclear(PQexec(conn, sql));
    PQfinish(conn);
  } else {
    sqlite3* db = nullptr;
    sqlite3_open(target_.c_str(), &db);
    sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    sqlite3_close(db);
  }
  try {
    Open();
    FAIL() << "opened";
  } catch (const StorageError& e) {
    EXPECT_NE(std::string(e.what()).find("99"), std::string::npos) << e.what();
  }
}

// Another session holding a lock makes every call give up after the wait, as
// busy, instead of hanging.
TEST_P(StorageTest, ALockHeldElsewhereIsBusyAfterTheWait) {
  storage_ = Open(300);
  storage_->IssueToken("00000000000000000000000000000001", "c", 100);
  // The other session: a transaction holding the tables.
  sqlite3* lite = nullptr;
  PGconn* pg = nullptr;
  if (IsPostgres()) {
    pg = PQconnectdb(target_.c_str());
    ASSERT_EQ(PQstatus(pg), CONNECTION_OK);
    PQclear(PQexec(pg, "BEGIN; LOCK TABLE scores, tokens IN ACCESS EXCLUSIVE MODE"));
  } else {
    ASSERT_EQ(sqlite3_open(target_.c_str(), &lite), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(lite, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
  }
  const struct {
    const char* what;
    std::function<void()> call;
  } cases[] = {
      {"IssueToken", [&] { storage_->IssueToken("00000000000000000000000000000002", "c", 100); }},
      {"Submit",
       [&] { storage_->Submit("00000000000000000000000000000001", "c", 1, Row("n", 5)); }},
      {"TopScores", [&] { storage_->TopScores(10); }},
  };
  for (const auto& c : cases) {
    // PostgreSQL readers are not blocked by SQLite-style exclusive locks, but
    // by ACCESS EXCLUSIVE they are; SQLite in WAL mode still lets readers read.
    if (!IsPostgres() && std::string(c.what) == "TopScores") continue;
    EXPECT_THROW(c.call(), StorageBusy) << c.what;
  }
  if (pg) PQfinish(pg);
  if (lite) sqlite3_close(lite);
  // The lock gone, the same calls work again.
  EXPECT_NO_THROW(storage_->IssueToken("00000000000000000000000000000003", "c", 100));
}

// Moderation: rows found by id, name or address; hidden ones leave the page
// but stay; deleted ones go.
TEST_P(StorageTest, RowsAreFoundHiddenShownAndDeletedByIdNameOrAddress) {
  const struct {
    const char* name;
    int64_t score;
    const char* address;
  } rows[] = {{"Ann", 500, "203.0.113.1"},
              {"Bob", 400, "203.0.113.2"},
              {"Ann", 300, "203.0.113.3"},
              {"Cy", 200, "203.0.113.2"}};
  int n = 0;
  for (const auto& r : rows) {
    const std::string token = std::string(31, '0') + std::to_string(n++);
    storage_->IssueToken(token, "c", 100);
    ScoreRow row = Row(r.name, r.score);
    row.address = r.address;
    ASSERT_EQ(storage_->Submit(token, "c", 1, row), TokenCheck::Accepted);
  }
  const auto names = [&](const std::vector<ScoreRow>& found) {
    std::string s;
    for (const auto& r : found) s += r.name + (r.hidden ? "(h) " : " ");
    return s;
  };
  EXPECT_EQ(names(storage_->FindRows({}, 10)), "Ann Bob Ann Cy ");
  EXPECT_EQ(names(storage_->FindRows({0, "Ann", ""}, 10)), "Ann Ann ");
  const auto bob = storage_->FindRows({0, "", "203.0.113.2"}, 10);
  ASSERT_EQ(bob.size(), 2u);
  EXPECT_EQ(bob[0].address, "203.0.113.2");

  EXPECT_EQ(storage_->SetHidden({0, "Ann", ""}, true), 2);
  EXPECT_EQ(names(storage_->TopScores(10)), "Bob Cy ");
  EXPECT_EQ(names(storage_->FindRows({}, 10)), "Ann(h) Bob Ann(h) Cy ");
  EXPECT_EQ(storage_->SetHidden({bob[0].id, "", ""}, true), 1);
  EXPECT_EQ(names(storage_->TopScores(10)), "Cy ");
  EXPECT_EQ(storage_->SetHidden({0, "", "203.0.113.2"}, false), 2);
  EXPECT_EQ(names(storage_->TopScores(10)), "Bob Cy ");
  EXPECT_EQ(storage_->DeleteRows({0, "", "203.0.113.2"}), 2);
  EXPECT_EQ(storage_->CountScores(), 2);
  EXPECT_EQ(storage_->DeleteRows({9999, "", ""}), 0);
}

// A database of the schema before moderation keeps its rows, which show.
TEST(SqliteStorage, AnOlderDatabaseIsMigratedInPlace) {
  const auto dir = fs::temp_directory_path() / ("gh_scores_old_" + std::to_string(getpid()));
  fs::create_directories(dir);
  const std::string path = (dir / "old.sqlite").string();
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  const auto migrations = Migrations(Dialect::Sqlite);
  std::string sql =
      "CREATE TABLE schema_version (version INTEGER NOT NULL);"
      "INSERT INTO schema_version VALUES (2);" +
      migrations[0] + migrations[1] +
      "INSERT INTO scores (name, country, score, created) VALUES ('Old', 'X', 77, 5);";
  ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(db);
  auto storage = OpenSqlite(path);
  EXPECT_EQ(storage->SchemaVersion(), Storage::LatestSchemaVersion());
  const auto rows = storage->TopScores(10);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].name, "Old");
  EXPECT_EQ(storage->SetHidden({0, "Old", ""}, true), 1);
  EXPECT_TRUE(storage->TopScores(10).empty());
  storage.reset();
  fs::remove_all(dir);
}

TEST(SqliteStorage, AnUnwritablePlaceIsAClearError) {
  try {
    OpenSqlite("/nonexistent-folder/for/sure/scores.sqlite");
    FAIL() << "opened";
  } catch (const StorageError& e) {
    EXPECT_NE(std::string(e.what()).find("/nonexistent-folder/for/sure/scores.sqlite"),
              std::string::npos)
        << e.what();
  }
}

TEST(PostgresStorage, NoServerIsAClearError) {
  EXPECT_THROW(OpenPostgres("host=/nonexistent-folder dbname=x connect_timeout=2", 1),
               StorageError);
}

INSTANTIATE_TEST_SUITE_P(Databases, StorageTest,
                         ::testing::Values(Backend{"SQLite"}, Backend{"PostgreSQL"}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace gh::scores
