// Locking a database file opened under an fd name, and closing it.
//
// POSIX record locks belong to the process, not to the descriptor they were
// taken through. Two consequences shape this file:
//
// - A lock that one connection of the process takes never conflicts with a lock
//   that another connection of the same process holds; the second simply
//   replaces or merges with the first. So the lock calls can exclude only other
//   processes, and the connections of this process are kept apart by our own
//   bookkeeping: one Inode per database file (found by device and inode number,
//   whatever descriptors the host handed in), with the strongest level held in
//   the process and counts of the files that hold SHARED or any lock. A lock call
//   is made only when the process as a whole changes what it holds.
//
// - Closing any descriptor of a file drops every lock the process holds on that
//   file, whichever descriptor took it. So all locks are taken through one
//   descriptor per database file, the Inode's lock_fd, and no descriptor of a
//   database is closed while a connection of the process holds a lock on it: a
//   closed file's descriptor waits in the Inode's pending_fds until lock_count
//   falls to 0 (or the Inode goes away with its last file).
//
// The protocol is SQLite's, on the same bytes as its unix file layer, so
// processes that open the file by path take part in it too:
//
//   pending byte   0x40000000       read lock: a reader is getting SHARED;
//                                   write lock: a writer waits for readers to leave
//   reserved byte  0x40000001       write lock: a writer holds RESERVED
//   shared range   0x40000002, 510  read lock: SHARED; write lock: EXCLUSIVE
//
//   SHARED     read-lock the pending byte, read-lock the shared range, release
//              the pending byte (a writer holding it keeps new readers out)
//   RESERVED   write-lock the reserved byte (readers may stay)
//   EXCLUSIVE  from RESERVED first write-lock the pending byte (PENDING: no new
//              readers), then write-lock the shared range once the readers left;
//              while they have not, the file stays PENDING and SQLite retries
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "fd_vfs.hpp"

namespace {

constexpr off_t PENDING_BYTE = 0x40000000;
constexpr off_t RESERVED_BYTE = PENDING_BYTE + 1;
constexpr off_t SHARED_FIRST = PENDING_BYTE + 2;
constexpr off_t SHARED_SIZE = 510;

// One record-lock call, retried when a signal interrupts it; 0 or the error number.
int SetLock(int fd, short type, off_t start, off_t length) {
  struct flock lock = {};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  lock.l_start = start;
  lock.l_len = length;
  int rc;
  do {
    rc = fcntl(fd, F_SETLK, &lock);
  } while (rc != 0 && errno == EINTR);
  return rc == 0 ? 0 : errno;
}

// A lock held elsewhere is SQLITE_BUSY, so that the busy handler retries.
int LockErrorCode(int error) {
  switch (error) {
    case EACCES:
    case EAGAIN:
    case ETIMEDOUT:
    case EBUSY:
    case EINTR:
    case ENOLCK:
      return SQLITE_BUSY;
    case EPERM:
      return SQLITE_PERM;
    default:
      return SQLITE_IOERR_LOCK;
  }
}

}  // namespace

int FdVfs::xLock(sqlite3_file* base, int level) {
  File* file = AsFile(base);
  int old_level = file->lock_level;
  if (old_level < level) {
    std::lock_guard<std::mutex> guard(Mutex());
    int rc = TakeLock(file, level);
    if (rc != SQLITE_OK) return rc;
  }
  // A read or write transaction begins: it must not run on a file that was
  // deleted, or replaced by a rename, since the connection opened it.
  bool begins_transaction = old_level == SQLITE_LOCK_NONE ||
                            (old_level == SQLITE_LOCK_SHARED && level >= SQLITE_LOCK_RESERVED);
  if (!begins_transaction || (IsLinked(file->fd) && IsLinked(file->journal_fd))) return SQLITE_OK;
  xUnlock(base, old_level == SQLITE_LOCK_NONE ? SQLITE_LOCK_NONE : SQLITE_LOCK_SHARED);
  Record(file, SQLITE_CANTOPEN, DELETED_OR_REPLACED);
  return SQLITE_CANTOPEN;
}

