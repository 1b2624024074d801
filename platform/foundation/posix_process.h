#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include "platform/foundation/process.h"

namespace mivo::foundation {

// The real process, on the POSIX descriptors 0, 1 and 2. Making one ignores
// SIGPIPE for the whole process, so that an answer written into a closed pipe
// is a write error the program reports, not a silent death.
//
// A process started with one of 0, 1 and 2 closed would hand that number to
// the next file or connection it opens, and then read its request from it or
// write its answer or its error line into it (an X connection on descriptor
// 1 once took the answer). So making one also opens /dev/null on each of them
// that is closed. Standard input then reads as empty, and standard error
// swallows its lines; standard output counts as unusable, since an answer
// written to /dev/null would be reported as delivered.
class PosixProcess : public Process {
 public:
  PosixProcess();

  std::optional<std::string> readStandardInputToEnd() override;
  // EBADF, writing nothing, when standard output was closed at the start.
  std::error_code writeStandardOutput(std::string_view bytes) override;
  std::error_code writeStandardError(std::string_view bytes) override;
  std::error_code standardOutputError() override;

 protected:
  [[noreturn]] void end(int status) override;

 private:
  bool output_closed_at_start_;
};

// Reads `fd` to its end; none when a read fails.
std::optional<std::string> readToEnd(int fd);

// Writes every byte of `bytes` to `fd`: a partial write is continued, an
// interrupted one retried, and a descriptor that would block is waited on.
std::error_code writeAll(int fd, std::string_view bytes);

}  // namespace mivo::foundation
