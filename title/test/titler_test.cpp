// The title of a voice note: what is sent to the model, the cuts, the retry
// and what becomes of the outcome, in-process through the fake model.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "title/test/title_run.h"

namespace mivo::title {
namespace {

using platform::FakeLanguageModels;
using platform::FakeSystemVersion;
using platform::GenerationError;
using platform::GenerationOptions;
using Case = GenerationError::Case;

const std::string kInstructions =
    "You write the title of a voice note: a personal voice memo or a recorded conversation, "
    "transcribed by speech recognition. The title is short and specific (2 to 8 words) and says "
    "what the recording is about, in the language of the recording. No date, no quotes, no "
    "trailing period, and none of these characters: / \\ : * ? \" < > | # ^ [ ]. The source and "
    "label are context only: the label is often a location, a timestamp or a generic name like "
    "\"New Recording 12\".";

// A title request with the transcript given, JSON-escaped by the caller.
std::string requestWith(const std::string& transcript) {
  return R"({"transcript":")" + transcript + R"(","source":"Watch","recorded":"today"})";
}

std::string promptFor(const std::string& transcript) {
  return "Source: Watch\nLabel: none\nRecorded: today\n\n<transcript>\n" + transcript +
         "\n</transcript>";
}

TEST(Titler, AsksOneSessionForANoteTitleWithTheInstructionsPromptAndSchema) {
  const struct {
    platform::OperatingSystemVersion version;
    GenerationOptions::Initializer initializer;
  } rows[] = {
      {{26, 0, 0}, GenerationOptions::Initializer::sampling},
      {{27, 2, 0}, GenerationOptions::Initializer::samplingMode},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.version.majorVersion);
    FakeLanguageModels models;
    FakeSystemVersion system(row.version);
    models.replyWith(stringReply("title", "Milk and eggs"));
    const TitleRun run = runTitle(
        R"({"transcript":"Buy milk.\nAnd eggs.","label":"Kitchen","source":"Watch","recorded":"2025-03-01 08:00"})",
        models, system);

    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.standardOutput, R"({"title":"Milk and eggs"})");
    EXPECT_EQ(models.calls(), (std::vector<std::string>{
                                  "systemModel 1",
                                  "model 1 availability",
                                  "model 1 makeSession 1",
                                  "session 1 respond",
                                  "session 1 dropped",
                                  "model 1 dropped",
                              }));
    EXPECT_EQ(models.models()[0].useCase, platform::UseCase::general);
    EXPECT_EQ(models.models()[0].guardrails, platform::Guardrails::permissiveContentTransformations);
    ASSERT_EQ(models.sessions().size(), 1u);
    EXPECT_EQ(models.sessions()[0].instructions, kInstructions);
    EXPECT_EQ(models.sessions()[0].instructions.size(), 462u);
    const FakeLanguageModels::Response& response = models.responses()[0];
    EXPECT_EQ(response.prompt,
              "Source: Watch\nLabel: Kitchen\nRecorded: 2025-03-01 08:00\n\n"
              "<transcript>\nBuy milk.\nAnd eggs.\n</transcript>");
    EXPECT_EQ(response.schema,
              (platform::GenerationSchema{
                  .type = "NoteTitle",
                  .properties = {{.name = "title",
                                  .description = "A short, specific title of 2 to 8 words that "
                                                 "says what the recording is about, in the "
                                                 "language of the recording.",
                                  .type = {.type = "String"}}}}));
    EXPECT_TRUE(response.includeSchemaInPrompt);
    EXPECT_EQ(response.options, (GenerationOptions{.initializer = row.initializer}));
    EXPECT_EQ(system.reads(), 2);  // the gate, then the options once
  }
}

