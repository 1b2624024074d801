#include "platform/linux/text_recognition/pnm_header.h"

#include <cctype>
#include <string>

namespace mivo::platform {
namespace {

// The header's numbers and words, between white space and comments (from a
// "#" to the end of its line).
class HeaderReader {
 public:
  explicit HeaderReader(std::FILE* file) : file_(file) {}

  std::optional<std::string> word() {
    int c = nextAfterSpaceAndComments(file_);
    if (c == EOF) return std::nullopt;
    std::string text;
    while (c != EOF && !std::isspace(c) && c != '#') {
      // No word of a header is long; a file that says otherwise is no picture.
      if (text.size() >= 64) return std::nullopt;
      text.push_back(static_cast<char>(c));
      c = std::getc(file_);
    }
    if (c == '#') std::ungetc(c, file_);
    return text;
  }

  std::optional<std::int64_t> number() {
    const std::optional<std::string> text = word();
    if (!text || text->empty() || text->size() > 10) return std::nullopt;
    std::int64_t value = 0;
    for (const char digit : *text) {
      if (digit < '0' || digit > '9') return std::nullopt;
      value = value * 10 + (digit - '0');
    }
    return value;
  }

 private:
  std::FILE* file_;
};

// The header of a PAM, from its first line on to ENDHDR.
std::optional<PnmLayout> pamLayout(HeaderReader& header) {
  PnmLayout layout;
  std::int64_t depth = 0;
  std::int64_t maxval = 0;
  for (;;) {
    const std::optional<std::string> key = header.word();
    if (!key) return std::nullopt;
    if (*key == "ENDHDR") break;
    if (*key == "TUPLTYPE") {
      if (!header.word()) return std::nullopt;
      continue;
    }
    const std::optional<std::int64_t> value = header.number();
    if (!value) return std::nullopt;
    if (*key == "WIDTH") layout.width = *value;
    else if (*key == "HEIGHT") layout.height = *value;
    else if (*key == "DEPTH") depth = *value;
    else if (*key == "MAXVAL") maxval = *value;
    else return std::nullopt;
  }
  if (depth < 1 || depth > 4 || maxval < 1 || maxval > kLargestPnmSample) return std::nullopt;
  layout.samples = static_cast<int>(depth);
  layout.maxval = static_cast<std::uint32_t>(maxval);
  return layout;
}

}  // namespace

// Unlocked, as an ASCII picture's samples are read through it a character at
// a time.
int nextAfterSpaceAndComments(std::FILE* file) {
  int c = getc_unlocked(file);
  while (c != EOF && (std::isspace(c) || c == '#')) {
    if (c == '#') {
      while (c != EOF && c != '\n') c = getc_unlocked(file);
    }
    c = getc_unlocked(file);
  }
  return c;
}

std::optional<PnmLayout> pnmLayout(std::FILE* file) {
  if (std::getc(file) != 'P') return std::nullopt;
  const int kind = std::getc(file) - '0';
  if (kind < 1 || kind > 7) return std::nullopt;
  HeaderReader header(file);
  if (kind == 7) return pamLayout(header);
  PnmLayout layout;
  const std::optional<std::int64_t> width = header.number();
  const std::optional<std::int64_t> height = header.number();
  if (!width || !height) return std::nullopt;
  layout.width = *width;
  layout.height = *height;
  layout.ascii = kind <= 3;
  layout.bitmap = kind == 1 || kind == 4;
  layout.samples = kind == 3 || kind == 6 ? 3 : 1;
  if (!layout.bitmap) {
    const std::optional<std::int64_t> maxval = header.number();
    if (!maxval || *maxval < 1 || *maxval > kLargestPnmSample) return std::nullopt;
    layout.maxval = static_cast<std::uint32_t>(*maxval);
  }
  // The number's end was one white space character, which the reader took.
  return layout;
}

}  // namespace mivo::platform
