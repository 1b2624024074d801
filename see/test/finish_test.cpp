#include "see/finish/finish.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/fake/fake_process.h"

namespace mivo {
namespace {

TEST(Finish, WritesTheMessageAndALineFeedInOneWriteThenExitsWithTheStatus) {
  const struct {
    std::int32_t status;
    std::string message;
  } rows[] = {
      {1, "mivo-see: stdin is not the JSON expected"},
      {3, "mivo-title: the on-device model needs macOS 26"},
      {1, "mivo-hands: give it {\"do\": \xe2\x80\xa6} as JSON on stdin"},
      {1, ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.message);
    foundation::FakeProcess process("");
    const int status =
        foundation::runUntilExit(process, [&] { finish(row.status, row.message); });
    EXPECT_EQ(status, row.status);
    EXPECT_EQ(process.calls(), (std::vector<std::string>{
                                   "write standard error: " + row.message + "\n",
                                   "exit " + std::to_string(row.status),
                               }));
  }
}

// A message can carry text of the request (a path, a command name) or of the
// system; whatever it holds, the host reads one line.
TEST(Finish, WritesControlCharactersAndLineSeparatorsEscapedSoTheLineStaysOne) {
  const struct {
    const char* name;
    std::string message;
    std::string written;
  } rows[] = {
      {"line feed", "mivo-see: a\nb.png is", "mivo-see: a\\nb.png is"},
      {"carriage return and line feed", "x\r\ny", "x\\r\\ny"},
      {"tab, backspace, form feed", "\t\b\f", "\\t\\b\\f"},
      {"escape, NUL, delete", std::string("\x1b[2J\0\x7f", 6), "\\u001b[2J\\u0000\\u007f"},
      {"next line and the other C1 controls", "a\xc2\x85" "b\xc2\x9b" "c\xc2\x80",
       "a\\u0085b\\u009bc\\u0080"},
      {"line and paragraph separators", "a\xe2\x80\xa8" "b\xe2\x80\xa9", "a\\u2028b\\u2029"},
      {"a reverse solidus and n as sent", "a\\nb", "a\\nb"},
      {"other characters", "caf\xc3\xa9 \xc2\xa0\xc2\xa1 \xe2\x80\xa6 \xe2\x80\xaa",
       "caf\xc3\xa9 \xc2\xa0\xc2\xa1 \xe2\x80\xa6 \xe2\x80\xaa"},
      {"bytes that are not UTF-8", "\xff\xc2 \xe2\x80", "\xff\xc2 \xe2\x80"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    foundation::FakeProcess process("");
    const int status = foundation::runUntilExit(process, [&] { finish(1, row.message); });
    EXPECT_EQ(status, 1);
    EXPECT_EQ(process.calls(), (std::vector<std::string>{
                                   "write standard error: " + row.written + "\n",
                                   "exit 1",
                               }));
  }
}

TEST(FinishDeathTest, EndsTheRealProcessWithTheLineOnStandardError) {
  EXPECT_EXIT(finish(3, "mivo-title: the on-device model is not available on this Mac"),
              testing::ExitedWithCode(3),
              "^mivo-title: the on-device model is not available on this Mac\n$");
}

}  // namespace
}  // namespace mivo
