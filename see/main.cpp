#include "platform/foundation/process.h"
#include "platform/linux/linux_language_models.h"
#include "platform/linux/linux_system_version.h"
#include "platform/linux/text_recognition/tesseract_text_recognizer.h"
#include "see/mivo_see.h"

int main() {
  // First, before anything can take the number of a closed standard descriptor.
  mivo::foundation::startProcess();
  mivo::platform::TesseractTextRecognizer recognizer(MIVO_TESSDATA_DIR);
  mivo::platform::LinuxLanguageModels languageModels;
  mivo::platform::LinuxSystemVersion systemVersion;
  mivo::see::MivoSee::main({.recognizer = recognizer,
                            .model = {.languageModels = languageModels,
                                      .systemVersion = systemVersion}});
}
