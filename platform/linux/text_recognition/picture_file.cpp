#include "platform/linux/text_recognition/picture_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace mivo::platform {
namespace {

bool holdsBytes(const struct stat& status) { return S_ISREG(status.st_mode) && status.st_size > 0; }

}  // namespace

FilePointer openedPictureFile(const std::string& path) {
  // No file name holds a NUL; as a C string the path would end there and name
  // another file.
  if (path.find('\0') != std::string::npos) return nullptr;
  // Looked at before it is opened, as opening a FIFO waits for a writer and
  // opening a device may act on it; and again once open, in case the name
  // was given to another file in between.
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0 || !holdsBytes(status)) return nullptr;
  const int descriptor = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (descriptor < 0) return nullptr;
  if (::fstat(descriptor, &status) != 0 || !holdsBytes(status)) {
    ::close(descriptor);
    return nullptr;
  }
  FilePointer file(::fdopen(descriptor, "rb"));
  if (file == nullptr) ::close(descriptor);
  return file;
}

}  // namespace mivo::platform
