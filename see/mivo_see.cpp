#include "see/mivo_see.h"

#include <string>

#include "platform/foundation/json_reading.h"
#include "platform/foundation/json_writing.h"
#include "platform/foundation/process.h"
#include "platform/foundation/white_space.h"
#include "see/finish/finish.h"
#include "see/input.h"
#include "see/output.h"
#include "see/recognize.h"

namespace mivo::see {
namespace {

constexpr std::string_view kPrefix = "mivo-see: ";
constexpr std::string_view kRequestRejected = "mivo-see: stdin is not the JSON expected";
constexpr std::string_view kRecognitionFailed = "mivo-see: reading the text failed: ";
constexpr std::string_view kAnswerNotWritten = "mivo-see: could not write the answer: ";

Input read_request() {
  // Input that cannot be read is as unusable as input that is not the JSON.
  const std::optional<std::string> bytes = foundation::process().read_standard_input_to_end();
  if (!bytes) finish(1, kRequestRejected);
  try {
    return decode_input(*bytes);
  } catch (const foundation::DecodingError&) {
    finish(1, kRequestRejected);
  }
}

std::string read_text(platform::TextRecognizer& recognizer, const std::string& file) {
  try {
    return recognize(recognizer, file);
  } catch (const platform::RecognitionError& error) {
    finish(1, std::string(kRecognitionFailed) + error.what());
  }
}

// What becomes of text that is there: left unsorted when the request says so,
// else handed to the on-device model.
void sort_text(const Input& input, Output& output) {
  if (input.sort == false) {
    output.model = "off";
    return;
  }
  // The on-device model is not reached yet; until it is, it counts as not
  // available, as it always is on this system.
  output.model = "unavailable";
}

[[noreturn]] void answer(const Output& output) {
  std::string encoded;
  try {
    encoded = encode_output(output);
  } catch (const foundation::EncodingError& error) {
    finish(1, std::string(kPrefix) + error.what());
  }
  // An answer cut short must not pass for one: the run fails instead.
  if (const std::error_code error = foundation::process().write_standard_output(encoded)) {
    finish(1, std::string(kAnswerNotWritten) + error.message());
  }
  foundation::process().exit(0);
}

}  // namespace

void MivoSee::main(const Services& services) {
  const Input input = read_request();
  Output output;
  output.text = read_text(services.recognizer, input.file);
  if (foundation::trim_white_space_and_newlines(output.text).empty()) {
    output.model = "no_text";
  } else {
    sort_text(input, output);
  }
  answer(output);
}

}  // namespace mivo::see
