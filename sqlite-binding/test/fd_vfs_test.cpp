// FdVfs's file methods called through SQLite's own handles, for what scripts
// cannot see: short reads, lock states, path lengths, the journal's answers.
#include "fd_vfs.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

class FdVfsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/fd-vfs-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir = pattern;
    path = dir + "/test.db";
    journal_path = path + "-journal";
    database_fd = open(path.c_str(), O_RDWR | O_CREAT, 0644);
    journal_fd = open(journal_path.c_str(), O_RDWR | O_CREAT, 0644);
    ASSERT_GE(database_fd, 0);
    ASSERT_GE(journal_fd, 0);
  }

  void TearDown() override {
    for (sqlite3* connection : connections) sqlite3_close(connection);
    for (int fd : host_fds) close(fd);
    close(database_fd);
    close(journal_fd);
    unlink(journal_path.c_str());
    unlink(path.c_str());
    rmdir(dir.c_str());
  }

  sqlite3* Connect(int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, int db_fd = -1, int j_fd = -1) {
    db_fd = db_fd == -1 ? database_fd : db_fd;
    j_fd = j_fd == -1 ? journal_fd : j_fd;
    const char* refusal = FdVfs::Validate(db_fd, j_fd, flags == SQLITE_OPEN_READONLY);
    EXPECT_EQ(refusal, nullptr) << refusal;
    sqlite3* connection = nullptr;
    const char* message = nullptr;
    EXPECT_EQ(FdVfs::Open(db_fd, j_fd, flags, &connection, &message), SQLITE_OK);
    connections.push_back(connection);
    return connection;
  }

  int HostFd(const std::string& file, int flags) {
    int fd = open(file.c_str(), flags);
    host_fds.push_back(fd);
    return fd;
  }

  static int Exec(sqlite3* connection, const char* sql) {
    return sqlite3_exec(connection, sql, nullptr, nullptr, nullptr);
  }

  static sqlite3_file* MainFile(sqlite3* connection) {
    sqlite3_file* file = nullptr;
    EXPECT_EQ(sqlite3_file_control(connection, "main", SQLITE_FCNTL_FILE_POINTER, &file), SQLITE_OK);
    return file;
  }

  static int LockState(sqlite3* connection) {
    int state = -1;
    EXPECT_EQ(sqlite3_file_control(connection, "main", SQLITE_FCNTL_LOCKSTATE, &state), SQLITE_OK);
    return state;
  }

  static std::string Name(sqlite3* connection) { return sqlite3_db_filename(connection, "main"); }

  // Whether another process finds the reserved byte of the database file
  // locked: POSIX locks are seen across processes only.
  bool ReservedByteLockedForOthers() const {
    const pid_t child = fork();
    if (child == 0) {
      const int fd = open(path.c_str(), O_RDONLY);
      struct flock lock {};
      lock.l_type = F_WRLCK;
      lock.l_whence = SEEK_SET;
      lock.l_start = 0x40000001;  // the byte after the pending byte
      lock.l_len = 1;
      _exit(fd >= 0 && fcntl(fd, F_GETLK, &lock) == 0 ? (lock.l_type == F_UNLCK ? 0 : 1) : 2);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) != 2);
    return WIFEXITED(status) && WEXITSTATUS(status) == 1;
  }

  std::string dir;
  std::string path;
  std::string journal_path;
  int database_fd = -1;
  int journal_fd = -1;
  std::vector<sqlite3*> connections;
  std::vector<int> host_fds;
};

TEST_F(FdVfsTest, ReadsThatReachTheEndZeroOnlyTheMissingBytes) {
  sqlite3* connection = Connect();
  ASSERT_EQ(Exec(connection, "CREATE TABLE t(x); INSERT INTO t VALUES (randomblob(100))"), SQLITE_OK);
  sqlite3_file* file = MainFile(connection);
  sqlite3_int64 size = 0;
  ASSERT_EQ(file->pMethods->xFileSize(file, &size), SQLITE_OK);
  ASSERT_EQ(size, lseek(database_fd, 0, SEEK_END));

  unsigned char buffer[16];
  std::memset(buffer, 0xAA, sizeof buffer);
  EXPECT_EQ(file->pMethods->xRead(file, buffer, 16, size), SQLITE_IOERR_SHORT_READ);
  for (unsigned char byte : buffer) EXPECT_EQ(byte, 0);

  unsigned char tail[4];
  ASSERT_EQ(pread(database_fd, tail, 4, size - 4), 4);
  std::memset(buffer, 0xAA, sizeof buffer);
  EXPECT_EQ(file->pMethods->xRead(file, buffer, 16, size - 4), SQLITE_IOERR_SHORT_READ);
  EXPECT_EQ(std::memcmp(buffer, tail, 4), 0);
  for (int i = 4; i < 16; i++) EXPECT_EQ(buffer[i], 0) << i;

  EXPECT_EQ(file->pMethods->xRead(file, buffer, 0, size + 100), SQLITE_OK);
}

