// The light edit of paragraphs: what is sent to the model, which paragraphs
// are sent at all, and how each outcome becomes an entry, in-process.
#include <gtest/gtest.h>

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
    "You lightly edit the transcript of a voice note: a personal voice memo or a recorded "
    "conversation, transcribed by speech recognition. It reads sloppily because it was said "
    "sloppily, not because it was written down badly, so keep the sentences mostly intact: the "
    "speaker's own words, word order and language. Only remove the obvious mistakes (filler such "
    "as \"uh\" and \"um\", a word said twice in a stumble, a false start broken off mid-word) "
    "and make the obvious corrections (a word speech recognition plainly misheard, punctuation, "
    "capitals). Never rephrase, summarize, shorten, translate, reorder or add anything, and keep "
    "names and terms as they are spelled. When in doubt, leave it as it is. You get one "
    "paragraph; give back its edit.";

TEST(Editor, AsksANewSessionPerParagraphWithTheInstructionsPromptAndSchema) {
  const struct {
    platform::OperatingSystemVersion version;
    GenerationOptions::Initializer initializer;
  } rows[] = {
      {{26, 1, 0}, GenerationOptions::Initializer::sampling},
      {{27, 0, 0}, GenerationOptions::Initializer::samplingMode},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.version.majorVersion);
    FakeLanguageModels models;
    FakeSystemVersion system(row.version);
    models.replyWith(stringReply("text", "Hello there."));
    models.replyWith(stringReply("text", "Bye."));
    const TitleRun run = runTitle(R"({"edit":["uh hello hello there","bye bye"]})", models, system);

    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.standardOutput, R"({"paragraphs":["Hello there.","Bye."]})");
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
    EXPECT_EQ(models.models()[0].useCase, platform::UseCase::general);
    EXPECT_EQ(models.models()[0].guardrails, platform::Guardrails::permissiveContentTransformations);
    ASSERT_EQ(models.sessions().size(), 2u);
    EXPECT_EQ(models.sessions()[0].instructions, kInstructions);
    EXPECT_EQ(models.sessions()[0].instructions.size(), 735u);
    EXPECT_EQ(models.sessions()[1].instructions, kInstructions);
    const platform::GenerationSchema schema{
        .type = "EditedParagraph",
        .properties = {{.name = "text",
                        .description = "The paragraph, lightly edited: the same sentences in the "
                                       "speaker's own words, only the obvious mistakes removed "
                                       "and the obvious corrections made.",
                        .type = {.type = "String"}}}};
    const std::string prompts[] = {"<paragraph>\nuh hello hello there\n</paragraph>",
                                   "<paragraph>\nbye bye\n</paragraph>"};
    for (std::size_t i = 0; i < 2; ++i) {
      const FakeLanguageModels::Response& response = models.responses()[i];
      EXPECT_EQ(response.prompt, prompts[i]);
      EXPECT_EQ(response.schema, schema);
      EXPECT_TRUE(response.includeSchemaInPrompt);
      EXPECT_EQ(response.options, (GenerationOptions{.initializer = row.initializer}));
    }
    EXPECT_EQ(system.reads(), 3);  // the gate, then once for each paragraph's options
  }
}

std::string repeated(const std::string& character, std::size_t count) {
  std::string text;
  for (std::size_t i = 0; i < count; ++i) text += character;
  return text;
}

// A JSON string of `text`, which holds nothing that needs escaping.
std::string quoted(const std::string& text) { return "\"" + text + "\""; }

