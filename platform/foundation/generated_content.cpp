// The plain-data side of the language-model framework: what the model
// generated, read by the programs' own conversions. No model is behind it.
#include "platform/generated_content.h"

#include <algorithm>
#include <atomic>
#include <functional>
#include <nlohmann/json.hpp>

#include "platform/generation_error.h"

namespace mivo::platform {
namespace {

GenerationError cannotRead(const std::string& what, const GeneratedContent& content) {
  return GenerationError(GenerationError::Case::decodingFailure,
                         "the generated content " + content.jsonString() + " " + what);
}

}  // namespace

GenerationID::GenerationID() {
  static std::atomic<std::uint64_t> next{1};
  value_ = next++;
}

GeneratedContent GeneratedContent::null() { return GeneratedContent(Kind::null); }

GeneratedContent GeneratedContent::ofBoolean(bool value) {
  GeneratedContent content(Kind::boolean);
  content.boolean_ = value;
  return content;
}

GeneratedContent GeneratedContent::ofNumber(double value) {
  GeneratedContent content(Kind::number);
  content.number_ = value;
  return content;
}

GeneratedContent GeneratedContent::ofString(std::string value) {
  GeneratedContent content(Kind::string);
  content.string_ = std::move(value);
  return content;
}

GeneratedContent GeneratedContent::ofElements(Elements elements) {
  GeneratedContent content(Kind::elements);
  content.elements_ = std::move(elements);
  return content;
}

GeneratedContent GeneratedContent::ofProperties(Properties properties,
                                                std::optional<GenerationID> id) {
  GeneratedContent content(Kind::properties);
  for (Property& property : properties) {
    auto same = std::find_if(content.properties_.begin(), content.properties_.end(),
                             [&](const Property& kept) { return kept.name == property.name; });
    if (same == content.properties_.end()) {
      content.properties_.push_back(std::move(property));
    } else {
      same->value = std::move(property.value);
    }
  }
  content.id_ = std::move(id);
  return content;
}

std::string GeneratedContent::stringValue() const {
  if (kind_ == Kind::string) return string_;
  throw cannotRead("is not a string", *this);
}

const GeneratedContent::Properties& GeneratedContent::properties() const {
  if (kind_ == Kind::properties) return properties_;
  throw cannotRead("has no properties", *this);
}

const GeneratedContent& GeneratedContent::requiredProperty(std::string_view name) const {
  for (const Property& property : properties()) {
    if (property.name == name) return property.value;
  }
  throw cannotRead("has no property \"" + std::string(name) + "\"", *this);
}

const GeneratedContent* GeneratedContent::optionalProperty(std::string_view name) const {
  for (const Property& property : properties()) {
    if (property.name != name) continue;
    if (property.value.kind_ == Kind::null) return nullptr;
    return &property.value;
  }
  return nullptr;
}

std::string GeneratedContent::jsonString() const {
  // A lambda in a member function may read the private parts of every node.
  const std::function<nlohmann::ordered_json(const GeneratedContent&)> asJson =
      [&asJson](const GeneratedContent& content) -> nlohmann::ordered_json {
    switch (content.kind_) {
      case Kind::null: return nullptr;
      case Kind::boolean: return content.boolean_;
      case Kind::number: return content.number_;
      case Kind::string: return content.string_;
      case Kind::elements: {
        nlohmann::ordered_json array = nlohmann::ordered_json::array();
        for (const GeneratedContent& element : content.elements_) array.push_back(asJson(element));
        return array;
      }
      case Kind::properties: {
        nlohmann::ordered_json object = nlohmann::ordered_json::object();
        for (const Property& property : content.properties_) {
          object[property.name] = asJson(property.value);
        }
        return object;
      }
    }
    return nullptr;
  };
  // The model's strings may hold bytes that are not UTF-8; in the JSON text
  // they become U+FFFD rather than making the description itself fail.
  return asJson(*this).dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

}  // namespace mivo::platform
