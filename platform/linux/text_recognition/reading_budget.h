#pragma once

#include <tesseract/ocrclass.h>

#include <cstdint>

namespace mivo::platform {

// How long the recogniser may read a picture: without end up to 4096 x 4096
// pixels, so that what a screen or a long capture gives never depends on how
// busy the machine is; beyond, for 35 s of this thread's processor time, so
// that no picture, however full of text, takes minutes. Time counted on the
// processor, not the clock, so that a loaded machine reads as much as an idle
// one. A long scrolling capture of 1512 x 32767 pixels is read in well under
// the budget.
class ReadingBudget {
 public:
  explicit ReadingBudget(std::uint64_t pixels);
  ReadingBudget(const ReadingBudget&) = delete;
  ReadingBudget& operator=(const ReadingBudget&) = delete;

  bool spent() const;
  // The recogniser's progress monitor, which stops it once the budget is
  // spent.
  tesseract::ETEXT_DESC& monitor() { return monitor_; }

 private:
  static bool cancelled(void* budget, int words);

  bool limited_;
  std::int64_t end_nanoseconds_ = 0;
  tesseract::ETEXT_DESC monitor_;
};

}  // namespace mivo::platform
