// The module's behaviour rests on SQLite's compile-time options; each is shown
// here by what a connection does, not by asking SQLite which options it has,
// except where an option only removes an interface.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

class Connection {
 public:
  explicit Connection(const std::string& path = ":memory:",
                      int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE) {
    EXPECT_EQ(sqlite3_open_v2(path.c_str(), &db_, flags, nullptr), SQLITE_OK);
  }
  ~Connection() { sqlite3_close(db_); }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  sqlite3* handle() const { return db_; }

  // Runs the statements of sql; on failure returns SQLite's message.
  std::string exec(const std::string& sql) {
    char* message = nullptr;
    int rc = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message);
    std::string text = rc == SQLITE_OK ? "" : (message ? message : sqlite3_errstr(rc));
    sqlite3_free(message);
    return text;
  }

  // The first column of the first row of one statement, as text; the error
  // message prefixed with "error: " when the statement fails.
  std::string value(const std::string& sql) {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
      return std::string("error: ") + sqlite3_errmsg(db_);
    }
    std::string text;
    int rc = sqlite3_step(stmt);
    if (rc == SQLITE_ROW) {
      const unsigned char* column = sqlite3_column_text(stmt, 0);
      text = column ? reinterpret_cast<const char*>(column) : "NULL";
    } else if (rc != SQLITE_DONE) {
      text = std::string("error: ") + sqlite3_errmsg(db_);
    }
    sqlite3_finalize(stmt);
    return text;
  }

 private:
  sqlite3* db_ = nullptr;
};

