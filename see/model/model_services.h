#pragma once

#include "platform/language_model.h"
#include "platform/system_version.h"

namespace mivo::model {

// What a request to the on-device model reaches: the model framework and the
// running system's version.
struct ModelServices {
  platform::LanguageModels& languageModels;
  platform::SystemVersion& systemVersion;
};

}  // namespace mivo::model
