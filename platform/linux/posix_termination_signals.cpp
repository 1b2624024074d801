#include "platform/linux/posix_termination_signals.h"

#include <poll.h>
#include <sys/signalfd.h>
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

using Clock = std::chrono::steady_clock;

// What is left of the time until `deadline`, none once it has passed.
timespec leftUntil(Clock::time_point deadline) {
  using std::chrono::nanoseconds;
  const nanoseconds left = std::max(
      nanoseconds(0), std::chrono::duration_cast<nanoseconds>(deadline - Clock::now()));
  const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(left);
  return {static_cast<time_t>(seconds.count()), static_cast<long>((left - seconds).count())};
}

// Waits until `deadline` or until one of `held` comes, and gives it.
std::optional<int> waitForSignal(Clock::time_point deadline, const sigset_t& held) {
  for (;;) {
    const timespec timeout = leftUntil(deadline);
    const int signal = ::sigtimedwait(&held, nullptr, &timeout);
    if (signal > 0) return signal;
    // Another signal's handler ran: wait out the rest.
    if (errno == EINTR) continue;
    return std::nullopt;
  }
}

// How a wait that watches a connection ended: with the signal that came, or
// none when the time ran out; or it could not watch the descriptors, and the
// caller waits without them.
struct WatchingWait {
  bool watched;
  std::optional<int> signal;
};

// Waits as waitForSignal does, with the signals read from `signals` (a
// signalfd), and lets `watched` take in what comes on `connection` meanwhile.
WatchingWait waitWatching(Clock::time_point deadline, int signals, int connection,
                          WatchedConnection& watched) {
  for (;;) {
    const timespec timeout = leftUntil(deadline);
    pollfd entries[] = {{signals, POLLIN, 0}, {connection, POLLIN, 0}};
    const int ready = ::ppoll(entries, 2, &timeout, nullptr);
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0 || ((entries[0].revents | entries[1].revents) & POLLNVAL) != 0) {
      return {false, std::nullopt};
    }
    if (ready == 0) return {true, std::nullopt};
    if ((entries[0].revents & POLLIN) != 0) {
      signalfd_siginfo info{};
      if (::read(signals, &info, sizeof info) == sizeof info) {
        return {true, static_cast<int>(info.ssi_signo)};
      }
    }
    // Readable, hung up or failed: whichever it is, the connection tells.
    if (entries[1].revents != 0) watched.takeIn();
  }
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
  // No wait still takes one that came already.
  const double bounded = seconds > 0 ? std::min(seconds, kLongestWait) : 0;
  const Clock::time_point deadline =
      Clock::now() + duration_cast<nanoseconds>(std::chrono::duration<double>(bounded));
  const int connection = watched_ != nullptr ? watched_->descriptor() : -1;
  if (connection >= 0) {
    // The signals come in through a descriptor of their own, so that one poll
    // waits for them and for the connection together.
    const int signals = ::signalfd(-1, &held_, SFD_CLOEXEC | SFD_NONBLOCK);
    if (signals >= 0) {
      const WatchingWait waited = waitWatching(deadline, signals, connection, *watched_);
      ::close(signals);
      if (waited.watched) return waited.signal;
    }
  }
  return waitForSignal(deadline, held_);
}

void PosixTerminationSignals::letThrough() { ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }

void PosixTerminationSignals::endAs(int signal) { endAsSignal(signal); }

void endAsSignal(int signal) {
  ::signal(signal, SIG_DFL);
  // Ends the process here, or, while it is blocked, where the mask below lets
  // it through.
  ::raise(signal);
  sigset_t only;
  sigemptyset(&only);
  sigaddset(&only, signal);
  ::pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
  // Not reached while the default action of the signal ends the process.
  ::_exit(128 + signal);
}

}  // namespace mivo::platform
