#include "platform/foundation/posix_process.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

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

TEST(PosixProcessDeathTest, ExitEndsTheProcessWithTheStatus) {
  EXPECT_EXIT(process().exit(3), testing::ExitedWithCode(3), "");
}

}  // namespace
}  // namespace mivo::foundation
