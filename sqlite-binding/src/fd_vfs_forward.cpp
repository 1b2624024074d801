// The VFS methods that have nothing to do with fd names pass the default VFS in
// place of this layer's record and everything else unchanged.
#include "fd_vfs.hpp"

void* FdVfs::xDlOpen(sqlite3_vfs* vfs, const char* name) {
  return DefaultVfs(vfs)->xDlOpen(DefaultVfs(vfs), name);
}

void FdVfs::xDlError(sqlite3_vfs* vfs, int size, char* buffer) {
  DefaultVfs(vfs)->xDlError(DefaultVfs(vfs), size, buffer);
}

void (*FdVfs::xDlSym(sqlite3_vfs* vfs, void* library, const char* symbol))(void) {
  return DefaultVfs(vfs)->xDlSym(DefaultVfs(vfs), library, symbol);
}

void FdVfs::xDlClose(sqlite3_vfs* vfs, void* library) { DefaultVfs(vfs)->xDlClose(DefaultVfs(vfs), library); }

int FdVfs::xRandomness(sqlite3_vfs* vfs, int size, char* buffer) {
  return DefaultVfs(vfs)->xRandomness(DefaultVfs(vfs), size, buffer);
}

int FdVfs::xSleep(sqlite3_vfs* vfs, int microseconds) {
  return DefaultVfs(vfs)->xSleep(DefaultVfs(vfs), microseconds);
}

int FdVfs::xCurrentTime(sqlite3_vfs* vfs, double* julian_day) {
  return DefaultVfs(vfs)->xCurrentTime(DefaultVfs(vfs), julian_day);
}

int FdVfs::xGetLastError(sqlite3_vfs* vfs, int size, char* buffer) {
  return DefaultVfs(vfs)->xGetLastError(DefaultVfs(vfs), size, buffer);
}

int FdVfs::xCurrentTimeInt64(sqlite3_vfs* vfs, sqlite3_int64* milliseconds) {
  sqlite3_vfs* fallback = DefaultVfs(vfs);
  if (fallback->iVersion >= 2 && fallback->xCurrentTimeInt64 != nullptr) {
    return fallback->xCurrentTimeInt64(fallback, milliseconds);
  }
  double julian_day = 0;
  int rc = fallback->xCurrentTime(fallback, &julian_day);
  *milliseconds = static_cast<sqlite3_int64>(julian_day * 86400000.0);
  return rc;
}

int FdVfs::xSetSystemCall(sqlite3_vfs* vfs, const char* name, sqlite3_syscall_ptr call) {
  sqlite3_vfs* fallback = DefaultVfs(vfs);
  if (fallback->iVersion < 3 || fallback->xSetSystemCall == nullptr) return SQLITE_NOTFOUND;
  return fallback->xSetSystemCall(fallback, name, call);
}

sqlite3_syscall_ptr FdVfs::xGetSystemCall(sqlite3_vfs* vfs, const char* name) {
  sqlite3_vfs* fallback = DefaultVfs(vfs);
  if (fallback->iVersion < 3 || fallback->xGetSystemCall == nullptr) return nullptr;
  return fallback->xGetSystemCall(fallback, name);
}

const char* FdVfs::xNextSystemCall(sqlite3_vfs* vfs, const char* name) {
  sqlite3_vfs* fallback = DefaultVfs(vfs);
  if (fallback->iVersion < 3 || fallback->xNextSystemCall == nullptr) return nullptr;
  return fallback->xNextSystemCall(fallback, name);
}
