#pragma once

#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

// FdVfs: the SQLite file layer on which a connection works on a database file and
// its rollback journal that the host already opened and hands in as two
// descriptors. The layer never opens either file by name: it duplicates the
// descriptors and reads, writes and locks through the duplicates.
//
// Only what rollback-journal mode needs goes through descriptors: the main
// database and its journal, both named after the connection's fd name
// ("fd:<descriptor>:<sequence number>", and that name with "-journal"). Write-ahead
// logging and super-journals are refused; files without a name (temporary
// databases, statement journals, sorter files) and every other name go to the
// default VFS unchanged.
//
// Locking follows SQLite's POSIX advisory locking protocol on the same bytes, so
// connections of other processes that use SQLite's ordinary unix file layer on the
// same file exclude ours and ours theirs. Why the lock state lives in a shared
// Inode record and not in each file is told at the top of fd_vfs_lock.cpp.
class FdVfs {
 public:
  // The name under which the layer is registered with SQLite.
  static constexpr const char* NAME = "mivo-sqlite-fd";

  // Null when both descriptors can be opened; otherwise the reason, a fixed text.
  static const char* Validate(int database_fd, int journal_fd, bool readonly);
  // Opens a connection on the two descriptors, which stay open and unchanged. The
  // connection is whatever sqlite3_open_v2 gave back (the caller closes it, also
  // on failure); the message is the reason this layer recorded for a failed open.
  static int Open(int database_fd, int journal_fd, int flags, sqlite3** connection,
                  const char** message);
  // Registers the layer with SQLite once per process, never as the default VFS.
  static void Register();
  // The reason this layer recorded for the failure that the connection reports
  // now with `code`, or null. The record is cleared whether it matched or not.
  static const char* TakeRecordedMessage(sqlite3* connection, int code);

  // Raised once by each statement preparation and each call that steps
  // statements, just before SQLite first runs for it. A reason the layer records
  // for a refusal carries the value, so an error report uses it only for the
  // operation it was recorded in. Defined here, not with the layer's sources:
  // statements raise it in every build, also on Windows, where the layer is not
  // built and nothing reads it.
  static inline thread_local uint64_t operation = 0;

  // The lock state that all main files of the process on one database file share.
  struct Inode {
    dev_t main_dev;
    uint64_t main_ino;
    dev_t journal_dev;
    uint64_t journal_ino;
    int ref_count;     // open main files on this database file
    int shared_count;  // main files holding SHARED or more
    int lock_count;    // main files holding any lock
    int lock_level;    // the strongest level any of them holds
    int lock_fd;       // the one descriptor all record locks are taken on
    bool lock_fd_writable;
    std::vector<int> pending_fds;  // descriptors whose closing waits for lock_count 0
  };

  // The sqlite3_file of this layer, for main files and journals alike; a journal
  // uses only the header and fd.
  struct File {
    sqlite3_file base;  // its methods stay null until the open succeeded
    int fd;
    int lock_level;
    Inode* inode;
    int journal_fd;  // the main file's own duplicate of the journal descriptor
    bool journal_writable;
    const char* name;  // SQLite's text, alive while the file is open
    int error_code;
    const char* error_message;
    uint64_t error_operation;
  };

  // The message recorded when a database or journal file was deleted or replaced
  // while open.
  static constexpr const char* DELETED_OR_REPLACED =
      "The database file or its journal file was deleted or replaced while the database was open "
      "(the database must be reopened)";

  static const sqlite3_io_methods main_io_methods;
  static const sqlite3_io_methods journal_io_methods;

  // VFS methods.
  static int xOpen(sqlite3_vfs* vfs, const char* name, sqlite3_file* file, int flags, int* out_flags);
  static int xDelete(sqlite3_vfs* vfs, const char* name, int sync_directory);
  static int xAccess(sqlite3_vfs* vfs, const char* name, int flags, int* result);
  static int xFullPathname(sqlite3_vfs* vfs, const char* name, int size, char* buffer);
  static void* xDlOpen(sqlite3_vfs* vfs, const char* name);
  static void xDlError(sqlite3_vfs* vfs, int size, char* buffer);
  static void (*xDlSym(sqlite3_vfs* vfs, void* library, const char* symbol))(void);
  static void xDlClose(sqlite3_vfs* vfs, void* library);
  static int xRandomness(sqlite3_vfs* vfs, int size, char* buffer);
  static int xSleep(sqlite3_vfs* vfs, int microseconds);
  static int xCurrentTime(sqlite3_vfs* vfs, double* julian_day);
  static int xGetLastError(sqlite3_vfs* vfs, int size, char* buffer);
  static int xCurrentTimeInt64(sqlite3_vfs* vfs, sqlite3_int64* milliseconds);
  static int xSetSystemCall(sqlite3_vfs* vfs, const char* name, sqlite3_syscall_ptr call);
  static sqlite3_syscall_ptr xGetSystemCall(sqlite3_vfs* vfs, const char* name);
  static const char* xNextSystemCall(sqlite3_vfs* vfs, const char* name);

  // io methods.
  static int xClose(sqlite3_file* file);
  static int xJournalClose(sqlite3_file* file);
  static int xRead(sqlite3_file* file, void* buffer, int amount, sqlite3_int64 offset);
  static int xWrite(sqlite3_file* file, const void* data, int amount, sqlite3_int64 offset);
  static int xTruncate(sqlite3_file* file, sqlite3_int64 size);
  static int xSync(sqlite3_file* file, int flags);
  static int xFileSize(sqlite3_file* file, sqlite3_int64* size);
  static int xLock(sqlite3_file* file, int level);
  static int xUnlock(sqlite3_file* file, int level);
  static int xCheckReservedLock(sqlite3_file* file, int* result);
  static int xJournalLock(sqlite3_file* file, int level);
  static int xJournalCheckReservedLock(sqlite3_file* file, int* result);
  static int xFileControl(sqlite3_file* file, int operation, void* argument);
  static int xJournalFileControl(sqlite3_file* file, int operation, void* argument);
  static int xSectorSize(sqlite3_file* file);
  static int xDeviceCharacteristics(sqlite3_file* file);

 private:
  // The hand-over from Open to OpenMain on the thread that runs the open, and
  // the reason a failed open recorded.
  static thread_local int pending_fd;
  static thread_local int pending_journal_fd;
  static thread_local const char* pending_name;
  static thread_local int open_error_code;
  static thread_local const char* open_error_message;

  static std::atomic<uint64_t> next_id;

  static std::mutex& Mutex();
  static std::vector<Inode*>& Inodes();
  static std::vector<File*>& MainFiles();

  static int OpenMain(const char* name, File* file, int flags, int* out_flags);
  static int OpenJournal(const char* name, File* file, int flags, int* out_flags);
  static File* FindMainFile(const char* name);
  static Inode* FindInode(const struct stat& database);
  static const char* JournalConflict(const struct stat& database, const struct stat& journal);
  static void ReleaseDuplicate(int fd, const struct stat& file);
  static void ClosePendingFds(Inode* inode);
  static int TakeLock(File* file, int level);

  static bool IsFdName(const char* name);
  static File* AsFile(sqlite3_file* file) { return reinterpret_cast<File*>(file); }
  static sqlite3_vfs* DefaultVfs(sqlite3_vfs* vfs) { return static_cast<sqlite3_vfs*>(vfs->pAppData); }
  // A close-on-exec duplicate from 3 on, or -1.
  static int Duplicate(int fd);
  // The descriptor's file is still linked into a directory.
  static bool IsLinked(int fd);
  static void Record(File* file, int code, const char* message);
};
