#include "platform/fake/fake_language_models.h"

#include <stdexcept>

namespace mivo::platform {

class FakeLanguageModels::FakeSession : public LanguageModelSession {
 public:
  FakeSession(FakeLanguageModels& models, int number) : models_(models), number_(number) {}
  ~FakeSession() override {
    models_.calls_.push_back("session " + std::to_string(number_) + " dropped");
  }

  GeneratedContent respond(std::string_view prompt, const GenerationSchema& schema,
                           bool includeSchemaInPrompt, const GenerationOptions& options) override {
    models_.calls_.push_back("session " + std::to_string(number_) + " respond");
    return models_.respond(
        {number_, std::string(prompt), schema, includeSchemaInPrompt, options});
  }

 private:
  FakeLanguageModels& models_;
  int number_;
};

class FakeLanguageModels::FakeModel : public SystemLanguageModel {
 public:
  FakeModel(FakeLanguageModels& models, int number) : models_(models), number_(number) {}
  ~FakeModel() override {
    models_.calls_.push_back("model " + std::to_string(number_) + " dropped");
  }

  Availability availability() override {
    models_.calls_.push_back("model " + std::to_string(number_) + " availability");
    return models_.availability_;
  }

  std::unique_ptr<LanguageModelSession> makeSession(std::string_view instructions) override {
    models_.sessions_.push_back({number_, std::string(instructions)});
    const int session = static_cast<int>(models_.sessions_.size());
    models_.calls_.push_back("model " + std::to_string(number_) + " makeSession " +
                              std::to_string(session));
    return std::make_unique<FakeSession>(models_, session);
  }

 private:
  FakeLanguageModels& models_;
  int number_;
};

FakeLanguageModels::FakeLanguageModels(Availability availability) : availability_(availability) {}

void FakeLanguageModels::replyWith(GeneratedContent content) {
  script_.push_back([content = std::move(content)] { return content; });
}

std::unique_ptr<SystemLanguageModel> FakeLanguageModels::systemModel(UseCase useCase,
                                                                     Guardrails guardrails) {
  models_.push_back({useCase, guardrails});
  const int model = static_cast<int>(models_.size());
  calls_.push_back("systemModel " + std::to_string(model));
  return std::make_unique<FakeModel>(*this, model);
}

GeneratedContent FakeLanguageModels::respond(Response response) {
  responses_.push_back(std::move(response));
  if (script_.empty()) throw std::logic_error("a generation that the test did not script");
  const std::function<GeneratedContent()> next = std::move(script_.front());
  script_.pop_front();
  return next();
}

}  // namespace mivo::platform
