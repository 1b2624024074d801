#pragma once

#include "platform/linux/x11/x11_display.h"
#include "platform/permissions.h"

namespace mivo::platform {

// The permissions on the X display that DISPLAY names, which knows none of
// its own: the screen may be recorded when the display opens and gives the
// pixels of its root window; the computer may be controlled when the display
// has the XTest extension, through which input events are posted. Asking
// changes nothing: the requests answer what the checks answer.
class X11Permissions : public Permissions {
 public:
  bool preflightScreenCaptureAccess() override;
  bool requestScreenCaptureAccess() override;
  bool isProcessTrusted() override;
  bool isProcessTrustedWithPrompt() override;

 private:
  X11DisplayOnDemand display_;
};

}  // namespace mivo::platform
