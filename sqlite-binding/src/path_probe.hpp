#pragma once

#include <string>

// The file that sqlite3_open_v2(name, flags) would open, asked of SQLite
// without opening or creating anything: with URI names on, only SQLite's own
// parser tells which path a name holds, and SQLite makes every path absolute
// and resolves its symbolic links. `path` is that full path, or empty when the
// name opens no file (an in-memory or temporary database, or a name SQLite
// refuses before it names a file).
//
// Answers false when SQLite's answer is not the whole story: a URI that names
// a VFS of its own bypasses the probe, and that VFS then opened (and may have
// created) the file at `path` itself.
bool ProbeDatabasePath(const std::string& name, int flags, std::string* path);
