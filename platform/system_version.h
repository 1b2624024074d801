#pragma once

#include <compare>

namespace mivo::platform {

struct OperatingSystemVersion {
  int majorVersion = 0;
  int minorVersion = 0;
  int patchVersion = 0;

  auto operator<=>(const OperatingSystemVersion&) const = default;
};

// The version of the running operating system.
class SystemVersion {
 public:
  virtual ~SystemVersion() = default;

  virtual OperatingSystemVersion operatingSystemVersion() = 0;
};

}  // namespace mivo::platform
