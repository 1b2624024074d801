#include "hands/application_commands.h"

#include <string>

namespace mivo::hands {
namespace {

// Time for the system to hide them before the next command looks.
constexpr double kAfterHiding = 0.35;

}  // namespace

std::vector<std::unique_ptr<platform::RunningApplication>> apps(const Services& services,
                                                                std::string_view identifier) {
  return services.applications.withBundleIdentifier(identifier);
}

Answer hide(const Request& request, Events& events, const Services& services) {
  for (const std::string& identifier :
       request.texts("bundles").value_or(std::vector<std::string>{})) {
    // The system's answers are not looked at: a hide it will not do is no failure.
    for (const auto& application : apps(services, identifier)) (void)application->hide();
  }
  events.pause(kAfterHiding);
  return okAnswer();
}

Answer show(const Request& request, Events&, const Services& services) {
  for (const auto& application : apps(services, request.text("bundle").value_or(""))) {
    (void)application->unhide();
    (void)application->activate();
  }
  return okAnswer();
}

}  // namespace mivo::hands
