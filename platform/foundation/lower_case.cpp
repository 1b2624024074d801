#include "platform/foundation/lower_case.h"

#include <unicode/locid.h>
#include <unicode/unistr.h>

namespace mivo::foundation {

std::string lowerCased(std::string_view text) {
  icu::UnicodeString characters = icu::UnicodeString::fromUTF8(
      icu::StringPiece(text.data(), static_cast<std::int32_t>(text.size())));
  // The root locale: no Turkish dotless i, no Lithuanian dots.
  characters.toLower(icu::Locale::getRoot());
  std::string lowered;
  characters.toUTF8String(lowered);
  return lowered;
}

}  // namespace mivo::foundation
