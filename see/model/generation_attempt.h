#pragma once

#include <string_view>

#include "platform/language_model.h"

namespace mivo::model {

// One generation attempt: options with every setting left to the model (made
// with the initializer of macOS 27 when `macOS27OrLater`), a new session with
// `instructions`, and one respond for `prompt` with the reply type's `schema`
// put into the prompt. The session is dropped with the attempt, so nothing of
// it reaches a later one. Raises what the model raises.
platform::GeneratedContent attemptGeneration(platform::SystemLanguageModel& model,
                                             std::string_view instructions,
                                             std::string_view prompt,
                                             const platform::GenerationSchema& schema,
                                             bool macOS27OrLater);

}  // namespace mivo::model
