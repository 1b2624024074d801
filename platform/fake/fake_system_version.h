#pragma once

#include "platform/system_version.h"

namespace mivo::platform {

// A system of a set version that counts how often it is asked.
class FakeSystemVersion : public SystemVersion {
 public:
  explicit FakeSystemVersion(OperatingSystemVersion version) : version_(version) {}

  OperatingSystemVersion operatingSystemVersion() override {
    ++reads_;
    return version_;
  }

  int reads() const { return reads_; }

 private:
  OperatingSystemVersion version_;
  int reads_ = 0;
};

}  // namespace mivo::platform
