#include "see/test/run_program.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "see/test/temporary_folder.h"

namespace mivo::test {
namespace {

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

int openOrThrow(const std::string& path, int flags) {
  const int fd = ::open(path.c_str(), flags, 0600);
  if (fd < 0) throw std::runtime_error("cannot open " + path);
  return fd;
}

}  // namespace

ProgramRun runProgram(const std::string& path, const std::string& input, const std::string& folder,
                       OutputTarget output, const std::function<void(pid_t)>& meanwhile) {
  // Files on both sides, so that neither end can block on a full pipe.
  const TemporaryFolder streams;
  const int in = openOrThrow(streams.writeFile("stdin", input), O_RDONLY);
  const int err = openOrThrow(streams.path("stderr"), O_WRONLY | O_CREAT | O_TRUNC);
  int out = -1;
  switch (output) {
    case OutputTarget::captured:
      out = openOrThrow(streams.path("stdout"), O_WRONLY | O_CREAT | O_TRUNC);
      break;
    case OutputTarget::closed_pipe: {
      int ends[2];
      if (::pipe(ends) != 0) throw std::runtime_error("pipe");
      ::close(ends[0]);
      out = ends[1];
      break;
    }
    case OutputTarget::full_device: out = openOrThrow("/dev/full", O_WRONLY); break;
    case OutputTarget::closed: break;
  }

  const pid_t child = ::fork();
  if (child < 0) throw std::runtime_error("fork");
  if (child == 0) {
    // A closed pipe must be met as the program meets it on its own, whatever
    // this process does with SIGPIPE.
    ::signal(SIGPIPE, SIG_DFL);
    ::dup2(in, STDIN_FILENO);
    if (out < 0) {
      ::close(STDOUT_FILENO);
    } else {
      ::dup2(out, STDOUT_FILENO);
    }
    ::dup2(err, STDERR_FILENO);
    if (::chdir(folder.c_str()) != 0) ::_exit(126);
    ::execl(path.c_str(), path.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(in);
  if (out >= 0) ::close(out);
  ::close(err);
  int wait_status = 0;
  if (meanwhile) {
    for (;;) {
      const pid_t ended = ::waitpid(child, &wait_status, WNOHANG);
      if (ended == child || (ended < 0 && errno != EINTR)) break;
      meanwhile(child);
    }
  } else {
    while (::waitpid(child, &wait_status, 0) < 0 && errno == EINTR) {
    }
  }
  const int status =
      WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : 128 + WTERMSIG(wait_status);
  const std::string standardOutput =
      output == OutputTarget::captured ? readFile(streams.path("stdout")) : "";
  return {status, standardOutput, readFile(streams.path("stderr"))};
}

}  // namespace mivo::test
