#include "title/editor.h"

#include "platform/foundation/graphemes.h"
#include "see/model/generation_attempt.h"
#include "see/model/model_os_gate.h"
#include "see/model/model_setup.h"
#include "title/edited_paragraph.h"

namespace mivo::title {
namespace {

constexpr std::size_t kParagraphLimit = 4000;  // user-perceived characters

std::string prompt(const std::string& paragraph) {
  return "<paragraph>\n" + paragraph + "\n</paragraph>";
}

std::optional<std::string> editParagraph(platform::SystemLanguageModel& handle,
                                         const std::string& paragraph,
                                         platform::SystemVersion& system) {
  if (paragraph.empty()) return std::nullopt;
  if (foundation::graphemeCount(paragraph) > kParagraphLimit) return std::nullopt;
  try {
    // Asked afresh for each paragraph.
    const bool macOS27OrLater = model::isMacOS27OrLater(system);
    return EditedParagraph::fromGeneratedContent(
               model::attemptGeneration(handle, Editor::instructions, prompt(paragraph),
                                        EditedParagraph::generationSchema(), macOS27OrLater))
        .text;
  } catch (const platform::LanguageModelError&) {
    // The paragraph stays unedited; the others are not affected.
    return std::nullopt;
  }
}

}  // namespace

const std::string_view Editor::instructions =
    "You lightly edit the transcript of a voice note: a personal voice memo or a recorded "
    "conversation, transcribed by speech recognition. It reads sloppily because it was said "
    "sloppily, not because it was written down badly, so keep the sentences mostly intact: the "
    "speaker's own words, word order and language. Only remove the obvious mistakes (filler such "
    "as \"uh\" and \"um\", a word said twice in a stumble, a false start broken off mid-word) "
    "and make the obvious corrections (a word speech recognition plainly misheard, punctuation, "
    "capitals). Never rephrase, summarize, shorten, translate, reorder or add anything, and keep "
    "names and terms as they are spelled. When in doubt, leave it as it is. You get one "
    "paragraph; give back its edit.";

std::optional<EditedParagraphs> Editor::edit(const std::vector<std::string>& paragraphs,
                                             const model::ModelServices& services) {
  const auto handle = model::setUpModel(services.languageModels);
  if (handle == nullptr) return std::nullopt;
  EditedParagraphs edited;
  for (const std::string& paragraph : paragraphs) {
    edited.push_back(editParagraph(*handle, paragraph, services.systemVersion));
  }
  return edited;
}

}  // namespace mivo::title
