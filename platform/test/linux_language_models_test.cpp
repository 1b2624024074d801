#include "platform/linux/linux_language_models.h"

#include <gtest/gtest.h>

#include "platform/linux/linux_system_version.h"

namespace mivo::platform {
namespace {

TEST(LinuxLanguageModels, IsNeverAvailableAndFailsAnyGenerationAskedOfIt) {
  LinuxLanguageModels models;
  const std::unique_ptr<SystemLanguageModel> model =
      models.systemModel(UseCase::general, Guardrails::permissiveContentTransformations);
  EXPECT_EQ(model->availability(), Availability::unavailable);
  const std::unique_ptr<LanguageModelSession> session = model->makeSession("Say hello.");
  try {
    session->respond("Hello", stringGenerationSchema(), true, {});
    ADD_FAILURE() << "generated";
  } catch (const GenerationError& error) {
    EXPECT_EQ(error.errorCase(), GenerationError::Case::other);
    EXPECT_STREQ(error.what(), "there is no on-device language model on this system");
  }
}

TEST(LinuxSystemVersion, CountsAs26) {
  LinuxSystemVersion system;
  EXPECT_EQ(system.operatingSystemVersion(), (OperatingSystemVersion{26, 0, 0}));
}

}  // namespace
}  // namespace mivo::platform
