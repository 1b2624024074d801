#pragma once

namespace mivo::platform {

// The two permissions that the program's commands depend on: recording the
// screen, and controlling the computer as a trusted accessibility client.
class Permissions {
 public:
  virtual ~Permissions() = default;

  // Whether the process may record the screen, without asking.
  virtual bool preflightScreenCaptureAccess() = 0;
  // Asks the system to let the process record the screen, which may ask the
  // person; whether it may now.
  virtual bool requestScreenCaptureAccess() = 0;

  // Whether the process is a trusted accessibility client, without asking.
  virtual bool isProcessTrusted() = 0;
  // The same question, letting the system ask the person.
  virtual bool isProcessTrustedWithPrompt() = 0;
};

}  // namespace mivo::platform
