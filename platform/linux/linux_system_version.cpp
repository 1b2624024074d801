#include "platform/linux/linux_system_version.h"

namespace mivo::platform {

OperatingSystemVersion LinuxSystemVersion::operatingSystemVersion() { return {26, 0, 0}; }

}  // namespace mivo::platform
