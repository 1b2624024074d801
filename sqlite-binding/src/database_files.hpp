#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <string>

struct Addon;

// A file as the system tells it apart from every other, whatever name it is
// reached by: its device and inode number, or on Windows its volume serial
// number and file index.
struct FileIdentity {
  uint64_t volume = 0;
  uint64_t number = 0;
  bool operator==(const FileIdentity&) const = default;
};

#ifdef _WIN32
// A UTF-8 path as Windows' own UTF-16; the C library's narrow calls would read
// the text in the system's code page and name another file.
std::wstring WidePath(const std::string& path);
#endif

// The identity of the file that `path` names; false when there is none. When
// `regular` is given it tells whether that is a regular file (not a folder, a
// device, a pipe).
bool IdentityOfPath(const std::string& path, FileIdentity* identity, bool* regular = nullptr);

// The identity of the file that one schema of a connection has open, asked of
// the open file itself, so that a database renamed, moved or linked anew since
// it was opened is still known; false for a schema without a file (in memory,
// not yet spilled to disk).
bool IdentityOfDatabase(sqlite3* connection, const char* schema, FileIdentity* identity);

// Whether the file is that of a database open on a connection of the
// environment: any schema of a Database whose connection is open, or the
// destination of a live Backup.
bool IsOpenDatabaseFile(const Addon& addon, const FileIdentity& file);

// Whether `path`, a full path as SQLite makes it, is the rollback journal, WAL
// or shared-memory file of such a database: by its name, which such a database
// may create at any time, or, when `file` is given, by the identity of the
// file there now.
bool IsJournalOfOpenDatabase(const Addon& addon, const std::string& path, const FileIdentity* file);
