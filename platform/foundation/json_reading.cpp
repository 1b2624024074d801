#include "platform/foundation/json_reading.h"

#include <nlohmann/json.hpp>

#include "platform/foundation/json_parsing.h"

namespace mivo::foundation {
namespace {

DecodingError notA(std::string_view what, std::string_view name) {
  return DecodingError("the member " + std::string(name) + " is not " + std::string(what));
}

}  // namespace

JsonObject JsonObject::parse(std::string_view text) {
  // A number no float holds stands as a value of no type a rule reads: where
  // a member is read it is refused as any other number would be, and where
  // none is read it is ignored.
  std::unique_ptr<nlohmann::json> value = parseJsonText(text);
  if (!value->is_object()) throw DecodingError("the JSON value is not an object");
  return JsonObject(std::move(value));
}

JsonObject::JsonObject(std::unique_ptr<nlohmann::json> value) : value_(std::move(value)) {}
JsonObject::JsonObject(JsonObject&&) noexcept = default;
JsonObject& JsonObject::operator=(JsonObject&&) noexcept = default;
JsonObject::~JsonObject() = default;

const nlohmann::json* JsonObject::member(std::string_view name) const {
  const auto found = value_->find(name);
  if (found == value_->end() || found->is_null()) return nullptr;
  return &*found;
}

std::string JsonObject::requiredString(std::string_view name) const {
  const nlohmann::json* value = member(name);
  if (value == nullptr || !value->is_string()) throw notA("a string", name);
  return value->get<std::string>();
}

std::optional<bool> JsonObject::optionalBoolean(std::string_view name) const {
  const nlohmann::json* value = member(name);
  if (value == nullptr) return std::nullopt;
  if (!value->is_boolean()) throw notA("a boolean", name);
  return value->get<bool>();
}

std::optional<std::string> JsonObject::optionalString(std::string_view name) const {
  const nlohmann::json* value = member(name);
  if (value == nullptr) return std::nullopt;
  if (!value->is_string()) throw notA("a string", name);
  return value->get<std::string>();
}

std::vector<std::string> JsonObject::requiredStringList(std::string_view name) const {
  const nlohmann::json* value = member(name);
  if (value == nullptr || !value->is_array()) throw notA("an array of strings", name);
  std::vector<std::string> strings;
  for (const nlohmann::json& element : *value) {
    if (!element.is_string()) throw notA("an array of strings", name);
    strings.push_back(element.get<std::string>());
  }
  return strings;
}

}  // namespace mivo::foundation
