#include "platform/linux/tesseract_text_recognizer.h"
#include "see/mivo_see.h"

int main() {
  mivo::platform::TesseractTextRecognizer recognizer(MIVO_TESSDATA_DIR);
  mivo::see::MivoSee::main({.recognizer = recognizer});
}
