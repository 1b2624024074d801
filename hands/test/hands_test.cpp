// The run as a whole, in-process: reading the request, choosing the command,
// and writing the answer.
#include "hands/hands.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "hands/answer.h"
#include "hands/test/hands_run.h"
#include "platform/fake/fake_process.h"

namespace mivo::hands {
namespace {

using Lines = std::vector<std::string>;
using platform::Position;

TEST(Hands, RefusesWhatIsNotAnObjectWithAStringDo) {
  const struct {
    const char* name;
    std::optional<std::string> request;
  } rows[] = {
      {"standard input cannot be read", std::nullopt},
      {"empty input", ""},
      {"only white space", " \n\t"},
      {"an array", R"([{"do":"cursor"}])"},
      {"an empty array", "[]"},
      {"a string", R"("cursor")"},
      {"a number", "42"},
      {"null", "null"},
      {"no do", "{}"},
      {"do of another name", R"({"Do":"cursor"})"},
      {"do a number", R"({"do":4})"},
      {"do null", R"({"do":null})"},
      {"do true", R"({"do":true})"},
      {"do an array", R"({"do":["cursor"]})"},
      {"do an object", R"({"do":{"name":"cursor"}})"},
      {"trailing text", R"({"do":"cursor"} x)"},
      {"a second object", R"({"do":"cursor"}{"do":"cursor"})"},
      {"a comment", R"({"do":"cursor"/* here */})"},
      {"a trailing comma", R"({"do":"cursor",})"},
      {"single quotes", R"({'do':'cursor'})"},
      {"a NUL byte after the object", std::string(R"({"do":"cursor"})") + '\0'},
      {"invalid UTF-8 in a string", "{\"do\":\"cursor\",\"x\":\"\xff\"}"},
      {"cut short", R"({"do":"cur)"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const HandsRun run = runHands(row.request);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.standardError, "mivo-hands: give it {\"do\": …} as JSON on stdin\n");
    EXPECT_EQ(run.standardOutput, "");
    EXPECT_EQ(run.events, std::vector<std::string>{});
  }
}

TEST(Hands, NamesTheCommandItDoesNotKnowAsSent) {
  const struct {
    std::string request;
    std::string message;
  } rows[] = {
      {R"({"do":"Cursor"})", "mivo-hands: no command Cursor\n"},
      {R"({"do":"CLICK"})", "mivo-hands: no command CLICK\n"},
      {R"({"do":" cursor"})", "mivo-hands: no command  cursor\n"},
      {R"({"do":"cursor "})", "mivo-hands: no command cursor \n"},
      {R"({"do":""})", "mivo-hands: no command \n"},
      {R"({"do":"wiggle"})", "mivo-hands: no command wiggle\n"},
      {R"({"do":"caf\u00e9"})", "mivo-hands: no command caf\xc3\xa9\n"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.request);
    const HandsRun run = runHands(row.request);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.standardError, row.message);
    EXPECT_EQ(run.standardOutput, "");
    EXPECT_EQ(run.events, std::vector<std::string>{});
  }
}

TEST(Hands, AnswersOneLineInTwoWritesAndEndsWithStatusZero) {
  const HandsRun run = runHands(R"({"do":"move","x":3,"y":4,"note":"ignored"})");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.standardOutput, "{\"ok\":true}\n");
  EXPECT_EQ(run.standardError, "");
  EXPECT_EQ(run.process, (std::vector<std::string>{
                             "check standard output",
                             "read standard input",
                             "write standard output: {\"ok\":true}",
                             "write standard output: \n",
                             "exit 0",
                         }));
}

TEST(Hands, TheLaterOfTwoMembersOfOneNameCounts) {
  const HandsRun run = runHands(R"({"do":"wiggle","do":"move","x":1,"y":2,"x":5})");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.events, (std::vector<std::string>{
                            "create event source",
                            "mouse mouseMoved at (5, 2) button left clicks 1 flags 0x0",
                        }));
}

TEST(Hands, FailsWhenTheAnswerCannotBeWritten) {
  const struct {
    const char* name;
    std::string request;
    std::function<void(HandsFakes&)> script;
    Lines events;
  } rows[] = {
      {"standard output is a closed pipe",
       R"({"do":"move","x":1,"y":2})",
       [](HandsFakes& fakes) {
         fakes.process.failStandardOutput(std::make_error_code(std::errc::broken_pipe));
       },
       {"create event source", "mouse mouseMoved at (1, 2) button left clicks 1 flags 0x0"}},
      {"standard output is full",
       R"({"do":"cursor"})",
       [](HandsFakes& fakes) {
         fakes.process.failStandardOutput(std::make_error_code(std::errc::no_space_on_device));
       },
       {"pointer location"}},
      {"a number JSON cannot write",
       R"({"do":"cursor"})",
       [](HandsFakes& fakes) {
         fakes.input.setPointerLocation(Position{std::numeric_limits<double>::quiet_NaN(), 1});
       },
       {"pointer location"}},
      // Known before the command: then it is not carried out.
      {"standard output closed at the start",
       R"({"do":"move","x":1,"y":2})",
       [](HandsFakes& fakes) { fakes.process.closeStandardOutputAtStart(); },
       {}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const HandsRun run = runHands(row.request, row.script);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.standardError, "mivo-hands: could not write the answer\n");
    EXPECT_EQ(run.standardOutput, "");
    EXPECT_EQ(run.events, row.events);
  }
}

TEST(Answer, WritesEveryKindOfMemberCompactly) {
  const struct {
    const char* name;
    Answer object;
    std::string written;
  } rows[] = {
      {"ok", okAnswer(), "{\"ok\":true}\n"},
      {"booleans",
       {{{"screen", false}, {"accessibility", true}}},
       "{\"screen\":false,\"accessibility\":true}\n"},
      {"numbers",
       {{{"x", 1512.0}, {"y", -0.25}, {"z", 1e21}}},
       "{\"x\":1512,\"y\":-0.25,\"z\":1e+21}\n"},
      {"a string with a solidus", {{{"jpeg", std::string("ab/+c=")}}}, "{\"jpeg\":\"ab\\/+c=\"}\n"},
      {"an array of numbers",
       {{{"points", std::vector<double>{1512, 982}}, {"none", std::vector<double>{}}}},
       "{\"points\":[1512,982],\"none\":[]}\n"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    foundation::FakeProcess process("");
    const int status = foundation::runUntilExit(process, [&] {
      answer(row.object);
      foundation::process().exit(0);
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(process.standardOutput(), row.written);
  }
}

}  // namespace
}  // namespace mivo::hands
