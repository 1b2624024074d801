// The files that databases are open on, told apart by identity rather than by
// name: a link, a relative path or a URI reaches the same file under another
// name, and a backup that removes its destination must never remove one of them.
#include "database_files.hpp"

#include <sys/stat.h>
#ifdef _WIN32
#include <windows.h>
#endif

#include "addon.hpp"
#include "backup.hpp"
#include "database.hpp"
#include "fd_vfs.hpp"

namespace {

#ifdef _WIN32
bool IdentityOfHandle(HANDLE file, FileIdentity* identity) {
  BY_HANDLE_FILE_INFORMATION information;
  if (GetFileInformationByHandle(file, &information) == 0) return false;
  *identity = {information.dwVolumeSerialNumber,
               (static_cast<uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow};
  return true;
}
#else
FileIdentity FromStatus(const struct stat& status) {
  return {static_cast<uint64_t>(status.st_dev), static_cast<uint64_t>(status.st_ino)};
}
#endif

// Whether any schema of the connection (main, temp, each attached database) is
// open on the file.
bool HasSchemaOn(sqlite3* connection, const FileIdentity& file) {
  for (int i = 0; const char* schema = sqlite3_db_name(connection, i); i++) {
    FileIdentity identity;
    if (IdentityOfDatabase(connection, schema, &identity) && identity == file) return true;
  }
  return false;
}

}  // namespace

#ifdef _WIN32
std::wstring WidePath(const std::string& path) {
  int length = MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, nullptr, 0);
  if (length <= 0) return std::wstring();
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, wide.data(), length);
  return wide;
}
#endif

bool IdentityOfPath(const std::string& path, FileIdentity* identity) {
#ifdef _WIN32
  HANDLE file = CreateFileW(WidePath(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool known = IdentityOfHandle(file, identity);
  CloseHandle(file);
  return known;
#else
  struct stat status;
  if (stat(path.c_str(), &status) != 0) return false;
  *identity = FromStatus(status);
  return true;
#endif
}

bool IdentityOfDatabase(sqlite3* connection, const char* schema, FileIdentity* identity) {
  sqlite3_file* file = nullptr;
  if (sqlite3_file_control(connection, schema, SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK ||
      file == nullptr || file->pMethods == nullptr) {
    return false;
  }
#ifdef _WIN32
  // Asked through SQLite's own handle: a temporary database has a named file
  // on Windows too, which no name that SQLite keeps tells.
  HANDLE handle = INVALID_HANDLE_VALUE;
  if (sqlite3_file_control(connection, schema, SQLITE_FCNTL_WIN32_GET_HANDLE, &handle) != SQLITE_OK ||
      handle == INVALID_HANDLE_VALUE || handle == nullptr) {
    return false;
  }
  return IdentityOfHandle(handle, identity);
#else
  // A database on descriptors has a name that is no path ("fd:..."): its file
  // is asked through its own descriptor.
  if (file->pMethods == &FdVfs::main_io_methods) {
    struct stat status;
    if (fstat(reinterpret_cast<FdVfs::File*>(file)->fd, &status) != 0) return false;
    *identity = FromStatus(status);
    return true;
  }
  const char* name = sqlite3_db_filename(connection, schema);
  return name != nullptr && name[0] != '\0' && IdentityOfPath(name, identity);
#endif
}

bool IsOpenDatabaseFile(const Addon& addon, const FileIdentity& file) {
  for (const Database* db : addon.open_databases) {
    // A database counts until its connection is closed, also while it is
    // closing and ends its backups.
    if (db->db_handle == nullptr) continue;
    if (HasSchemaOn(db->db_handle, file)) return true;
    for (const Backup* backup : db->backups) {
      if (backup->alive && HasSchemaOn(backup->dest_handle, file)) return true;
    }
  }
  return false;
}
