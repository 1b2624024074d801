#include "platform/linux/x11/deferred_termination_signals.h"

#include <initializer_list>

namespace mivo::platform {

DeferredTerminationSignals::DeferredTerminationSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  for (int signal : {SIGHUP, SIGINT, SIGQUIT, SIGTERM}) sigaddset(&signals, signal);
  pthread_sigmask(SIG_BLOCK, &signals, &previous_);
}

DeferredTerminationSignals::~DeferredTerminationSignals() {
  pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
}

}  // namespace mivo::platform
