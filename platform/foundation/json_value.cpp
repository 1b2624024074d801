#include "platform/foundation/json_value.h"

#include <bit>
#include <charconv>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>

namespace mivo::foundation {
namespace {

using Json = nlohmann::json;

// An integer literal too large for the parser's 64-bit integers comes to us
// as the nearest double. A binary value never comes from JSON text, so it
// stands in for such a literal when the double is not its exact value: no
// rule reads it as a number.
Json unholdableInteger() { return Json::binary({}); }

bool isIntegerLiteral(std::string_view literal) {
  return literal.find_first_of(".eE") == std::string_view::npos;
}

// Whether `value` is exactly the integer that `literal` writes.
bool isExactly(double value, std::string_view literal) {
  // Fixed notation with no fraction digits writes a double's exact value.
  char digits[400];
  const auto written =
      std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, 0);
  return written.ec == std::errc() && std::string_view(digits, written.ptr) == literal;
}

// Whether a 64-bit float holds the integer of this magnitude exactly: its
// significant bits fit the 53 of the float's significand.
bool fitsSignificand(std::uint64_t magnitude) {
  if (magnitude == 0) return true;
  return std::bit_width(magnitude) - std::countr_zero(magnitude) <= 53;
}

// Builds the document from the parser's events. Each container being filled
// stays at one address until it is closed: an object's members live in a
// map, and an array only grows at its end, after its open child has closed.
class DocumentBuilder {
 public:
  explicit DocumentBuilder(Json& root) : root_(root) {}

  bool null() { return place(nullptr); }
  bool boolean(bool value) { return place(value); }
  bool number_integer(Json::number_integer_t value) { return place(value); }
  bool number_unsigned(Json::number_unsigned_t value) { return place(value); }
  bool number_float(Json::number_float_t value, const Json::string_t& literal) {
    if (isIntegerLiteral(literal) && !isExactly(value, literal)) return place(unholdableInteger());
    return place(value);
  }
  bool string(Json::string_t& value) { return place(std::move(value)); }
  bool binary(Json::binary_t& value) { return place(Json::binary(std::move(value))); }

  bool start_object(std::size_t) { return open(Json::object()); }
  bool key(Json::string_t& name) {
    // A name given twice names the same slot, so the later value counts.
    member_slot_ = &(*open_.back())[name];
    return true;
  }
  bool end_object() { return close(); }
  bool start_array(std::size_t) { return open(Json::array()); }
  bool end_array() { return close(); }

  bool parse_error(std::size_t, const std::string&, const Json::exception&) { return false; }

 private:
  Json& slotForNext() {
    if (open_.empty()) return root_;
    Json& container = *open_.back();
    if (container.is_array()) {
      container.push_back(nullptr);
      return container.back();
    }
    return *member_slot_;
  }

  bool place(Json value) {
    slotForNext() = std::move(value);
    return true;
  }

  bool open(Json container) {
    Json& slot = slotForNext();
    slot = std::move(container);
    open_.push_back(&slot);
    return true;
  }

  bool close() {
    open_.pop_back();
    return true;
  }

  Json& root_;
  std::vector<Json*> open_;
  Json* member_slot_ = nullptr;
};

}  // namespace

JsonDocument JsonDocument::parse(std::string_view text) {
  // nlohmann-json takes a NUL byte for the end of the input and would accept
  // whatever follows it; JSON allows no raw NUL byte anywhere.
  if (text.find('\0') != std::string_view::npos) throw DecodingError("the text holds a NUL byte");
  auto root = std::make_unique<Json>();
  DocumentBuilder builder(*root);
  // Strict: the text must end where its value does. Every way in which it is
  // not JSON (invalid UTF-8, trailing text, a number out of range) comes back
  // as a refusal.
  if (!Json::sax_parse(text.begin(), text.end(), &builder, nlohmann::json::input_format_t::json,
                       /*strict=*/true, /*ignore_comments=*/false)) {
    throw DecodingError("the text is not one JSON text");
  }
  return JsonDocument(std::move(root));
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
