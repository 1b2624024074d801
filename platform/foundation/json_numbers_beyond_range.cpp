#include "platform/foundation/json_numbers_beyond_range.h"

#include <cmath>
#include <cstdlib>

namespace mivo::foundation {
namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The characters a number literal is made of; in JSON text a number always
// ends at one that is not, before the next token. A run of them that is no
// literal (the "e" of true, "+1") is left as it is and not counted.
bool isNumberCharacter(char c) {
  return isDigit(c) || c == '-' || c == '+' || c == '.' || c == 'e' || c == 'E';
}

// Whether `literal` is one JSON number:
// -? (0 | [1-9][0-9]*) (. [0-9]+)? ([eE] [+-]? [0-9]+)?
bool isNumberLiteral(std::string_view literal) {
  std::size_t at = 0;
  const auto digits = [&] {
    const std::size_t start = at;
    while (at < literal.size() && isDigit(literal[at])) ++at;
    return at > start;
  };
  if (at < literal.size() && literal[at] == '-') ++at;
  if (at < literal.size() && literal[at] == '0') {
    ++at;
  } else if (!digits()) {
    return false;
  }
  if (at < literal.size() && literal[at] == '.') {
    ++at;
    if (!digits()) return false;
  }
  if (at < literal.size() && (literal[at] == 'e' || literal[at] == 'E')) {
    ++at;
    if (at < literal.size() && (literal[at] == '+' || literal[at] == '-')) ++at;
    if (!digits()) return false;
  }
  return at == literal.size();
}

// As the parser reads a literal (strtod, in the C locale the programs keep):
// beyond the range when that gives an infinity.
bool isBeyondRange(std::string_view literal) {
  const std::string terminated(literal);
  return std::isinf(std::strtod(terminated.c_str(), nullptr));
}

// The end of the string whose opening quotation mark is at `start`, just
// after its closing one (or the end of the text when it has none).
std::size_t endOfString(std::string_view text, std::size_t start) {
  for (std::size_t at = start + 1; at < text.size(); ++at) {
    if (text[at] == '\\') {
      ++at;
    } else if (text[at] == '"') {
      return at + 1;
    }
  }
  return text.size();
}

}  // namespace

NumbersBeyondRange replaceNumbersBeyondRange(std::string_view text) {
  NumbersBeyondRange result;
  result.text.reserve(text.size());
  std::size_t numbers = 0;
  for (std::size_t at = 0; at < text.size();) {
    if (text[at] == '"') {
      const std::size_t end = endOfString(text, at);
      result.text.append(text.substr(at, end - at));
      at = end;
    } else if (isNumberCharacter(text[at])) {
      std::size_t end = at;
      while (end < text.size() && isNumberCharacter(text[end])) ++end;
      const std::string_view run = text.substr(at, end - at);
      const bool literal = isNumberLiteral(run);
      if (literal && isBeyondRange(run)) {
        result.places.push_back(numbers);
        result.text += '0';
      } else {
        result.text.append(run);
      }
      if (literal) ++numbers;
      at = end;
    } else {
      result.text += text[at];
      ++at;
    }
  }
  return result;
}

}  // namespace mivo::foundation
