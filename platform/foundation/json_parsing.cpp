#include "platform/foundation/json_parsing.h"

#include <algorithm>
#include <charconv>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "platform/foundation/json_numbers_beyond_range.h"
#include "platform/foundation/json_reading.h"

namespace mivo::foundation {
namespace {

using Json = nlohmann::json;

Json unholdableNumber() { return Json::binary({}); }

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

// Builds the document from the parser's events. Each container being filled
// stays at one address until it is closed: an object's members live in a
// map, and an array only grows at its end, after its open child has closed.
class DocumentBuilder {
 public:
  // `beyond_range`: the places, among the text's numbers, of those that
  // stood beyond the float's range and were replaced before parsing.
  DocumentBuilder(Json& root, const std::vector<std::size_t>& beyond_range)
      : root_(root), beyond_range_(beyond_range) {}

  bool null() { return place(nullptr); }
  bool boolean(bool value) { return place(value); }
  bool number_integer(Json::number_integer_t value) { return placeNumber(value); }
  bool number_unsigned(Json::number_unsigned_t value) { return placeNumber(value); }
  bool number_float(Json::number_float_t value, const Json::string_t& literal) {
    // An integer literal too large for the parser's 64-bit integers comes as
    // the nearest double, which may not be its value.
    if (isIntegerLiteral(literal) && !isExactly(value, literal)) {
      return placeNumber(unholdableNumber());
    }
    return placeNumber(value);
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

  bool placeNumber(Json value) {
    const bool replaced =
        std::binary_search(beyond_range_.begin(), beyond_range_.end(), numbers_seen_);
    ++numbers_seen_;
    return place(replaced ? unholdableNumber() : std::move(value));
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
  const std::vector<std::size_t>& beyond_range_;
  std::size_t numbers_seen_ = 0;
  std::vector<Json*> open_;
  Json* member_slot_ = nullptr;
};

}  // namespace

std::unique_ptr<Json> parseJsonText(std::string_view text) {
  // nlohmann-json takes a NUL byte for the end of the input and would accept
  // whatever follows it; JSON allows no raw NUL byte anywhere.
  if (text.find('\0') != std::string_view::npos) throw DecodingError("the text holds a NUL byte");
  const NumbersBeyondRange readable = replaceNumbersBeyondRange(text);
  auto root = std::make_unique<Json>();
  DocumentBuilder builder(*root, readable.places);
  // Strict: the text must end where its value does. Every way in which it is
  // not JSON (invalid UTF-8, trailing text) comes back as a refusal.
  if (!Json::sax_parse(readable.text.begin(), readable.text.end(), &builder,
                       nlohmann::json::input_format_t::json, /*strict=*/true,
                       /*ignore_comments=*/false)) {
    throw DecodingError("the text is not one JSON text");
  }
  return root;
}

}  // namespace mivo::foundation
