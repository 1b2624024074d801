#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "platform/foundation/process.h"

namespace mivo::foundation {

// Thrown by FakeProcess in place of ending the process. It derives from
// nothing, so that no handler in a program can take it for an error of its own.
struct ProcessExit {
  int status;
};

// A process with scripted standard input that records every call, in order.
class FakeProcess : public Process {
 public:
  // `standard_input`: what the program reads; none makes reading fail.
  explicit FakeProcess(std::optional<std::string> standard_input);

  // Every later write to standard output fails with `error`, writing nothing.
  void failStandardOutput(std::error_code error) { output_failure_ = error; }
  // As if the process had started with standard output closed: it reports
  // EBADF as its error, and every write fails with it.
  void closeStandardOutputAtStart() {
    output_closed_ = true;
    failStandardOutput(std::make_error_code(std::errc::bad_file_descriptor));
  }

  std::optional<std::string> readStandardInputToEnd() override;
  std::error_code writeStandardOutput(std::string_view bytes) override;
  std::error_code writeStandardError(std::string_view bytes) override;
  std::error_code standardOutputError() override;

  // "check standard output", "read standard input", "write standard output:
  // BYTES", "write standard error: BYTES" and "exit STATUS", in the order made.
  const std::vector<std::string>& calls() const { return calls_; }
  // What reached each stream, all writes together.
  const std::string& standardOutput() const { return standard_output_; }
  const std::string& standardError() const { return standard_error_; }

 protected:
  // Records the exit and throws ProcessExit.
  [[noreturn]] void end(int status) override;

 private:
  std::optional<std::string> standard_input_;
  std::error_code output_failure_;
  bool output_closed_ = false;
  std::vector<std::string> calls_;
  std::string standard_output_;
  std::string standard_error_;
};

// Runs `program` with `process` in use until it ends the process, and gives
// the exit status. A program that returns instead is a fault: std::logic_error.
int runUntilExit(FakeProcess& process, const std::function<void()>& program);

}  // namespace mivo::foundation
