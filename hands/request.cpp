#include "hands/request.h"

namespace mivo::hands {

Request Request::parse(std::string_view text) {
  foundation::JsonDocument document = foundation::JsonDocument::parse(text);
  if (!document.root().isObject())
    throw foundation::DecodingError("the JSON value is not an object");
  return Request(std::move(document));
}

std::optional<std::string> Request::text(std::string_view name) const {
  const std::optional<foundation::JsonValue> member = document_.root().member(name);
  if (!member) return std::nullopt;
  const std::optional<std::string_view> value = member->string();
  if (!value) return std::nullopt;
  return std::string(*value);
}

std::optional<double> Request::number(std::string_view name) const {
  const std::optional<foundation::JsonValue> member = document_.root().member(name);
  if (!member) return std::nullopt;
  return member->number();
}

std::optional<std::vector<foundation::JsonValue>> Request::elements(std::string_view name) const {
  const std::optional<foundation::JsonValue> member = document_.root().member(name);
  if (!member) return std::nullopt;
  return member->elements();
}

std::optional<std::vector<std::string>> Request::texts(std::string_view name) const {
  const auto elements = this->elements(name);
  if (!elements) return std::nullopt;
  std::vector<std::string> texts;
  for (const foundation::JsonValue& element : *elements) {
    const std::optional<std::string_view> text = element.string();
    if (!text) return std::nullopt;
    texts.emplace_back(*text);
  }
  return texts;
}

std::optional<std::vector<double>> Request::numbers(std::string_view name,
                                                    std::size_t count) const {
  const auto elements = this->elements(name);
  if (!elements || elements->size() != count) return std::nullopt;
  std::vector<double> numbers;
  for (const foundation::JsonValue& element : *elements) {
    const std::optional<double> number = element.number();
    if (!number) return std::nullopt;
    numbers.push_back(*number);
  }
  return numbers;
}

}  // namespace mivo::hands
