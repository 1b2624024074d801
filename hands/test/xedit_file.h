#pragma once

#include <X11/Xlib.h>

#include <optional>
#include <string>

#include "hands/test/child_process.h"
#include "see/test/temporary_folder.h"

namespace mivo::test {

// xedit, an Xt client with its default resources, editing an empty file on an
// X display of the test's own, with the keyboard focus in its text. Xt keeps
// tables of the keyboard map of its own, beside Xlib's. Its text is Latin-1:
// it takes no other character.
class XeditFile {
 public:
  // Raises std::runtime_error when it has not come up, ready to take keys
  // in, within 20 s.
  explicit XeditFile(const std::string& display);
  XeditFile(const XeditFile&) = delete;
  XeditFile& operator=(const XeditFile&) = delete;
  ~XeditFile();

  // Saves the file as a person would (Control-X, Control-S) and gives what
  // it holds once xedit has written it; what it holds after 20 s when it
  // has not.
  std::string save();

 private:
  TemporaryFolder folder_;
  std::string file_;
  std::optional<ChildProcess> xedit_;
  Display* display_ = nullptr;
};

// The Latin-1 bytes of the characters of `utf8` that are Latin-1 and no
// control characters: what xedit keeps of a text.
std::string latin1Part(const std::string& utf8);

}  // namespace mivo::test
