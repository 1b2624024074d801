// mivo-see's requests to the on-device model, run in-process through the fake
// model: the OS gate, the set-up, the exact call, the retry and the clean-up.
#include <gtest/gtest.h>

#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/fake/fake_language_models.h"
#include "platform/fake/fake_process.h"
#include "platform/fake/fake_system_version.h"
#include "platform/fake/fake_text_recognizer.h"
#include "see/mivo_see.h"

namespace mivo::see {
namespace {

using foundation::FakeProcess;
using platform::Availability;
using platform::FakeLanguageModels;
using platform::FakeSystemVersion;
using platform::FakeTextRecognizer;
using platform::GeneratedContent;
using platform::GenerationError;
using platform::GenerationOptions;
using platform::GenerationSchema;
using platform::OperatingSystemVersion;
using Case = GenerationError::Case;

const std::string kRequest =
    R"({"file":"shot.png","source":"iPhone","taken":"2025-03-01 09:12","today":"2025-03-01"})";

struct SeeRun {
  int status;
  std::string standardOutput;
  std::string standardError;
  std::vector<std::string> processCalls;
};

// mivo-see on a picture whose text is `text`, one line, for `request`.
SeeRun runSee(const std::string& text, FakeLanguageModels& models, FakeSystemVersion& system,
           const std::string& request = kRequest) {
  FakeTextRecognizer recognizer;
  recognizer.addPicture("shot.png", {{text}});
  FakeProcess process(request);
  const int status = foundation::runUntilExit(process, [&] {
    MivoSee::main({.recognizer = recognizer,
                   .model = {.languageModels = models, .systemVersion = system}});
  });
  return {status, process.standardOutput(), process.standardError(), process.calls()};
}

// A reply of the model: the properties in order, none written as null.
GeneratedContent reply(std::vector<std::pair<std::string, std::optional<std::string>>> members) {
  GeneratedContent::Properties properties;
  for (auto& [name, value] : members) {
    properties.push_back(
        {name, value ? GeneratedContent::ofString(*value) : GeneratedContent::null()});
  }
  return GeneratedContent::ofProperties(std::move(properties));
}

GeneratedContent aTask() {
  return reply({{"kind", "task"}, {"title", "Water bill"}, {"summary", "Pay it."}});
}

std::string promptFor(const std::string& text) {
  return "Taken on: iPhone\nTaken: 2025-03-01 09:12\nToday: 2025-03-01\n\n<screenshot text>\n" +
         text + "\n</screenshot text>";
}

const std::string kInstructions =
    "You sort the screenshots a person takes on their Mac and iPhone. You get the text read from "
    "one screenshot, line by line as it appears on screen, and you say what it is for:\n"
    "- task: something the person has to do or follow up on. A request or question addressed to "
    "them, a bill or invoice to pay, a form or booking to complete, an appointment, a delivery or "
    "order to track, a code or link they must use, an error or bug to fix, a reminder.\n"
    "- note: something to keep, to read or remember later, with nothing to do about it. An idea, "
    "a quote, a passage of an article, a recipe, a reference or an address, a conversation worth "
    "remembering, a diagram, facts, a list.\n"
    "- other: nothing to keep and nothing to do. A home or lock screen, a menu, an empty or nearly "
    "empty screen, a game, a meme, a screen whose text says nothing on its own.\n"
    "The title is short and specific (2 to 8 words), in the language of the screenshot: no date, "
    "no quotes, no trailing period, and none of these characters: / \\ : * ? \" < > | # ^ [ ]. "
    "Never invent what the text does not say. A due date is only one the text gives, resolved "
    "against today's date.";

GenerationSchema screenshotReadingSchema() {
  const GenerationSchema string{.type = "String"};
  return {
      .type = "ScreenshotReading",
      .description = std::nullopt,
      .properties =
          {
              {.name = "kind",
               .description = "task, note or other, as the instructions define them",
               .type = {.type = "Kind", .anyOf = {"task", "note", "other"}}},
              {.name = "title",
               .description = "A short, specific title of 2 to 8 words that says what the "
                              "screenshot is about, in the language of its text.",
               .type = string},
              {.name = "summary",
               .description = "One or two plain sentences: what the screenshot shows, and for a "
                              "task why it needs doing.",
               .type = string},
              {.name = "todo",
               .description = "Only for a task: the one thing to do, verb first and specific, "
                              "e.g. \"Pay the \xe2\x82\xac"
                              "84 water bill\" or \"Reply to Marvek about Friday's dinner\".",
               .type = string,
               .isOptional = true},
              {.name = "due",
               .description = "Only for a task whose screenshot names a deadline or a date for "
                              "it: that date as YYYY-MM-DD.",
               .type = string,
               .isOptional = true},
          },
  };
}

TEST(MivoSeeModel, AsksOneSessionForAReadingWithTheInstructionsPromptAndSchema) {
  const struct {
    OperatingSystemVersion version;
    GenerationOptions::Initializer initializer;
  } rows[] = {
      {{26, 0, 0}, GenerationOptions::Initializer::sampling},
      {{26, 4, 1}, GenerationOptions::Initializer::sampling},
      {{27, 0, 0}, GenerationOptions::Initializer::samplingMode},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.version.majorVersion * 100 + row.version.minorVersion);
    FakeLanguageModels models;
    FakeSystemVersion system(row.version);
    models.replyWith(aTask());
    const SeeRun run = runSee("Water bill\nPay by 2025-03-07", models, system);

    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.standardOutput,
              R"({"text":"Water bill\nPay by 2025-03-07",)"
              R"("reading":{"kind":"task","title":"Water bill","summary":"Pay it."},"model":"ok"})");
    EXPECT_EQ(run.standardError, "");
    EXPECT_EQ(models.calls(), (std::vector<std::string>{
                                  "systemModel 1",
                                  "model 1 availability",
                                  "model 1 makeSession 1",
                                  "session 1 respond",
                                  "session 1 dropped",
                                  "model 1 dropped",
                              }));
    ASSERT_EQ(models.models().size(), 1u);
    EXPECT_EQ(models.models()[0].useCase, platform::UseCase::general);
    EXPECT_EQ(models.models()[0].guardrails, platform::Guardrails::permissiveContentTransformations);
    ASSERT_EQ(models.sessions().size(), 1u);
    EXPECT_EQ(models.sessions()[0].instructions, kInstructions);
    EXPECT_EQ(models.sessions()[0].instructions.size(), 1122u);
    ASSERT_EQ(models.responses().size(), 1u);
    const FakeLanguageModels::Response& response = models.responses()[0];
    EXPECT_EQ(response.prompt,
              "Taken on: iPhone\nTaken: 2025-03-01 09:12\nToday: 2025-03-01\n\n"
              "<screenshot text>\nWater bill\nPay by 2025-03-07\n</screenshot text>");
    EXPECT_EQ(response.schema, screenshotReadingSchema());
    EXPECT_TRUE(response.includeSchemaInPrompt);
    EXPECT_EQ(response.options, (GenerationOptions{.initializer = row.initializer,
                                                   .sampling = std::nullopt,
                                                   .temperature = std::nullopt,
                                                   .maximumResponseTokens = std::nullopt}));
    // Once for the gate, once for the options.
    EXPECT_EQ(system.reads(), 2);
  }
}

