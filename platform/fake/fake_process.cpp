#include "platform/fake/fake_process.h"

#include <stdexcept>

namespace mivo::foundation {
namespace {

// Puts a process in place of the one in use for as long as it lives.
class ProcessReplacement {
 public:
  explicit ProcessReplacement(Process& replacement) : replaced_(replaceProcess(replacement)) {}
  ProcessReplacement(const ProcessReplacement&) = delete;
  ProcessReplacement& operator=(const ProcessReplacement&) = delete;
  ~ProcessReplacement() { replaceProcess(replaced_); }

 private:
  Process& replaced_;
};

}  // namespace

FakeProcess::FakeProcess(std::optional<std::string> standard_input)
    : standard_input_(std::move(standard_input)) {}

std::optional<std::string> FakeProcess::readStandardInputToEnd() {
  calls_.push_back("read standard input");
  return standard_input_;
}

std::error_code FakeProcess::writeStandardOutput(std::string_view bytes) {
  calls_.push_back("write standard output: " + std::string(bytes));
  if (output_failure_) return output_failure_;
  standard_output_ += bytes;
  return {};
}

std::error_code FakeProcess::writeStandardError(std::string_view bytes) {
  calls_.push_back("write standard error: " + std::string(bytes));
  standard_error_ += bytes;
  return {};
}

std::error_code FakeProcess::standardOutputError() {
  calls_.push_back("check standard output");
  if (output_closed_) return output_failure_;
  return {};
}

void FakeProcess::end(int status) {
  calls_.push_back("exit " + std::to_string(status));
  throw ProcessExit{status};
}

int runUntilExit(FakeProcess& process, const std::function<void()>& program) {
  const ProcessReplacement replacement(process);
  try {
    program();
  } catch (const ProcessExit& exit) {
    return exit.status;
  }
  throw std::logic_error("the program returned without ending the process");
}

}  // namespace mivo::foundation
