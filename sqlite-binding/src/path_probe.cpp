// A VFS that opens nothing. SQLite asks it for the full path of a name, which
// it passes on to the default VFS, and then to open the main database under
// that path, which it notes and refuses. So the path is the very one that an
// open through the default VFS would use, and no file was touched: no file is
// created, and no descriptor of a file that another connection has locked is
// opened and closed again (closing any descriptor of a file drops the
// process's POSIX locks on it).
#include "path_probe.hpp"

#include <sqlite3.h>

#include <mutex>

#include "uri_vfs_option.hpp"

namespace {

constexpr const char* NAME = "mivo-sqlite-path-probe";

// Where the probe running on this thread keeps the path it was asked to open.
thread_local std::string* noted_path = nullptr;

sqlite3_vfs* DefaultVfs(sqlite3_vfs* vfs) { return static_cast<sqlite3_vfs*>(vfs->pAppData); }

int Open(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* file, int flags, int*) {
  file->pMethods = nullptr;
  if (noted_path != nullptr && name != nullptr && (flags & SQLITE_OPEN_MAIN_DB) != 0) *noted_path = name;
  return SQLITE_CANTOPEN;
}

int Delete(sqlite3_vfs* vfs, const char* name, int sync_directory) {
  return DefaultVfs(vfs)->xDelete(DefaultVfs(vfs), name, sync_directory);
}

int Access(sqlite3_vfs* vfs, const char* name, int flags, int* result) {
  return DefaultVfs(vfs)->xAccess(DefaultVfs(vfs), name, flags, result);
}

int FullPathname(sqlite3_vfs* vfs, const char* name, int size, char* buffer) {
  return DefaultVfs(vfs)->xFullPathname(DefaultVfs(vfs), name, size, buffer);
}

void* DlOpen(sqlite3_vfs* vfs, const char* name) { return DefaultVfs(vfs)->xDlOpen(DefaultVfs(vfs), name); }

void DlError(sqlite3_vfs* vfs, int size, char* buffer) { DefaultVfs(vfs)->xDlError(DefaultVfs(vfs), size, buffer); }

void (*DlSym(sqlite3_vfs* vfs, void* library, const char* symbol))(void) {
  return DefaultVfs(vfs)->xDlSym(DefaultVfs(vfs), library, symbol);
}

void DlClose(sqlite3_vfs* vfs, void* library) { DefaultVfs(vfs)->xDlClose(DefaultVfs(vfs), library); }

int Randomness(sqlite3_vfs* vfs, int size, char* buffer) {
  return DefaultVfs(vfs)->xRandomness(DefaultVfs(vfs), size, buffer);
}

int Sleep(sqlite3_vfs* vfs, int microseconds) { return DefaultVfs(vfs)->xSleep(DefaultVfs(vfs), microseconds); }

int CurrentTime(sqlite3_vfs* vfs, double* julian_day) {
  return DefaultVfs(vfs)->xCurrentTime(DefaultVfs(vfs), julian_day);
}

int GetLastError(sqlite3_vfs* vfs, int size, char* buffer) {
  return DefaultVfs(vfs)->xGetLastError(DefaultVfs(vfs), size, buffer);
}

// Registered once per process, never as the default VFS.
void Register() {
  static sqlite3_vfs probe;
  static std::once_flag once;
  std::call_once(once, [] {
    sqlite3_vfs* fallback = sqlite3_vfs_find(nullptr);
    probe = sqlite3_vfs{
        .iVersion = 1,
        .szOsFile = sizeof(sqlite3_file),
        .mxPathname = fallback->mxPathname,
        .pNext = nullptr,
        .zName = NAME,
        .pAppData = fallback,
        .xOpen = Open,
        .xDelete = Delete,
        .xAccess = Access,
        .xFullPathname = FullPathname,
        .xDlOpen = DlOpen,
        .xDlError = DlError,
        .xDlSym = DlSym,
        .xDlClose = DlClose,
        .xRandomness = Randomness,
        .xSleep = Sleep,
        .xCurrentTime = CurrentTime,
        .xGetLastError = GetLastError,
        .xCurrentTimeInt64 = nullptr,
        .xSetSystemCall = nullptr,
        .xGetSystemCall = nullptr,
        .xNextSystemCall = nullptr,
    };
    sqlite3_vfs_register(&probe, 0);
  });
}

}  // namespace

std::string ProbeDatabasePath(const std::string& name, int flags, bool uri_names) {
  Register();
  std::string noted;
  noted_path = &noted;
  sqlite3* probe = nullptr;
  sqlite3_open_v2((uri_names ? WithoutVfsOption(name) : name).c_str(), &probe, flags, NAME);
  noted_path = nullptr;
  sqlite3_close(probe);
  return noted;
}
