#include "platform/linux/text_recognition/silenced_standard_streams.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

namespace mivo::platform {
namespace {

// Points `fd` at `quiet` and gives a copy of what it pointed at, or -1.
int silence(int fd, int quiet) {
  const int saved = ::fcntl(fd, F_DUPFD_CLOEXEC, 3);
  if (saved < 0) return -1;
  if (::dup2(quiet, fd) < 0) {
    ::close(saved);
    return -1;
  }
  return saved;
}

void restore(int fd, int saved) {
  if (saved < 0) return;
  ::dup2(saved, fd);
  ::close(saved);
}

}  // namespace

SilencedStandardStreams::SilencedStandardStreams() {
  std::fflush(nullptr);
  const int quiet = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
  if (quiet < 0) return;
  saved_output_ = silence(STDOUT_FILENO, quiet);
  saved_error_ = silence(STDERR_FILENO, quiet);
  ::close(quiet);
}

SilencedStandardStreams::~SilencedStandardStreams() {
  std::fflush(nullptr);
  restore(STDOUT_FILENO, saved_output_);
  restore(STDERR_FILENO, saved_error_);
}

}  // namespace mivo::platform
