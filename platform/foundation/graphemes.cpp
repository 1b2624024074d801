#include "platform/foundation/graphemes.h"

#include <unicode/ubrk.h>
#include <unicode/utext.h>

#include <optional>
#include <stdexcept>
#include <string>

namespace mivo::foundation {
namespace {

// Walks the character boundaries of UTF-8 text; a UTF-8 text's native index is
// its byte offset, so the boundaries come out as byte offsets.
class CharacterBoundaries {
 public:
  explicit CharacterBoundaries(std::string_view text) {
    UErrorCode status = U_ZERO_ERROR;
    text_.adoptInstead(utext_openUTF8(nullptr, text.data(), static_cast<int64_t>(text.size()),
                                      &status));
    boundaries_.adoptInstead(ubrk_open(UBRK_CHARACTER, "", nullptr, 0, &status));
    if (U_SUCCESS(status)) ubrk_setUText(boundaries_.getAlias(), text_.getAlias(), &status);
    // ICU's data is linked in; without it no program here can measure text.
    if (U_FAILURE(status)) {
      throw std::runtime_error(std::string("ICU cannot find character boundaries: ") +
                               u_errorName(status));
    }
  }

  // The offset just after the next character, or none at the end.
  std::optional<std::size_t> next() {
    const int32_t boundary = ubrk_next(boundaries_.getAlias());
    if (boundary == UBRK_DONE) return std::nullopt;
    return static_cast<std::size_t>(boundary);
  }

 private:
  icu::LocalUTextPointer text_;
  icu::LocalUBreakIteratorPointer boundaries_;
};

}  // namespace

std::size_t graphemeCount(std::string_view text) {
  CharacterBoundaries boundaries(text);
  std::size_t count = 0;
  while (boundaries.next()) ++count;
  return count;
}

std::string_view graphemePrefix(std::string_view text, std::size_t count) {
  CharacterBoundaries boundaries(text);
  std::size_t end = 0;
  for (std::size_t taken = 0; taken < count; ++taken) {
    const std::optional<std::size_t> boundary = boundaries.next();
    if (!boundary) break;
    end = *boundary;
  }
  return text.substr(0, end);
}

}  // namespace mivo::foundation
