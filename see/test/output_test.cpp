#include "see/output.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/foundation/json_writing.h"

namespace mivo::see {
namespace {

TEST(EncodeOutput, WritesTheAnswerCompactlyWithoutNullsOrAFinalLineFeed) {
  const struct {
    const char* name;
    Output output;
    std::string expected;
  } rows[] = {
      {"no text", {"", std::nullopt, "no_text"}, R"({"text":"","model":"no_text"})"},
      {"spaces and line feeds kept",
       {" \n \n", std::nullopt, "no_text"},
       R"({"text":" \n \n","model":"no_text"})"},
      {"solidus escaped, lines joined",
       {"Pay at a.example/pay\nby Friday", std::nullopt, "off"},
       R"({"text":"Pay at a.example\/pay\nby Friday","model":"off"})"},
      {"raw UTF-8",
       {"\xe2\x82\xac"
        "84 \xf0\x9f\x98\x80",
        std::nullopt, "unavailable"},
       "{\"text\":\"\xe2\x82\xac"
       "84 \xf0\x9f\x98\x80\",\"model\":\"unavailable\"}"},
      {"reading without todo and due",
       {"x", Reading{"note", "A recipe", "Bread.", std::nullopt, std::nullopt}, "ok"},
       R"({"text":"x","reading":{"kind":"note","title":"A recipe","summary":"Bread."},"model":"ok"})"},
      {"reading of a task",
       {"x", Reading{"task", "Water bill", "Pay it.", "Pay the bill", "2025-03-07"}, "ok"},
       R"({"text":"x","reading":{"kind":"task","title":"Water bill","summary":"Pay it.",)"
       R"("todo":"Pay the bill","due":"2025-03-07"},"model":"ok"})"},
      {"empty title and summary",
       {"x", Reading{"other", "", "", std::nullopt, std::nullopt}, "ok"},
       R"({"text":"x","reading":{"kind":"other","title":"","summary":""},"model":"ok"})"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(encodeOutput(row.output), row.expected);
  }
}

TEST(EncodeOutput, FailsOnTextThatIsNotUtf8) {
  const Output output{"caf\xe9", std::nullopt, "unavailable"};
  EXPECT_THROW(encodeOutput(output), foundation::EncodingError);
}

}  // namespace
}  // namespace mivo::see
