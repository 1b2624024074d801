#include "platform/fake/fake_running_applications.h"

namespace mivo::platform {
namespace {

class FakeRunningApplication : public RunningApplication {
 public:
  FakeRunningApplication(std::vector<std::string>& calls, std::string name)
      : calls_(calls), name_(std::move(name)) {}

  bool hide() override { return record("hide"); }
  bool unhide() override { return record("unhide"); }
  bool activate() override { return record("activate"); }

 private:
  bool record(const std::string& request) {
    calls_.push_back(request + " " + name_);
    return true;
  }

  std::vector<std::string>& calls_;
  std::string name_;
};

}  // namespace

std::vector<std::unique_ptr<RunningApplication>> FakeRunningApplications::withBundleIdentifier(
    std::string_view identifier) {
  calls_.push_back("applications \"" + std::string(identifier) + "\"");
  std::vector<std::unique_ptr<RunningApplication>> found;
  const auto running = instances_.find(identifier);
  if (running == instances_.end()) return found;
  for (int i = 1; i <= running->second; ++i) {
    found.push_back(std::make_unique<FakeRunningApplication>(
        calls_, running->first + " #" + std::to_string(i)));
  }
  return found;
}

}  // namespace mivo::platform
