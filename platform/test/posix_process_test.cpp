#include "platform/foundation/posix_process.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace mivo::foundation {
namespace {

struct Pipe {
  int read_end = -1;
  int write_end = -1;

  Pipe() {
    int ends[2];
    if (::pipe(ends) != 0) throw std::runtime_error("pipe");
    read_end = ends[0];
    write_end = ends[1];
  }
  ~Pipe() {
    closeReadEnd();
    closeWriteEnd();
  }
  void closeReadEnd() { closeEnd(read_end); }
  void closeWriteEnd() { closeEnd(write_end); }
  static void makeNonBlocking(int fd) { ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK); }

 private:
  static void closeEnd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
  }
};

// Far more than a pipe holds, in a pattern that shows a lost or repeated chunk.
std::string largeText() {
  std::string text;
  for (int i = 0; text.size() < (4 << 20); ++i) text += std::to_string(i) + ',';
  return text;
}

TEST(WriteAll, WritesEveryByteIntoANonBlockingPipeThatIsDrainedSlowly) {
  Pipe pipe;
  Pipe::makeNonBlocking(pipe.write_end);
  const std::string text = largeText();
  std::string received;
  std::thread reader([&] {
    char chunk[4096];
    ssize_t count;
    while ((count = ::read(pipe.read_end, chunk, sizeof chunk)) > 0) {
      received.append(chunk, static_cast<std::size_t>(count));
      if (received.size() % 65536 < 4096) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  });
  const std::error_code error = writeAll(pipe.write_end, text);
  pipe.closeWriteEnd();
  reader.join();
  EXPECT_FALSE(error) << error.message();
  EXPECT_EQ(received, text);
}

TEST(WriteAll, ReportsAClosedPipeOnceTheRealProcessIgnoresSigpipe) {
  process();  // the real process, which ignores SIGPIPE from its making on
  Pipe pipe;
  pipe.closeReadEnd();
  const std::error_code error = writeAll(pipe.write_end, "answer");
  EXPECT_EQ(error, std::errc::broken_pipe);
  EXPECT_EQ(error.message(), "Broken pipe");
}

TEST(WriteAll, ReportsAFullDevice) {
  const int fd = ::open("/dev/full", O_WRONLY);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(writeAll(fd, "answer"), std::errc::no_space_on_device);
  ::close(fd);
}

TEST(ReadToEnd, ReadsEveryByteUpToTheEndOfANonBlockingPipe) {
  Pipe pipe;
  Pipe::makeNonBlocking(pipe.read_end);
  const std::string text = largeText();
  std::thread writer([&] {
    std::string_view rest = text;
    while (!rest.empty()) {
      const std::size_t size = std::min<std::size_t>(rest.size(), 100000);
      if (writeAll(pipe.write_end, rest.substr(0, size))) break;
      rest.remove_prefix(size);
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    pipe.closeWriteEnd();
  });
  const std::optional<std::string> received = readToEnd(pipe.read_end);
  writer.join();
  EXPECT_EQ(received, text);
}

TEST(ReadToEnd, GivesNoneWhenReadingFails) {
  const int fd = ::open("/tmp", O_RDONLY | O_DIRECTORY);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(readToEnd(fd), std::nullopt);  // EISDIR
  ::close(fd);
}

bool isOnDevNull(int fd) {
  struct stat null {};
  struct stat opened {};
  return ::stat("/dev/null", &null) == 0 && ::fstat(fd, &opened) == 0 && S_ISCHR(opened.st_mode) &&
         opened.st_rdev == null.st_rdev;
}

// What the real process, made in a child that starts with the standard
// descriptors `closed` closed, makes of them: the child's exit status has one
// bit set for each check that fails (it may have no standard error to say so).
int checksFailedWith(const std::vector<int>& closed) {
  const pid_t child = ::fork();
  if (child < 0) throw std::runtime_error("fork");
  if (child == 0) {
    for (const int fd : closed) ::close(fd);
    PosixProcess process;
    const bool output_closed = std::find(closed.begin(), closed.end(), 1) != closed.end();
    int failed = 0;
    for (const int fd : closed) {
      if (!isOnDevNull(fd)) failed |= 1 << fd;
    }
    const int next = ::open("/dev/null", O_RDONLY);
    if (next < 3) failed |= 8;
    const std::error_code expected =
        output_closed ? std::make_error_code(std::errc::bad_file_descriptor) : std::error_code();
    if (process.standardOutputError() != expected) failed |= 16;
    if (output_closed && process.writeStandardOutput("lost") != expected) failed |= 32;
    ::_exit(failed);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 255;
}

TEST(PosixProcess, OpensDevNullOnTheStandardDescriptorsThatAreClosedAndRefusesAClosedOutput) {
  const std::vector<int> rows[] = {{}, {0}, {1}, {2}, {0, 2}, {1, 2}, {0, 1, 2}};
  for (const std::vector<int>& closed : rows) {
    SCOPED_TRACE(::testing::PrintToString(closed));
    EXPECT_EQ(checksFailedWith(closed), 0);
  }
}

TEST(PosixProcessDeathTest, ExitEndsTheProcessWithTheStatus) {
  EXPECT_EXIT(process().exit(3), testing::ExitedWithCode(3), "");
}

}  // namespace
}  // namespace mivo::foundation
