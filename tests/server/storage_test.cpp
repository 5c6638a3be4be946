// The storage interface against both databases: SQLite in a temporary file and
// a throw-away PostgreSQL server started for this test program.
#include "server/Storage.h"

#include <gtest/gtest.h>
#include <libpq-fe.h>
#include <sqlite3.h>

#include <atomic>
#include <filesystem>
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
  std::unique_ptr<Storage> Open() {
    return IsPostgres() ? OpenPostgres(target_, 4) : OpenSqlite(target_);
  }
  static ScoreRow Row(const std::string& name, int64_t score, int64_t time = 1000) {
    return {name, "Somewhere", score, time};
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

TEST_P(StorageTest, TopScoresBestFirstTiesInArrivalOrderTextsAsGiven) {
  const std::vector<ScoreRow> rows = {Row("third", 300),
                                      Row("first", 900),
                                      Row("tie-early", 500),
                                      Row("tie-late", 500),
                                      Row("'); DROP TABLE scores; --", 100),
                                      {"\xc3\xa9t\xc3\xa9 <b>", "\"q\" \\ %", 50, 7}};
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
