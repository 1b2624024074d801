#include "platform/foundation/json_value.h"

#include <bit>
#include <cstdint>
#include <nlohmann/json.hpp>

#include "platform/foundation/json_parsing.h"

namespace mivo::foundation {
namespace {

using Json = nlohmann::json;

// Whether a 64-bit float holds the integer of this magnitude exactly: its
// significant bits fit the 53 of the float's significand.
bool fitsSignificand(std::uint64_t magnitude) {
  if (magnitude == 0) return true;
  return std::bit_width(magnitude) - std::countr_zero(magnitude) <= 53;
}

}  // namespace

JsonDocument JsonDocument::parse(std::string_view text) {
  return JsonDocument(parseJsonText(text));
}

JsonDocument::JsonDocument(std::unique_ptr<Json> value) : value_(std::move(value)) {}
JsonDocument::JsonDocument(JsonDocument&&) noexcept = default;
JsonDocument& JsonDocument::operator=(JsonDocument&&) noexcept = default;
JsonDocument::~JsonDocument() = default;

JsonValue JsonDocument::root() const { return JsonValue(*value_); }

bool JsonValue::isObject() const { return value_->is_object(); }

std::optional<JsonValue> JsonValue::member(std::string_view name) const {
  if (!value_->is_object()) return std::nullopt;
  const auto found = value_->find(name);
  if (found == value_->end()) return std::nullopt;
  return JsonValue(*found);
}

std::optional<std::string_view> JsonValue::string() const {
  if (!value_->is_string()) return std::nullopt;
  return value_->get_ref<const Json::string_t&>();
}

std::optional<double> JsonValue::number() const {
  if (value_->is_number_float()) return value_->get<double>();
  if (value_->is_number_unsigned()) {
    const auto value = value_->get<std::uint64_t>();
    if (!fitsSignificand(value)) return std::nullopt;
    return static_cast<double>(value);
  }
  if (value_->is_number_integer()) {
    const auto value = value_->get<std::int64_t>();
    // The magnitude in unsigned arithmetic, where the most negative value has one.
    const std::uint64_t magnitude =
        value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    if (!fitsSignificand(magnitude)) return std::nullopt;
    return static_cast<double>(value);
  }
  return std::nullopt;
}

std::optional<std::vector<JsonValue>> JsonValue::elements() const {
  if (!value_->is_array()) return std::nullopt;
  std::vector<JsonValue> elements;
  elements.reserve(value_->size());
  for (const Json& element : *value_) elements.push_back(JsonValue(element));
  return elements;
}

}  // namespace mivo::foundation
