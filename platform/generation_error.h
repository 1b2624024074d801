#pragma once

#include <stdexcept>
#include <string>

namespace mivo::platform {

// Any error that the model framework raises, or that a conversion of what the
// model generated raises; what() is its description.
class LanguageModelError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A generation that failed, told apart by its case.
class GenerationError : public LanguageModelError {
 public:
  enum class Case {
    exceededContextWindowSize,
    guardrailViolation,
    refusal,
    decodingFailure,
    other,  // every other failure of a generation (assets, rate limits, languages, ...)
  };

  GenerationError(Case errorCase, const std::string& description)
      : LanguageModelError(description), case_(errorCase) {}

  Case errorCase() const { return case_; }

 private:
  Case case_;
};

// Generated content that could not be turned into the type asked for, as the
// framework reports it from macOS 27 on. It is no GenerationError.
class ParsingError : public LanguageModelError {
 public:
  // No underlying error; `debugDescription` is the description.
  ParsingError(std::string rawContent, const std::string& debugDescription)
      : LanguageModelError(debugDescription), raw_content_(std::move(rawContent)) {}

  // The JSON text of the content.
  const std::string& rawContent() const { return raw_content_; }

 private:
  std::string raw_content_;
};

}  // namespace mivo::platform