TEST(MivoSeeModel, AnswersUnavailableBelowMacOS26OrWithoutTheModel) {
  const struct {
    const char* name;
    OperatingSystemVersion version;
    Availability availability;
    std::vector<std::string> modelCalls;
  } rows[] = {
      {"macOS 15: the framework is never touched", {15, 5, 0}, Availability::available, {}},
      {"macOS 25.9.9", {25, 9, 9}, Availability::available, {}},
      {"macOS 26 without the model: no session",
       {26, 0, 0},
       Availability::unavailable,
       {"systemModel 1", "model 1 availability", "model 1 dropped"}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    FakeLanguageModels models(row.availability);
    FakeSystemVersion system(row.version);
    const SeeRun run = runSee("Water bill", models, system);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.standardOutput, R"({"text":"Water bill","model":"unavailable"})");
    EXPECT_EQ(run.standardError, "");
    EXPECT_EQ(models.calls(), row.modelCalls);
  }
}

TEST(MivoSeeModel, AsksNothingOfTheModelWhenSortIsFalseOrThereIsNoText) {
  const struct {
    const char* name;
    std::string text;
    std::string request;
    std::string answer;
  } rows[] = {
      {"sort false", "Water bill",
       R"({"file":"shot.png","source":"s","taken":"t","today":"d","sort":false})",
       R"({"text":"Water bill","model":"off"})"},
      {"no text", " \n ", kRequest, R"({"text":" \n ","model":"no_text"})"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    FakeLanguageModels models;
    FakeSystemVersion system({26, 0, 0});
    const SeeRun run = runSee(row.text, models, system, row.request);
    EXPECT_EQ(run.standardOutput, row.answer);
    EXPECT_EQ(models.calls(), std::vector<std::string>{});
    EXPECT_EQ(system.reads(), 0);
  }
}

TEST(MivoSeeModel, CleansTheReplyIntoTheReading) {
  using Members = std::vector<std::pair<std::string, std::optional<std::string>>>;
  const auto task = [](Members more) {
    Members members = {{"kind", "task"}, {"title", "Water bill"}, {"summary", "Pay it."}};
    members.insert(members.end(), more.begin(), more.end());
    return members;
  };
  const std::string head = R"({"kind":"task","title":"Water bill","summary":"Pay it.")";
  const struct {
    const char* name;
    Members reply;
    std::string reading;
  } rows[] = {
      {"a task with to-do and due", task({{"todo", "Pay the bill"}, {"due", "2025-03-07"}}),
       head + R"(,"todo":"Pay the bill","due":"2025-03-07"})"},
      {"a task without to-do and due", task({}), head + "}"},
      {"null to-do and due", task({{"todo", std::nullopt}, {"due", std::nullopt}}), head + "}"},
      {"to-do trimmed, inner spaces kept", task({{"todo", " \n Pay  the bill \t\n"}}),
       head + R"(,"todo":"Pay  the bill"})"},
      {"to-do trimmed of an ideographic space and a line separator",
       task({{"todo", "\xe3\x80\x80Pay\xe2\x80\xa8"}}), head + R"(,"todo":"Pay"})"},
      {"to-do of spaces and line feeds dropped", task({{"todo", "  \n \n"}}), head + "}"},
      {"empty to-do dropped", task({{"todo", ""}}), head + "}"},
      {"due with one-digit month and day dropped", task({{"due", "2025-3-7"}}), head + "}"},
      {"due with a time dropped", task({{"due", "2025-03-07T10:00"}}), head + "}"},
      {"due with a space before it dropped", task({{"due", " 2025-03-07"}}), head + "}"},
      {"due day first dropped", task({{"due", "07-03-2025"}}), head + "}"},
      {"due with slashes dropped", task({{"due", "2025/03/07"}}), head + "}"},
      {"due as the placeholder YYYY-MM-DD dropped", task({{"due", "YYYY-MM-DD"}}), head + "}"},
      {"due with a space for a digit dropped", task({{"due", "2025-03- 7"}}), head + "}"},
      {"empty due dropped", task({{"due", ""}}), head + "}"},
      {"due in Arabic-Indic digits dropped",
       task({{"due", "\xd9\xa2\xd9\xa0\xd9\xa2\xd9\xa5-\xd9\xa0\xd9\xa3-\xd9\xa0\xd9\xa7"}}),
       head + "}"},
      {"due in fullwidth digits dropped",
       task({{"due", "\xef\xbc\x92\xef\xbc\x90\xef\xbc\x92\xef\xbc\x95-\xef\xbc\x90\xef\xbc\x93-"
                     "\xef\xbc\x90\xef\xbc\x97"}}),
       head + "}"},
      {"due with a final line feed dropped", task({{"due", "2025-03-07\n"}}), head + "}"},
      {"due with a final CR LF dropped", task({{"due", "2025-03-07\r\n"}}), head + "}"},
      {"due with a final line separator dropped", task({{"due", "2025-03-07\xe2\x80\xa8"}}),
       head + "}"},
      {"due in the shape but no calendar date kept as given", task({{"due", "2025-13-45"}}),
       head + R"(,"due":"2025-13-45"})"},
      {"a note loses to-do and due",
       {{"kind", "note"}, {"title", "Recipe"}, {"summary", "Pancakes."}, {"todo", "Cook"},
        {"due", "2025-03-07"}},
       R"({"kind":"note","title":"Recipe","summary":"Pancakes."})"},
      {"other loses to-do and due",
       {{"kind", "other"}, {"title", "Home screen"}, {"summary", "Icons."}, {"todo", "Tap"},
        {"due", "2025-03-07"}},
       R"({"kind":"other","title":"Home screen","summary":"Icons."})"},
      {"empty title and summary unchanged", {{"kind", "note"}, {"title", ""}, {"summary", ""}},
       R"({"kind":"note","title":"","summary":""})"},
      {"title and summary untrimmed, a solidus escaped",
       {{"kind", "note"}, {"title", " A/B. "}, {"summary", "\nTwo.\n"}},
       R"({"kind":"note","title":" A\/B. ","summary":"\nTwo.\n"})"},
      {"members in another order",
       {{"due", "2025-03-07"}, {"summary", "Pay it."}, {"kind", "task"}, {"title", "Water bill"}},
       head + R"(,"due":"2025-03-07"})"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    FakeLanguageModels models;
    FakeSystemVersion system({26, 0, 0});
    models.replyWith(reply(row.reply));
    const SeeRun run = runSee("Hello", models, system);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.standardOutput, R"({"text":"Hello","reading":)" + row.reading +
                                      R"(,"model":"ok"})");
  }
}

// A text of `count` user-perceived characters of several kinds, many of them
// of several code points, as the list of its characters; no two neighbours
// join into one.
std::vector<std::string> characters(std::size_t count) {
  const std::string kinds[] = {
      "a",
      "e\xcc\x81",  // e with a combining acute accent
      "\xf0\x9f\x91\xa8\xe2\x80\x8d\xf0\x9f\x91\xa9\xe2\x80\x8d\xf0\x9f\x91\xa7",  // family
      "\r\n",
      "\xf0\x9f\x87\xab\xf0\x9f\x87\xb7",  // flag
      " ",
  };
  std::vector<std::string> text;
  for (std::size_t i = 0; i < count; ++i) text.push_back(kinds[i % std::size(kinds)]);
  return text;
}

std::string firstOf(const std::vector<std::string>& text, std::size_t count) {
  std::string joined;
  for (std::size_t i = 0; i < count && i < text.size(); ++i) joined += text[i];
  return joined;
}

TEST(MivoSeeModel, RetriesOnceInANewSessionWithTheTextCutTo1500) {
  const std::vector<std::string> text = characters(6000);
  const struct {
    const char* name;
    GenerationError first;
  } rows[] = {
      {"guardrail violation", {Case::guardrailViolation, "unsafe"}},
      {"refusal", {Case::refusal, "refused"}},
      {"exceeded context window", {Case::exceededContextWindowSize, "too long"}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    FakeLanguageModels models;
    FakeSystemVersion system({27, 0, 0});
    models.failWith(row.first);
    models.replyWith(aTask());
    const SeeRun run = runSee(firstOf(text, 6000), models, system);

    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.standardError, "");
    EXPECT_NE(run.standardOutput.find(R"(,"model":"ok"})"), std::string::npos);
    EXPECT_EQ(models.calls(), (std::vector<std::string>{
                                  "systemModel 1",
                                  "model 1 availability",
                                  "model 1 makeSession 1",
                                  "session 1 respond",
                                  "session 1 dropped",
                                  "model 1 makeSession 2",
                                  "session 2 respond",
                                  "session 2 dropped",
                                  "model 1 dropped",
                              }));
    ASSERT_EQ(models.responses().size(), 2u);
    EXPECT_EQ(models.responses()[0].prompt, promptFor(firstOf(text, 5000)));
    EXPECT_EQ(models.responses()[1].prompt, promptFor(firstOf(text, 1500)));
    EXPECT_EQ(models.sessions()[1].instructions, kInstructions);
    EXPECT_EQ(models.responses()[1].schema, screenshotReadingSchema());
    EXPECT_TRUE(models.responses()[1].includeSchemaInPrompt);
    EXPECT_EQ(models.responses()[1].options.initializer,
              GenerationOptions::Initializer::samplingMode);
    // The gate and the options; the retry reads nothing again.
    EXPECT_EQ(system.reads(), 2);
  }
}

TEST(MivoSeeModel, PutsAShortTextWholeIntoBothAttempts) {
  const std::string text = firstOf(characters(1200), 1200);
  FakeLanguageModels models;
  FakeSystemVersion system({26, 0, 0});
  models.failWith(GenerationError(Case::refusal, "refused"));
  models.replyWith(aTask());
  runSee(text, models, system);
  ASSERT_EQ(models.responses().size(), 2u);
  EXPECT_EQ(models.responses()[0].prompt, promptFor(text));
  EXPECT_EQ(models.responses()[1].prompt, promptFor(text));
}

TEST(MivoSeeModel, DeclinesWhenTheRetryFailsTooWithAnyError) {
  const struct {
    const char* name;
    GenerationError first;
    std::function<void(FakeLanguageModels&)> second;
    std::string line;
  } rows[] = {
      {"guardrail violation twice", {Case::guardrailViolation, "unsafe"},
       [](FakeLanguageModels& models) {
         models.failWith(GenerationError(Case::guardrailViolation, "still unsafe"));
       },
       "mivo-see: the on-device model declined: still unsafe\n"},
      {"refusal, then exceeded context window", {Case::refusal, "refused"},
       [](FakeLanguageModels& models) {
         models.failWith(GenerationError(Case::exceededContextWindowSize, "too long"));
       },
       "mivo-see: the on-device model declined: too long\n"},
      {"exceeded context window, then an error of another kind",
       {Case::exceededContextWindowSize, "too long"},
       [](FakeLanguageModels& models) {
         models.failWith(platform::LanguageModelError("the model went away"));
       },
       "mivo-see: the on-device model declined: the model went away\n"},
      {"refusal, then a reply without a title", {Case::refusal, "refused"},
       [](FakeLanguageModels& models) {
         models.replyWith(reply({{"kind", "task"}, {"summary", "S"}}));
       },
       "mivo-see: the on-device model declined: the generated content "
       "{\"kind\":\"task\",\"summary\":\"S\"} has no property \"title\"\n"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    FakeLanguageModels models;
    FakeSystemVersion system({26, 0, 0});
    models.failWith(row.first);
    row.second(models);
    const SeeRun run = runSee("Water bill", models, system);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.processCalls, (std::vector<std::string>{
                                    "check standard output",
                                    "read standard input",
                                    "write standard error: " + row.line,
                                    R"(write standard output: {"text":"Water bill","model":"declined"})",
                                    "exit 0",
                                }));
    EXPECT_EQ(models.sessions().size(), 2u);
  }
}

TEST(MivoSeeModel, DeclinesAtOnceWithoutARetryForOtherFailures) {
  const struct {
    const char* name;
    OperatingSystemVersion version;
    std::function<void(FakeLanguageModels&)> script;
    std::string description;
  } rows[] = {
      {"decoding failure", {26, 0, 0},
       [](FakeLanguageModels& models) {
         models.failWith(GenerationError(Case::decodingFailure, "could not decode"));
       },
       "could not decode"},
      {"another generation error", {26, 0, 0},
       [](FakeLanguageModels& models) {
         models.failWith(GenerationError(Case::other, "rate limited"));
       },
       "rate limited"},
      {"an error of another kind", {26, 0, 0},
       [](FakeLanguageModels& models) {
         models.failWith(platform::LanguageModelError("the model went away"));
       },
       "the model went away"},
      {"kind Task on macOS 26", {26, 0, 0},
       [](FakeLanguageModels& models) {
         models.replyWith(reply({{"kind", "Task"}, {"title", "T"}, {"summary", "S"}}));
       },
       "Unexpected value \"Task\" for Kind"},
      {"kind Task on macOS 27", {27, 0, 0},
       [](FakeLanguageModels& models) {
         models.replyWith(reply({{"kind", "Task"}, {"title", "T"}, {"summary", "S"}}));
       },
       "Unexpected value \"Task\" for Kind"},
      {"a reply without a title", {26, 0, 0},
       [](FakeLanguageModels& models) {
         models.replyWith(reply({{"kind", "note"}, {"summary", "S"}}));
       },
       "the generated content {\"kind\":\"note\",\"summary\":\"S\"} has no property \"title\""},
      {"a description of two lines", {26, 0, 0},
       [](FakeLanguageModels& models) {
         models.failWith(platform::LanguageModelError("the model\nwent away"));
       },
       "the model\\nwent away"},
      {"a null summary", {26, 0, 0},
       [](FakeLanguageModels& models) {
         models.replyWith(reply({{"kind", "note"}, {"title", "T"}, {"summary", std::nullopt}}));
       },
       "the generated content null is not a string"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    FakeLanguageModels models;
    FakeSystemVersion system(row.version);
    row.script(models);
    const SeeRun run = runSee("Water bill", models, system);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.standardError, "mivo-see: the on-device model declined: " + row.description + "\n");
    EXPECT_EQ(run.standardOutput, R"({"text":"Water bill","model":"declined"})");
    EXPECT_EQ(models.sessions().size(), 1u);
  }
}

}  // namespace
}  // namespace mivo::see
