// Opening files under fd names.
//
// SQLite asks for a file by name; under an fd name there is no file to look up,
// only the descriptors that FdVfs::Open handed over on this thread (for the main
// database) or that the open main file holds (for its journal). So the main file
// can be opened only by the open in progress on this thread, once, and a journal
// only while its main file is open; every other kind of file under an fd name is
// refused.
//
// A database and its journal are tied together for as long as a main file of the
// process has the database open (its Inode remembers the journal). Handing one
// journal to two databases, or a journal that is itself a database, would let a
// hot-journal rollback copy one database's pages into another: each of these is
// refused while the other side is open.
#include <fcntl.h>
#include <unistd.h>

#include <cstring>

#include "fd_vfs.hpp"

namespace {

constexpr const char* DIFFERENT_JOURNAL =
    "Cannot open database because a different journal file is already being used for this database";
constexpr const char* MULTIPLE_DATABASES =
    "Transactions that write to multiple databases are not supported by databases opened from file "
    "descriptors";
constexpr const char* DATABASE_IS_A_JOURNAL =
    "Cannot open database because the database file is already being used as the journal of another "
    "database";
constexpr const char* JOURNAL_IS_A_DATABASE =
    "Cannot open database because the journal file is a database that is already open";
constexpr const char* JOURNAL_IN_USE =
    "Cannot open database because the journal file is already being used for another database";

constexpr size_t JOURNAL_SUFFIX_LENGTH = 8;  // "-journal"

}  // namespace

int FdVfs::xOpen(sqlite3_vfs* vfs, const char* name, sqlite3_file* base, int flags, int* out_flags) {
  if (!IsFdName(name)) {
    sqlite3_vfs* fallback = DefaultVfs(vfs);
    return fallback->xOpen(fallback, name, base, flags, out_flags);
  }
  File* file = AsFile(base);
  std::memset(file, 0, sizeof(File));
  if ((flags & SQLITE_OPEN_MAIN_DB) != 0) return OpenMain(name, file, flags, out_flags);
  if ((flags & SQLITE_OPEN_MAIN_JOURNAL) != 0) return OpenJournal(name, file, flags, out_flags);
  if ((flags & SQLITE_OPEN_SUPER_JOURNAL) != 0) {
    // A transaction that writes to attached databases as well needs a
    // super-journal beside the main file, which has no directory to live in.
    const char* dash = std::strrchr(name, '-');
    if (dash == nullptr) return SQLITE_CANTOPEN;
    size_t length = static_cast<size_t>(dash - name);
    std::lock_guard<std::mutex> guard(Mutex());
    for (File* main : MainFiles()) {
      if (std::strncmp(main->name, name, length) == 0 && main->name[length] == '\0') {
        Record(main, SQLITE_CANTOPEN, MULTIPLE_DATABASES);
        break;
      }
    }
    return SQLITE_CANTOPEN;
  }
  return SQLITE_CANTOPEN;
}

int FdVfs::OpenMain(const char* name, File* file, int flags, int* out_flags) {
  // Only the open running on this thread may take its descriptors, and only once:
  // so ATTACH of an fd name from SQL fails.
  if (pending_name == nullptr || std::strcmp(name, pending_name) != 0) return SQLITE_CANTOPEN;
  int database_fd = pending_fd;
  int journal_fd = pending_journal_fd;
  pending_name = nullptr;

  int database_flags = fcntl(database_fd, F_GETFL);
  int journal_flags = fcntl(journal_fd, F_GETFL);
  if (database_flags == -1 || journal_flags == -1) return SQLITE_CANTOPEN;
  struct stat database;
  struct stat journal;
  if (fstat(database_fd, &database) != 0 || fstat(journal_fd, &journal) != 0) return SQLITE_CANTOPEN;
  bool database_writable = (database_flags & O_ACCMODE) == O_RDWR;
  bool journal_writable = (journal_flags & O_ACCMODE) == O_RDWR;
  if ((flags & SQLITE_OPEN_READWRITE) != 0 && !(database_writable && journal_writable)) return SQLITE_CANTOPEN;

  int database_copy = Duplicate(database_fd);
  int journal_copy = Duplicate(journal_fd);

  std::lock_guard<std::mutex> guard(Mutex());
  // Every way out from here that keeps no duplicate releases both through
  // ReleaseDuplicate: closing a descriptor of a database drops the locks that
  // live connections of the process hold on it.
  auto fail = [&](const char* message) {
    if (message != nullptr) {
      open_error_code = SQLITE_CANTOPEN;
      open_error_message = message;
    }
    ReleaseDuplicate(database_copy, database);
    ReleaseDuplicate(journal_copy, journal);
    return SQLITE_CANTOPEN;
  };
  if (database_copy == -1 || journal_copy == -1) return fail(nullptr);

  Inode* inode = FindInode(database);
  if (inode != nullptr && (inode->journal_dev != journal.st_dev || inode->journal_ino != journal.st_ino)) {
    return fail(DIFFERENT_JOURNAL);
  }
  if (const char* conflict = JournalConflict(database, journal)) return fail(conflict);

  if (inode != nullptr) {
    // Write locks need a writable descriptor: a read-write connection joining
    // read-only ones brings one. The old descriptor may carry locks of the
    // process, so it waits with the other deferred ones.
    if (database_writable && !inode->lock_fd_writable) {
      int lock_fd = Duplicate(database_copy);
      if (lock_fd == -1) return fail(nullptr);
      inode->pending_fds.push_back(inode->lock_fd);
      if (inode->lock_count == 0) ClosePendingFds(inode);
      inode->lock_fd = lock_fd;
      inode->lock_fd_writable = true;
    }
  } else {
    int lock_fd = Duplicate(database_copy);
    if (lock_fd == -1) return fail(nullptr);
    inode = new Inode{database.st_dev, database.st_ino, journal.st_dev, journal.st_ino, 0, 0, 0,
                      SQLITE_LOCK_NONE, lock_fd, database_writable, {}};
    Inodes().push_back(inode);
  }

  inode->ref_count++;
  file->fd = database_copy;
  file->lock_level = SQLITE_LOCK_NONE;
  file->inode = inode;
  file->journal_fd = journal_copy;
  file->journal_writable = journal_writable;
  file->name = name;
  MainFiles().push_back(file);
  file->base.pMethods = &main_io_methods;
  if (out_flags != nullptr) *out_flags = flags;
  return SQLITE_OK;
}

