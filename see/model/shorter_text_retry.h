#pragma once

#include <cstddef>
#include <type_traits>

#include "platform/generation_error.h"

namespace mivo::model {

// The text of a prompt is cut to this many user-perceived characters, and to
// the shorter length on the retry; both cuts are of the full text.
inline constexpr std::size_t kFirstCut = 5000;
inline constexpr std::size_t kRetryCut = 1500;

// A first attempt that failed this way is worth one more with less text: the
// context window was exceeded, or the guardrails or the model turned it down.
bool isRetryable(const platform::GenerationError& error);

// Runs `attempt(kFirstCut)` and, when it raises a retryable GenerationError,
// once more `attempt(kRetryCut)`, whose failure, like any other failure of the
// first, is raised. The first attempt's error is dropped.
template <typename Attempt>
std::invoke_result_t<Attempt&, std::size_t> withShorterTextRetry(Attempt attempt) {
  try {
    return attempt(kFirstCut);
  } catch (const platform::GenerationError& error) {
    if (!isRetryable(error)) throw;
  }
  return attempt(kRetryCut);
}

}  // namespace mivo::model
