// The example requests of docs/mivo-title.md, each run as the doc says: by the
// built program, on this system, or through the program's logic with an
// on-device model that replies as a Mac's would. What each run gives must be
// what the doc shows.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "platform/fake/fake_language_models.h"
#include "platform/fake/fake_system_version.h"
#include "see/test/doc_examples.h"
#include "see/test/run_program.h"
#include "title/test/title_run.h"

namespace mivo::test {
namespace {

using platform::FakeLanguageModels;
using platform::GenerationError;
using title::stringReply;

enum class RunBy {
  program,     // the built program, on this system
  modelLogic,  // the logic on macOS 26, with the model's replies
};

ProgramRun runLogic(const std::string& request,
                    const std::function<void(FakeLanguageModels&)>& model) {
  FakeLanguageModels models;
  if (model) model(models);
  platform::FakeSystemVersion system({26, 0, 0});
  const title::TitleRun run = title::runTitle(request, models, system);
  return {run.status, run.standardOutput, run.standardError};
}

TEST(MivoTitleExamples, AnswerAsTheDocShows) {
  const std::string doc = readTextFile(MIVO_TITLE_DOC);
  const struct {
    const char* example;  // under title/examples
    RunBy runBy;
    std::function<void(FakeLanguageModels&)> model;
    ShownRun shown;
  } rows[] = {
      {"title.json", RunBy::modelLogic,
       [](FakeLanguageModels& models) {
         models.replyWith(stringReply("title", "Bike pickup and groceries"));
       },
       {0, "", R"({"title":"Bike pickup and groceries"})"}},
      {"title.json", RunBy::modelLogic,
       [](FakeLanguageModels& models) {
         models.failWith(GenerationError(GenerationError::Case::other,
                                         "The model's assets are unavailable"));
       },
       {1, "mivo-title: The model's assets are unavailable", ""}},
      {"title.json", RunBy::program, {},
       {3, "mivo-title: the on-device model is not available on this Mac", ""}},
      {"edit.json", RunBy::modelLogic,
       [](FakeLanguageModels& models) {
         models.replyWith(stringReply("text", "So I think we should meet on Friday at the café."));
         models.replyWith(stringReply("text", "And bring the slides for Marvek."));
       },
       {0, "",
        R"({"paragraphs":["So I think we should meet on Friday at the café.",null,)"
        R"("And bring the slides for Marvek."]})"}},
      {"edit.json", RunBy::program, {},
       {3, "mivo-title: the on-device model is not available on this Mac", ""}},
      {"neither.json", RunBy::program, {}, {1, "mivo-title: stdin is not the JSON expected", ""}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.example);
    const std::string file = std::string(MIVO_TITLE_EXAMPLES) + "/" + row.example;
    const ProgramRun run = row.runBy == RunBy::program
                               ? runProgram(MIVO_TITLE_BINARY, readTextFile(file), ".")
                               : runLogic(readTextFile(file), row.model);
    EXPECT_EQ(run.status, row.shown.status);
    EXPECT_EQ(run.standardError,
              row.shown.standardError.empty() ? "" : row.shown.standardError + "\n");
    EXPECT_EQ(run.standardOutput, row.shown.standardOutput);
    EXPECT_EQ(missingFromDoc(doc, std::string("title/examples/") + row.example,
                             exampleRequest(file), row.shown),
              "");
  }
}

}  // namespace
}  // namespace mivo::test
