#pragma once

#include <sys/types.h>

#include <functional>
#include <string>

namespace mivo::test {

// Where a run's standard output goes.
enum class OutputTarget {
  captured,     // a file, read back into `standardOutput`
  closed_pipe,  // a pipe whose reading end is closed before the run starts
  full_device,  // /dev/full, where every write fails for want of space
  closed,       // none: descriptor 1 is closed when the run starts
};

struct ProgramRun {
  int status;  // the exit status; 128 + the signal's number when a signal ended it
  std::string standardOutput;
  std::string standardError;
};

// Runs the program at `path` with no arguments in `folder`, with `input` as
// its standard input, and waits for it to end. Meanwhile, when `meanwhile` is
// given, it is called with the program's process id over and over until the
// program has ended; each call should wait a few milliseconds for what it
// watches.
ProgramRun runProgram(const std::string& path, const std::string& input, const std::string& folder,
                      OutputTarget output = OutputTarget::captured,
                      const std::function<void(pid_t)>& meanwhile = {});

}  // namespace mivo::test
