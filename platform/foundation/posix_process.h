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
class PosixProcess : public Process {
 public:
  PosixProcess();

  std::optional<std::string> readStandardInputToEnd() override;
  std::error_code writeStandardOutput(std::string_view bytes) override;
  std::error_code writeStandardError(std::string_view bytes) override;

 protected:
  [[noreturn]] void end(int status) override;
};

// Reads `fd` to its end; none when a read fails.
std::optional<std::string> readToEnd(int fd);

// Writes every byte of `bytes` to `fd`: a partial write is continued, an
// interrupted one retried, and a descriptor that would block is waited on.
std::error_code writeAll(int fd, std::string_view bytes);

}  // namespace mivo::foundation
