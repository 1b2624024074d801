#pragma once

#include <optional>
#include <string>

#include "hands/test/child_process.h"
#include "see/test/temporary_folder.h"

namespace mivo::test {

// Openbox managing the windows of an X display of the test's own, with a
// home folder of its own for what it keeps. It is killed when this ends, and
// also when the test process dies first.
class WindowManager {
 public:
  // Raises std::runtime_error when it does not manage the display within
  // 10 s.
  explicit WindowManager(const std::string& display);
  WindowManager(const WindowManager&) = delete;
  WindowManager& operator=(const WindowManager&) = delete;

 private:
  TemporaryFolder home_;
  std::optional<ChildProcess> openbox_;
};

}  // namespace mivo::test
