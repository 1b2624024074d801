#include "hands/flags.h"

#include <algorithm>

#include "platform/foundation/lower_case.h"

namespace mivo::hands {
namespace {

struct ModifierName {
  std::string_view name;
  platform::EventFlags flag;
};

constexpr ModifierName kModifierNames[] = {
    {"cmd", platform::kCommandFlag},     {"command", platform::kCommandFlag},
    {"super", platform::kCommandFlag},   {"meta", platform::kCommandFlag},
    {"win", platform::kCommandFlag},     {"ctrl", platform::kControlFlag},
    {"control", platform::kControlFlag}, {"alt", platform::kOptionFlag},
    {"option", platform::kOptionFlag},   {"opt", platform::kOptionFlag},
    {"shift", platform::kShiftFlag},     {"fn", platform::kSecondaryFunctionFlag},
};

platform::EventFlags flagOf(std::string_view name) {
  const std::string lowered = foundation::lowerCased(name);
  for (const ModifierName& modifier : kModifierNames) {
    if (modifier.name == lowered) return modifier.flag;
  }
  return 0;
}

}  // namespace

const std::set<std::string, std::less<>>& modifierNames() {
  static const std::set<std::string, std::less<>> names = [] {
    std::set<std::string, std::less<>> built;
    for (const ModifierName& modifier : kModifierNames) built.emplace(modifier.name);
    return built;
  }();
  return names;
}

platform::EventFlags flags(const std::vector<std::string>& names) {
  platform::EventFlags mask = 0;
  for (const std::string& name : names) mask |= flagOf(name);
  return mask;
}

std::vector<std::string> plusSeparatedPieces(std::string_view text) {
  std::vector<std::string> pieces;
  for (std::size_t start = 0; start <= text.size();) {
    const std::size_t plus = std::min(text.find('+', start), text.size());
    if (plus > start) pieces.emplace_back(text.substr(start, plus - start));
    start = plus + 1;
  }
  return pieces;
}

}  // namespace mivo::hands
