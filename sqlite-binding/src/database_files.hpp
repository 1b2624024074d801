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

// The identity of the file that `path` names; false when there is none.
bool IdentityOfPath(const std::string& path, FileIdentity* identity);

// The identity of the file that one schema of a connection is open on; false
// for a schema without a file of its own that a name could reach (in memory,
// not yet spilled to disk, or a temporary file that Linux has already unlinked).
bool IdentityOfDatabase(sqlite3* connection, const char* schema, FileIdentity* identity);

// Whether the file is that of a database open on a connection of the
// environment: any schema of a Database whose connection is open, or the
// destination of a live Backup.
bool IsOpenDatabaseFile(const Addon& addon, const FileIdentity& file);
