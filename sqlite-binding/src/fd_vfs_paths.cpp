// The questions SQLite asks by name: does the journal exist, delete it, and the
// full path of a name.
//
// The host owns the journal file and the layer has no directory to create or
// remove it in, so the journal always exists as a file: deleting it truncates it
// to 0 bytes, and an empty journal counts as one that does not exist.
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "fd_vfs.hpp"

int FdVfs::xDelete(sqlite3_vfs* vfs, const char* name, int sync_directory) {
  if (!IsFdName(name)) {
    sqlite3_vfs* fallback = DefaultVfs(vfs);
    return fallback->xDelete(fallback, name, sync_directory);
  }
  std::lock_guard<std::mutex> guard(Mutex());
  File* main = FindMainFile(name);
  // SQLite takes this as already deleted.
  if (main == nullptr) return SQLITE_IOERR_DELETE_NOENT;
  int rc;
  do {
    rc = ftruncate(main->journal_fd, 0);
  } while (rc != 0 && errno == EINTR);
  if (rc != 0) return SQLITE_IOERR_DELETE;
  if (sync_directory != 0 && fsync(main->journal_fd) != 0) return SQLITE_IOERR_DELETE;
  return SQLITE_OK;
}

int FdVfs::xAccess(sqlite3_vfs* vfs, const char* name, int flags, int* result) {
  if (!IsFdName(name)) {
    sqlite3_vfs* fallback = DefaultVfs(vfs);
    return fallback->xAccess(fallback, name, flags, result);
  }
  *result = 0;
  std::lock_guard<std::mutex> guard(Mutex());
  // The database name itself, a WAL name or any other name: nothing there.
  File* main = FindMainFile(name);
  if (main == nullptr) return SQLITE_OK;
  struct stat journal;
  if (fstat(main->journal_fd, &journal) != 0) return SQLITE_IOERR_ACCESS;
  if (journal.st_nlink == 0 || !IsLinked(main->fd)) {
    Record(main, SQLITE_CANTOPEN, DELETED_OR_REPLACED);
    return SQLITE_CANTOPEN;
  }
  if (journal.st_size <= 0) return SQLITE_OK;
  *result = flags == SQLITE_ACCESS_READWRITE ? main->journal_writable : 1;
  return SQLITE_OK;
}

// An fd name is its own full path.
int FdVfs::xFullPathname(sqlite3_vfs* vfs, const char* name, int size, char* buffer) {
  if (!IsFdName(name)) {
    sqlite3_vfs* fallback = DefaultVfs(vfs);
    return fallback->xFullPathname(fallback, name, size, buffer);
  }
  size_t length = std::strlen(name);
  if (size <= 0 || length >= static_cast<size_t>(size)) return SQLITE_CANTOPEN;
  std::memcpy(buffer, name, length + 1);
  return SQLITE_OK;
}
