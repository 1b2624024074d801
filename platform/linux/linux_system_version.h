#pragma once

#include "platform/system_version.h"

namespace mivo::platform {

// The system version as the programs see it on Linux: 26.0.0, the first
// version that passes the model OS gate, so that the language-model paths run
// here and meet a model that is not available. Nothing on Linux would use the
// newer framework of macOS 27.
class LinuxSystemVersion : public SystemVersion {
 public:
  OperatingSystemVersion operatingSystemVersion() override;
};

}  // namespace mivo::platform
