#include "platform/foundation/base64.h"

#include <gtest/gtest.h>

#include <string>

namespace mivo::foundation {
namespace {

TEST(Base64, WritesTheStandardAlphabetWithPadding) {
  const struct {
    std::string bytes;
    std::string text;
  } rows[] = {
      // RFC 4648's own examples.
      {"", ""},
      {"f", "Zg=="},
      {"fo", "Zm8="},
      {"foo", "Zm9v"},
      {"foob", "Zm9vYg=="},
      {"fooba", "Zm9vYmE="},
      {"foobar", "Zm9vYmFy"},
      // The two last characters of the alphabet, and bytes of every high bit.
      {"\xff\xfe\xfd", "//79"},
      {"\xfb\xff", "+/8="},
      {std::string("\0\0\0\0", 4), "AAAAAA=="},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.text);
    EXPECT_EQ(base64(row.bytes), row.text);
  }
}

TEST(Base64, PutsNoLineBreakInALongText) {
  const std::string text = base64(std::string(3000, 'x'));
  EXPECT_EQ(text.size(), 4000u);
  EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos);
  EXPECT_EQ(text.substr(0, 8), "eHh4eHh4");
}

}  // namespace
}  // namespace mivo::foundation
