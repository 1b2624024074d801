#include "hands/test/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

#include "hands/test/x_app_window.h"

namespace mivo::test {

ChildProcess::ChildProcess(const std::vector<std::string>& arguments,
                           const std::map<std::string, std::optional<std::string>>& environment) {
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  pid_ = ::fork();
  if (pid_ < 0) throw std::runtime_error("fork");
  if (pid_ == 0) {
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    const int null = ::open("/dev/null", O_RDWR);
    ::dup2(null, STDIN_FILENO);
    ::dup2(null, STDOUT_FILENO);
    ::dup2(null, STDERR_FILENO);
    for (const auto& [name, value] : environment) {
      if (value) {
        ::setenv(name.c_str(), value->c_str(), 1);
      } else {
        ::unsetenv(name.c_str());
      }
    }
    ::execvp(argv[0], argv.data());
    ::_exit(127);
  }
}

ChildProcess::~ChildProcess() { stop(); }

void ChildProcess::stop() {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGTERM);
  const bool ended = holdsWithin([&] {
    int status = 0;
    const pid_t done = ::waitpid(pid_, &status, WNOHANG);
    return done == pid_ || (done < 0 && errno != EINTR);
  });
  if (!ended) {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
  }
  pid_ = -1;
}

}  // namespace mivo::test
