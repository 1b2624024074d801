#pragma once

#include <signal.h>

namespace mivo::platform {

// The X server keeps a key or button pressed, and a key bound as it was
// bound, after the client that did it has gone. While this lives the
// termination signals (HUP, INT, QUIT, TERM) are held back, so that a run
// cannot end between a press and the release that belongs to it, or between
// binding a key and restoring it; one that arrives meanwhile is delivered
// when this ends.
class DeferredTerminationSignals {
 public:
  DeferredTerminationSignals();
  DeferredTerminationSignals(const DeferredTerminationSignals&) = delete;
  DeferredTerminationSignals& operator=(const DeferredTerminationSignals&) = delete;
  ~DeferredTerminationSignals();

 private:
  sigset_t previous_;
};

}  // namespace mivo::platform
