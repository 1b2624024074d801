#include "see/mivo_see.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/fake/fake_language_models.h"
#include "platform/fake/fake_process.h"
#include "platform/fake/fake_system_version.h"
#include "platform/fake/fake_text_recognizer.h"

namespace mivo::see {
namespace {

using foundation::FakeProcess;
using platform::FakeTextRecognizer;
using platform::TextObservation;

const std::string kRequest =
    R"({"file":"shot.png","source":"iPhone","taken":"2025-03-01 09:12","today":"2025-03-01"})";

// A good request with `members` added at its end.
std::string requestWith(const std::string& members) {
  return R"({"file":"shot.png","source":"iPhone","taken":"t","today":"d")" + members + "}";
}

struct Outcome {
  int status;
  std::string standardOutput;
  std::string standardError;
  std::vector<std::string> process_calls;
  std::vector<std::string> recognizer_calls;
};

// A run on macOS 26 with the on-device model not available; the model's own
// paths are tested in mivo_see_model_test.cpp.
Outcome run(FakeProcess& process, FakeTextRecognizer& recognizer) {
  platform::FakeLanguageModels models(platform::Availability::unavailable);
  platform::FakeSystemVersion system({26, 0, 0});
  const int status = foundation::runUntilExit(process, [&] {
    MivoSee::main({.recognizer = recognizer,
                   .model = {.languageModels = models, .systemVersion = system}});
  });
  return {status, process.standardOutput(), process.standardError(), process.calls(),
          recognizer.calls()};
}

Outcome run(const std::optional<std::string>& request, FakeTextRecognizer& recognizer) {
  FakeProcess process(request);
  return run(process, recognizer);
}

// A recogniser that reads `lines` from shot.png.
FakeTextRecognizer recognizerReading(const std::vector<std::string>& lines) {
  FakeTextRecognizer recognizer;
  std::vector<TextObservation> observations;
  for (const std::string& line : lines) observations.push_back({line});
  recognizer.addPicture("shot.png", observations);
  return recognizer;
}

TEST(MivoSee, RejectsEveryRequestThatIsNotTheJsonExpectedBeforeTouchingThePicture) {
  const struct {
    const char* name;
    std::optional<std::string> request;
  } rows[] = {
      {"standard input cannot be read", std::nullopt},
      {"empty input", ""},
      {"only white space", " \n"},
      {"an array", "[" + kRequest + "]"},
      {"a string", "\"shot.png\""},
      {"not JSON", "file=shot.png"},
      {"trailing text", kRequest + "x"},
      {"a second object", kRequest + kRequest},
      {"invalid UTF-8", R"({"file":"shot.png","source":")"
                        "\xff"
                        R"(","taken":"t","today":"d"})"},
      {"file missing", R"({"source":"s","taken":"t","today":"d"})"},
      {"source missing", R"({"file":"shot.png","taken":"t","today":"d"})"},
      {"taken missing", R"({"file":"shot.png","source":"s","today":"d"})"},
      {"today missing", R"({"file":"shot.png","source":"s","taken":"t"})"},
      {"file null", R"({"file":null,"source":"s","taken":"t","today":"d"})"},
      {"source null", R"({"file":"shot.png","source":null,"taken":"t","today":"d"})"},
      {"taken null", R"({"file":"shot.png","source":"s","taken":null,"today":"d"})"},
      {"today null", R"({"file":"shot.png","source":"s","taken":"t","today":null})"},
      {"file a number", R"({"file":1,"source":"s","taken":"t","today":"d"})"},
      {"file an array", R"({"file":["shot.png"],"source":"s","taken":"t","today":"d"})"},
      {"source an object", R"({"file":"shot.png","source":{},"taken":"t","today":"d"})"},
      {"taken a boolean", R"({"file":"shot.png","source":"s","taken":true,"today":"d"})"},
      {"today a number", R"({"file":"shot.png","source":"s","taken":"t","today":20250301})"},
      {"sort as the string false", requestWith(R"(,"sort":"false")")},
      {"sort as 0", requestWith(R"(,"sort":0)")},
      {"sort as 1", requestWith(R"(,"sort":1)")},
      {"sort beyond the float range", requestWith(R"(,"sort":1e400)")},
      {"today an integer of 401 digits",
       R"({"file":"shot.png","source":"s","taken":"t","today":1)" + std::string(400, '0') + "}"},
      {"sort as an array", requestWith(R"(,"sort":[true])")},
      {"File capitalised", R"({"File":"shot.png","source":"s","taken":"t","today":"d"})"},
      {"TODAY in capitals", R"({"file":"shot.png","source":"s","taken":"t","TODAY":"d"})"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    FakeTextRecognizer recognizer = recognizerReading({"Hello"});
    const Outcome result = run(row.request, recognizer);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.standardError, "mivo-see: stdin is not the JSON expected\n");
    EXPECT_EQ(result.standardOutput, "");
    EXPECT_TRUE(result.recognizer_calls.empty());
  }
}

