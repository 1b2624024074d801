#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace mivo::foundation {

// Raised when a value cannot be written as JSON; what() says why.
class EncodingError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Writes one JSON object compactly, its members in the order they are added:
// no white space between tokens, the solidus escaped as "\/", every character
// that needs no escape as raw UTF-8. The text ends with the closing brace; a
// line feed after it, where a program wants one, is the caller's.
class JsonObjectWriter {
 public:
  // Raises EncodingError when `name` or `value` is not valid UTF-8.
  void addString(std::string_view name, std::string_view value);
  void addObject(std::string_view name, const JsonObjectWriter& object);
  void addBoolean(std::string_view name, bool value);
  // The shortest text that reads back as the same double ("100", "0.5",
  // "1e+300"). Raises EncodingError for NaN and the infinities, which JSON
  // cannot write.
  void addNumber(std::string_view name, double value);
  // The numbers in order, each written as addNumber writes it; raises
  // EncodingError for NaN and the infinities.
  void addNumberArray(std::string_view name, const std::vector<double>& values);
  // The strings in order, an entry without a value written as null. Raises
  // EncodingError when `name` or a string is not valid UTF-8.
  void addStringArray(std::string_view name, const std::vector<std::optional<std::string>>& values);

  std::string text() const;

 private:
  void addMember(std::string_view name, std::string_view value_text);

  std::string members_;
};

// Appends the escape that a JSON string writes for `code_point`, which must
// lie below U+10000: its two-character escape where it has one ("\n", "\/"),
// else "\u" and four hexadecimal digits ("\u001b").
void appendJsonEscape(std::string& out, char32_t code_point);

}  // namespace mivo::foundation
