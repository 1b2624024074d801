#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "see/model/model_services.h"
#include "title/input.h"

namespace mivo::title {

// What mivo-title asks of the on-device model for a voice-note title.
struct Titler {
  // The instructions of every title session.
  static const std::string_view instructions;

  // The title of the request's transcript, as the model wrote it, asked for
  // at most twice under the shorter-text retry. None when the model is not
  // available; raises the platform::LanguageModelError that the retry lets
  // through.
  static std::optional<std::string> title(const Input& input,
                                          const model::ModelServices& services);
};

}  // namespace mivo::title