int FdVfs::OpenJournal(const char* name, File* file, int flags, int* out_flags) {
  std::lock_guard<std::mutex> guard(Mutex());
  File* main = FindMainFile(name);
  if (main == nullptr) return SQLITE_CANTOPEN;
  if (!IsLinked(main->journal_fd)) {
    Record(main, SQLITE_CANTOPEN, DELETED_OR_REPLACED);
    return SQLITE_CANTOPEN;
  }
  // A read-only journal descriptor serves only reading, as in a hot-journal check.
  if ((flags & SQLITE_OPEN_READWRITE) != 0 && !main->journal_writable) {
    flags &= ~(SQLITE_OPEN_READONLY | SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    flags |= SQLITE_OPEN_READONLY;
  }
  int fd = Duplicate(main->journal_fd);
  if (fd == -1) return SQLITE_CANTOPEN;
  file->fd = fd;
  file->base.pMethods = &journal_io_methods;
  if (out_flags != nullptr) *out_flags = flags;
  return SQLITE_OK;
}

FdVfs::File* FdVfs::FindMainFile(const char* name) {
  size_t length = std::strlen(name);
  if (length <= JOURNAL_SUFFIX_LENGTH) return nullptr;
  size_t stem = length - JOURNAL_SUFFIX_LENGTH;
  if (std::strcmp(name + stem, "-journal") != 0) return nullptr;
  for (File* main : MainFiles()) {
    if (std::strncmp(main->name, name, stem) == 0 && main->name[stem] == '\0') return main;
  }
  return nullptr;
}

FdVfs::Inode* FdVfs::FindInode(const struct stat& database) {
  for (Inode* inode : Inodes()) {
    if (inode->main_dev == database.st_dev && inode->main_ino == database.st_ino) return inode;
  }
  return nullptr;
}

const char* FdVfs::JournalConflict(const struct stat& database, const struct stat& journal) {
  for (Inode* inode : Inodes()) {
    if (inode->journal_dev == database.st_dev && inode->journal_ino == database.st_ino) {
      return DATABASE_IS_A_JOURNAL;
    }
    if (inode->main_dev == journal.st_dev && inode->main_ino == journal.st_ino) return JOURNAL_IS_A_DATABASE;
    bool same_database = inode->main_dev == database.st_dev && inode->main_ino == database.st_ino;
    if (!same_database && inode->journal_dev == journal.st_dev && inode->journal_ino == journal.st_ino) {
      return JOURNAL_IN_USE;
    }
  }
  return nullptr;
}

// A duplicate of a database that connections of the process hold open waits on
// that database's pending list, closed once no lock is held on it.
void FdVfs::ReleaseDuplicate(int fd, const struct stat& file) {
  if (fd == -1) return;
  Inode* inode = FindInode(file);
  if (inode == nullptr) {
    close(fd);
    return;
  }
  inode->pending_fds.push_back(fd);
  if (inode->lock_count == 0) ClosePendingFds(inode);
}
