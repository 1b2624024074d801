#include "platform/linux/text_recognition/reading_budget.h"

#include <time.h>

namespace mivo::platform {
namespace {

constexpr std::int64_t kSecond = std::int64_t{1000} * 1000 * 1000;
constexpr std::int64_t kBudget = 48 * kSecond;

}  // namespace

std::int64_t ReadingBudget::threadNanoseconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return std::int64_t{now.tv_sec} * kSecond + now.tv_nsec;
}

ReadingBudget::ReadingBudget(std::int64_t startNanoseconds) : end_nanoseconds_(startNanoseconds + kBudget) {
  monitor_.cancel = &ReadingBudget::cancelled;
  monitor_.cancel_this = this;
}

bool ReadingBudget::spent() const { return threadNanoseconds() >= end_nanoseconds_; }

bool ReadingBudget::cancelled(void* budget, int /*words*/) {
  return static_cast<const ReadingBudget*>(budget)->spent();
}

}  // namespace mivo::platform
