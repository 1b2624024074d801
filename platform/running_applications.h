#pragma once

#include <memory>
#include <string_view>
#include <vector>

namespace mivo::platform {

// One running instance of an application. Each request is handed to the
// system, which carries it out in its own time; whether it took it.
class RunningApplication {
 public:
  virtual ~RunningApplication() = default;

  virtual bool hide() = 0;
  virtual bool unhide() = 0;
  // Brings it to the front with the keyboard focus, with no options.
  virtual bool activate() = 0;
};

// The running applications of the system.
class RunningApplications {
 public:
  virtual ~RunningApplications() = default;

  // The running instances whose bundle identifier is exactly `identifier`,
  // in the system's order; empty when none has it.
  virtual std::vector<std::unique_ptr<RunningApplication>> withBundleIdentifier(
      std::string_view identifier) = 0;
};

}  // namespace mivo::platform
