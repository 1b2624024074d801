#pragma once

namespace mivo::platform {

// A connection to another process that a long wait watches, so that its loss
// is noticed when it happens rather than at the next request: the descriptor
// becomes readable when the peer sends something or goes away.
class WatchedConnection {
 public:
  virtual ~WatchedConnection() = default;

  // The descriptor to watch; -1 while there is no connection.
  virtual int descriptor() = 0;

  // Called when the descriptor is readable: takes in what came, and ends the
  // run when the connection is gone.
  virtual void takeIn() = 0;
};

}  // namespace mivo::platform
