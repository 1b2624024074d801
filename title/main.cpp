#include "platform/foundation/process.h"
#include "platform/linux/linux_language_models.h"
#include "platform/linux/linux_system_version.h"
#include "title/mivo_title.h"

int main() {
  // First, before anything can take the number of a closed standard descriptor.
  mivo::foundation::startProcess();
  mivo::platform::LinuxLanguageModels languageModels;
  mivo::platform::LinuxSystemVersion systemVersion;
  mivo::title::MivoTitle::main({.languageModels = languageModels, .systemVersion = systemVersion});
}
