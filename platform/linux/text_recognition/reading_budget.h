#pragma once

#include <tesseract/ocrclass.h>

#include <cstdint>

namespace mivo::platform {

// How long a picture may be read: 48 s of this thread's processor time,
// counted from the start of its decoding, so that every step (decoding, the
// steps before the recogniser, the recogniser itself) falls within it and a
// run, with the step under way when the budget runs out and the lines put
// together, ends within a minute. What a picture still holds unread then stays
// unread: a host gets an answer in bounded time whatever the picture, also
// one of 2^28 pixels whose every tile takes seconds to prepare. A screen takes
// about a second, a full terminal of 1920 x 1080 pixels 6 s, a long scrolling
// capture of 1512 x 32767 pixels well under the budget. Time counted on the
// processor, not the clock, so that a loaded machine reads as much as an idle
// one.
class ReadingBudget {
 public:
  // The processor time this thread has taken so far, in nanoseconds.
  static std::int64_t threadNanoseconds();

  // The budget of a picture whose decoding began when the thread had taken
  // `startNanoseconds`.
  explicit ReadingBudget(std::int64_t startNanoseconds);
  ReadingBudget(const ReadingBudget&) = delete;
  ReadingBudget& operator=(const ReadingBudget&) = delete;

  bool spent() const;
  // The recogniser's progress monitor, which stops it once the budget is
  // spent.
  tesseract::ETEXT_DESC& monitor() { return monitor_; }

 private:
  static bool cancelled(void* budget, int words);

  std::int64_t end_nanoseconds_;
  tesseract::ETEXT_DESC monitor_;
};

}  // namespace mivo::platform
