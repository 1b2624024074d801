#include "hands/test/gtk_entry.h"

#include <X11/keysym.h>

#include <chrono>
#include <stdexcept>

#include "hands/test/x_app_window.h"
#include "hands/test/x_client_windows.h"

namespace mivo::test {
namespace {

constexpr const char* kTitle = "mivo-test-entry";

}  // namespace

GtkEntry::GtkEntry(const std::string& display) : file_(folder_.path("entered")) {
  // No accessibility bus: without one GTK waits for it at start.
  zenity_.emplace(std::vector<std::string>{"sh", "-c",
                                           std::string("exec zenity --entry --title=") + kTitle +
                                               " --text=Type --width=600 > '" + file_ + "'"},
                  std::map<std::string, std::optional<std::string>>{{"DISPLAY", display},
                                                                    {"LC_ALL", "C.UTF-8"},
                                                                    {"GDK_BACKEND", "x11"},
                                                                    {"NO_AT_BRIDGE", "1"}});
  display_ = XOpenDisplay(display.c_str());
  if (display_ == nullptr) throw std::runtime_error("cannot open the X display " + display);
  std::optional<Window> window;
  if (!holdsWithin([&] { return (window = viewableWindowNamed(display_, kTitle)).has_value(); },
                   std::chrono::seconds(20))) {
    throw std::runtime_error("zenity did not come up within 20 s");
  }
  XWindowAttributes attributes;
  XGetWindowAttributes(display_, *window, &attributes);
  focusAt(display_, *window, attributes.width / 2, attributes.height / 2);
}

GtkEntry::~GtkEntry() {
  if (display_ != nullptr) XCloseDisplay(display_);
}

std::string GtkEntry::enter() {
  pressKey(display_, XK_Return);
  std::string entered;
  holdsWithin(
      [&] {
        entered = fileContents(file_);
        return !entered.empty() && entered.back() == '\n';
      },
      std::chrono::seconds(20));
  if (!entered.empty() && entered.back() == '\n') entered.pop_back();
  return entered;
}

}  // namespace mivo::test