// The mutex is held.
int FdVfs::TakeLock(File* file, int level) {
  Inode* inode = file->inode;
  // Another connection of the process holds a lock that excludes this one.
  if (file->lock_level != inode->lock_level &&
      (inode->lock_level >= SQLITE_LOCK_PENDING || level > SQLITE_LOCK_SHARED)) {
    return SQLITE_BUSY;
  }

  if (level == SQLITE_LOCK_SHARED) {
    // The process already reads: one more reader costs no lock call.
    if (inode->lock_level == SQLITE_LOCK_SHARED || inode->lock_level == SQLITE_LOCK_RESERVED) {
      file->lock_level = SQLITE_LOCK_SHARED;
      inode->shared_count++;
      inode->lock_count++;
      return SQLITE_OK;
    }
    // Through the pending byte, so that a writer waiting for EXCLUSIVE keeps us out.
    if (int error = SetLock(inode->lock_fd, F_RDLCK, PENDING_BYTE, 1)) return LockErrorCode(error);
    int shared_error = SetLock(inode->lock_fd, F_RDLCK, SHARED_FIRST, SHARED_SIZE);
    int rc = shared_error != 0 ? LockErrorCode(shared_error) : SQLITE_OK;
    if (SetLock(inode->lock_fd, F_UNLCK, PENDING_BYTE, 1) != 0 && shared_error == 0) rc = SQLITE_IOERR_UNLOCK;
    if (rc != SQLITE_OK) return rc;
    inode->lock_count++;
    inode->shared_count = 1;
    file->lock_level = SQLITE_LOCK_SHARED;
    inode->lock_level = SQLITE_LOCK_SHARED;
    return SQLITE_OK;
  }

  if (level == SQLITE_LOCK_RESERVED) {
    if (int error = SetLock(inode->lock_fd, F_WRLCK, RESERVED_BYTE, 1)) return LockErrorCode(error);
    file->lock_level = SQLITE_LOCK_RESERVED;
    inode->lock_level = SQLITE_LOCK_RESERVED;
    return SQLITE_OK;
  }

  // EXCLUSIVE. From RESERVED, PENDING first: no new readers from now on.
  if (file->lock_level == SQLITE_LOCK_RESERVED) {
    if (int error = SetLock(inode->lock_fd, F_WRLCK, PENDING_BYTE, 1)) return LockErrorCode(error);
    file->lock_level = SQLITE_LOCK_PENDING;
    inode->lock_level = SQLITE_LOCK_PENDING;
  }
  // Other connections of the process still read; the file keeps PENDING.
  if (inode->shared_count > 1) return SQLITE_BUSY;
  if (int error = SetLock(inode->lock_fd, F_WRLCK, SHARED_FIRST, SHARED_SIZE)) return LockErrorCode(error);
  file->lock_level = SQLITE_LOCK_EXCLUSIVE;
  inode->lock_level = SQLITE_LOCK_EXCLUSIVE;
  return SQLITE_OK;
}

int FdVfs::xUnlock(sqlite3_file* base, int level) {
  File* file = AsFile(base);
  if (file->lock_level <= level) return SQLITE_OK;
  std::lock_guard<std::mutex> guard(Mutex());
  Inode* inode = file->inode;

  if (file->lock_level > SQLITE_LOCK_SHARED) {
    // Back to reading: the read lock on the shared range replaces EXCLUSIVE's
    // write lock, then the pending and reserved bytes go.
    if (level == SQLITE_LOCK_SHARED && SetLock(inode->lock_fd, F_RDLCK, SHARED_FIRST, SHARED_SIZE) != 0) {
      return SQLITE_IOERR_RDLOCK;
    }
    if (SetLock(inode->lock_fd, F_UNLCK, PENDING_BYTE, 2) != 0) return SQLITE_IOERR_UNLOCK;
    inode->lock_level = SQLITE_LOCK_SHARED;
  }

  int rc = SQLITE_OK;
  if (level == SQLITE_LOCK_NONE) {
    // The last reader of the process gives the file up altogether.
    if (--inode->shared_count == 0) {
      if (SetLock(inode->lock_fd, F_UNLCK, 0, 0) != 0) rc = SQLITE_IOERR_UNLOCK;
      inode->lock_level = SQLITE_LOCK_NONE;
    }
    // No lock left in the process: the deferred descriptors can be closed now.
    if (--inode->lock_count == 0) ClosePendingFds(inode);
  }
  file->lock_level = level;
  return rc;
}

int FdVfs::xCheckReservedLock(sqlite3_file* base, int* result) {
  Inode* inode = AsFile(base)->inode;
  *result = 0;
  std::lock_guard<std::mutex> guard(Mutex());
  // The query cannot see this process's own locks; the inode's level covers them.
  if (inode->lock_level > SQLITE_LOCK_SHARED) {
    *result = 1;
    return SQLITE_OK;
  }
  struct flock probe = {};
  probe.l_type = F_WRLCK;
  probe.l_whence = SEEK_SET;
  probe.l_start = RESERVED_BYTE;
  probe.l_len = 1;
  if (fcntl(inode->lock_fd, F_GETLK, &probe) != 0) return SQLITE_IOERR_CHECKRESERVEDLOCK;
  *result = probe.l_type != F_UNLCK ? 1 : 0;
  return SQLITE_OK;
}

int FdVfs::xClose(sqlite3_file* base) {
  File* file = AsFile(base);
  xUnlock(base, SQLITE_LOCK_NONE);
  std::lock_guard<std::mutex> guard(Mutex());
  std::vector<File*>& files = MainFiles();
  files.erase(std::find(files.begin(), files.end(), file));
  // The journal is never locked, so closing it now drops nothing.
  close(file->journal_fd);

  Inode* inode = file->inode;
  // Other connections' locks on this file die with any of its descriptors.
  inode->pending_fds.push_back(file->fd);
  if (inode->lock_count == 0) ClosePendingFds(inode);
  if (--inode->ref_count == 0) {
    std::vector<Inode*>& inodes = Inodes();
    inodes.erase(std::find(inodes.begin(), inodes.end(), inode));
    ClosePendingFds(inode);
    close(inode->lock_fd);
    delete inode;
  }
  file->inode = nullptr;
  file->fd = -1;
  file->journal_fd = -1;
  return SQLITE_OK;
}

// The mutex is held.
void FdVfs::ClosePendingFds(Inode* inode) {
  for (int fd : inode->pending_fds) close(fd);
  inode->pending_fds.clear();
}
