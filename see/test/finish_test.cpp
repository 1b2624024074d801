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

TEST(FinishDeathTest, EndsTheRealProcessWithTheLineOnStandardError) {
  EXPECT_EXIT(finish(3, "mivo-title: the on-device model is not available on this Mac"),
              testing::ExitedWithCode(3),
              "^mivo-title: the on-device model is not available on this Mac\n$");
}

}  // namespace
}  // namespace mivo
