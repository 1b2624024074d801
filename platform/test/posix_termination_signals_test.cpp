#include "platform/linux/posix_termination_signals.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <limits>
#include <stdexcept>

namespace mivo::platform {
namespace {

using Clock = std::chrono::steady_clock;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Whether `signal` is pending for this thread or process.
bool isPending(int signal) {
  sigset_t pending;
  sigpending(&pending);
  return sigismember(&pending, signal) == 1;
}

// How a child that runs `body` ends: "signal N", "exit N".
std::string endOfChild(const std::function<void()>& body) {
  const pid_t child = ::fork();
  if (child < 0) throw std::runtime_error("fork");
  if (child == 0) {
    body();
    ::_exit(0);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  if (WIFSIGNALED(status)) return "signal " + std::to_string(WTERMSIG(status));
  return "exit " + std::to_string(WEXITSTATUS(status));
}

TEST(PosixTerminationSignals, AWaitGivesEachSignalThatCameWhileTheyWereHeldBack) {
  for (const int sent : {SIGHUP, SIGINT, SIGQUIT, SIGTERM}) {
    SCOPED_TRACE(sent);
    PosixTerminationSignals signals;
    signals.holdBack();
    ::raise(sent);
    // It came before the wait, so even the longest wait gives it at once.
    EXPECT_EQ(signals.wait(1e300), sent);
    EXPECT_FALSE(isPending(sent));
    signals.letThrough();
  }
}

TEST(PosixTerminationSignals, AWaitWithoutASignalLastsItsTimeOrNoneAtAll) {
  PosixTerminationSignals signals;
  signals.holdBack();
  const auto start = Clock::now();
  EXPECT_EQ(signals.wait(0.05), std::nullopt);
  EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(50));
  for (const double seconds : {0.0, -1.0, -std::numeric_limits<double>::infinity(), kNaN}) {
    SCOPED_TRACE(seconds);
    const auto before = Clock::now();
    EXPECT_EQ(signals.wait(seconds), std::nullopt);
    EXPECT_LT(Clock::now() - before, std::chrono::milliseconds(100));
  }
  signals.letThrough();
}

TEST(PosixTerminationSignals, LeavesSignalsTheProcessBlockedOrIgnoredAsTheyWere) {
  sigset_t interrupt;
  sigemptyset(&interrupt);
  sigaddset(&interrupt, SIGINT);
  ::pthread_sigmask(SIG_BLOCK, &interrupt, nullptr);
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  struct sigaction previous_hangup {};
  ::sigaction(SIGHUP, &ignore, &previous_hangup);

  PosixTerminationSignals signals;
  signals.holdBack();
  ::raise(SIGINT);
  ::raise(SIGHUP);
  EXPECT_EQ(signals.wait(0), std::nullopt);
  signals.letThrough();
  // The blocked one still waits for whoever blocked it; the ignored one is gone.
  EXPECT_TRUE(isPending(SIGINT));
  EXPECT_FALSE(isPending(SIGHUP));

  const timespec now{0, 0};
  ::sigtimedwait(&interrupt, nullptr, &now);
  ::pthread_sigmask(SIG_UNBLOCK, &interrupt, nullptr);
  ::sigaction(SIGHUP, &previous_hangup, nullptr);
}

TEST(PosixTerminationSignals, EndsTheRunAsTheSignalWould) {
  EXPECT_EQ(endOfChild([] {
              PosixTerminationSignals signals;
              signals.holdBack();
              ::raise(SIGTERM);
              const std::optional<int> signal = signals.wait(10);
              if (signal) signals.endAs(*signal);
              ::_exit(3);
            }),
            "signal 15");
  // One that came during a hold is delivered when they are let through.
  EXPECT_EQ(endOfChild([] {
              PosixTerminationSignals signals;
              signals.holdBack();
              ::raise(SIGINT);
              signals.letThrough();
              ::_exit(3);
            }),
            "signal 2");
}

// A connection on one end of a socket pair: it takes in what the other end
// writes, and ends the process with status 3 when the other end is closed.
class SocketConnection : public WatchedConnection {
 public:
  SocketConnection() { ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends_); }
  ~SocketConnection() override {
    ::close(ends_[0]);
    if (ends_[1] >= 0) ::close(ends_[1]);
  }

  void send() { (void)::write(ends_[1], "x", 1); }
  void closePeer() {
    ::close(ends_[1]);
    ends_[1] = -1;
  }
  int takenIn() const { return taken_in_; }

  int descriptor() override { return ends_[0]; }
  void takeIn() override {
    char byte = 0;
    if (::read(ends_[0], &byte, 1) <= 0) ::_exit(3);
    ++taken_in_;
  }

 private:
  int ends_[2] = {-1, -1};
  int taken_in_ = 0;
};

TEST(PosixTerminationSignals, AWaitWatchesItsConnection) {
  {
    // What comes on it is taken in, and the wait goes on to its end.
    SocketConnection connection;
    PosixTerminationSignals signals(&connection);
    signals.holdBack();
    connection.send();
    const auto start = Clock::now();
    EXPECT_EQ(signals.wait(0.05), std::nullopt);
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(50));
    EXPECT_EQ(connection.takenIn(), 1);
    // A signal still ends the wait.
    ::raise(SIGTERM);
    EXPECT_EQ(signals.wait(1e300), SIGTERM);
    EXPECT_FALSE(isPending(SIGTERM));
    signals.letThrough();
  }
  // Its loss ends the run at once, not when the wait would have ended.
  const auto start = Clock::now();
  EXPECT_EQ(endOfChild([] {
              SocketConnection connection;
              PosixTerminationSignals signals(&connection);
              signals.holdBack();
              connection.closePeer();
              signals.wait(60);
              ::_exit(0);
            }),
            "exit 3");
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(60));
}

}  // namespace
}  // namespace mivo::platform
