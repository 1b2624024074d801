#pragma once

#include <optional>
#include <system_error>
#include <string>
#include <vector>

#include "platform/fake/fake_language_models.h"
#include "platform/fake/fake_system_version.h"

namespace mivo::title {

struct TitleRun {
  int status;
  std::string standardOutput;
  std::string standardError;
  std::vector<std::string> processCalls;
};

// mivo-title run in-process on `request` (none: standard input cannot be
// read), with the fake model and system.
TitleRun runTitle(const std::optional<std::string>& request, platform::FakeLanguageModels& models,
                  platform::FakeSystemVersion& system);

// As above, with standard output failing with `outputFailure`.
TitleRun runTitle(const std::optional<std::string>& request, platform::FakeLanguageModels& models,
                  platform::FakeSystemVersion& system, std::error_code outputFailure);

// A structure with one string property, as the model generates it.
platform::GeneratedContent stringReply(const std::string& name, const std::string& value);

}  // namespace mivo::title
