#pragma once

#include <string>

// The file that sqlite3_open_v2(name, flags) would open, asked of SQLite
// without opening or creating anything: with URI names on, only SQLite's own
// parser tells which path a name holds, and SQLite makes every path absolute
// and resolves its symbolic links. `uri_names` tells whether SQLite reads
// "file:" names as URIs; a URI's own choice of VFS is set aside, since that
// VFS would open the file itself, and the path is the one the default VFS
// makes of the name.
//
// The answer is that full path, or empty when the name opens no file (an
// in-memory or temporary database, or a name SQLite refuses before it names a
// file).
std::string ProbeDatabasePath(const std::string& name, int flags, bool uri_names);
