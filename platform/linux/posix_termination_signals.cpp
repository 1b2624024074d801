#include "platform/linux/posix_termination_signals.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <ctime>

namespace mivo::platform {
namespace {

constexpr int kTerminationSignals[] = {SIGHUP, SIGINT, SIGQUIT, SIGTERM};

// Far beyond any wait a program asks for, and small enough that no
// conversion of it can overflow.
constexpr double kLongestWait = 24 * 60 * 60;

bool isIgnored(int signal) {
  struct sigaction action {};
  return ::sigaction(signal, nullptr, &action) == 0 && action.sa_handler == SIG_IGN;
}

timespec timespecOf(std::chrono::nanoseconds wait) {
  const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(wait);
  return {static_cast<time_t>(seconds.count()), static_cast<long>((wait - seconds).count())};
}

}  // namespace

void PosixTerminationSignals::holdBack() {
  sigset_t blocked;
  ::pthread_sigmask(SIG_BLOCK, nullptr, &blocked);
  sigemptyset(&held_);
  for (const int signal : kTerminationSignals) {
    if (!sigismember(&blocked, signal) && !isIgnored(signal)) sigaddset(&held_, signal);
  }
  ::pthread_sigmask(SIG_BLOCK, &held_, &previous_);
}

std::optional<int> PosixTerminationSignals::wait(double seconds) {
  using std::chrono::duration_cast;
  using std::chrono::nanoseconds;
  using std::chrono::steady_clock;
  // No wait still takes one that came already.
  const double bounded = seconds > 0 ? std::min(seconds, kLongestWait) : 0;
  const steady_clock::time_point deadline =
      steady_clock::now() + duration_cast<nanoseconds>(std::chrono::duration<double>(bounded));
  for (;;) {
    const nanoseconds left =
        std::max(nanoseconds(0), duration_cast<nanoseconds>(deadline - steady_clock::now()));
    const timespec timeout = timespecOf(left);
    const int signal = ::sigtimedwait(&held_, nullptr, &timeout);
    if (signal > 0) return signal;
    // Another signal's handler ran: wait out the rest.
    if (errno == EINTR) continue;
    return std::nullopt;
  }
}

void PosixTerminationSignals::letThrough() { ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }

void PosixTerminationSignals::endAs(int signal) {
  ::signal(signal, SIG_DFL);
  // Still blocked, so it waits until the mask below lets it through, and
  // ends the process there.
  ::raise(signal);
  sigset_t only;
  sigemptyset(&only);
  sigaddset(&only, signal);
  ::pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
  // Not reached while the default action of the signal ends the process.
  ::_exit(128 + signal);
}

}  // namespace mivo::platform
