#include "title/output.h"

#include "platform/foundation/json_writing.h"

namespace mivo::title {

std::string encodeEditAnswer(const EditedParagraphs& paragraphs) {
  foundation::JsonObjectWriter answer;
  answer.addStringArray("paragraphs", paragraphs);
  return answer.text();
}

std::string encodeTitleAnswer(std::string_view title) {
  foundation::JsonObjectWriter answer;
  answer.addString("title", title);
  return answer.text();
}

}  // namespace mivo::title
