#include "see/model/model_setup.h"

namespace mivo::model {

std::unique_ptr<platform::SystemLanguageModel> setUpModel(platform::LanguageModels& models) {
  std::unique_ptr<platform::SystemLanguageModel> model = models.systemModel(
      platform::UseCase::general, platform::Guardrails::permissiveContentTransformations);
  if (model->availability() != platform::Availability::available) return nullptr;
  return model;
}

}  // namespace mivo::model
