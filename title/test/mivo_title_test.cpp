// mivo-title's requests, modes, answers and exit statuses, in-process.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "title/test/title_run.h"

namespace mivo::title {
namespace {

using platform::Availability;
using platform::FakeLanguageModels;
using platform::FakeSystemVersion;
using platform::GenerationError;

const std::string kTitleMembers = R"("transcript":"Buy milk","source":"Watch","recorded":"today")";

TEST(MivoTitle, ChoosesEditModeOnlyForAnArrayOfStringsInEdit) {
  const std::string title = R"({"title":"Milk"})";
  const struct {
    const char* name;
    std::string request;
    std::string answer;
  } rows[] = {
      {"an edit request", R"({"edit":["uh hello"]})", R"({"paragraphs":["Hello"]})"},
      {"an empty edit request", R"({"edit":[]})", R"({"paragraphs":[]})"},
      {"edit and complete title members", R"({"edit":["uh hello"],)" + kTitleMembers + "}",
       R"({"paragraphs":["Hello"]})"},
      {"edit with other members", R"({"edit":["uh hello"],"x":[1,{}],"Edit":null})",
       R"({"paragraphs":["Hello"]})"},
      {"a title request", "{" + kTitleMembers + "}", title},
      {"a title request with a label", R"({"label":"Kitchen",)" + kTitleMembers + "}", title},
      {"a title request with a null label", R"({"label":null,)" + kTitleMembers + "}", title},
      {"a title request with other members", R"({"x":1,"Transcript":2,)" + kTitleMembers + "}",
       title},
      {"edit null", R"({"edit":null,)" + kTitleMembers + "}", title},
      {"edit a string", R"({"edit":"uh hello",)" + kTitleMembers + "}", title},
      {"edit an object", R"({"edit":{"0":"a"},)" + kTitleMembers + "}", title},
      {"edit with one number", R"({"edit":["uh hello",1],)" + kTitleMembers + "}", title},
      {"edit with one null", R"({"edit":[null,"uh hello"],)" + kTitleMembers + "}", title},
      {"edit with one array", R"({"edit":["uh hello",["a"]],)" + kTitleMembers + "}", title},
      {"edit with one object", R"({"edit":[{}],)" + kTitleMembers + "}", title},
      {"edit with one boolean", R"({"edit":[true],)" + kTitleMembers + "}", title},
      {"edit with a number beyond the float range", R"({"edit":["a",1e400],)" + kTitleMembers + "}",
       title},
      {"edit with numbers beyond the range in other members",
       R"({"edit":["uh hello"],"x":-1E+999,"y":1)" + std::string(400, '0') + "}",
       R"({"paragraphs":["Hello"]})"},
      {"a title request with numbers beyond the range in other members",
       R"({"x":1e400,"y":1)" + std::string(400, '0') + "," + kTitleMembers + "}", title},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    FakeLanguageModels models;
    FakeSystemVersion system({26, 0, 0});
    models.replyWith(row.answer == title ? stringReply("title", "Milk")
                                         : stringReply("text", "Hello"));
    const TitleRun run = runTitle(row.request, models, system);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.standardOutput, row.answer);
    EXPECT_EQ(run.standardError, "");
  }
}

TEST(MivoTitle, RejectsWhatIsNeitherRequestWithStatus1BeforeTheModel) {
  const struct {
    const char* name;
    std::optional<std::string> request;
  } rows[] = {
      {"standard input cannot be read", std::nullopt},
      {"empty input", ""},
      {"not JSON", "edit"},
      {"an array", R"([{"edit":[]}])"},
      {"trailing text", R"({"edit":[]} x)"},
      {"a comment", R"({"edit":[]} // c)"},
      {"invalid UTF-8", "{\"edit\":[\"\xff\"]}"},
      {"a NUL after the request", std::string("{\"edit\":[]}\0", 12)},
      {"edit a string, no title members", R"({"edit":"a"})"},
      {"edit with a null element, no title members", R"({"edit":["a",null]})"},
      {"Edit capitalised", R"({"Edit":["a"]})"},
      {"recorded missing", R"({"transcript":"t","source":"s"})"},
      {"source missing", R"({"transcript":"t","recorded":"r"})"},
      {"transcript missing", R"({"source":"s","recorded":"r"})"},
      {"transcript a number", R"({"transcript":1,"source":"s","recorded":"r"})"},
      {"transcript null", R"({"transcript":null,"source":"s","recorded":"r"})"},
      {"source null", R"({"transcript":"t","source":null,"recorded":"r"})"},
      {"recorded an array", R"({"transcript":"t","source":"s","recorded":["r"]})"},
      {"label a number", R"({"label":12,)" + kTitleMembers + "}"},
      {"label an object", R"({"label":{},)" + kTitleMembers + "}"},
      {"label false", R"({"label":false,)" + kTitleMembers + "}"},
      {"label beyond the float range", R"({"label":1e400,)" + kTitleMembers + "}"},
      {"transcript an integer of 401 digits",
       R"({"transcript":1)" + std::string(400, '0') + R"(,"source":"s","recorded":"r"})"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    FakeLanguageModels models;
    FakeSystemVersion system({26, 0, 0});
    const TitleRun run = runTitle(row.request, models, system);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.standardError, "mivo-title: stdin is not the JSON expected\n");
    EXPECT_EQ(run.standardOutput, "");
    EXPECT_EQ(models.calls(), std::vector<std::string>{});
  }
}

TEST(MivoTitle, EndsWithStatus3BelowMacOS26OrWithoutTheModel) {
  const std::string needs = "mivo-title: the on-device model needs macOS 26\n";
  const std::string notAvailable = "mivo-title: the on-device model is not available on this Mac\n";
  const std::vector<std::string> availabilityOnly = {"systemModel 1", "model 1 availability",
                                                     "model 1 dropped"};
  const struct {
    const char* name;
    platform::OperatingSystemVersion version;
    Availability availability;
    std::string request;
    int status;
    std::string line;
    std::vector<std::string> modelCalls;
  } rows[] = {
      {"macOS 15, edit", {15, 0, 0}, Availability::available, R"({"edit":["a"]})", 3, needs, {}},
      {"macOS 15, title", {15, 7, 3}, Availability::available, "{" + kTitleMembers + "}", 3, needs,
       {}},
      {"macOS 25.9, empty edit", {25, 9, 0}, Availability::available, R"({"edit":[]})", 3, needs,
       {}},
      {"macOS 15, a request that cannot be read", {15, 0, 0}, Availability::available,
       R"({"edit":"a"})", 1, "mivo-title: stdin is not the JSON expected\n", {}},
      {"no model, edit", {26, 0, 0}, Availability::unavailable, R"({"edit":["a"]})", 3,
       notAvailable, availabilityOnly},
      {"no model, empty edit", {26, 0, 0}, Availability::unavailable, R"({"edit":[]})", 3,
       notAvailable, availabilityOnly},
      {"no model, title", {27, 0, 0}, Availability::unavailable, "{" + kTitleMembers + "}", 3,
       notAvailable, availabilityOnly},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    FakeLanguageModels models(row.availability);
    FakeSystemVersion system(row.version);
    const TitleRun run = runTitle(row.request, models, system);
    EXPECT_EQ(run.status, row.status);
    EXPECT_EQ(run.standardError, row.line);
    EXPECT_EQ(run.standardOutput, "");
    EXPECT_EQ(models.calls(), row.modelCalls);
  }
}

TEST(MivoTitle, EndsWithStatus1AndItsLineWhenTheTitleOrTheAnswerFails) {
  const struct {
    const char* name;
    std::string request;
    std::function<void(FakeLanguageModels&)> script;
    std::error_code outputFailure;
    std::string line;
  } rows[] = {
      {"the model fails the title", "{" + kTitleMembers + "}",
       [](FakeLanguageModels& models) {
         models.failWith(GenerationError(GenerationError::Case::decodingFailure, "bad reply"));
       },
       {}, "mivo-title: bad reply\n"},
      {"a title that is not UTF-8", "{" + kTitleMembers + "}",
       [](FakeLanguageModels& models) { models.replyWith(stringReply("title", "caf\xe9")); }, {},
       "mivo-title: cannot write a string that is not valid UTF-8 as JSON\n"},
      {"an edit that is not UTF-8", R"({"edit":["a","b"]})",
       [](FakeLanguageModels& models) {
         models.replyWith(stringReply("text", "A"));
         models.replyWith(stringReply("text", "caf\xe9"));
       },
       {}, "mivo-title: the edit could not be written out\n"},
      {"standard output closed, title", "{" + kTitleMembers + "}",
       [](FakeLanguageModels& models) { models.replyWith(stringReply("title", "Milk")); },
       std::make_error_code(std::errc::broken_pipe),
       "mivo-title: could not write the answer: Broken pipe\n"},
      {"standard output full, edit", R"({"edit":["a"]})",
       [](FakeLanguageModels& models) { models.replyWith(stringReply("text", "A")); },
       std::make_error_code(std::errc::no_space_on_device),
       "mivo-title: could not write the answer: No space left on device\n"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    FakeLanguageModels models;
    FakeSystemVersion system({26, 0, 0});
    row.script(models);
    const TitleRun run = runTitle(row.request, models, system, row.outputFailure);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.standardError, row.line);
    EXPECT_EQ(run.standardOutput, "");
  }
}

TEST(MivoTitle, WritesTheAnswerOnceWithoutALineFeedAndNothingElse) {
  const struct {
    const char* name;
    std::string request;
    std::string reply_name;
    std::string reply;
    std::string answer;
  } rows[] = {
      {"a title with a solidus and quotes", "{" + kTitleMembers + "}", "title",
       "Milk/eggs \"now\".", R"({"title":"Milk\/eggs \"now\"."})"},
      {"an empty title", "{" + kTitleMembers + "}", "title", "", R"({"title":""})"},
      {"an edit with a solidus and a line feed", R"({"edit":["a"]})", "text", "1/2\nhalf",
       R"({"paragraphs":["1\/2\nhalf"]})"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    FakeLanguageModels models;
    FakeSystemVersion system({26, 0, 0});
    models.replyWith(stringReply(row.reply_name, row.reply));
    const TitleRun run = runTitle(row.request, models, system);
    EXPECT_EQ(run.processCalls, (std::vector<std::string>{
                                    "check standard output",
                                    "read standard input",
                                    "write standard output: " + row.answer,
                                    "exit 0",
                                }));
  }
}

}  // namespace
}  // namespace mivo::title
