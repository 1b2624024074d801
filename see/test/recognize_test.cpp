#include "see/recognize.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/fake/fake_process.h"
#include "platform/fake/fake_text_recognizer.h"

namespace mivo::see {
namespace {

using platform::FakeTextRecognizer;
using platform::TextObservation;

TextObservation line(std::string text) { return {std::move(text)}; }
const TextObservation kNoCandidate{std::nullopt};

TEST(Recognize, JoinsTheTopCandidatesInTheRecognisersOrderWithLineFeeds) {
  const struct {
    const char* name;
    std::vector<TextObservation> observations;
    std::string expected;
  } rows[] = {
      {"no observations", {}, ""},
      {"one line", {line("Only")}, "Only"},
      {"three lines",
       {line("line one"), line("line two"), line("line three")},
       "line one\nline two\nline three"},
      {"order kept, repeats kept", {line("b"), line("a"), line("b")}, "b\na\nb"},
      {"lines not trimmed", {line("  padded  "), line("\ttab")}, "  padded  \n\ttab"},
      {"an empty candidate is a line", {line("a"), line(""), line("b")}, "a\n\nb"},
      {"no candidate first", {kNoCandidate, line("a"), line("b")}, "a\nb"},
      {"no candidate between", {line("a"), kNoCandidate, kNoCandidate, line("b")}, "a\nb"},
      {"no candidate last", {line("a"), line("b"), kNoCandidate}, "a\nb"},
      {"no candidates at all", {kNoCandidate, kNoCandidate}, ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    FakeTextRecognizer recognizer;
    recognizer.addPicture("shot.png", row.observations);
    EXPECT_EQ(recognize(recognizer, "shot.png"), row.expected);
    EXPECT_EQ(recognizer.calls(),
              (std::vector<std::string>{"loadFirstImage shot.png", "recognizeText shot.png"}));
    EXPECT_EQ(recognizer.liveImages(), 0);
  }
}

TEST(Recognize, RaisesTheRecognisersErrorUnchangedAndReleasesTheImage) {
  FakeTextRecognizer recognizer;
  recognizer.addFailingPicture("shot.png", "the request failed: out of memory");
  try {
    recognize(recognizer, "shot.png");
    ADD_FAILURE() << "returned";
  } catch (const platform::RecognitionError& error) {
    EXPECT_STREQ(error.what(), "the request failed: out of memory");
  }
  EXPECT_EQ(recognizer.liveImages(), 0);
}

TEST(Recognize, EndsTheRunWithThePathUnchangedWhenThereIsNoPictureAndRecognisesNothing) {
  const std::string paths[] = {"missing.png", "", "~/x.png", "a b/\xc3\xa9.png", "../up.png"};
  for (const std::string& path : paths) {
    SCOPED_TRACE(path);
    FakeTextRecognizer recognizer;
    foundation::FakeProcess process("");
    const int status = foundation::runUntilExit(process, [&] { recognize(recognizer, path); });
    EXPECT_EQ(status, 1);
    EXPECT_EQ(process.standardError(),
              "mivo-see: " + path + " is not a picture this Mac can read\n");
    EXPECT_EQ(recognizer.calls(), std::vector<std::string>{"loadFirstImage " + path});
  }
}

}  // namespace
}  // namespace mivo::see
