#pragma once

#include <string>
#include <vector>

#include "platform/permissions.h"

namespace mivo::platform {

// Scripted permissions that record every call, in order, into a log they may
// share with other fakes: "preflight screen capture", "request screen
// capture", "is process trusted", "is process trusted with prompt". Neither
// is granted unless a script grants it; a script may have a request grant.
class FakePermissions : public Permissions {
 public:
  explicit FakePermissions(std::vector<std::string>& calls) : calls_(calls) {}

  void grant(bool screen, bool accessibility) {
    screen_ = screen;
    accessibility_ = accessibility;
  }
  // The requests grant what the person would allow.
  void grantOnRequest(bool screen, bool accessibility) {
    screen_on_request_ = screen;
    accessibility_on_request_ = accessibility;
  }

  bool preflightScreenCaptureAccess() override;
  bool requestScreenCaptureAccess() override;
  bool isProcessTrusted() override;
  bool isProcessTrustedWithPrompt() override;

 private:
  std::vector<std::string>& calls_;
  bool screen_ = false;
  bool accessibility_ = false;
  bool screen_on_request_ = false;
  bool accessibility_on_request_ = false;
};

}  // namespace mivo::platform
