#include "hands/test/window_manager.h"

#include <X11/Xlib.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

#include "hands/test/x_app_window.h"

namespace mivo::test {
namespace {

// Window titles in a font named here, not the machine's "sans", which other
// font packages can change; the rest is Openbox's own defaults.
constexpr const char* kConfiguration = R"(<?xml version="1.0" encoding="UTF-8"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <theme>
    <name>Clearlooks</name>
    <font place="ActiveWindow"><name>DejaVu Sans</name><size>8</size><weight>bold</weight></font>
    <font place="InactiveWindow"><name>DejaVu Sans</name><size>8</size><weight>bold</weight></font>
  </theme>
</openbox_config>
)";

// Whether a client redirects the requests of the root's children, and the
// manager has said which features it supports: then it has set itself up.
bool manages(Display* display) {
  XWindowAttributes root;
  if (!XGetWindowAttributes(display, DefaultRootWindow(display), &root)) return false;
  if ((root.all_event_masks & SubstructureRedirectMask) == 0) return false;
  Atom type = None;
  int format = 0;
  unsigned long count = 0;
  unsigned long after = 0;
  unsigned char* data = nullptr;
  XGetWindowProperty(display, DefaultRootWindow(display),
                     XInternAtom(display, "_NET_SUPPORTED", False), 0, 1, False, AnyPropertyType,
                     &type, &format, &count, &after, &data);
  if (data != nullptr) XFree(data);
  return count > 0;
}

// Whether the manager shows a window of its own within 10 s: a map request
// that comes while it is still starting is dropped, so the window is mapped
// again until it shows.
bool showsAWindow(Display* display) {
  const Window probe =
      XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 10, 10, 0, 0, 0);
  int attempts = 0;
  const bool shown = holdsWithin([&] {
    if (attempts++ % 20 == 0) XMapWindow(display, probe);
    XWindowAttributes attributes;
    return XGetWindowAttributes(display, probe, &attributes) && attributes.map_state == IsViewable;
  });
  XDestroyWindow(display, probe);
  XSync(display, False);
  return shown;
}

}  // namespace

WindowManager::WindowManager(const std::string& display) {
  const std::string configuration = home_.writeFile("rc.xml", kConfiguration);
  pid_ = ::fork();
  if (pid_ < 0) throw std::runtime_error("fork");
  if (pid_ == 0) {
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    const int null = ::open("/dev/null", O_RDWR);
    ::dup2(null, STDIN_FILENO);
    ::dup2(null, STDOUT_FILENO);
    ::dup2(null, STDERR_FILENO);
    ::setenv("DISPLAY", display.c_str(), 1);
    ::setenv("HOME", home_.path().c_str(), 1);
    ::unsetenv("XDG_CONFIG_HOME");
    ::unsetenv("XDG_CACHE_HOME");
    ::execlp("openbox", "openbox", "--sm-disable", "--config-file", configuration.c_str(),
             static_cast<char*>(nullptr));
    ::_exit(127);
  }
  Display* connection = XOpenDisplay(display.c_str());
  const bool up = connection != nullptr && holdsWithin([&] { return manages(connection); }) &&
                  showsAWindow(connection);
  if (connection != nullptr) XCloseDisplay(connection);
  if (!up) {
    stop();
    throw std::runtime_error("openbox did not manage " + display + " within 10 s");
  }
}

WindowManager::~WindowManager() { stop(); }

void WindowManager::stop() {
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
