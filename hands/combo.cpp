#include "hands/combo.h"

#include <optional>
#include <string>
#include <vector>

#include "hands/flags.h"
#include "hands/key_codes.h"
#include "platform/foundation/lower_case.h"
#include "platform/foundation/white_space.h"
#include "see/finish/finish.h"

namespace mivo::hands {
namespace {

constexpr std::string_view kNoKeyCalled = "mivo-hands: no key called ";
constexpr std::string_view kPrefix = "mivo-hands: ";
constexpr std::string_view kNamesNoKey = " names no key but modifiers";

}  // namespace

KeyCombination combo(std::string_view text) {
  std::vector<std::string> modifiers;
  std::optional<std::string> key;
  for (const std::string& piece : plusSeparatedPieces(text)) {
    const std::string_view part = foundation::trimSpaceSeparatorsAndTab(piece);
    if (part.empty()) continue;
    if (modifierNames().contains(foundation::lowerCased(part))) {
      modifiers.emplace_back(part);
    } else {
      key = part;
    }
  }
  if (!key) finish(1, std::string(kPrefix) + std::string(text) + std::string(kNamesNoKey));
  const auto found = keyCodes().find(foundation::lowerCased(*key));
  if (found == keyCodes().end()) finish(1, std::string(kNoKeyCalled) + *key);
  return {found->second, flags(modifiers)};
}

}  // namespace mivo::hands