TEST(MivoSee, IgnoresOtherMembersAndReadsTheFileItNames) {
  const struct {
    const char* name;
    std::string request;
    std::string file;
  } rows[] = {
      {"other members of any type",
       requestWith(R"(,"extra":[1,{"x":null}],"FILE":"other.png","sort ":"no")"), "shot.png"},
      {"numbers beyond the float range", requestWith(R"(,"extra":1e400,"more":[-1E+999])"),
       "shot.png"},
      {"an integer of 401 digits", requestWith(",\"extra\":1" + std::string(400, '0')), "shot.png"},
      {"members in another order",
       R"({"today":"d","sort":null,"taken":"t","source":"s","file":"shot.png"})", "shot.png"},
      {"escapes in the path",
       R"({"file":"dir\/caf\u00e9.png","source":"s","taken":"t","today":"d"})",
       "dir/caf\xc3\xa9.png"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    FakeTextRecognizer recognizer;
    recognizer.addPicture(row.file, {{"Hello"}});
    const Outcome result = run(row.request, recognizer);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.standardOutput, R"({"text":"Hello","model":"unavailable"})");
    EXPECT_EQ(result.recognizer_calls, (std::vector<std::string>{"loadFirstImage " + row.file,
                                                                 "recognizeText " + row.file}));
  }
}

TEST(MivoSee, ChoosesTheStatusFromTheTrimmedTextAndSort) {
  const std::string no_sort = requestWith("");
  const std::string sort_null = requestWith(R"(,"sort":null)");
  const std::string sort_true = requestWith(R"(,"sort":true)");
  const std::string sort_false = requestWith(R"(,"sort":false)");
  const struct {
    const char* name;
    std::vector<std::string> lines;
    std::string request;
    std::string answer;
  } rows[] = {
      {"no text", {}, no_sort, R"({"text":"","model":"no_text"})"},
      {"no text, sort false", {}, sort_false, R"({"text":"","model":"no_text"})"},
      {"spaces and line feeds",
       {"  ", " ", ""},
       no_sort,
       R"({"text":"  \n \n","model":"no_text"})"},
      {"spaces and line feeds, sort false",
       {"  ", " "},
       sort_false,
       R"({"text":"  \n ","model":"no_text"})"},
      {"ideographic space, no-break space, paragraph separator, next line",
       {"\xe3\x80\x80\xc2\xa0\xe2\x80\xa9\xc2\x85"},
       no_sort,
       "{\"text\":\"\xe3\x80\x80\xc2\xa0\xe2\x80\xa9\xc2\x85\",\"model\":\"no_text\"}"},
      {"zero width space is text",
       {"\xe2\x80\x8b"},
       no_sort,
       "{\"text\":\"\xe2\x80\x8b\",\"model\":\"unavailable\"}"},
      {"text, sort false", {"Hello"}, sort_false, R"({"text":"Hello","model":"off"})"},
      {"text, sort absent", {"Hello"}, no_sort, R"({"text":"Hello","model":"unavailable"})"},
      {"text, sort null", {"Hello"}, sort_null, R"({"text":"Hello","model":"unavailable"})"},
      {"text, sort true", {"Hello"}, sort_true, R"({"text":"Hello","model":"unavailable"})"},
      {"text untrimmed in the answer",
       {" Hello ", "a/b "},
       sort_false,
       R"({"text":" Hello \na\/b ","model":"off"})"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    FakeTextRecognizer recognizer = recognizerReading(row.lines);
    const Outcome result = run(row.request, recognizer);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.standardOutput, row.answer);
    EXPECT_EQ(result.standardError, "");
  }
}

TEST(MivoSee, ReadsTheRequestThenThePictureThenWritesTheAnswerOnceAndExits) {
  FakeTextRecognizer recognizer = recognizerReading({"Hello"});
  const Outcome result = run(kRequest, recognizer);
  EXPECT_EQ(result.process_calls,
            (std::vector<std::string>{
                "check standard output",
                "read standard input",
                R"(write standard output: {"text":"Hello","model":"unavailable"})",
                "exit 0",
            }));
  EXPECT_EQ(result.recognizer_calls,
            (std::vector<std::string>{"loadFirstImage shot.png", "recognizeText shot.png"}));
}

TEST(MivoSee, EndsEachFailureWithItsLineAndStatus1AndNothingOnStandardOutput) {
  const struct {
    const char* name;
    void (*script)(FakeTextRecognizer&, FakeProcess&);
    std::string line;
  } rows[] = {
      {"not a picture", [](FakeTextRecognizer&, FakeProcess&) {},
       "mivo-see: shot.png is not a picture this Mac can read\n"},
      {"recognition fails",
       [](FakeTextRecognizer& recognizer, FakeProcess&) {
         recognizer.addFailingPicture("shot.png", "the engine ran out of memory");
       },
       "mivo-see: reading the text failed: the engine ran out of memory\n"},
      {"text that is not UTF-8",
       [](FakeTextRecognizer& recognizer, FakeProcess&) {
         recognizer.addPicture("shot.png", {{"caf\xe9"}});
       },
       "mivo-see: cannot write a string that is not valid UTF-8 as JSON\n"},
      {"standard output closed",
       [](FakeTextRecognizer& recognizer, FakeProcess& process) {
         recognizer.addPicture("shot.png", {{"Hello"}});
         process.failStandardOutput(std::make_error_code(std::errc::broken_pipe));
       },
       "mivo-see: could not write the answer: Broken pipe\n"},
      {"standard output closed at the start",
       [](FakeTextRecognizer& recognizer, FakeProcess& process) {
         recognizer.addPicture("shot.png", {{"Hello"}});
         process.closeStandardOutputAtStart();
       },
       "mivo-see: could not write the answer: Bad file descriptor\n"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    FakeTextRecognizer recognizer;
    FakeProcess process(kRequest);
    row.script(recognizer, process);
    const Outcome result = run(process, recognizer);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.standardError, row.line);
    EXPECT_EQ(result.standardOutput, "");
    EXPECT_EQ(recognizer.liveImages(), 0);
  }
}

}  // namespace
}  // namespace mivo::see
