#pragma once

#include <sys/types.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace mivo::test {

// A program that a test starts, with its standard streams on /dev/null and
// the changes `environment` gives (a name without a value is unset). It is
// ended when this ends, and killed when the test process dies first.
class ChildProcess {
 public:
  // Raises std::runtime_error when it cannot be started.
  ChildProcess(const std::vector<std::string>& arguments,
               const std::map<std::string, std::optional<std::string>>& environment = {});
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  ~ChildProcess();

  // Ends it with SIGTERM, or SIGKILL when that does not within 10 s, and
  // waits for it; nothing when it has been stopped already.
  void stop();

 private:
  pid_t pid_ = -1;
};

}  // namespace mivo::test
