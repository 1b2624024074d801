#include "platform/linux/text_recognition/reading_budget.h"

#include <time.h>

namespace mivo::platform {
namespace {

constexpr std::uint64_t kPixelsReadWithoutLimit = std::uint64_t{1} << 24;
constexpr std::int64_t kBudgetNanoseconds = std::int64_t{35} * 1000 * 1000 * 1000;

std::int64_t threadNanoseconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return std::int64_t{now.tv_sec} * 1000 * 1000 * 1000 + now.tv_nsec;
}

}  // namespace

ReadingBudget::ReadingBudget(std::uint64_t pixels) : limited_(pixels > kPixelsReadWithoutLimit) {
  if (limited_) end_nanoseconds_ = threadNanoseconds() + kBudgetNanoseconds;
  monitor_.cancel = &ReadingBudget::cancelled;
  monitor_.cancel_this = this;
}

bool ReadingBudget::spent() const { return limited_ && threadNanoseconds() >= end_nanoseconds_; }

bool ReadingBudget::cancelled(void* budget, int /*words*/) {
  return static_cast<const ReadingBudget*>(budget)->spent();
}

}  // namespace mivo::platform
