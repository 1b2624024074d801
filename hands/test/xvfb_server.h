#pragma once

#include <sys/types.h>

#include <string>

namespace mivo::test {

// An Xvfb server of the test's own, with one screen of 1512 x 982 pixels (of
// 24 bits unless a depth is given) and no fonts but its built-in ones ("fixed" and "cursor"). The server picks its
// display number among the free ones and tells it back, so that tests running
// side by side never meet on one. It is killed when this ends, and also when
// the test process dies first.
class XvfbServer {
 public:
  // Raises std::runtime_error when the server has not come up within 10 s.
  explicit XvfbServer(int depth = 24);
  XvfbServer(const XvfbServer&) = delete;
  XvfbServer& operator=(const XvfbServer&) = delete;
  ~XvfbServer();

  // ":N"
  const std::string& display() const { return display_; }

  // Ends the server now, as a crash or a logout would for its clients, and
  // waits until it has gone; nothing when it has gone already.
  void stop();

 private:

  pid_t pid_ = -1;
  std::string display_;
};

}  // namespace mivo::test