TEST(Titler, PutsTheMembersIntoThePromptUnchanged) {
  const struct {
    const char* name;
    std::string request;
    std::string prompt;
  } rows[] = {
      {"no label", R"({"transcript":"t","source":"s","recorded":"r"})",
       "Source: s\nLabel: none\nRecorded: r\n\n<transcript>\nt\n</transcript>"},
      {"a null label", R"({"transcript":"t","label":null,"source":"s","recorded":"r"})",
       "Source: s\nLabel: none\nRecorded: r\n\n<transcript>\nt\n</transcript>"},
      {"the label none", R"({"transcript":"t","label":"none","source":"s","recorded":"r"})",
       "Source: s\nLabel: none\nRecorded: r\n\n<transcript>\nt\n</transcript>"},
      {"an empty label", R"({"transcript":"t","label":"","source":"s","recorded":"r"})",
       "Source: s\nLabel: \nRecorded: r\n\n<transcript>\nt\n</transcript>"},
      {"an empty transcript", R"({"transcript":"","source":"s","recorded":"r"})",
       "Source: s\nLabel: none\nRecorded: r\n\n<transcript>\n\n</transcript>"},
      {"line feeds and spaces everywhere",
       R"({"transcript":"\n a \n","label":"L\n1","source":" s\n","recorded":"r\n"})",
       "Source:  s\n\nLabel: L\n1\nRecorded: r\n\n\n<transcript>\n\n a \n\n</transcript>"},
      {"markers in the transcript", R"({"transcript":"</transcript>","source":"s","recorded":"r"})",
       "Source: s\nLabel: none\nRecorded: r\n\n<transcript>\n</transcript>\n</transcript>"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    FakeLanguageModels models;
    FakeSystemVersion system({26, 0, 0});
    models.replyWith(stringReply("title", "T"));
    runTitle(row.request, models, system);
    ASSERT_EQ(models.responses().size(), 1u);
    EXPECT_EQ(models.responses()[0].prompt, row.prompt);
  }
}

std::string repeated(const std::string& character, std::size_t count) {
  std::string text;
  for (std::size_t i = 0; i < count; ++i) text += character;
  return text;
}

TEST(Titler, CutsTheTranscriptTo5000CharactersThenTo1500OnTheRetry) {
  const std::string accented = "e\xcc\x81";  // e, combining acute accent
  const std::string skinTone = "\xf0\x9f\x91\x8d\xf0\x9f\x8f\xbd";
  const std::string flag = "\xf0\x9f\x87\xab\xf0\x9f\x87\xb7";
  const struct {
    const char* name;
    std::string transcript;
    std::string first;
    std::string retry;
  } rows[] = {
      {"1200 characters go whole into both", repeated("a", 1200), repeated("a", 1200),
       repeated("a", 1200)},
      {"exactly 5000", repeated("b", 5000), repeated("b", 5000), repeated("b", 1500)},
      {"5001 loses its last", repeated("c", 5000) + "d", repeated("c", 5000), repeated("c", 1500)},
      {"accented letters count once", repeated(accented, 5001), repeated(accented, 5000),
       repeated(accented, 1500)},
      {"an emoji with a skin tone at the cut stays whole",
       repeated("x", 4999) + skinTone + "y", repeated("x", 4999) + skinTone, repeated("x", 1500)},
      {"a flag at the retry's cut stays whole", repeated("z", 1499) + flag + repeated("z", 10),
       repeated("z", 1499) + flag + repeated("z", 10), repeated("z", 1499) + flag},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    FakeLanguageModels models;
    FakeSystemVersion system({26, 0, 0});
    models.failWith(GenerationError(Case::exceededContextWindowSize, "too long"));
    models.replyWith(stringReply("title", "T"));
    const TitleRun run = runTitle(requestWith(row.transcript), models, system);
    EXPECT_EQ(run.standardOutput, R"({"title":"T"})");
    ASSERT_EQ(models.responses().size(), 2u);
    EXPECT_EQ(models.responses()[0].prompt, promptFor(row.first));
    EXPECT_EQ(models.responses()[1].prompt, promptFor(row.retry));
  }
}

TEST(Titler, RetriesOnlyAfterAnExceededWindowAGuardrailOrARefusal) {
  const auto failing = [](Case errorCase, const std::string& description) {
    return [=](FakeLanguageModels& models) {
      models.failWith(GenerationError(errorCase, description));
    };
  };
  const auto titled = [](const std::string& title) {
    return [=](FakeLanguageModels& models) { models.replyWith(stringReply("title", title)); };
  };
  const struct {
    const char* name;
    std::vector<std::function<void(FakeLanguageModels&)>> script;
    int status;
    std::string standardOutput;
    std::string standardError;
    std::size_t sessions;
  } rows[] = {
      {"guardrail, then a title", {failing(Case::guardrailViolation, "unsafe"), titled("T")}, 0,
       R"({"title":"T"})", "", 2},
      {"refusal, then a title", {failing(Case::refusal, "refused"), titled("T")}, 0,
       R"({"title":"T"})", "", 2},
      {"refusal, then an exceeded window: the second error",
       {failing(Case::refusal, "refused"), failing(Case::exceededContextWindowSize, "too long")},
       1, "", "mivo-title: too long\n", 2},
      {"guardrail twice", {failing(Case::guardrailViolation, "a"), failing(Case::guardrailViolation, "b")},
       1, "", "mivo-title: b\n", 2},
      {"an error of another kind: no retry",
       {[](FakeLanguageModels& models) {
         models.failWith(platform::LanguageModelError("assets missing"));
       }},
       1, "", "mivo-title: assets missing\n", 1},
      {"another generation error: no retry", {failing(Case::other, "rate limited")}, 1, "",
       "mivo-title: rate limited\n", 1},
      {"a decoding failure: no retry", {failing(Case::decodingFailure, "bad")}, 1, "",
       "mivo-title: bad\n", 1},
      {"a reply without a title: no retry",
       {[](FakeLanguageModels& models) { models.replyWith(stringReply("name", "T")); }}, 1, "",
       "mivo-title: the generated content {\"name\":\"T\"} has no property \"title\"\n", 1},
      {"a title that is a number: no retry",
       {[](FakeLanguageModels& models) {
         models.replyWith(platform::GeneratedContent::ofProperties(
             {{"title", platform::GeneratedContent::ofNumber(12)}}));
       }},
       1, "", "mivo-title: the generated content 12.0 is not a string\n", 1},
      {"a title that breaks the instructions, unchanged", {titled(" \"Milk\", eggs: and 9 more words here.")},
       0, R"({"title":" \"Milk\", eggs: and 9 more words here."})", "", 1},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    FakeLanguageModels models;
    FakeSystemVersion system({26, 0, 0});
    for (const auto& step : row.script) step(models);
    const TitleRun run = runTitle(requestWith("Buy milk"), models, system);
    EXPECT_EQ(run.status, row.status);
    EXPECT_EQ(run.standardOutput, row.standardOutput);
    EXPECT_EQ(run.standardError, row.standardError);
    EXPECT_EQ(models.sessions().size(), row.sessions);
    EXPECT_EQ(models.models().size(), 1u);
    EXPECT_EQ(std::count(models.calls().begin(), models.calls().end(), "model 1 availability"), 1);
    for (const auto& session : models.sessions()) EXPECT_EQ(session.instructions, kInstructions);
  }
}

}  // namespace
}  // namespace mivo::title
