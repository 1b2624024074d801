#pragma once

#include <cstdio>
#include <memory>
#include <string>

namespace mivo::platform {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePointer = std::unique_ptr<std::FILE, FileCloser>;

// The file at `path` (relative to the current directory, links followed),
// open for reading, or none when it is no regular file that holds a byte at
// least: a missing file, a folder, a FIFO, a socket, a device, a file of the
// kernel's that tells no size. Nothing blocks: a FIFO that nobody writes to
// or a device is not opened at all, and the file stays non-blocking.
FilePointer openedPictureFile(const std::string& path);

}  // namespace mivo::platform
