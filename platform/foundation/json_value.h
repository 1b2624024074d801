#pragma once

#include <memory>
#include <nlohmann/json_fwd.hpp>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/foundation/json_reading.h"

namespace mivo::foundation {

class JsonValue;

// A JSON text read strictly and held untyped: no record is declared for it,
// and its values are looked at one by one for what they are.
class JsonDocument {
 public:
  // Raises DecodingError unless `text` is one JSON text and nothing more (white
  // space around it aside), valid UTF-8 without comments. Any value may stand
  // at the top. Where an object names a member twice, the later one counts.
  static JsonDocument parse(std::string_view text);

  JsonDocument(JsonDocument&&) noexcept;
  JsonDocument& operator=(JsonDocument&&) noexcept;
  ~JsonDocument();

  JsonValue root() const;

 private:
  explicit JsonDocument(std::unique_ptr<nlohmann::json> value);

  std::unique_ptr<nlohmann::json> value_;
};

// One value of a JsonDocument, valid while the document lives.
class JsonValue {
 public:
  bool isObject() const;

  // The member's value; none when this is no object or has no such member.
  // Names compare exactly.
  std::optional<JsonValue> member(std::string_view name) const;

  // None unless this is a string.
  std::optional<std::string_view> string() const;

  // The number as a 64-bit float, integers and fractions alike. None unless
  // this is a number, and none for an integer that a 64-bit float cannot hold
  // exactly or a number beyond the float's range (1e400), which are read but
  // taken for no number. A fraction is rounded to the nearest float, as JSON
  // readers do.
  std::optional<double> number() const;

  // The elements in order; none unless this is an array.
  std::optional<std::vector<JsonValue>> elements() const;

 private:
  friend class JsonDocument;
  explicit JsonValue(const nlohmann::json& value) : value_(&value) {}

  const nlohmann::json* value_;
};

}  // namespace mivo::foundation
