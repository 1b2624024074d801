// Which descriptors a connection can be opened on. Everything unsuitable is
// refused here, before SQLite is involved and before anything is duplicated.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "fd_vfs.hpp"

namespace {

enum Column { NOT_OPEN, NOT_REGULAR_FILE, NOT_READABLE, NOT_WRITABLE, APPEND_MODE, DELETED };

// Row 0 for the database descriptor, row 1 for the journal descriptor.
constexpr const char* MESSAGES[2][6] = {
    {
        "Cannot open database because the database file descriptor is not open",
        "Cannot open database because the database file descriptor does not refer to a regular file",
        "Cannot open database because the database file descriptor was not opened for reading",
        "Cannot open database because the database file descriptor was not opened for writing (use the "
        "\"readonly\" option)",
        "Cannot open database because the database file descriptor was opened in append mode",
        "Cannot open database because the database file has been deleted",
    },
    {
        "Cannot open database because the journal file descriptor is not open",
        "Cannot open database because the journal file descriptor does not refer to a regular file",
        "Cannot open database because the journal file descriptor was not opened for reading",
        "Cannot open database because the journal file descriptor was not opened for writing (use the "
        "\"readonly\" option)",
        "Cannot open database because the journal file descriptor was opened in append mode",
        "Cannot open database because the journal file has been deleted",
    },
};

// A descriptor that can be read through: read-only or read-write. Linux's
// path-only descriptors carry the read-only access mode but cannot be read.
bool IsReadable(int flags) {
#ifdef O_PATH
  if ((flags & O_PATH) != 0) return false;
#endif
  int mode = flags & O_ACCMODE;
  return mode == O_RDONLY || mode == O_RDWR;
}

const char* CheckDescriptor(int fd, bool readonly, const char* const* messages, struct stat* st) {
  int flags = fcntl(fd, F_GETFL);
  if (flags == -1) return messages[NOT_OPEN];
  if (fstat(fd, st) != 0 || (st->st_mode & S_IFMT) != S_IFREG) return messages[NOT_REGULAR_FILE];
  if (!IsReadable(flags)) return messages[NOT_READABLE];
  if (!readonly && (flags & O_ACCMODE) != O_RDWR) return messages[NOT_WRITABLE];
  if ((flags & O_APPEND) != 0) return messages[APPEND_MODE];
  if (st->st_nlink == 0) return messages[DELETED];
  return nullptr;
}

// Bytes 18 and 19 of the header are the file format's write and read versions;
// both are 2 in WAL mode.
bool IsInWalMode(int database_fd) {
  unsigned char versions[2];
  return pread(database_fd, versions, 2, 18) == 2 && versions[0] == 2 && versions[1] == 2;
}

}  // namespace

const char* FdVfs::Validate(int database_fd, int journal_fd, bool readonly) {
  struct stat database;
  struct stat journal;
  if (const char* message = CheckDescriptor(database_fd, readonly, MESSAGES[0], &database)) return message;
  if (const char* message = CheckDescriptor(journal_fd, readonly, MESSAGES[1], &journal)) return message;
  if (database.st_dev == journal.st_dev && database.st_ino == journal.st_ino) {
    return "Cannot open database because the database and journal file descriptors refer to the same file";
  }
  if (IsInWalMode(database_fd)) return "Cannot open database from a file descriptor because it is in WAL mode";
  return nullptr;
}
