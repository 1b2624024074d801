#include "see/finish/one_line.h"

#include "platform/foundation/json_writing.h"
#include "platform/foundation/utf8.h"

namespace mivo {
namespace {

bool breaksTheLine(char32_t code_point) {
  return code_point < 0x20 || (code_point >= 0x7F && code_point <= 0x9F) ||
         code_point == 0x2028 || code_point == 0x2029;
}

}  // namespace

std::string oneLine(std::string_view text) {
  std::string line;
  line.reserve(text.size());
  for (std::size_t position = 0; position < text.size();) {
    const foundation::Utf8Unit unit = foundation::read_utf8_unit(text, position);
    if (unit.valid && breaksTheLine(unit.code_point)) {
      foundation::appendJsonEscape(line, unit.code_point);
    } else {
      line += text.substr(position, unit.length);
    }
    position += unit.length;
  }
  return line;
}

}  // namespace mivo