class TempDir {
 public:
  TempDir() {
    char pattern[] = "/tmp/mivo-sqlite-build-XXXXXX";
    path_ = mkdtemp(pattern);
  }
  ~TempDir() { std::filesystem::remove_all(path_); }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

TEST(SqliteBuild, IsTheVersionTheSetUpPrinted) {
  EXPECT_STREQ(sqlite3_libversion(), MIVO_SQLITE_VERSION);
  EXPECT_STREQ(SQLITE_VERSION, MIVO_SQLITE_VERSION);
}

TEST(SqliteBuild, FullTextSearchTables) {
  Connection c;
  EXPECT_EQ(c.exec("CREATE VIRTUAL TABLE f3 USING fts3(body);"
                   "CREATE VIRTUAL TABLE f4 USING fts4(body);"
                   "CREATE VIRTUAL TABLE f5 USING fts5(body);"
                   "INSERT INTO f4 VALUES ('apple pie'), ('banana split'), ('cherry tart');"
                   "INSERT INTO f5 VALUES ('apple pie');"),
            "");
  // The parenthesis syntax gives AND and OR their own meaning and allows grouping.
  EXPECT_EQ(c.value("SELECT count(*) FROM f4 WHERE f4 MATCH '(apple OR cherry) AND pie'"), "1");
  EXPECT_EQ(c.value("SELECT count(*) FROM f4 WHERE f4 MATCH 'apple OR cherry'"), "2");
  EXPECT_EQ(c.value("SELECT body FROM f5 WHERE f5 MATCH 'pie'"), "apple pie");
}

TEST(SqliteBuild, RtreeGeopolyAndDbstat) {
  Connection c;
  EXPECT_EQ(c.exec("CREATE VIRTUAL TABLE r USING rtree(id, x0, x1);"
                   "INSERT INTO r VALUES (1, 0, 10);"
                   "CREATE VIRTUAL TABLE g USING geopoly();"
                   "CREATE TABLE t(a);"),
            "");
  EXPECT_EQ(c.value("SELECT id FROM r WHERE x0 <= 5 AND x1 >= 5"), "1");
  EXPECT_EQ(c.value("SELECT geopoly_area('[[0,0],[2,0],[2,2],[0,2],[0,0]]')"), "4.0");
  EXPECT_EQ(c.value("SELECT count(*) > 0 FROM dbstat"), "1");
}

TEST(SqliteBuild, ColumnMetadata) {
  Connection c;
  ASSERT_EQ(c.exec("CREATE TABLE people(name TEXT)"), "");
  sqlite3_stmt* stmt = nullptr;
  ASSERT_EQ(sqlite3_prepare_v2(c.handle(), "SELECT name AS n FROM people", -1, &stmt, nullptr),
            SQLITE_OK);
  EXPECT_STREQ(sqlite3_column_table_name(stmt, 0), "people");
  EXPECT_STREQ(sqlite3_column_origin_name(stmt, 0), "name");
  EXPECT_STREQ(sqlite3_column_database_name(stmt, 0), "main");
  sqlite3_finalize(stmt);
}

TEST(SqliteBuild, Stat4) {
  Connection c;
  EXPECT_EQ(c.exec("CREATE TABLE t(a); CREATE INDEX ta ON t(a);"
                   "INSERT INTO t VALUES (1), (2), (3); ANALYZE;"),
            "");
  EXPECT_EQ(c.value("SELECT count(*) > 0 FROM sqlite_stat4"), "1");
}

TEST(SqliteBuild, Functions) {
  Connection c;
  EXPECT_EQ(c.value("SELECT sqrt(16)"), "4.0");
  EXPECT_EQ(c.value("SELECT median(v) FROM (SELECT 1 AS v UNION ALL SELECT 3 UNION ALL SELECT 10)"),
            "3.0");
  EXPECT_EQ(c.value("SELECT percentile(v, 50) FROM (SELECT 1 AS v UNION ALL SELECT 3)"), "2.0");
  EXPECT_EQ(c.value("SELECT soundex('Robert')"), "R163");
}

TEST(SqliteBuild, UpdateAndDeleteWithLimit) {
  Connection c;
  ASSERT_EQ(c.exec("CREATE TABLE t(a); INSERT INTO t VALUES (1), (2), (3);"), "");
  EXPECT_EQ(c.exec("DELETE FROM t ORDER BY a LIMIT 1"), "");
  EXPECT_EQ(c.exec("UPDATE t SET a = 0 ORDER BY a DESC LIMIT 1"), "");
  EXPECT_EQ(c.value("SELECT group_concat(a) FROM (SELECT a FROM t ORDER BY a)"), "0,2");
}

TEST(SqliteBuild, Language) {
  Connection c;
  // Double-quoted strings are identifiers only, in queries and in schema text.
  EXPECT_EQ(c.value("SELECT \"x\"").rfind("error: no such column: \"x\"", 0), 0u);
  EXPECT_EQ(c.exec("CREATE TABLE t(a DEFAULT \"x\")"), "");
  EXPECT_NE(c.exec("CREATE INDEX ti ON t(\"nope\")"), "");
  // LIKE never matches a BLOB.
  EXPECT_EQ(c.value("SELECT x'61' LIKE 'a'"), "0");
  EXPECT_EQ(c.value("SELECT 'a' LIKE 'a'"), "1");
  // Named parameters with $ stay, but not the TCL forms $a::b and $a(b).
  EXPECT_EQ(c.value("SELECT $a IS NULL"), "1");
  EXPECT_EQ(c.value("SELECT $a::b").rfind("error: ", 0), 0u);
}

TEST(SqliteBuild, UriFileNamesAreOff) {
  TempDir dir;
  std::filesystem::current_path(dir.path());
  {
    Connection c("file:plain.db?mode=memory");
    EXPECT_EQ(c.exec("CREATE TABLE t(a)"), "");
  }
  // Without URI names the whole text is an ordinary file name.
  EXPECT_TRUE(std::filesystem::exists(dir / "file:plain.db?mode=memory"));
  std::filesystem::current_path("/");
}

TEST(SqliteBuild, ConnectionDefaults) {
  TempDir dir;
  {
    Connection c((dir / "d.db").string());
    EXPECT_EQ(c.value("PRAGMA foreign_keys"), "1");
    EXPECT_EQ(c.value("PRAGMA recursive_triggers"), "0");
    EXPECT_EQ(c.value("PRAGMA cache_size"), "-16000");
    EXPECT_EQ(c.value("PRAGMA page_size"), "4096");
    EXPECT_EQ(c.value("PRAGMA synchronous"), "2");
    EXPECT_EQ(c.value("PRAGMA temp_store"), "0");
    EXPECT_EQ(c.value("PRAGMA journal_mode = WAL"), "wal");
  }
  // A database found in WAL mode when it is opened gets the WAL default.
  Connection reopened((dir / "d.db").string());
  EXPECT_EQ(reopened.value("PRAGMA synchronous"), "1");
}

TEST(SqliteBuild, TemporaryStorageIsInFilesByDefault) {
  // With the temp-store default at 1, "PRAGMA temp_store = DEFAULT" means files,
  // which only shows through the option itself.
  EXPECT_EQ(sqlite3_compileoption_used("TEMP_STORE=1"), 1);
}

TEST(SqliteBuild, MemoryStatisticsAreOff) {
  Connection c;
  ASSERT_EQ(c.exec("CREATE TABLE t(a); INSERT INTO t VALUES (randomblob(100000));"), "");
  sqlite3_int64 current = -1, highwater = -1;
  ASSERT_EQ(sqlite3_status64(SQLITE_STATUS_MEMORY_USED, &current, &highwater, 0), SQLITE_OK);
  EXPECT_EQ(current, 0);
  EXPECT_EQ(highwater, 0);
}

TEST(SqliteBuild, MultiThreadMode) { EXPECT_EQ(sqlite3_threadsafe(), 2); }

TEST(SqliteBuild, LeftOutInterfaces) {
  for (const char* option :
       {"OMIT_DEPRECATED", "OMIT_PROGRESS_CALLBACK", "OMIT_SHARED_CACHE", "OMIT_TCL_VARIABLE"}) {
    EXPECT_EQ(sqlite3_compileoption_used(option), 1) << option;
  }
}

TEST(SqliteBuild, FunctionArgumentCountsUpTo1000) {
  Connection c;
  auto define = [&](int count) {
    return sqlite3_create_function_v2(
        c.handle(), "f", count, SQLITE_UTF8, nullptr,
        [](sqlite3_context* context, int, sqlite3_value**) { sqlite3_result_int(context, 1); },
        nullptr, nullptr, nullptr);
  };
  EXPECT_EQ(define(-1), SQLITE_OK);
  EXPECT_EQ(define(1000), SQLITE_OK);
  EXPECT_EQ(define(1001), SQLITE_MISUSE);
  EXPECT_EQ(define(-2), SQLITE_MISUSE);
}

}  // namespace
