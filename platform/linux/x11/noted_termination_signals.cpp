#include "platform/linux/x11/noted_termination_signals.h"

#include <signal.h>

#include "platform/linux/posix_termination_signals.h"

namespace mivo::platform {
namespace {

constexpr int kTerminationSignals[] = {SIGHUP, SIGINT, SIGQUIT, SIGTERM};

volatile sig_atomic_t noted = 0;
bool noting = false;

void note(int signal) {
  if (noted == 0) noted = signal;
}

bool hasDefaultAction(int signal) {
  struct sigaction current {};
  return ::sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_DFL;
}

}  // namespace

void noteTerminationSignals() {
  if (noting) return;
  noting = true;
  struct sigaction noting_action {};
  noting_action.sa_handler = note;
  // The calls it interrupts go on as if it had not come.
  noting_action.sa_flags = SA_RESTART;
  sigfillset(&noting_action.sa_mask);
  for (const int signal : kTerminationSignals) {
    if (hasDefaultAction(signal)) ::sigaction(signal, &noting_action, nullptr);
  }
}

std::optional<int> notedTerminationSignal() {
  if (noted == 0) return std::nullopt;
  return static_cast<int>(noted);
}

void obeyTerminationSignals() {
  if (!noting) return;
  noting = false;
  for (const int signal : kTerminationSignals) {
    struct sigaction current {};
    if (::sigaction(signal, nullptr, &current) == 0 && current.sa_handler == note) {
      ::signal(signal, SIG_DFL);
    }
  }
  if (const std::optional<int> signal = notedTerminationSignal()) endAsSignal(*signal);
}

}  // namespace mivo::platform
