#pragma once

#include <memory>
#include <nlohmann/json_fwd.hpp>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace mivo::foundation {

// Raised when a request is not the JSON its reader expects; what() says why.
class DecodingError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A JSON object read strictly from the whole of a text. Its members are read
// by exact name, each by a rule; members that nobody reads are ignored.
class JsonObject {
 public:
  // Raises DecodingError unless `text` is one JSON text and nothing more (white
  // space around it aside), valid UTF-8 without comments, whose value is an
  // object. A number beyond the 64-bit float's range is valid JSON: it is
  // read, and no rule takes it for a value of its type.
  static JsonObject parse(std::string_view text);

  JsonObject(JsonObject&&) noexcept;
  JsonObject& operator=(JsonObject&&) noexcept;
  ~JsonObject();

  // The member's string. Raises DecodingError when the member is missing, null
  // or of another type.
  std::string requiredString(std::string_view name) const;

  // The member's boolean, or none when the member is missing or null. Raises
  // DecodingError for any other type: a string "false" or a 0 is no boolean.
  std::optional<bool> optionalBoolean(std::string_view name) const;

  // The member's string, or none when the member is missing or null. Raises
  // DecodingError for any other type.
  std::optional<std::string> optionalString(std::string_view name) const;

  // The member's array of strings, which may be empty. Raises DecodingError
  // when the member is missing, null, no array, or holds one element that is
  // not a string.
  std::vector<std::string> requiredStringList(std::string_view name) const;

 private:
  explicit JsonObject(std::unique_ptr<nlohmann::json> value);
  const nlohmann::json* member(std::string_view name) const;

  std::unique_ptr<nlohmann::json> value_;
};

}  // namespace mivo::foundation
