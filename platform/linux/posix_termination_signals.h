#pragma once

#include <signal.h>

#include "platform/termination_signals.h"

namespace mivo::platform {

// The termination signals on POSIX: held back by blocking them in the
// calling thread (the programs have no other), waited for with sigtimedwait,
// and raised again with their default action.
class PosixTerminationSignals : public TerminationSignals {
 public:
  void holdBack() override;
  std::optional<int> wait(double seconds) override;
  void letThrough() override;
  [[noreturn]] void endAs(int signal) override;

 private:
  // The ones blocked by holdBack: those that the process neither blocked nor
  // ignored already.
  sigset_t held_{};
  sigset_t previous_{};
};

}  // namespace mivo::platform
