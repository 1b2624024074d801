#include "see/finish/one_line.h"

#include "platform/foundation/utf8.h"

namespace mivo {
namespace {

bool breaksTheLine(char32_t code_point) {
  return code_point < 0x20 || (code_point >= 0x7F && code_point <= 0x9F) ||
         code_point == 0x2028 || code_point == 0x2029;
}

void appendEscaped(std::string& out, char32_t code_point) {
  switch (code_point) {
    case '\b': out += "\\b"; return;
    case '\f': out += "\\f"; return;
    case '\n': out += "\\n"; return;
    case '\r': out += "\\r"; return;
    case '\t': out += "\\t"; return;
    default: break;
  }
  static constexpr char kHex[] = "0123456789abcdef";
  out += "\\u";
  for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(code_point >> shift) & 0xF];
}

}  // namespace

std::string oneLine(std::string_view text) {
  std::string line;
  line.reserve(text.size());
  for (std::size_t position = 0; position < text.size();) {
    const foundation::Utf8Unit unit = foundation::read_utf8_unit(text, position);
    if (unit.valid && breaksTheLine(unit.code_point)) {
      appendEscaped(line, unit.code_point);
    } else {
      line += text.substr(position, unit.length);
    }
    position += unit.length;
  }
  return line;
}

}  // namespace mivo
