#pragma once

#include <X11/Xlib.h>

#include <optional>
#include <string>
#include <vector>

#include "hands/test/child_process.h"
#include "see/test/temporary_folder.h"

namespace mivo::test {

// xterm on an X display of the test's own, with the keyboard focus, running
// cat on a raw terminal into a file: what is typed into it arrives in the
// file byte for byte (Return as a carriage return), as a person would see it
// in a terminal. It draws in DejaVu Sans Mono, a font that fontconfig gives
// the client whatever the server has.
class XtermCat {
 public:
  // Raises std::runtime_error when xterm has not come up with its terminal
  // raw and the focus within 20 s.
  explicit XtermCat(const std::string& display);
  XtermCat(const XtermCat&) = delete;
  XtermCat& operator=(const XtermCat&) = delete;
  ~XtermCat();

  // What has arrived since the last call, once `bytes` bytes have, or once
  // the file has stopped growing short of them (nothing more for 3 s).
  std::string takeTyped(std::size_t bytes);

  // The server's keyboard map now: every keysym of every keycode.
  std::vector<KeySym> keyboardMap();


 private:
  TemporaryFolder folder_;
  std::string file_;
  std::optional<ChildProcess> xterm_;
  Display* display_ = nullptr;
  std::size_t taken_ = 0;
};

}  // namespace mivo::test
