#include "platform/linux/linux_language_models.h"
#include "platform/linux/linux_system_version.h"
#include "title/mivo_title.h"

int main() {
  mivo::platform::LinuxLanguageModels languageModels;
  mivo::platform::LinuxSystemVersion systemVersion;
  mivo::title::MivoTitle::main({.languageModels = languageModels, .systemVersion = systemVersion});
}
