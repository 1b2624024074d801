#include "hands/test/xterm_cat.h"

#include <X11/Xutil.h>
#include <sys/stat.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <thread>

#include "hands/test/x_app_window.h"
#include "hands/test/x_test_window.h"

namespace mivo::test {
namespace {

constexpr const char* kName = "mivo-test-xterm";

// The size of the file at `path`; none while there is none.
std::optional<std::size_t> sizeOf(const std::string& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return std::nullopt;
  return static_cast<std::size_t>(status.st_size);
}

// xterm's window among the root's children, once it is on the screen.
std::optional<Window> xtermWindow(Display* display) {
  Window root = 0;
  Window parent = 0;
  Window* children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) {
    return std::nullopt;
  }
  std::optional<Window> found;
  for (unsigned i = 0; i < count && !found; ++i) {
    XClassHint hint{nullptr, nullptr};
    if (!XGetClassHint(display, children[i], &hint)) continue;
    XWindowAttributes attributes;
    if (hint.res_name != nullptr && std::string(hint.res_name) == kName &&
        XGetWindowAttributes(display, children[i], &attributes) &&
        attributes.map_state == IsViewable) {
      found = children[i];
    }
    if (hint.res_name != nullptr) XFree(hint.res_name);
    if (hint.res_class != nullptr) XFree(hint.res_class);
  }
  if (children != nullptr) XFree(children);
  return found;
}

}  // namespace

XtermCat::XtermCat(const std::string& display) : file_(folder_.path("typed")) {
  // The shell makes the file only once the terminal is raw: from then on
  // every byte typed reaches cat as it comes.
  xterm_.emplace(std::vector<std::string>{"xterm", "-display", display, "-name", kName, "-fa",
                                          "DejaVu Sans Mono", "-u8", "-geometry", "80x24+0+0",
                                          "-e", "sh", "-c",
                                          "stty raw -echo && exec cat > '" + file_ + "'"},
                 std::map<std::string, std::optional<std::string>>{{"LC_ALL", "C.UTF-8"}});
  display_ = XOpenDisplay(display.c_str());
  if (display_ == nullptr) throw std::runtime_error("cannot open the X display " + display);
  std::optional<Window> window;
  const bool ready = holdsWithin(
      [&] {
        window = xtermWindow(display_);
        return window && sizeOf(file_);
      },
      std::chrono::seconds(20));
  if (!ready) throw std::runtime_error("xterm did not come up within 20 s");
  XSetInputFocus(display_, *window, RevertToPointerRoot, CurrentTime);
  XSync(display_, False);
  Window focus = 0;
  int revert = 0;
  XGetInputFocus(display_, &focus, &revert);
  if (focus != *window) throw std::runtime_error("xterm did not take the focus");
}

XtermCat::~XtermCat() {
  if (display_ != nullptr) XCloseDisplay(display_);
}

std::string XtermCat::takeTyped(std::size_t bytes) {
  using Clock = std::chrono::steady_clock;
  std::size_t size = sizeOf(file_).value_or(0);
  Clock::time_point grown = Clock::now();
  while (size < taken_ + bytes && Clock::now() - grown < std::chrono::seconds(3)) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const std::size_t now = sizeOf(file_).value_or(0);
    if (now != size) grown = Clock::now();
    size = now;
  }
  std::ifstream file(file_, std::ios::binary);
  file.seekg(static_cast<std::streamoff>(taken_));
  std::string typed{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  taken_ += typed.size();
  return typed;
}

std::vector<KeySym> XtermCat::keyboardMap() { return keyboardMapOf(display_); }

}  // namespace mivo::test
