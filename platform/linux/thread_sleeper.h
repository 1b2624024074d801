#pragma once

#include "platform/sleeper.h"

namespace mivo::platform {

// Sleeps the calling thread, through signals that interrupt it.
class ThreadSleeper : public Sleeper {
 public:
  void sleep(double seconds) override;
};

}  // namespace mivo::platform
