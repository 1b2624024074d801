#include "see/model/generation_attempt.h"

namespace mivo::model {
namespace {

platform::GenerationOptions defaultOptions(bool macOS27OrLater) {
  // The same three absent settings either way; only the initializer differs.
  using Initializer = platform::GenerationOptions::Initializer;
  return {.initializer = macOS27OrLater ? Initializer::samplingMode : Initializer::sampling,
          .sampling = std::nullopt,
          .temperature = std::nullopt,
          .maximumResponseTokens = std::nullopt};
}

}  // namespace

platform::GeneratedContent attemptGeneration(platform::SystemLanguageModel& model,
                                             std::string_view instructions,
                                             std::string_view prompt,
                                             const platform::GenerationSchema& schema,
                                             bool macOS27OrLater) {
  const platform::GenerationOptions options = defaultOptions(macOS27OrLater);
  const std::unique_ptr<platform::LanguageModelSession> session = model.makeSession(instructions);
  return session->respond(prompt, schema, /*includeSchemaInPrompt=*/true, options);
}

}  // namespace mivo::model
