// The files that databases are open on, told apart by identity rather than by
// name: a link, a relative path or a URI reaches the same file under another
// name, a file renamed after it was opened is no longer under the name SQLite
// keeps, and a backup that removes its destination must never remove one of
// them.
#include "database_files.hpp"

#include <sys/stat.h>
#ifdef _WIN32
#include <windows.h>
#endif

#include <cstring>

#include "addon.hpp"
#include "backup.hpp"
#include "database.hpp"
#include "fd_vfs.hpp"

namespace {

#ifdef _WIN32
bool IdentityOfHandle(HANDLE file, FileIdentity* identity, bool* regular) {
  BY_HANDLE_FILE_INFORMATION information;
  if (GetFileInformationByHandle(file, &information) == 0) return false;
  *identity = {information.dwVolumeSerialNumber,
               (static_cast<uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow};
  if (regular != nullptr) {
    *regular = GetFileType(file) == FILE_TYPE_DISK && (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
  }
  return true;
}
#else
FileIdentity FromStatus(const struct stat& status) {
  return {static_cast<uint64_t>(status.st_dev), static_cast<uint64_t>(status.st_ino)};
}

bool IdentityOfDescriptor(int fd, FileIdentity* identity) {
  struct stat status;
  if (fstat(fd, &status) != 0) return false;
  *identity = FromStatus(status);
  return true;
}

// SQLite's unix file layer has no call that hands out a file's descriptor. Its
// file object begins with the methods, the VFS that made it, its inode record
// and the descriptor, in that order, as it has for many releases; a file whose
// second field is one of the unix VFSes is such an object.
struct UnixFileHead {
  const sqlite3_io_methods* methods;
  sqlite3_vfs* vfs;
  void* inode;
  int fd;
};

bool IsUnixVfs(const sqlite3_vfs* vfs) {
  static const char* const NAMES[] = {"unix",      "unix-none", "unix-dotfile", "unix-excl", "unix-posix",
                                      "unix-flock", "unix-afp",  "unix-nfs",     "unix-proxy", "unix-namedsem"};
  for (const char* name : NAMES) {
    const sqlite3_vfs* known = sqlite3_vfs_find(name);
    if (known != nullptr && known == vfs) return true;
  }
  return false;
}

bool IsMemoryVfs(sqlite3* connection, const char* schema) {
  sqlite3_vfs* vfs = nullptr;
  return sqlite3_file_control(connection, schema, SQLITE_FCNTL_VFS_POINTER, &vfs) == SQLITE_OK && vfs != nullptr &&
         std::strcmp(vfs->zName, "memdb") == 0;
}
#endif

// Calls `test` with each connection of the environment that has databases
// open: every open Database and the destination of every live Backup. Answers
// whether a call answered true.
template <typename Test>
bool AnyConnection(const Addon& addon, Test test) {
  for (const Database* db : addon.open_databases) {
    // A database counts until its connection is closed, also while it is
    // closing and ends its backups.
    if (db->db_handle == nullptr) continue;
    if (test(db->db_handle)) return true;
    for (const Backup* backup : db->backups) {
      if (backup->alive && test(backup->dest_handle)) return true;
    }
  }
  return false;
}

// Whether any schema of the connection (main, temp, each attached database) is
// open on the file.
bool HasSchemaOn(sqlite3* connection, const FileIdentity& file) {
  for (int i = 0; const char* schema = sqlite3_db_name(connection, i); i++) {
    FileIdentity identity;
    if (IdentityOfDatabase(connection, schema, &identity) && identity == file) return true;
  }
  return false;
}

bool IsNamedFile(const char* name, const std::string& path, const FileIdentity* file) {
  FileIdentity identity;
  return path == name || (file != nullptr && IdentityOfPath(name, &identity) && identity == *file);
}

// Whether the file is the journal, WAL or shared-memory file of one schema.
bool IsJournalOf(sqlite3* connection, const char* schema, const std::string& path, const FileIdentity* file) {
#ifndef _WIN32
  // A database on descriptors has one journal, on a descriptor of its own.
  sqlite3_file* open_file = nullptr;
  if (sqlite3_file_control(connection, schema, SQLITE_FCNTL_FILE_POINTER, &open_file) == SQLITE_OK &&
      open_file != nullptr && open_file->pMethods == &FdVfs::main_io_methods) {
    FileIdentity journal;
    return file != nullptr && IdentityOfDescriptor(reinterpret_cast<FdVfs::File*>(open_file)->journal_fd, &journal) &&
           journal == *file;
  }
#endif
  sqlite3_filename name = sqlite3_db_filename(connection, schema);
  if (name == nullptr || name[0] == '\0') return false;
  return IsNamedFile(sqlite3_filename_journal(name), path, file) || IsNamedFile(sqlite3_filename_wal(name), path, file) ||
         IsNamedFile((std::string(name) + "-shm").c_str(), path, file);
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

bool IdentityOfPath(const std::string& path, FileIdentity* identity, bool* regular) {
#ifdef _WIN32
  HANDLE file = CreateFileW(WidePath(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool known = IdentityOfHandle(file, identity, regular);
  CloseHandle(file);
  return known;
#else
  struct stat status;
  if (stat(path.c_str(), &status) != 0) return false;
  *identity = FromStatus(status);
  if (regular != nullptr) *regular = S_ISREG(status.st_mode);
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
  return IdentityOfHandle(handle, identity, nullptr);
#else
  if (file->pMethods == &FdVfs::main_io_methods) {
    return IdentityOfDescriptor(reinterpret_cast<FdVfs::File*>(file)->fd, identity);
  }
  const UnixFileHead* head = reinterpret_cast<const UnixFileHead*>(file);
  if (IsUnixVfs(head->vfs)) return IdentityOfDescriptor(head->fd, identity);
  if (IsMemoryVfs(connection, schema)) return false;
  // A file layer that a URI or an extension brought: only its name tells.
  const char* name = sqlite3_db_filename(connection, schema);
  return name != nullptr && name[0] != '\0' && IdentityOfPath(name, identity);
#endif
}

bool IsOpenDatabaseFile(const Addon& addon, const FileIdentity& file) {
  return AnyConnection(addon, [&](sqlite3* connection) { return HasSchemaOn(connection, file); });
}

bool IsJournalOfOpenDatabase(const Addon& addon, const std::string& path, const FileIdentity* file) {
  return AnyConnection(addon, [&](sqlite3* connection) {
    for (int i = 0; const char* schema = sqlite3_db_name(connection, i); i++) {
      if (IsJournalOf(connection, schema, path, file)) return true;
    }
    return false;
  });
}
