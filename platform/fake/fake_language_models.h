#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/language_model.h"

namespace mivo::platform {

// A language model framework that records every call, in order, and answers
// the generations from a script. Models and sessions are numbered from 1 in
// the order they are made; they must not outlive the framework.
class FakeLanguageModels : public LanguageModels {
 public:
  struct Model {
    UseCase useCase;
    Guardrails guardrails;
  };
  struct Session {
    int model;
    std::string instructions;
  };
  struct Response {
    int session;
    std::string prompt;
    GenerationSchema schema;
    bool includeSchemaInPrompt;
    GenerationOptions options;
  };

  // Every model made reports `availability`.
  explicit FakeLanguageModels(Availability availability = Availability::available);

  // The next generation not yet scripted gives `content`, or raises `error`.
  // A generation beyond the script is a fault of the test: std::logic_error.
  void replyWith(GeneratedContent content);
  template <typename Error>
  void failWith(const Error& error) {
    script_.push_back([error]() -> GeneratedContent { throw error; });
  }

  std::unique_ptr<SystemLanguageModel> systemModel(UseCase useCase, Guardrails guardrails) override;

  // "systemModel 1", "model 1 availability", "model 1 makeSession 2",
  // "session 2 respond", "session 2 dropped", "model 1 dropped".
  const std::vector<std::string>& calls() const { return calls_; }
  // What each model, session and generation was made with, in order.
  const std::vector<Model>& models() const { return models_; }
  const std::vector<Session>& sessions() const { return sessions_; }
  const std::vector<Response>& responses() const { return responses_; }

 private:
  class FakeModel;
  class FakeSession;

  GeneratedContent respond(Response response);

  Availability availability_;
  std::deque<std::function<GeneratedContent()>> script_;
  std::vector<std::string> calls_;
  std::vector<Model> models_;
  std::vector<Session> sessions_;
  std::vector<Response> responses_;
};

}  // namespace mivo::platform
