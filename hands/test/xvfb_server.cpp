#include "hands/test/xvfb_server.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <stdexcept>
#include <thread>

namespace mivo::test {
namespace {

constexpr auto kStartWait = std::chrono::seconds(10);
constexpr auto kStopWait = std::chrono::seconds(5);

// The display number that the server writes to `fd` once it is ready, as
// digits and a line feed; empty when none came in time.
std::string readDisplayNumber(int fd) {
  std::string digits;
  const auto deadline = std::chrono::steady_clock::now() + kStartWait;
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return "";
    pollfd entry{fd, POLLIN, 0};
    const int ready = ::poll(&entry, 1, static_cast<int>(left.count()));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return "";
    char c = 0;
    const ssize_t count = ::read(fd, &c, 1);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return "";
    if (c == '\n') return digits;
    digits += c;
  }
}

// Whether the child has ended within `wait`; reaps it if so.
bool endedWithin(pid_t pid, std::chrono::milliseconds wait) {
  const auto deadline = std::chrono::steady_clock::now() + wait;
  do {
    int status = 0;
    const pid_t ended = ::waitpid(pid, &status, WNOHANG);
    if (ended == pid || (ended < 0 && errno != EINTR)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  } while (std::chrono::steady_clock::now() < deadline);
  return false;
}

}  // namespace

XvfbServer::XvfbServer(int depth) {
  const std::string screen = "1512x982x" + std::to_string(depth);
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
  pid_ = ::fork();
  if (pid_ < 0) throw std::runtime_error("fork");
  if (pid_ == 0) {
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    // The writing end without close-on-exec, as the server's own fd 3.
    if (ends[1] == 3) {
      ::fcntl(3, F_SETFD, 0);
    } else {
      ::dup2(ends[1], 3);
    }
    const int null = ::open("/dev/null", O_RDWR);
    ::dup2(null, STDIN_FILENO);
    ::dup2(null, STDOUT_FILENO);
    ::dup2(null, STDERR_FILENO);
    // Only the server's built-in fonts, whatever font packages the machine
    // has, so that a client's core font is the same everywhere.
    ::execlp("Xvfb", "Xvfb", "-displayfd", "3", "-noreset", "-nolisten", "tcp", "-fp", "built-ins",
             "-screen", "0", screen.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(ends[1]);
  const std::string number = readDisplayNumber(ends[0]);
  ::close(ends[0]);
  if (number.empty()) {
    stop();
    throw std::runtime_error("Xvfb did not come up within 10 s");
  }
  display_ = ":" + number;
}

XvfbServer::~XvfbServer() { stop(); }

void XvfbServer::stop() {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGTERM);
  if (!endedWithin(pid_, kStopWait)) {
    ::kill(pid_, SIGKILL);
    endedWithin(pid_, kStopWait);
  }
  pid_ = -1;
}

}  // namespace mivo::test
