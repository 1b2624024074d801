// Reading, writing, syncing and the file controls of the files opened under fd
// names. Every read and write is positional: the duplicates share their file
// offset with the host's own descriptors, and nothing here moves it.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "fd_vfs.hpp"

namespace {

constexpr const char* WAL_REFUSED = "journal_mode WAL is not supported for databases opened from file descriptors";

}  // namespace

// Version 1: no shared memory and no memory mapping, so SQLite never runs WAL
// on these files.
const sqlite3_io_methods FdVfs::main_io_methods = {
    .iVersion = 1,
    .xClose = xClose,
    .xRead = xRead,
    .xWrite = xWrite,
    .xTruncate = xTruncate,
    .xSync = xSync,
    .xFileSize = xFileSize,
    .xLock = xLock,
    .xUnlock = xUnlock,
    .xCheckReservedLock = xCheckReservedLock,
    .xFileControl = xFileControl,
    .xSectorSize = xSectorSize,
    .xDeviceCharacteristics = xDeviceCharacteristics,
    .xShmMap = nullptr,
    .xShmLock = nullptr,
    .xShmBarrier = nullptr,
    .xShmUnmap = nullptr,
    .xFetch = nullptr,
    .xUnfetch = nullptr,
};

// The journal is never locked: the main file's locks cover it.
const sqlite3_io_methods FdVfs::journal_io_methods = {
    .iVersion = 1,
    .xClose = xJournalClose,
    .xRead = xRead,
    .xWrite = xWrite,
    .xTruncate = xTruncate,
    .xSync = xSync,
    .xFileSize = xFileSize,
    .xLock = xJournalLock,
    .xUnlock = xJournalLock,
    .xCheckReservedLock = xJournalCheckReservedLock,
    .xFileControl = xJournalFileControl,
    .xSectorSize = xSectorSize,
    .xDeviceCharacteristics = xDeviceCharacteristics,
    .xShmMap = nullptr,
    .xShmLock = nullptr,
    .xShmBarrier = nullptr,
    .xShmUnmap = nullptr,
    .xFetch = nullptr,
    .xUnfetch = nullptr,
};

// A read that reaches the end of the file fills the rest with zeros, which
// SQLite takes as such.
int FdVfs::xRead(sqlite3_file* base, void* buffer, int amount, sqlite3_int64 offset) {
  File* file = AsFile(base);
  auto* next = static_cast<unsigned char*>(buffer);
  size_t remaining = amount > 0 ? static_cast<size_t>(amount) : 0;
  while (remaining > 0) {
    ssize_t got = pread(file->fd, next, remaining, offset);
    if (got < 0) {
      if (errno == EINTR) continue;
      return SQLITE_IOERR_READ;
    }
    if (got == 0) {
      std::memset(next, 0, remaining);
      return SQLITE_IOERR_SHORT_READ;
    }
    next += got;
    offset += got;
    remaining -= static_cast<size_t>(got);
  }
  return SQLITE_OK;
}

int FdVfs::xWrite(sqlite3_file* base, const void* data, int amount, sqlite3_int64 offset) {
  File* file = AsFile(base);
  auto* next = static_cast<const unsigned char*>(data);
  size_t remaining = amount > 0 ? static_cast<size_t>(amount) : 0;
  while (remaining > 0) {
    ssize_t written = pwrite(file->fd, next, remaining, offset);
    if (written < 0) {
      if (errno == EINTR) continue;
      return errno == ENOSPC || errno == EDQUOT ? SQLITE_FULL : SQLITE_IOERR_WRITE;
    }
    if (written == 0) return SQLITE_FULL;
    next += written;
    offset += written;
    remaining -= static_cast<size_t>(written);
  }
  return SQLITE_OK;
}

int FdVfs::xTruncate(sqlite3_file* base, sqlite3_int64 size) {
  File* file = AsFile(base);
  int rc;
  do {
    rc = ftruncate(file->fd, size);
  } while (rc != 0 && errno == EINTR);
  return rc == 0 ? SQLITE_OK : SQLITE_IOERR_TRUNCATE;
}

// A full sync asks the drive to write its cache out where the system can
// (F_FULLFSYNC on macOS); where that fails or does not exist, fsync.
int FdVfs::xSync(sqlite3_file* base, [[maybe_unused]] int flags) {
  File* file = AsFile(base);
#ifdef F_FULLFSYNC
  if ((flags & 0x0F) == SQLITE_SYNC_FULL && fcntl(file->fd, F_FULLFSYNC, 0) == 0) return SQLITE_OK;
#endif
  return fsync(file->fd) == 0 ? SQLITE_OK : SQLITE_IOERR_FSYNC;
}

int FdVfs::xFileSize(sqlite3_file* base, sqlite3_int64* size) {
  struct stat st;
  if (fstat(AsFile(base)->fd, &st) != 0) return SQLITE_IOERR_FSTAT;
  *size = st.st_size;
  return SQLITE_OK;
}

int FdVfs::xFileControl(sqlite3_file* base, int operation, void* argument) {
  File* file = AsFile(base);
  switch (operation) {
    case SQLITE_FCNTL_LOCKSTATE:
      *static_cast<int*>(argument) = file->lock_level;
      return SQLITE_OK;
    case SQLITE_FCNTL_VFSNAME:
      *static_cast<char**>(argument) = sqlite3_mprintf("%s", NAME);
      return SQLITE_OK;
    case SQLITE_FCNTL_PRAGMA: {
      // { error out, pragma name, value }: a WAL journal could not live beside a
      // file that has no directory, so the switch is refused before SQLite tries.
      char** pragma = static_cast<char**>(argument);
      if (pragma[2] != nullptr && sqlite3_stricmp(pragma[1], "journal_mode") == 0 &&
          sqlite3_stricmp(pragma[2], "wal") == 0) {
        pragma[0] = sqlite3_mprintf("%s", WAL_REFUSED);
        return SQLITE_ERROR;
      }
      return SQLITE_NOTFOUND;
    }
    case SQLITE_FCNTL_HAS_MOVED:
      *static_cast<int*>(argument) = IsLinked(file->fd) ? 0 : 1;
      return SQLITE_OK;
    default:
      return SQLITE_NOTFOUND;
  }
}

int FdVfs::xSectorSize(sqlite3_file*) { return 4096; }

int FdVfs::xDeviceCharacteristics(sqlite3_file*) { return SQLITE_IOCAP_POWERSAFE_OVERWRITE; }

int FdVfs::xJournalClose(sqlite3_file* base) {
  File* file = AsFile(base);
  close(file->fd);
  file->fd = -1;
  return SQLITE_OK;
}

int FdVfs::xJournalLock(sqlite3_file*, int) { return SQLITE_OK; }

int FdVfs::xJournalCheckReservedLock(sqlite3_file*, int* result) {
  *result = 0;
  return SQLITE_OK;
}

int FdVfs::xJournalFileControl(sqlite3_file*, int, void*) { return SQLITE_NOTFOUND; }
