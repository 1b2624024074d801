#pragma once

#include <memory>

#include "platform/language_model.h"

namespace mivo::model {

// The model handle of one request: the system model for the general use case
// with the guardrails that permit content transformations, once its
// availability has been read; none when it is not available.
std::unique_ptr<platform::SystemLanguageModel> setUpModel(platform::LanguageModels& models);

}  // namespace mivo::model
