#pragma once

#include <memory>
#include <optional>
#include <string_view>

#include "platform/generated_content.h"
#include "platform/generation_error.h"
#include "platform/generation_schema.h"

namespace mivo::platform {

// The on-device language model framework: the system model, its availability,
// sessions, and structured generation of a declared type.

enum class UseCase { general, contentTagging };
enum class Guardrails { standard, permissiveContentTransformations };
enum class Availability { available, unavailable };
enum class SamplingMode { greedy, random };

// How a generation samples; every setting left absent is the model's default.
struct GenerationOptions {
  // The two initializers take the same settings: init(sampling:...) exists on
  // every system with the model, init(samplingMode:...) from macOS 27 on.
  enum class Initializer { sampling, samplingMode };

  Initializer initializer = Initializer::sampling;
  std::optional<SamplingMode> sampling{};
  std::optional<double> temperature{};
  std::optional<int> maximumResponseTokens{};

  bool operator==(const GenerationOptions&) const = default;
};

// A conversation with the model under fixed instructions and with no tools.
class LanguageModelSession {
 public:
  virtual ~LanguageModelSession() = default;

  // One complete generation, never streamed, of content that fits `schema`,
  // for `prompt`; with `includeSchemaInPrompt` the schema is put into the
  // prompt. Raises LanguageModelError (a GenerationError by case, or another).
  virtual GeneratedContent respond(std::string_view prompt, const GenerationSchema& schema,
                                   bool includeSchemaInPrompt,
                                   const GenerationOptions& options) = 0;
};

// A handle on the system's language model with a use case and guardrails.
class SystemLanguageModel {
 public:
  virtual ~SystemLanguageModel() = default;

  virtual Availability availability() = 0;

  // A new session on this model with `instructions` and no tools; it must not
  // outlive the handle.
  virtual std::unique_ptr<LanguageModelSession> makeSession(std::string_view instructions) = 0;
};

class LanguageModels {
 public:
  virtual ~LanguageModels() = default;

  virtual std::unique_ptr<SystemLanguageModel> systemModel(UseCase useCase,
                                                           Guardrails guardrails) = 0;
};

}  // namespace mivo::platform
