#include "see/model/model_os_gate.h"

namespace mivo::model {

bool passesModelOsGate(platform::SystemVersion& system) {
  return system.operatingSystemVersion() >= platform::OperatingSystemVersion{26, 0, 0};
}

bool isMacOS27OrLater(platform::SystemVersion& system) {
  return system.operatingSystemVersion() >= platform::OperatingSystemVersion{27, 0, 0};
}

}  // namespace mivo::model
