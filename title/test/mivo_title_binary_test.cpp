// The built program, run as the host runs it, on this system, where the model
// OS gate passes and the on-device model is never available.
#include <gtest/gtest.h>

#include <string>

#include "see/test/run_program.h"

namespace mivo::test {
namespace {

TEST(MivoTitleBinary, EndsWithStatus3ForEveryWellFormedRequestAnd1ForOthers) {
  const struct {
    const char* name;
    std::string request;
    int status;
    std::string line;
  } rows[] = {
      {"a title request", R"({"transcript":"Buy milk","source":"Watch","recorded":"today"})", 3,
       "mivo-title: the on-device model is not available on this Mac\n"},
      {"an edit request", R"({"edit":["uh buy milk"]})", 3,
       "mivo-title: the on-device model is not available on this Mac\n"},
      {"an empty edit request", R"({"edit":[]})", 3,
       "mivo-title: the on-device model is not available on this Mac\n"},
      {"neither", R"({"edit":"buy milk"})", 1, "mivo-title: stdin is not the JSON expected\n"},
      {"empty input", "", 1, "mivo-title: stdin is not the JSON expected\n"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const ProgramRun run = runProgram(MIVO_TITLE_BINARY, row.request, ".");
    EXPECT_EQ(run.status, row.status);
    EXPECT_EQ(run.standardError, row.line);
    EXPECT_EQ(run.standardOutput, "");
  }
}

TEST(MivoTitleBinary, FailsBeforeTheModelWhenDescriptor1IsClosed) {
  const ProgramRun run = runProgram(MIVO_TITLE_BINARY, R"({"edit":["uh buy milk"]})", ".",
                                    OutputTarget::closed);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.standardError, "mivo-title: could not write the answer: Bad file descriptor\n");
}

}  // namespace
}  // namespace mivo::test
