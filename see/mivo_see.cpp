#include "see/mivo_see.h"

#include <string>

#include "platform/foundation/json_reading.h"
#include "platform/foundation/json_writing.h"
#include "platform/foundation/process.h"
#include "platform/foundation/white_space.h"
#include "see/finish/finish.h"
#include "see/finish/one_line.h"
#include "see/input.h"
#include "see/model/model_os_gate.h"
#include "see/output.h"
#include "see/reader.h"
#include "see/recognize.h"

namespace mivo::see {
namespace {

constexpr std::string_view kPrefix = "mivo-see: ";
constexpr std::string_view kRequestRejected = "mivo-see: stdin is not the JSON expected";
constexpr std::string_view kRecognitionFailed = "mivo-see: reading the text failed: ";
constexpr std::string_view kModelDeclined = "mivo-see: the on-device model declined: ";
constexpr std::string_view kAnswerNotWritten = "mivo-see: could not write the answer: ";

// An answer that can go nowhere fails the run before anything is done.
void requireStandardOutput() {
  if (const std::error_code error = foundation::process().standardOutputError()) {
    finish(1, std::string(kAnswerNotWritten) + error.message());
  }
}

Input readRequest() {
  // Input that cannot be read is as unusable as input that is not the JSON.
  const std::optional<std::string> bytes = foundation::process().readStandardInputToEnd();
  if (!bytes) finish(1, kRequestRejected);
  try {
    return decodeInput(*bytes);
  } catch (const foundation::DecodingError&) {
    finish(1, kRequestRejected);
  }
}

std::string readText(platform::TextRecognizer& recognizer, const std::string& file) {
  try {
    return recognize(recognizer, file);
  } catch (const platform::RecognitionError& error) {
    finish(1, std::string(kRecognitionFailed) + error.what());
  }
}

// What becomes of text that is there: left unsorted when the request says so,
// else handed to the on-device model where the system has one.
void sortText(const Input& input, const model::ModelServices& services, Output& output) {
  if (input.sort == false) {
    output.model = "off";
    return;
  }
  if (!model::passesModelOsGate(services.systemVersion)) {
    output.model = "unavailable";
    return;
  }
  try {
    output.reading = Reader::read(output.text, input, services);
    output.model = output.reading ? "ok" : "unavailable";
  } catch (const platform::LanguageModelError& error) {
    // Not the end of the run: the answer tells the host, and this line why.
    // A line that cannot be written changes nothing of that.
    (void)foundation::process().writeStandardError(
        oneLine(std::string(kModelDeclined) + error.what()) + "\n");
    output.model = "declined";
  }
}

[[noreturn]] void answer(const Output& output) {
  std::string encoded;
  try {
    encoded = encodeOutput(output);
  } catch (const foundation::EncodingError& error) {
    finish(1, std::string(kPrefix) + error.what());
  }
  // An answer cut short must not pass for one: the run fails instead.
  if (const std::error_code error = foundation::process().writeStandardOutput(encoded)) {
    finish(1, std::string(kAnswerNotWritten) + error.message());
  }
  foundation::process().exit(0);
}

}  // namespace

void MivoSee::main(const Services& services) {
  requireStandardOutput();
  const Input input = readRequest();
  Output output;
  output.text = readText(services.recognizer, input.file);
  if (foundation::trimWhiteSpaceAndNewlines(output.text).empty()) {
    output.model = "no_text";
  } else {
    sortText(input, services.model, output);
  }
  answer(output);
}

}  // namespace mivo::see
