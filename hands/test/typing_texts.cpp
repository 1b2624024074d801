#include "hands/test/typing_texts.h"

#include <iterator>

namespace mivo::test {

std::string printableAscii() {
  std::string text;
  for (char c = '!'; c <= '~'; ++c) text += c;
  return text;
}

const std::string kSentence =
    "Well, that's it: (almost) 100% done -- isn't it? \"Yes\"; #7 & @home.";
const std::string kAccentedLatin =
    "Gr\u00f6\u00dfe, \u00dcberma\u00df und Stra\u00dfe; Za\u017c\u00f3\u0142\u0107 "
    "g\u0119\u015bl\u0105 ja\u017a\u0144; Bl\u00e5b\u00e6rsyltet\u00f8j, \u00c6r\u00f8 og "
    "\u00d8resund.";
const std::string kCjk =
    "\u6211\u4eec\u5728\u8fd9\u4e2a\u7f8e\u4e3d\u7684\u57ce\u5e02\u91cc\u4e00\u8d77\u5b66\u4e60"
    "\u4e2d\u6587\u548c\u65e5\u672c\u8a9e\u3001\u671d\u9bae\u8a9e\u306e\u6587\u5b57\u3092\u66f8"
    "\u304f\u7df4\u7fd2\u3092\u3057\u307e\u3059\u3002";
const std::string kEmoji =
    "\U0001F600\U0001F642\U0001F680\U0001F389\U0001F30D\U0001F44D\U0001F9EA\U0001F98A\U0001F419"
    "\U0001F355";

std::u32string codePoints(const std::string& utf8) {
  std::u32string characters;
  for (std::size_t i = 0; i < utf8.size();) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    char32_t character = length == 1 ? lead : lead & (0x3F >> (length - 1));
    for (std::size_t k = 1; k < length && i + k < utf8.size(); ++k) {
      character = (character << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
    }
    characters += character;
    i += length;
  }
  return characters;
}

std::string mixed(std::size_t count) {
  const std::string pieces[] = {printableAscii(), kSentence, kAccentedLatin, kCjk, kEmoji};
  std::string text;
  std::size_t characters = 0;
  for (std::size_t piece = 0; characters < count; ++piece) {
    const std::string& next = pieces[piece % std::size(pieces)] + " ";
    for (std::size_t i = 0; i < next.size() && characters < count; ++characters) {
      // One UTF-8 sequence: its lead byte and the continuation bytes after it.
      std::size_t end = i + 1;
      while (end < next.size() && (static_cast<unsigned char>(next[end]) & 0xC0) == 0x80) ++end;
      text += next.substr(i, end - i);
      i = end;
    }
  }
  return text;
}

}  // namespace mivo::test
