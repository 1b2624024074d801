// The benchmark workloads in plain C on the module's own SQLite build, binding
// and reading the same values as the script runs, as the floor to compare with.
// Usage: sqlite_raw_bench <insert|all|get|iterate> <rows> <rounds>; prints one
// JSON array of the rounds' times in milliseconds.
#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

void Check(int rc, sqlite3* db) {
  if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
    std::fprintf(stderr, "sqlite: %s\n", sqlite3_errmsg(db));
    std::exit(1);
  }
}

sqlite3* OpenTable() {
  sqlite3* db = nullptr;
  Check(sqlite3_open(":memory:", &db), db);
  Check(sqlite3_exec(db, "CREATE TABLE t(id INTEGER PRIMARY KEY, name TEXT, score REAL, n INTEGER)", nullptr,
                     nullptr, nullptr),
        db);
  return db;
}

void Insert(sqlite3* db, long rows) {
  sqlite3_stmt* stmt = nullptr;
  Check(sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), db);
  Check(sqlite3_prepare_v3(db, "INSERT INTO t(name, score, n) VALUES (?, ?, ?)", -1, SQLITE_PREPARE_PERSISTENT,
                           &stmt, nullptr),
        db);
  char name[32];
  for (long i = 1; i <= rows; i++) {
    int length = std::snprintf(name, sizeof name, "name %ld", i);
    sqlite3_bind_text(stmt, 1, name, length, SQLITE_TRANSIENT);
    sqlite3_bind_double(stmt, 2, static_cast<double>(i) * 0.5);
    sqlite3_bind_double(stmt, 3, static_cast<double>(i));
    Check(sqlite3_step(stmt), db);
    sqlite3_reset(stmt);
    sqlite3_clear_bindings(stmt);
  }
  sqlite3_finalize(stmt);
  Check(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), db);
}

// Reads every field of a row as the script side does: numbers as doubles, the
// name as UTF-8 text of a known length.
double TouchRow(sqlite3_stmt* stmt) {
  double sum = sqlite3_column_double(stmt, 0) + sqlite3_column_double(stmt, 2) + sqlite3_column_double(stmt, 3);
  const unsigned char* name = sqlite3_column_text(stmt, 1);
  return sum + sqlite3_column_bytes(stmt, 1) + (name != nullptr ? name[0] : 0);
}

double All(sqlite3* db) {
  sqlite3_stmt* stmt = nullptr;
  Check(sqlite3_prepare_v3(db, "SELECT id, name, score, n FROM t", -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr), db);
  double sum = 0;
  while (sqlite3_step(stmt) == SQLITE_ROW) sum += TouchRow(stmt);
  sqlite3_finalize(stmt);
  return sum;
}

double Get(sqlite3* db, long rows) {
  sqlite3_stmt* stmt = nullptr;
  Check(sqlite3_prepare_v3(db, "SELECT id, name, score, n FROM t WHERE id = ?", -1, SQLITE_PREPARE_PERSISTENT,
                           &stmt, nullptr),
        db);
  double sum = 0;
  for (long i = 0; i < 200000; i++) {
    sqlite3_bind_double(stmt, 1, static_cast<double>((i * 7919) % rows + 1));
    if (sqlite3_step(stmt) == SQLITE_ROW) sum += TouchRow(stmt);
    sqlite3_reset(stmt);
    sqlite3_clear_bindings(stmt);
  }
  sqlite3_finalize(stmt);
  return sum;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: sqlite_raw_bench <insert|all|get|iterate> <rows> <rounds>\n");
    return 2;
  }
  std::string workload = argv[1];
  long rows = std::atol(argv[2]);
  int rounds = std::atoi(argv[3]);
  sqlite3* shared = nullptr;
  if (workload != "insert") {
    shared = OpenTable();
    Insert(shared, rows);
  }
  std::vector<double> times;
  volatile double sink = 0;
  for (int round = 0; round < rounds; round++) {
    sqlite3* db = workload == "insert" ? OpenTable() : shared;
    auto start = std::chrono::steady_clock::now();
    if (workload == "insert") {
      Insert(db, rows);
    } else if (workload == "all" || workload == "iterate") {
      sink = sink + All(db);
    } else if (workload == "get") {
      sink = sink + Get(db, rows);
    } else {
      std::fprintf(stderr, "unknown workload %s\n", workload.c_str());
      return 2;
    }
    times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    if (workload == "insert") sqlite3_close(db);
  }
  if (shared != nullptr) sqlite3_close(shared);
  std::printf("[");
  for (size_t i = 0; i < times.size(); i++) std::printf("%s%.3f", i == 0 ? "" : ",", times[i]);
  std::printf("]\n");
  return 0;
}
