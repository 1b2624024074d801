#include "platform/foundation/posix_process.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>

namespace mivo::foundation {
namespace {

std::error_code lastError() { return {errno, std::generic_category()}; }

bool wouldBlock(int error) { return error == EAGAIN || error == EWOULDBLOCK; }

// A descriptor that its owner made non-blocking (the host may share one with
// us) is waited on rather than given up on.
bool waitFor(int fd, short events) {
  pollfd entry{fd, events, 0};
  int ready;
  do {
    ready = ::poll(&entry, 1, -1);
  } while (ready < 0 && errno == EINTR);
  return ready > 0;
}

bool isClosed(int fd) { return ::fcntl(fd, F_GETFD) < 0 && errno == EBADF; }

// Opens /dev/null on `fd` when it is closed. In the order 0, 1, 2 every
// lower descriptor is open by then, so the lowest free number open() gives
// is `fd` itself; a failed open leaves it closed, there being nothing better.
void openOnDevNullIfClosed(int fd, int flags) {
  if (!isClosed(fd)) return;
  const int opened = ::open("/dev/null", flags);
  if (opened >= 0 && opened != fd) {
    ::dup2(opened, fd);
    ::close(opened);
  }
}

}  // namespace

std::optional<std::string> readToEnd(int fd) {
  std::string bytes;
  char chunk[65536];
  for (;;) {
    const ssize_t count = ::read(fd, chunk, sizeof chunk);
    if (count > 0) {
      bytes.append(chunk, static_cast<std::size_t>(count));
    } else if (count == 0) {
      return bytes;
    } else if (errno == EINTR) {
      continue;
    } else if (!wouldBlock(errno) || !waitFor(fd, POLLIN)) {
      return std::nullopt;
    }
  }
}

std::error_code writeAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t count = ::write(fd, bytes.data(), bytes.size());
    if (count > 0) {
      bytes.remove_prefix(static_cast<std::size_t>(count));
    } else if (count == 0) {
      return std::make_error_code(std::errc::io_error);
    } else if (errno == EINTR) {
      continue;
    } else if (!wouldBlock(errno) || !waitFor(fd, POLLOUT)) {
      return lastError();
    }
  }
  return {};
}

PosixProcess::PosixProcess() : output_closed_at_start_(isClosed(STDOUT_FILENO)) {
  std::signal(SIGPIPE, SIG_IGN);
  openOnDevNullIfClosed(STDIN_FILENO, O_RDONLY);
  openOnDevNullIfClosed(STDOUT_FILENO, O_WRONLY);
  openOnDevNullIfClosed(STDERR_FILENO, O_WRONLY);
}

std::optional<std::string> PosixProcess::readStandardInputToEnd() {
  return readToEnd(STDIN_FILENO);
}

std::error_code PosixProcess::writeStandardOutput(std::string_view bytes) {
  if (const std::error_code error = standardOutputError()) return error;
  return writeAll(STDOUT_FILENO, bytes);
}

std::error_code PosixProcess::writeStandardError(std::string_view bytes) {
  return writeAll(STDERR_FILENO, bytes);
}

std::error_code PosixProcess::standardOutputError() {
  if (output_closed_at_start_) return std::make_error_code(std::errc::bad_file_descriptor);
  return {};
}

void PosixProcess::end(int status) { std::exit(status); }

}  // namespace mivo::foundation
