#include "title/titler.h"

#include "platform/foundation/graphemes.h"
#include "see/model/generation_attempt.h"
#include "see/model/model_os_gate.h"
#include "see/model/model_setup.h"
#include "see/model/shorter_text_retry.h"
#include "title/note_title.h"

namespace mivo::title {
namespace {

// The request's context, then the first `cut` characters of the transcript
// between markers; nothing is trimmed or escaped.
std::string prompt(const Input& input, std::size_t cut) {
  std::string prompt = "Source: " + input.source;
  prompt += "\nLabel: " + input.label.value_or("none");
  prompt += "\nRecorded: " + input.recorded;
  prompt += "\n\n<transcript>\n";
  prompt += foundation::graphemePrefix(input.transcript, cut);
  prompt += "\n</transcript>";
  return prompt;
}

}  // namespace

const std::string_view Titler::instructions =
    "You write the title of a voice note: a personal voice memo or a recorded conversation, "
    "transcribed by speech recognition. The title is short and specific (2 to 8 words) and says "
    "what the recording is about, in the language of the recording. No date, no quotes, no "
    "trailing period, and none of these characters: / \\ : * ? \" < > | # ^ [ ]. The source and "
    "label are context only: the label is often a location, a timestamp or a generic name like "
    "\"New Recording 12\".";

std::optional<std::string> Titler::title(const Input& input, const model::ModelServices& services) {
  const auto handle = model::setUpModel(services.languageModels);
  if (handle == nullptr) return std::nullopt;
  // Read once: the options of both attempts.
  const bool macOS27OrLater = model::isMacOS27OrLater(services.systemVersion);
  const NoteTitle reply = model::withShorterTextRetry([&](std::size_t cut) {
    return NoteTitle::fromGeneratedContent(model::attemptGeneration(
        *handle, instructions, prompt(input, cut), NoteTitle::generationSchema(), macOS27OrLater));
  });
  return reply.title;
}

}  // namespace mivo::title
