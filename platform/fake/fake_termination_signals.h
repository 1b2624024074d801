#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/termination_signals.h"

namespace mivo::platform {

// Scripted termination signals that record every call, in order, into a log
// they may share with other fakes. Entries:
//   "hold back signals"
//   "wait 0.01", or "wait 0.01: signal 15" when the script sends one then
//   "let signals through"
//   "end as signal 15"
// Ending the run is the process's exit with 128 plus the signal's number, the
// status a shell shows for a run that the signal ended.
class FakeTerminationSignals : public TerminationSignals {
 public:
  explicit FakeTerminationSignals(std::vector<std::string>& calls) : calls_(calls) {}

  // The `wait`-th wait of the run (counted from 1) gives `signal`.
  void comeDuringWait(int wait, int signal) { signals_[wait] = signal; }

  void holdBack() override;
  std::optional<int> wait(double seconds) override;
  void letThrough() override;
  [[noreturn]] void endAs(int signal) override;

 private:
  std::vector<std::string>& calls_;
  std::map<int, int> signals_;
  int waits_ = 0;
};

}  // namespace mivo::platform
