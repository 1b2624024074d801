#pragma once

#include <string>

namespace mivo::test {

// Where a run's standard output goes.
enum class OutputTarget {
  captured,     // a file, read back into `standardOutput`
  closed_pipe,  // a pipe whose reading end is closed before the run starts
  full_device,  // /dev/full, where every write fails for want of space
};

struct ProgramRun {
  int status;  // the exit status; 128 + the signal's number when a signal ended it
  std::string standardOutput;
  std::string standardError;
};

// Runs the program at `path` with no arguments in `folder`, with `input` as
// its standard input, and waits for it to end.
ProgramRun runProgram(const std::string& path, const std::string& input, const std::string& folder,
                       OutputTarget output = OutputTarget::captured);

}  // namespace mivo::test
