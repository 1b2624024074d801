#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace mivo::foundation {

// What a program reaches of its own process: the three standard streams and
// the exit. There is one per process, as there is one standard input; a test
// puts a recording one in its place to run a whole program in-process.
class Process {
 public:
  virtual ~Process() = default;

  // The whole of standard input, up to its end; none when reading it fails.
  virtual std::optional<std::string> readStandardInputToEnd() = 0;

  // Each writes every byte of `bytes` as one write, carrying on after a partial
  // write, and gives the error that stopped it, or none.
  [[nodiscard]] virtual std::error_code writeStandardOutput(std::string_view bytes) = 0;
  [[nodiscard]] virtual std::error_code writeStandardError(std::string_view bytes) = 0;

  // None when standard output can take an answer; else the error that every
  // write to it meets (the process started with it closed), so that a program
  // can fail before it acts on a request whose answer can go nowhere.
  [[nodiscard]] virtual std::error_code standardOutputError() = 0;

  // Ends the process with `status`.
  [[noreturn]] void exit(int status);

 protected:
  // Ends the process, or, in a test, leaves the program by throwing; it never
  // returns.
  [[noreturn]] virtual void end(int status) = 0;
};

// The process in use: the real one unless a test has replaced it.
Process& process();

// Sets the real process up: the first step of every program's main, before
// anything opens a file or a connection that could take the number of a
// standard descriptor the process started without (see PosixProcess).
void startProcess();

// Makes `replacement` the process in use and gives back the one it replaced.
Process& replaceProcess(Process& replacement);

}  // namespace mivo::foundation
