#include "see/reader.h"

#include "platform/foundation/graphemes.h"
#include "see/model/generation_attempt.h"
#include "see/model/model_os_gate.h"
#include "see/model/model_setup.h"
#include "see/model/shorter_text_retry.h"
#include "see/reading_cleanup.h"
#include "see/screenshot_reading.h"

namespace mivo::see {
namespace {

// The request's context, then the first `cut` characters of the text between
// markers; nothing after the closing marker.
std::string prompt(const Input& input, const std::string& text, std::size_t cut) {
  std::string prompt = "Taken on: " + input.source;
  prompt += "\nTaken: " + input.taken;
  prompt += "\nToday: " + input.today;
  prompt += "\n\n<screenshot text>\n";
  prompt += foundation::graphemePrefix(text, cut);
  prompt += "\n</screenshot text>";
  return prompt;
}

}  // namespace

const std::string_view Reader::instructions =
    "You sort the screenshots a person takes on their Mac and iPhone. You get the text read from "
    "one screenshot, line by line as it appears on screen, and you say what it is for:\n"
    "- task: something the person has to do or follow up on. A request or question addressed to "
    "them, a bill or invoice to pay, a form or booking to complete, an appointment, a delivery or "
    "order to track, a code or link they must use, an error or bug to fix, a reminder.\n"
    "- note: something to keep, to read or remember later, with nothing to do about it. An idea, "
    "a quote, a passage of an article, a recipe, a reference or an address, a conversation worth "
    "remembering, a diagram, facts, a list.\n"
    "- other: nothing to keep and nothing to do. A home or lock screen, a menu, an empty or nearly "
    "empty screen, a game, a meme, a screen whose text says nothing on its own.\n"
    "The title is short and specific (2 to 8 words), in the language of the screenshot: no date, "
    "no quotes, no trailing period, and none of these characters: / \\ : * ? \" < > | # ^ [ ]. "
    "Never invent what the text does not say. A due date is only one the text gives, resolved "
    "against today's date.";

std::optional<Reading> Reader::read(const std::string& text, const Input& input,
                                    const model::ModelServices& services) {
  const auto handle = model::setUpModel(services.languageModels);
  if (handle == nullptr) return std::nullopt;
  // Read once: the options of both attempts, and the error of an unknown kind.
  const bool macOS27OrLater = model::isMacOS27OrLater(services.systemVersion);
  const ScreenshotReading reply = model::withShorterTextRetry([&](std::size_t cut) {
    const platform::GeneratedContent content =
        model::attemptGeneration(*handle, instructions, prompt(input, text, cut),
                                 ScreenshotReading::generationSchema(), macOS27OrLater);
    return ScreenshotReading::fromGeneratedContent(content, macOS27OrLater);
  });
  return cleanReading(reply);
}

}  // namespace mivo::see