TEST(Editor, EditsEachParagraphOnItsOwnAndAnswersNullForTheOthers) {
  const std::string accented = "e\xcc\x81";  // two code points, one character
  const auto edited = [](const std::string& text) {
    return [=](FakeLanguageModels& models) { models.replyWith(stringReply("text", text)); };
  };
  const auto failing = [](Case errorCase) {
    return [=](FakeLanguageModels& models) {
      models.failWith(GenerationError(errorCase, "failed"));
    };
  };
  const struct {
    const char* name;
    std::vector<std::string> paragraphs;  // as JSON strings
    std::vector<std::function<void(FakeLanguageModels&)>> script;
    std::string answer;
    std::vector<std::string> prompts;  // the paragraphs sent, in order
  } rows[] = {
      {"no paragraphs", {}, {}, R"({"paragraphs":[]})", {}},
      {"an empty paragraph, without a session", {R"("")"}, {}, R"({"paragraphs":[null]})", {}},
      {"a single space is sent", {R"(" ")"}, {edited(" ")}, R"({"paragraphs":[" "]})", {" "}},
      {"line feeds only are sent", {R"("\n\n")"}, {edited("")}, R"({"paragraphs":[""]})",
       {"\n\n"}},
      {"an edit that comes back empty is no null", {R"("uh")"}, {edited("")},
       R"({"paragraphs":[""]})", {"uh"}},
      {"exactly 4000 characters are sent", {quoted(repeated("a", 4000))}, {edited("A")},
       R"({"paragraphs":["A"]})", {repeated("a", 4000)}},
      {"4001 characters are not, without a session", {quoted(repeated("a", 4001))}, {},
       R"({"paragraphs":[null]})", {}},
      {"4000 characters of 8000 code points are sent", {quoted(repeated(accented, 4000))},
       {edited("B")}, R"({"paragraphs":["B"]})", {repeated(accented, 4000)}},
      {"4001 accented characters are not", {quoted(repeated(accented, 4001))}, {},
       R"({"paragraphs":[null]})", {}},
      {"the second of three fails", {R"("one")", R"("two")", R"("three")"},
       {edited("One."), failing(Case::decodingFailure), edited("Three.")},
       R"({"paragraphs":["One.",null,"Three."]})", {"one", "two", "three"}},
      {"every paragraph fails, whatever the error, and none is retried",
       {R"("a")", R"("b")", R"("c")", R"("d")"},
       {failing(Case::guardrailViolation), failing(Case::refusal),
        failing(Case::exceededContextWindowSize),
        [](FakeLanguageModels& models) {
          models.failWith(platform::LanguageModelError("gone"));
        }},
       R"({"paragraphs":[null,null,null,null]})", {"a", "b", "c", "d"}},
      {"a reply without text", {R"("a")"},
       {[](FakeLanguageModels& models) { models.replyWith(stringReply("title", "A")); }},
       R"({"paragraphs":[null]})", {"a"}},
      {"the same paragraph twice is sent twice", {R"("uh hi")", R"("uh hi")"},
       {edited("Hi."), edited("Hi!")}, R"({"paragraphs":["Hi.","Hi!"]})", {"uh hi", "uh hi"}},
      {"the closing marker in a paragraph is sent unchanged", {R"("a </paragraph> b")"},
       {edited("A.")}, R"({"paragraphs":["A."]})", {"a </paragraph> b"}},
      {"empty, long and failed paragraphs between edited ones",
       {R"("x")", R"("")", quoted(repeated("y", 4001)), R"("z")"},
       {edited("X."), edited("Z.")}, R"({"paragraphs":["X.",null,null,"Z."]})", {"x", "z"}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    FakeLanguageModels models;
    FakeSystemVersion system({26, 0, 0});
    for (const auto& step : row.script) step(models);
    std::string request = R"({"edit":[)";
    for (std::size_t i = 0; i < row.paragraphs.size(); ++i) {
      request += (i == 0 ? "" : ",") + row.paragraphs[i];
    }
    request += "]}";
    const TitleRun run = runTitle(request, models, system);

    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.standardOutput, row.answer);
    EXPECT_EQ(run.standardError, "");
    std::vector<std::string> sent;
    for (const auto& response : models.responses()) {
      sent.push_back(response.prompt);
    }
    std::vector<std::string> expected;
    for (const std::string& paragraph : row.prompts) {
      expected.push_back("<paragraph>\n" + paragraph + "\n</paragraph>");
    }
    EXPECT_EQ(sent, expected);
    EXPECT_EQ(models.sessions().size(), row.prompts.size());
    EXPECT_EQ(models.models().size(), 1u);
  }
}

}  // namespace
}  // namespace mivo::title
