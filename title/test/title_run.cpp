#include "title/test/title_run.h"

#include "platform/fake/fake_process.h"
#include "title/mivo_title.h"

namespace mivo::title {

TitleRun runTitle(const std::optional<std::string>& request, platform::FakeLanguageModels& models,
                  platform::FakeSystemVersion& system, std::error_code outputFailure) {
  foundation::FakeProcess process(request);
  if (outputFailure) process.failStandardOutput(outputFailure);
  const int status = foundation::runUntilExit(process, [&] {
    MivoTitle::main({.languageModels = models, .systemVersion = system});
  });
  return {status, process.standardOutput(), process.standardError(), process.calls()};
}

TitleRun runTitle(const std::optional<std::string>& request, platform::FakeLanguageModels& models,
                  platform::FakeSystemVersion& system) {
  return runTitle(request, models, system, {});
}

platform::GeneratedContent stringReply(const std::string& name, const std::string& value) {
  return platform::GeneratedContent::ofProperties(
      {{name, platform::GeneratedContent::ofString(value)}});
}

}  // namespace mivo::title
