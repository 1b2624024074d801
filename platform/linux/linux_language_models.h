#pragma once

#include <memory>

#include "platform/language_model.h"

namespace mivo::platform {

// The language model on this system: there is no on-device model on Linux, so
// every handle reports that it is not available, and a session made in spite
// of that fails every generation.
class LinuxLanguageModels : public LanguageModels {
 public:
  std::unique_ptr<SystemLanguageModel> systemModel(UseCase useCase, Guardrails guardrails) override;
};

}  // namespace mivo::platform
