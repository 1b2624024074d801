#pragma once

#include <X11/Xlib.h>

#include <optional>
#include <string>

#include "hands/test/child_process.h"
#include "see/test/temporary_folder.h"

namespace mivo::test {

// A GTK text entry (zenity's) on an X display of the test's own, with the
// keyboard focus: a client that reads the keyboard map through XKB and takes
// in each change of it at some cost. What is typed into it, zenity writes out
// once Return is pressed.
class GtkEntry {
 public:
  // Raises std::runtime_error when it has not come up within 20 s.
  explicit GtkEntry(const std::string& display);
  GtkEntry(const GtkEntry&) = delete;
  GtkEntry& operator=(const GtkEntry&) = delete;
  ~GtkEntry();

  // Presses Return and gives what the entry held, once zenity has written it
  // out; what it has written within 20 s when it does not.
  std::string enter();

 private:
  TemporaryFolder folder_;
  std::string file_;
  std::optional<ChildProcess> zenity_;
  Display* display_ = nullptr;
};

}  // namespace mivo::test