TEST_F(FdVfsTest, LockStateFollowsEveryLevelAcrossTwoConnections) {
  sqlite3* writer = Connect();
  ASSERT_EQ(Exec(writer, "CREATE TABLE t(x)"), SQLITE_OK);
  sqlite3* reader = Connect();
  EXPECT_EQ(LockState(writer), SQLITE_LOCK_NONE);

  ASSERT_EQ(Exec(reader, "BEGIN; SELECT * FROM t"), SQLITE_OK);
  EXPECT_EQ(LockState(reader), SQLITE_LOCK_SHARED);
  ASSERT_EQ(Exec(writer, "BEGIN IMMEDIATE; INSERT INTO t VALUES (1)"), SQLITE_OK);
  EXPECT_EQ(LockState(writer), SQLITE_LOCK_RESERVED);

  // The reader still reads, so the commit stops at PENDING, and no new reader gets in.
  EXPECT_EQ(Exec(writer, "COMMIT"), SQLITE_BUSY);
  EXPECT_EQ(LockState(writer), SQLITE_LOCK_PENDING);
  sqlite3* late_reader = Connect();
  EXPECT_EQ(Exec(late_reader, "SELECT * FROM t"), SQLITE_BUSY);
  EXPECT_EQ(LockState(late_reader), SQLITE_LOCK_NONE);

  ASSERT_EQ(Exec(reader, "COMMIT"), SQLITE_OK);
  EXPECT_EQ(LockState(reader), SQLITE_LOCK_NONE);
  ASSERT_EQ(Exec(writer, "COMMIT"), SQLITE_OK);
  EXPECT_EQ(LockState(writer), SQLITE_LOCK_NONE);

  ASSERT_EQ(Exec(writer, "BEGIN EXCLUSIVE"), SQLITE_OK);
  EXPECT_EQ(LockState(writer), SQLITE_LOCK_EXCLUSIVE);
  EXPECT_EQ(Exec(reader, "SELECT * FROM t"), SQLITE_BUSY);
  ASSERT_EQ(Exec(writer, "COMMIT"), SQLITE_OK);
  EXPECT_EQ(Exec(reader, "SELECT * FROM t"), SQLITE_OK);
}

// A second connection whose open fails after it duplicated the database's
// descriptor must not close that duplicate at once: closing any descriptor of
// the file would drop the locks the first connection holds on it.
TEST_F(FdVfsTest, AnOpenThatRunsOutOfDescriptorsLeavesAnotherConnectionsLocks) {
  sqlite3* writer = Connect();
  ASSERT_EQ(Exec(writer, "CREATE TABLE t(x); BEGIN IMMEDIATE; INSERT INTO t VALUES (1)"), SQLITE_OK);
  ASSERT_TRUE(ReservedByteLockedForOthers());

  struct rlimit old {};
  ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &old), 0);
  const int lowest_free = dup(0);
  close(lowest_free);
  // Room for the database's duplicate, none for the journal's.
  struct rlimit limited = old;
  limited.rlim_cur = static_cast<rlim_t>(lowest_free) + 1;
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &limited), 0);
  sqlite3* refused = nullptr;
  const char* message = nullptr;
  const int rc = FdVfs::Open(database_fd, journal_fd, SQLITE_OPEN_READWRITE, &refused, &message);
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &old), 0);
  if (refused != nullptr) connections.push_back(refused);

  EXPECT_NE(rc, SQLITE_OK);
  EXPECT_TRUE(ReservedByteLockedForOthers());
  EXPECT_EQ(Exec(writer, "COMMIT"), SQLITE_OK);
  EXPECT_FALSE(ReservedByteLockedForOthers());
}

TEST_F(FdVfsTest, FullPathnameNeedsRoomForTheTerminator) {
  FdVfs::Register();
  sqlite3_vfs* vfs = sqlite3_vfs_find(FdVfs::NAME);
  ASSERT_NE(vfs, nullptr);
  EXPECT_NE(sqlite3_vfs_find(nullptr), vfs) << "never the default VFS";

  char buffer[16];
  EXPECT_EQ(vfs->xFullPathname(vfs, "fd:1:23", 8, buffer), SQLITE_OK);
  EXPECT_STREQ(buffer, "fd:1:23");
  EXPECT_EQ(vfs->xFullPathname(vfs, "fd:1:23", 7, buffer), SQLITE_CANTOPEN);
  // Not fd names: "fd:" without a digit, and ordinary names, go to the default VFS.
  std::vector<char> full(vfs->mxPathname + 1);
  ASSERT_EQ(vfs->xFullPathname(vfs, "fd:x", vfs->mxPathname + 1, full.data()), SQLITE_OK);
  EXPECT_EQ(full[0], '/');
}

