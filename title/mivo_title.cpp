#include "title/mivo_title.h"

#include <optional>
#include <string>

#include "platform/foundation/json_reading.h"
#include "platform/foundation/json_writing.h"
#include "platform/foundation/process.h"
#include "see/finish/finish.h"
#include "see/model/model_os_gate.h"
#include "title/editor.h"
#include "title/input.h"
#include "title/output.h"
#include "title/titler.h"

namespace mivo::title {
namespace {

constexpr std::string_view kPrefix = "mivo-title: ";
constexpr std::string_view kRequestRejected = "mivo-title: stdin is not the JSON expected";
constexpr std::string_view kNeedsMacOS26 = "mivo-title: the on-device model needs macOS 26";
constexpr std::string_view kNotAvailable =
    "mivo-title: the on-device model is not available on this Mac";
constexpr std::string_view kEditNotWritten = "mivo-title: the edit could not be written out";
constexpr std::string_view kAnswerNotWritten = "mivo-title: could not write the answer: ";

// An answer that can go nowhere fails the run before anything is done.
void requireStandardOutput() {
  if (const std::error_code error = foundation::process().standardOutputError()) {
    finish(1, std::string(kAnswerNotWritten) + error.message());
  }
}

std::string readRequest() {
  // Input that cannot be read is as unusable as input that is not the JSON.
  std::optional<std::string> bytes = foundation::process().readStandardInputToEnd();
  if (!bytes) finish(1, kRequestRejected);
  return std::move(*bytes);
}

std::optional<EditInput> editRequest(std::string_view bytes) {
  try {
    return decodeEditInput(bytes);
  } catch (const foundation::DecodingError&) {
    return std::nullopt;
  }
}

Input titleRequest(std::string_view bytes) {
  try {
    return decodeInput(bytes);
  } catch (const foundation::DecodingError&) {
    finish(1, kRequestRejected);
  }
}

void requireModelOsGate(const model::ModelServices& services) {
  if (!model::passesModelOsGate(services.systemVersion)) finish(3, kNeedsMacOS26);
}

[[noreturn]] void answer(const std::string& encoded) {
  // An answer cut short must not pass for one: the run fails instead.
  if (const std::error_code error = foundation::process().writeStandardOutput(encoded)) {
    finish(1, std::string(kAnswerNotWritten) + error.message());
  }
  foundation::process().exit(0);
}

[[noreturn]] void editMode(const EditInput& input, const model::ModelServices& services) {
  requireModelOsGate(services);
  const std::optional<EditedParagraphs> paragraphs = Editor::edit(input.edit, services);
  if (!paragraphs) finish(3, kNotAvailable);
  std::string encoded;
  try {
    encoded = encodeEditAnswer(*paragraphs);
  } catch (const foundation::EncodingError&) {
    finish(1, kEditNotWritten);
  }
  answer(encoded);
}

[[noreturn]] void titleMode(const Input& input, const model::ModelServices& services) {
  requireModelOsGate(services);
  std::optional<std::string> title;
  try {
    title = Titler::title(input, services);
  } catch (const platform::LanguageModelError& error) {
    finish(1, std::string(kPrefix) + error.what());
  }
  if (!title) finish(3, kNotAvailable);
  std::string encoded;
  try {
    encoded = encodeTitleAnswer(*title);
  } catch (const foundation::EncodingError& error) {
    finish(1, std::string(kPrefix) + error.what());
  }
  answer(encoded);
}

}  // namespace

void MivoTitle::main(const model::ModelServices& services) {
  requireStandardOutput();
  const std::string bytes = readRequest();
  // An edit request is tried first; anything else is read as a title request.
  if (const std::optional<EditInput> edit = editRequest(bytes)) editMode(*edit, services);
  titleMode(titleRequest(bytes), services);
}

}  // namespace mivo::title
