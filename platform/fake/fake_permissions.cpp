#include "platform/fake/fake_permissions.h"

namespace mivo::platform {

bool FakePermissions::preflightScreenCaptureAccess() {
  calls_.push_back("preflight screen capture");
  return screen_;
}

bool FakePermissions::requestScreenCaptureAccess() {
  calls_.push_back("request screen capture");
  screen_ = screen_ || screen_on_request_;
  return screen_;
}

bool FakePermissions::isProcessTrusted() {
  calls_.push_back("is process trusted");
  return accessibility_;
}

bool FakePermissions::isProcessTrustedWithPrompt() {
  calls_.push_back("is process trusted with prompt");
  accessibility_ = accessibility_ || accessibility_on_request_;
  return accessibility_;
}

}  // namespace mivo::platform
