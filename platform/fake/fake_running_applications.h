#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/running_applications.h"

namespace mivo::platform {

// Scripted running applications that record every call, in order, into a log
// they may share with other fakes: "applications \"com.a\"" for a look-up,
// then "hide com.a #1", "unhide com.a #2", "activate com.a #2" for the
// requests to its instances, numbered from 1 in the system's order.
class FakeRunningApplications : public RunningApplications {
 public:
  explicit FakeRunningApplications(std::vector<std::string>& calls) : calls_(calls) {}

  // `count` instances run with `identifier`.
  void run(std::string identifier, int count) { instances_[std::move(identifier)] = count; }

  std::vector<std::unique_ptr<RunningApplication>> withBundleIdentifier(
      std::string_view identifier) override;

 private:
  std::vector<std::string>& calls_;
  std::map<std::string, int, std::less<>> instances_;
};

}  // namespace mivo::platform
