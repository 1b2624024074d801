#include "platform/foundation/base64.h"

#include <cstdint>

namespace mivo::foundation {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

}  // namespace

std::string base64(std::string_view bytes) {
  std::string text;
  text.reserve((bytes.size() + 2) / 3 * 4);
  std::size_t i = 0;
  // Three bytes make four characters of six bits each.
  for (; i + 3 <= bytes.size(); i += 3) {
    const std::uint32_t group = static_cast<std::uint8_t>(bytes[i]) << 16 |
                                static_cast<std::uint8_t>(bytes[i + 1]) << 8 |
                                static_cast<std::uint8_t>(bytes[i + 2]);
    text += kAlphabet[group >> 18 & 0x3F];
    text += kAlphabet[group >> 12 & 0x3F];
    text += kAlphabet[group >> 6 & 0x3F];
    text += kAlphabet[group & 0x3F];
  }
  const std::size_t left = bytes.size() - i;
  if (left == 0) return text;
  std::uint32_t group = static_cast<std::uint8_t>(bytes[i]) << 16;
  if (left == 2) group |= static_cast<std::uint8_t>(bytes[i + 1]) << 8;
  text += kAlphabet[group >> 18 & 0x3F];
  text += kAlphabet[group >> 12 & 0x3F];
  text += left == 2 ? kAlphabet[group >> 6 & 0x3F] : '=';
  text += '=';
  return text;
}

}  // namespace mivo::foundation
