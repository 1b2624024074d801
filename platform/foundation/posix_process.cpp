#include "platform/foundation/posix_process.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>

namespace mivo::foundation {
namespace {

std::error_code last_error() { return {errno, std::generic_category()}; }

bool would_block(int error) { return error == EAGAIN || error == EWOULDBLOCK; }

// A descriptor that its owner made non-blocking (the host may share one with
// us) is waited on rather than given up on.
bool wait_for(int fd, short events) {
  pollfd entry{fd, events, 0};
  int ready;
  do {
    ready = ::poll(&entry, 1, -1);
  } while (ready < 0 && errno == EINTR);
  return ready > 0;
}

}  // namespace

std::optional<std::string> read_to_end(int fd) {
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
    } else if (!would_block(errno) || !wait_for(fd, POLLIN)) {
      return std::nullopt;
    }
  }
}

std::error_code write_all(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t count = ::write(fd, bytes.data(), bytes.size());
    if (count > 0) {
      bytes.remove_prefix(static_cast<std::size_t>(count));
    } else if (count == 0) {
      return std::make_error_code(std::errc::io_error);
    } else if (errno == EINTR) {
      continue;
    } else if (!would_block(errno) || !wait_for(fd, POLLOUT)) {
      return last_error();
    }
  }
  return {};
}

PosixProcess::PosixProcess() { std::signal(SIGPIPE, SIG_IGN); }

std::optional<std::string> PosixProcess::read_standard_input_to_end() {
  return read_to_end(STDIN_FILENO);
}

std::error_code PosixProcess::write_standard_output(std::string_view bytes) {
  return write_all(STDOUT_FILENO, bytes);
}

std::error_code PosixProcess::write_standard_error(std::string_view bytes) {
  return write_all(STDERR_FILENO, bytes);
}

void PosixProcess::end(int status) { std::exit(status); }

}  // namespace mivo::foundation
