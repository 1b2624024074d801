#include "see/model/shorter_text_retry.h"

namespace mivo::model {

bool isRetryable(const platform::GenerationError& error) {
  using Case = platform::GenerationError::Case;
  switch (error.errorCase()) {
    case Case::exceededContextWindowSize:
    case Case::guardrailViolation:
    case Case::refusal:
      return true;
    case Case::decodingFailure:
    case Case::other:
      return false;
  }
  return false;
}

}  // namespace mivo::model
