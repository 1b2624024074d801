#pragma once

namespace mivo::platform {

// Blocking waits of the calling thread.
class Sleeper {
 public:
  virtual ~Sleeper() = default;

  // Blocks for `seconds`, fractions included; zero, less, or not a number
  // returns at once.
  virtual void sleep(double seconds) = 0;
};

}  // namespace mivo::platform
