#pragma once

#include <string>

// A "file:" URI with the options that name a VFS taken out, read as SQLite
// reads URI file names: the path part stays as it was written, and the other
// options, as SQLite pairs them, are written again in %HH form. So a name
// opened through a VFS of our own cannot be diverted to the VFS that the URI
// names. A URI without a "vfs" option comes back unchanged.
std::string WithoutVfsOption(const std::string& uri);
