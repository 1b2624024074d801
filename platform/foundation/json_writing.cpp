#include "platform/foundation/json_writing.h"

#include <charconv>
#include <cmath>

#include "platform/foundation/utf8.h"

namespace mivo::foundation {
namespace {

constexpr std::string_view kNotUtf8 = "cannot write a string that is not valid UTF-8 as JSON";

// The two-character escape of a character that has one, else nothing.
std::string_view shortEscape(char32_t code_point) {
  switch (code_point) {
    case '"': return "\\\"";
    case '\\': return "\\\\";
    case '/': return "\\/";
    case '\b': return "\\b";
    case '\f': return "\\f";
    case '\n': return "\\n";
    case '\r': return "\\r";
    case '\t': return "\\t";
    default: return {};
  }
}

bool needsEscape(char32_t code_point) {
  return code_point < 0x20 || code_point == '"' || code_point == '\\' || code_point == '/';
}

void appendString(std::string& out, std::string_view value) {
  out += '"';
  for (std::size_t position = 0; position < value.size();) {
    const Utf8Unit unit = read_utf8_unit(value, position);
    if (!unit.valid) throw EncodingError(std::string(kNotUtf8));
    if (needsEscape(unit.code_point)) {
      appendJsonEscape(out, unit.code_point);
    } else {
      out += value.substr(position, unit.length);
    }
    position += unit.length;
  }
  out += '"';
}

// The shortest text that reads back as the same double.
std::string numberText(double value) {
  if (!std::isfinite(value)) {
    throw EncodingError("cannot write a number that is not finite as JSON");
  }
  char digits[32];
  const auto written = std::to_chars(digits, digits + sizeof digits, value);
  return std::string(digits, written.ptr);
}

}  // namespace

void JsonObjectWriter::addMember(std::string_view name, std::string_view value_text) {
  std::string member;
  appendString(member, name);
  member += ':';
  member += value_text;
  if (!members_.empty()) members_ += ',';
  members_ += member;
}

void JsonObjectWriter::addString(std::string_view name, std::string_view value) {
  std::string value_text;
  appendString(value_text, value);
  addMember(name, value_text);
}

void JsonObjectWriter::addObject(std::string_view name, const JsonObjectWriter& object) {
  addMember(name, object.text());
}

void JsonObjectWriter::addBoolean(std::string_view name, bool value) {
  addMember(name, value ? "true" : "false");
}

void JsonObjectWriter::addNumber(std::string_view name, double value) {
  addMember(name, numberText(value));
}

void JsonObjectWriter::addNumberArray(std::string_view name, const std::vector<double>& values) {
  std::string array = "[";
  for (const double value : values) {
    if (array.size() > 1) array += ',';
    array += numberText(value);
  }
  array += ']';
  addMember(name, array);
}

void JsonObjectWriter::addStringArray(std::string_view name,
                                      const std::vector<std::optional<std::string>>& values) {
  std::string array = "[";
  for (const std::optional<std::string>& value : values) {
    if (array.size() > 1) array += ',';
    if (value) {
      appendString(array, *value);
    } else {
      array += "null";
    }
  }
  array += ']';
  addMember(name, array);
}

std::string JsonObjectWriter::text() const { return "{" + members_ + "}"; }

void appendJsonEscape(std::string& out, char32_t code_point) {
  static constexpr char kHex[] = "0123456789abcdef";
  if (const std::string_view escape = shortEscape(code_point); !escape.empty()) {
    out += escape;
    return;
  }
  out += "\\u";
  for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(code_point >> shift) & 0xF];
}

}  // namespace mivo::foundation