TEST_F(FdVfsTest, TheJournalExistsOnlyWhenItHasBytes) {
  Connect();
  int readonly_db = HostFd(path, O_RDONLY);
  int readonly_journal = HostFd(journal_path, O_RDONLY);
  sqlite3* readonly = Connect(SQLITE_OPEN_READONLY, readonly_db, readonly_journal);
  sqlite3* writable = connections[0];
  sqlite3_vfs* vfs = sqlite3_vfs_find(FdVfs::NAME);
  auto access = [&](sqlite3* connection, const std::string& suffix, int question) {
    int result = -1;
    EXPECT_EQ(vfs->xAccess(vfs, (Name(connection) + suffix).c_str(), question, &result), SQLITE_OK);
    return result;
  };

  EXPECT_EQ(access(readonly, "-journal", SQLITE_ACCESS_EXISTS), 0);
  ASSERT_EQ(pwrite(journal_fd, "x", 1, 0), 1);
  EXPECT_EQ(access(readonly, "-journal", SQLITE_ACCESS_EXISTS), 1);
  EXPECT_EQ(access(readonly, "-journal", SQLITE_ACCESS_READWRITE), 0);
  EXPECT_EQ(access(writable, "-journal", SQLITE_ACCESS_READWRITE), 1);
  EXPECT_EQ(access(writable, "", SQLITE_ACCESS_EXISTS), 0);
  EXPECT_EQ(access(writable, "-wal", SQLITE_ACCESS_EXISTS), 0);

  // Deleting truncates, and the journal is gone again.
  EXPECT_EQ(vfs->xDelete(vfs, (Name(writable) + "-journal").c_str(), 1), SQLITE_OK);
  EXPECT_EQ(lseek(journal_fd, 0, SEEK_END), 0);
  EXPECT_EQ(access(writable, "-journal", SQLITE_ACCESS_EXISTS), 0);
  EXPECT_EQ(vfs->xDelete(vfs, (Name(writable) + "-wal").c_str(), 0), SQLITE_IOERR_DELETE_NOENT);
}

TEST_F(FdVfsTest, TheJournalFileIsNeverLockedAndAnswersNoControl) {
  sqlite3* connection = Connect();
  ASSERT_EQ(Exec(connection, "CREATE TABLE t(x); BEGIN; INSERT INTO t VALUES (1)"), SQLITE_OK);
  sqlite3_file* journal = nullptr;
  ASSERT_EQ(sqlite3_file_control(connection, "main", SQLITE_FCNTL_JOURNAL_POINTER, &journal), SQLITE_OK);
  ASSERT_EQ(journal->pMethods, &FdVfs::journal_io_methods);
  int value = -1;
  EXPECT_EQ(journal->pMethods->xCheckReservedLock(journal, &value), SQLITE_OK);
  EXPECT_EQ(value, 0);
  for (int operation : {SQLITE_FCNTL_LOCKSTATE, SQLITE_FCNTL_HAS_MOVED, SQLITE_FCNTL_SIZE_HINT}) {
    EXPECT_EQ(journal->pMethods->xFileControl(journal, operation, &value), SQLITE_NOTFOUND) << operation;
  }
  EXPECT_EQ(Exec(connection, "COMMIT"), SQLITE_OK);

  char* name = nullptr;
  ASSERT_EQ(sqlite3_file_control(connection, "main", SQLITE_FCNTL_VFSNAME, &name), SQLITE_OK);
  EXPECT_STREQ(name, "mivo-sqlite-fd");
  sqlite3_free(name);
}

TEST_F(FdVfsTest, AnUnlinkedDatabaseHasMovedAndTakesNoLock) {
  sqlite3* connection = Connect();
  ASSERT_EQ(Exec(connection, "CREATE TABLE t(x)"), SQLITE_OK);
  int moved = -1;
  ASSERT_EQ(sqlite3_file_control(connection, "main", SQLITE_FCNTL_HAS_MOVED, &moved), SQLITE_OK);
  EXPECT_EQ(moved, 0);

  ASSERT_EQ(unlink(path.c_str()), 0);
  ASSERT_EQ(sqlite3_file_control(connection, "main", SQLITE_FCNTL_HAS_MOVED, &moved), SQLITE_OK);
  EXPECT_EQ(moved, 1);
  EXPECT_EQ(Exec(connection, "SELECT * FROM t"), SQLITE_CANTOPEN);
  EXPECT_EQ(LockState(connection), SQLITE_LOCK_NONE);
  EXPECT_STREQ(FdVfs::TakeRecordedMessage(connection, sqlite3_extended_errcode(connection)),
               "The database file or its journal file was deleted or replaced while the database was "
               "open (the database must be reopened)");
  EXPECT_EQ(FdVfs::TakeRecordedMessage(connection, SQLITE_CANTOPEN), nullptr) << "used once";

  // A reason recorded during one operation is not shown for a failure of the next.
  EXPECT_EQ(Exec(connection, "SELECT * FROM t"), SQLITE_CANTOPEN);
  FdVfs::operation++;
  EXPECT_EQ(FdVfs::TakeRecordedMessage(connection, SQLITE_CANTOPEN), nullptr);
}

}  // namespace
