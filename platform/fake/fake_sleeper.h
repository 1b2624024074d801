#pragma once

#include <string>
#include <vector>

#include "platform/sleeper.h"

namespace mivo::platform {

// Records each wait as "sleep SECONDS" (the shortest text of the double) into
// a log it may share with other fakes, and returns at once.
class FakeSleeper : public Sleeper {
 public:
  explicit FakeSleeper(std::vector<std::string>& calls) : calls_(calls) {}

  void sleep(double seconds) override;

 private:
  std::vector<std::string>& calls_;
};

}  // namespace mivo::platform
