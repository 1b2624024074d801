// The example requests of docs/mivo-see.md, each run as the doc says: by the
// built program in see/examples, or through the program's logic with a
// recogniser and an on-device model that answer as a Mac's would. What each
// run gives must be what the doc shows.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/fake/fake_language_models.h"
#include "platform/fake/fake_process.h"
#include "platform/fake/fake_system_version.h"
#include "platform/fake/fake_text_recognizer.h"
#include "see/mivo_see.h"
#include "see/test/doc_examples.h"
#include "see/test/run_program.h"

namespace mivo::test {
namespace {

using platform::FakeLanguageModels;
using platform::GeneratedContent;

enum class RunBy {
  program,     // the built program, on this system
  modelLogic,  // the logic, with the recogniser's lines and the model's reply
};

// What the recogniser reads from screenshot.png.
const std::vector<std::string> kScreenshotLines = {
    "Mail", "Water bill for March", "Amount due: 84.00 EUR by 2025-03-07",
    "Pay at mivo.example/pay or reply to Marvek"};

GeneratedContent reading(const std::string& kind, const std::string& title,
                         const std::string& summary, const std::string& todo,
                         const std::string& due) {
  return GeneratedContent::ofProperties({{"kind", GeneratedContent::ofString(kind)},
                                         {"title", GeneratedContent::ofString(title)},
                                         {"summary", GeneratedContent::ofString(summary)},
                                         {"todo", GeneratedContent::ofString(todo)},
                                         {"due", GeneratedContent::ofString(due)}});
}

// mivo-see's logic on macOS 26 with the model available.
ProgramRun runLogic(const std::string& request,
                    const std::function<void(FakeLanguageModels&)>& model) {
  platform::FakeTextRecognizer recognizer;
  std::vector<platform::TextObservation> observations;
  for (const std::string& line : kScreenshotLines) observations.push_back({line});
  recognizer.addPicture("screenshot.png", observations);
  FakeLanguageModels models;
  if (model) model(models);
  platform::FakeSystemVersion system({26, 0, 0});
  foundation::FakeProcess process(request);
  const int status = foundation::runUntilExit(process, [&] {
    see::MivoSee::main({.recognizer = recognizer,
                        .model = {.languageModels = models, .systemVersion = system}});
  });
  return {status, process.standardOutput(), process.standardError()};
}

// The answer as the doc shows it: the text that this system's recogniser reads
// from a picture is its own and shown as "…", once it is known to be there.
std::string withTextShownAsEllipsis(const std::string& answer) {
  const std::string start = R"({"text":")";
  const std::size_t end = answer.find(R"(","model":")");
  if (answer.rfind(start, 0) != 0 || end == std::string::npos || end == start.size()) {
    return "an answer without text: " + answer;
  }
  return start + "\u2026" + answer.substr(end);
}

TEST(MivoSeeExamples, AnswerAsTheDocShows) {
  const std::string doc = readTextFile(MIVO_SEE_DOC);
  const struct {
    const char* example;  // under see/examples
    RunBy runBy;
    std::function<void(FakeLanguageModels&)> model;
    bool textAsEllipsis;
    ShownRun shown;
  } rows[] = {
      {"screenshot.json", RunBy::modelLogic,
       [](FakeLanguageModels& models) {
         models.replyWith(reading(
             "task", "Water bill for March",
             "A mail asks for the March water bill of 84.00 EUR, due on 7 March.",
             "  Pay the €84 water bill\n", "2025-03-07"));
       },
       false,
       {0, "",
        R"({"text":"Mail\nWater bill for March\nAmount due: 84.00 EUR by 2025-03-07\n)"
        R"(Pay at mivo.example\/pay or reply to Marvek","reading":{"kind":"task",)"
        R"("title":"Water bill for March","summary":"A mail asks for the March water bill of )"
        R"(84.00 EUR, due on 7 March.","todo":"Pay the €84 water bill","due":"2025-03-07"},)"
        R"("model":"ok"})"}},
      {"screenshot.json", RunBy::modelLogic,
       [](FakeLanguageModels& models) {
         models.replyWith(reading("Task", "Water bill", "A bill.", "Pay it", "2025-03-07"));
       },
       false,
       {0, R"(mivo-see: the on-device model declined: Unexpected value "Task" for Kind)",
        R"({"text":"Mail\nWater bill for March\nAmount due: 84.00 EUR by 2025-03-07\n)"
        R"(Pay at mivo.example\/pay or reply to Marvek","model":"declined"})"}},
      {"screenshot.json", RunBy::program, {}, true,
       {0, "", R"({"text":"…","model":"unavailable"})"}},
      {"unsorted.json", RunBy::program, {}, true, {0, "", R"({"text":"…","model":"off"})"}},
      {"blank.json", RunBy::program, {}, false, {0, "", R"({"text":"","model":"no_text"})"}},
      {"missing.json", RunBy::program, {}, false,
       {1, "mivo-see: missing.png is not a picture this Mac can read", ""}},
      {"incomplete.json", RunBy::program, {}, false,
       {1, "mivo-see: stdin is not the JSON expected", ""}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.example);
    const std::string file = std::string(MIVO_SEE_EXAMPLES) + "/" + row.example;
    const std::string request = exampleRequest(file);
    const ProgramRun run = row.runBy == RunBy::program
                               ? runProgram(MIVO_SEE_BINARY, readTextFile(file), MIVO_SEE_EXAMPLES)
                               : runLogic(readTextFile(file), row.model);
    EXPECT_EQ(run.status, row.shown.status);
    EXPECT_EQ(run.standardError,
              row.shown.standardError.empty() ? "" : row.shown.standardError + "\n");
    EXPECT_EQ(row.textAsEllipsis ? withTextShownAsEllipsis(run.standardOutput)
                                 : run.standardOutput,
              row.shown.standardOutput);
    EXPECT_EQ(missingFromDoc(doc, std::string("see/examples/") + row.example, request, row.shown),
              "");
  }
}

}  // namespace
}  // namespace mivo::test
