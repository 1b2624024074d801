#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "see/input.h"
#include "see/model/model_services.h"
#include "see/output.h"

namespace mivo::see {

// What mivo-see asks of the on-device model: the sorting of a screenshot's
// text into a reading.
struct Reader {
  // The instructions of every session.
  static const std::string_view instructions;

  // Asks the model for a ScreenshotReading of `text` (untrimmed) with the
  // request's context, at most twice under the shorter-text retry, and cleans
  // it. None when the model is not available; raises the
  // platform::LanguageModelError that the retry lets through.
  static std::optional<Reading> read(const std::string& text, const Input& input,
                                     const model::ModelServices& services);
};

}  // namespace mivo::see
