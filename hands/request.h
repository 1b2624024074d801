#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/foundation/json_value.h"

namespace mivo::hands {

// The request: one JSON object held untyped. Each handler reads its own
// members by name, each by one rule; a member that is missing, null or of
// another type than its rule asks for is absent, and that is no error by
// itself. Names compare exactly.
class Request {
 public:
  // Raises foundation::DecodingError unless `text` is one JSON text whose
  // value is an object.
  static Request parse(std::string_view text);

  // A JSON string, unchanged.
  std::optional<std::string> text(std::string_view name) const;
  // A JSON number, as a 64-bit float; an integer that a 64-bit float cannot
  // hold exactly is absent.
  std::optional<double> number(std::string_view name) const;
  // A JSON array of strings only; one element of another type makes the
  // whole member absent.
  std::optional<std::vector<std::string>> texts(std::string_view name) const;
  // A JSON array of exactly `count` numbers (2: a point, 4: a rectangle).
  std::optional<std::vector<double>> numbers(std::string_view name, std::size_t count) const;

 private:
  explicit Request(foundation::JsonDocument document) : document_(std::move(document)) {}

  std::optional<std::vector<foundation::JsonValue>> elements(std::string_view name) const;

  foundation::JsonDocument document_;
};

}  // namespace mivo::hands
