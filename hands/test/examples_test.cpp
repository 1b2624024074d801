// The example requests of docs/mivo-hands.md, run in the doc's order by the
// built program on an Xvfb server of the test's own, where a window of class
// org.example.Notes stands for an application. What each run gives must be
// what the doc shows.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <nlohmann/json.hpp>
#include <string>

#include "hands/test/jpeg_picture.h"
#include "hands/test/x_app_window.h"
#include "hands/test/xvfb_server.h"
#include "see/test/doc_examples.h"
#include "see/test/run_program.h"

namespace mivo::test {
namespace {

// How much of a screenshot's JPEG the doc shows: the start of the base64 text
// as the answer writes it, which is the same for every JPEG the program makes.
constexpr std::size_t kJpegShown = 20;

// The answer line as the doc shows it: a screenshot's JPEG cut to its start
// and "…", once it is known to decode to a picture of the answer's size.
std::string shownAnswer(const std::string& line) {
  const std::string member = R"("jpeg":")";
  const std::size_t start = line.find(member);
  if (start == std::string::npos) return line;
  const nlohmann::json answer = nlohmann::json::parse(line);
  const JpegPicture picture = JpegPicture::fromBase64(answer.at("jpeg").get<std::string>());
  if (picture.width() != answer.at("width") || picture.height() != answer.at("height")) {
    return "a JPEG of another size than the answer's: " + line;
  }
  const std::size_t jpeg = start + member.size();
  return line.substr(0, jpeg + kJpegShown) + "\u2026\"}";
}

TEST(MivoHandsExamples, AnswerAsTheDocShows) {
  const std::string doc = readTextFile(MIVO_HANDS_DOC);
  const XvfbServer server;
  ::setenv("DISPLAY", server.display().c_str(), 1);
  const XAppWindow notes(server.display(), "org.example.Notes", "white", {200, 150, 400, 300});
  const struct {
    const char* example;  // under hands/examples
    ShownRun shown;
  } rows[] = {
      {"check.json", {0, "", R"({"screen":true,"accessibility":true})"}},
      {"ask.json", {0, "", R"({"screen":true,"accessibility":true})"}},
      {"screenshot.json",
       {0, "", R"({"width":640,"height":416,"points":[1512,982],"jpeg":"\/9j\/4AAQSkZJRgABAQ…"})"}},
      {"screenshot-rect.json",
       {0, "", R"({"width":300,"height":200,"points":[1512,982],"jpeg":"\/9j\/4AAQSkZJRgABAQ…"})"}},
      {"rect-outside.json", {1, "mivo-hands: the rect lies outside the display", ""}},
      {"move.json", {0, "", R"({"ok":true})"}},
      {"cursor.json", {0, "", R"({"x":100,"y":200})"}},
      {"move-without-y.json", {1, "mivo-hands: move needs x and y", ""}},
      {"click.json", {0, "", R"({"ok":true})"}},
      {"click-right.json", {0, "", R"({"ok":true})"}},
      {"down.json", {0, "", R"({"ok":true})"}},
      {"up.json", {0, "", R"({"ok":true})"}},
      {"drag.json", {0, "", R"({"ok":true})"}},
      {"scroll.json", {0, "", R"({"ok":true})"}},
      {"type.json", {0, "", R"({"ok":true})"}},
      {"key.json", {0, "", R"({"ok":true})"}},
      {"modifiers-only.json", {1, "mivo-hands: cmd+shift names no key but modifiers", ""}},
      {"no-such-key.json", {1, "mivo-hands: no key called del", ""}},
      {"hold.json", {0, "", R"({"ok":true})"}},
      {"hide.json", {0, "", R"({"ok":true})"}},
      {"show.json", {0, "", R"({"ok":true})"}},
      {"no-such-command.json", {1, "mivo-hands: no command Move", ""}},
      {"not-json.txt", {1, "mivo-hands: give it {\"do\": \u2026} as JSON on stdin", ""}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.example);
    const std::string file = std::string(MIVO_HANDS_EXAMPLES) + "/" + row.example;
    const ProgramRun run = runProgram(MIVO_HANDS_BINARY, readTextFile(file), ".");
    EXPECT_EQ(run.status, row.shown.status);
    EXPECT_EQ(run.standardError,
              row.shown.standardError.empty() ? "" : row.shown.standardError + "\n");
    if (row.shown.standardOutput.empty()) {
      EXPECT_EQ(run.standardOutput, "");
    } else if (!run.standardOutput.ends_with('\n')) {
      ADD_FAILURE() << "the answer is not one line: " << run.standardOutput;
    } else {
      EXPECT_EQ(shownAnswer(run.standardOutput.substr(0, run.standardOutput.size() - 1)),
                row.shown.standardOutput);
    }
    EXPECT_EQ(missingFromDoc(doc, std::string("hands/examples/") + row.example,
                             exampleRequest(file), row.shown),
              "");
  }
}

}  // namespace
}  // namespace mivo::test
