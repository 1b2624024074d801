#include "platform/linux/linux_language_models.h"

namespace mivo::platform {
namespace {

class NoSession : public LanguageModelSession {
 public:
  GeneratedContent respond(std::string_view, const GenerationSchema&, bool,
                           const GenerationOptions&) override {
    throw GenerationError(GenerationError::Case::other,
                          "there is no on-device language model on this system");
  }
};

class NoModel : public SystemLanguageModel {
 public:
  Availability availability() override { return Availability::unavailable; }

  std::unique_ptr<LanguageModelSession> makeSession(std::string_view) override {
    return std::make_unique<NoSession>();
  }
};

}  // namespace

std::unique_ptr<SystemLanguageModel> LinuxLanguageModels::systemModel(UseCase, Guardrails) {
  return std::make_unique<NoModel>();
}

}  // namespace mivo::platform
