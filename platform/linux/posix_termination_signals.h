#pragma once

#include <signal.h>

#include "platform/linux/x11/watched_connection.h"
#include "platform/termination_signals.h"

namespace mivo::platform {

// The termination signals on POSIX: held back by blocking them in the
// calling thread (the programs have no other), waited for with sigtimedwait
// (or read from a signalfd beside a watched connection), and raised again
// with their default action.
//
// A wait also watches the connection it is given, once it has one, so that a
// display that goes away during a long hold ends the run at once instead of
// at the release.
class PosixTerminationSignals : public TerminationSignals {
 public:
  explicit PosixTerminationSignals(WatchedConnection* watched = nullptr) : watched_(watched) {}

  void holdBack() override;
  std::optional<int> wait(double seconds) override;
  void letThrough() override;
  [[noreturn]] void endAs(int signal) override;

 private:
  // The ones blocked by holdBack: those that the process neither blocked nor
  // ignored already.
  sigset_t held_{};
  sigset_t previous_{};
  WatchedConnection* watched_;
};

// Ends the process as `signal` ends it by default, whether it is blocked or
// has a handler (the status a shell shows is 128 plus its number).
[[noreturn]] void endAsSignal(int signal);

}  // namespace mivo::platform
