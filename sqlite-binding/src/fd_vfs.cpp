// The layer's process-wide and per-thread state, its registration with SQLite,
// the opening of a connection on two descriptors, and the reasons it records for
// the error reports.
#include "fd_vfs.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cinttypes>
#include <cstdio>
#include <cstring>

thread_local int FdVfs::pending_fd = -1;
thread_local int FdVfs::pending_journal_fd = -1;
thread_local const char* FdVfs::pending_name = nullptr;
thread_local int FdVfs::open_error_code = 0;
thread_local const char* FdVfs::open_error_message = nullptr;

std::atomic<uint64_t> FdVfs::next_id{0};

// Created on first use and never destroyed, so that a connection closed late
// during process exit still finds them.
std::mutex& FdVfs::Mutex() {
  static std::mutex* mutex = new std::mutex;
  return *mutex;
}

std::vector<FdVfs::Inode*>& FdVfs::Inodes() {
  static auto* inodes = new std::vector<Inode*>;
  return *inodes;
}

std::vector<FdVfs::File*>& FdVfs::MainFiles() {
  static auto* files = new std::vector<File*>;
  return *files;
}

void FdVfs::Register() {
  static sqlite3_vfs record;
  static std::once_flag once;
  std::call_once(once, [] {
    sqlite3_vfs* fallback = sqlite3_vfs_find(nullptr);
    std::memset(&record, 0, sizeof record);
    record.iVersion = 3;
    // Names that are not fd names are opened by the default VFS in the same buffer.
    record.szOsFile = fallback->szOsFile > static_cast<int>(sizeof(File)) ? fallback->szOsFile
                                                                           : static_cast<int>(sizeof(File));
    record.mxPathname = fallback->mxPathname;
    record.zName = NAME;
    record.pAppData = fallback;
    record.xOpen = xOpen;
    record.xDelete = xDelete;
    record.xAccess = xAccess;
    record.xFullPathname = xFullPathname;
    record.xDlOpen = xDlOpen;
    record.xDlError = xDlError;
    record.xDlSym = xDlSym;
    record.xDlClose = xDlClose;
    record.xRandomness = xRandomness;
    record.xSleep = xSleep;
    record.xCurrentTime = xCurrentTime;
    record.xGetLastError = xGetLastError;
    record.xCurrentTimeInt64 = xCurrentTimeInt64;
    record.xSetSystemCall = xSetSystemCall;
    record.xGetSystemCall = xGetSystemCall;
    record.xNextSystemCall = xNextSystemCall;
    sqlite3_vfs_register(&record, 0);
  });
}

// SQLite opens the main file on this thread from inside sqlite3_open_v2; the
// descriptors reach OpenMain through this thread's pending state, which is
// consumed by that one open and reset here whatever happened.
int FdVfs::Open(int database_fd, int journal_fd, int flags, sqlite3** connection, const char** message) {
  Register();
  char name[48];
  std::snprintf(name, sizeof name, "fd:%d:%" PRIu64, database_fd, next_id.fetch_add(1));

  pending_fd = database_fd;
  pending_journal_fd = journal_fd;
  pending_name = name;
  open_error_code = 0;
  open_error_message = nullptr;

  int rc = sqlite3_open_v2(name, connection, flags, NAME);
  int code = *connection != nullptr ? sqlite3_extended_errcode(*connection) : rc;
  *message = rc != SQLITE_OK && open_error_code == code ? open_error_message : nullptr;

  pending_fd = -1;
  pending_journal_fd = -1;
  pending_name = nullptr;
  open_error_code = 0;
  open_error_message = nullptr;
  return rc;
}

// The record is written only while this same connection runs an operation on
// this thread, so it is read without the mutex.
const char* FdVfs::TakeRecordedMessage(sqlite3* connection, int code) {
  sqlite3_file* main = nullptr;
  if (sqlite3_file_control(connection, "main", SQLITE_FCNTL_FILE_POINTER, &main) != SQLITE_OK) return nullptr;
  if (main == nullptr || main->pMethods != &main_io_methods) return nullptr;
  File* file = AsFile(main);
  const char* message = file->error_code == code && file->error_operation == operation ? file->error_message
                                                                                       : nullptr;
  file->error_code = 0;
  file->error_message = nullptr;
  return message;
}

void FdVfs::Record(File* file, int code, const char* message) {
  file->error_code = code;
  file->error_message = message;
  file->error_operation = operation;
}

bool FdVfs::IsFdName(const char* name) {
  return name != nullptr && std::strncmp(name, "fd:", 3) == 0 && name[3] >= '0' && name[3] <= '9';
}

int FdVfs::Duplicate(int fd) { return fcntl(fd, F_DUPFD_CLOEXEC, 3); }

bool FdVfs::IsLinked(int fd) {
  struct stat st;
  return fstat(fd, &st) == 0 && st.st_nlink > 0;
}
