#include "hands/permission_commands.h"

namespace mivo::hands {

Answer check(const Request&, Events&, const Services& services) {
  const bool screen = services.permissions.preflightScreenCaptureAccess();
  const bool accessibility = services.permissions.isProcessTrusted();
  return {{{"screen", screen}, {"accessibility", accessibility}}};
}

Answer ask(const Request& request, Events& events, const Services& services) {
  // Their results are not the answer: the state is read afresh afterwards.
  (void)services.permissions.requestScreenCaptureAccess();
  (void)services.permissions.isProcessTrustedWithPrompt();
  return check(request, events, services);
}

}  // namespace mivo::hands
