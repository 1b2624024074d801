// "screenshot", in-process: the display it chooses, the rectangle and size it
// asks the capture for, what it leaves out, and each way it fails.
#include "hands/screenshot.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "hands/test/hands_run.h"

namespace mivo::hands {
namespace {

using Lines = std::vector<std::string>;

// The base64 of the fake encoder's four bytes FF D8 FF E0, solidi escaped.
constexpr const char* kJpeg = R"(\/9j\/4A==)";

std::string answerOf(int width, int height, int points_wide, int points_high) {
  return "{\"width\":" + std::to_string(width) + ",\"height\":" + std::to_string(height) +
         ",\"points\":[" + std::to_string(points_wide) + "," + std::to_string(points_high) +
         "],\"jpeg\":\"" + kJpeg + "\"}\n";
}

// The calls of a capture of the default display that gets as far as the JPEG.
Lines capturing(const std::string& capture, const std::string& jpeg,
                const std::string& filter = "content filter of display 1 without nothing") {
  return {"shareable content", "main display id", filter, capture, jpeg};
}

struct Row {
  const char* name;
  std::string request;
  std::string capture;  // the capture's entry in the log
  int width;
  int height;
};

TEST(Screenshot, AsksForTheRectangleAndSizeOfTheRequest) {
  // A display of 1512 x 982 points at two pixels a point.
  const Row rows[] = {
      {"the defaults", R"({"do":"screenshot"})",
       "capture the whole display at 1280 x 831 with the pointer", 1280, 831},
      {"a max beyond the display's pixels", R"({"do":"screenshot","max":4000})",
       "capture the whole display at 3024 x 1964 with the pointer", 3024, 1964},
      {"a rect within the display", R"({"do":"screenshot","rect":[100,50,300,200]})",
       "capture (100, 50, 300, 200) at 600 x 400 with the pointer", 600, 400},
      {"a rect past the display's corner", R"({"do":"screenshot","rect":[1400,900,400,400]})",
       "capture (1400, 900, 112, 82) at 224 x 164 with the pointer", 224, 164},
      {"a rect before the display's corner", R"({"do":"screenshot","rect":[-50,-50,100,60]})",
       "capture (0, 0, 50, 10) at 100 x 20 with the pointer", 100, 20},
      {"a rect with a width of zero and a negative height",
       R"({"do":"screenshot","rect":[10,20,0,-5]})",
       "capture (10, 20, 1, 1) at 2 x 2 with the pointer", 2, 2},
      {"a rect of fractions", R"({"do":"screenshot","rect":[0.5,0.25,10.5,0.5],"max":21})",
       "capture (0.5, 0.25, 10.5, 1) at 21 x 2 with the pointer", 21, 2},
      {"a half rounded away from zero", R"({"do":"screenshot","rect":[0,0,4,2.5],"max":4})",
       "capture (0, 0, 4, 2.5) at 4 x 3 with the pointer", 4, 3},
      {"a max of 0", R"({"do":"screenshot","max":0})",
       "capture the whole display at 1 x 1 with the pointer", 1, 1},
      {"a negative max with a rect", R"({"do":"screenshot","max":-5,"rect":[1,2,3,4]})",
       "capture (1, 2, 3, 4) at 1 x 1 with the pointer", 1, 1},
      {"a max that is a string", R"({"do":"screenshot","max":"4000"})",
       "capture the whole display at 1280 x 831 with the pointer", 1280, 831},
      {"a rect of three numbers", R"({"do":"screenshot","rect":[100,50,300]})",
       "capture the whole display at 1280 x 831 with the pointer", 1280, 831},
      {"a rect of five numbers", R"({"do":"screenshot","rect":[100,50,300,200,1]})",
       "capture the whole display at 1280 x 831 with the pointer", 1280, 831},
      {"a rect with a string among its numbers", R"({"do":"screenshot","rect":[100,"50",300,200]})",
       "capture the whole display at 1280 x 831 with the pointer", 1280, 831},
      {"a rect that is an object", R"({"do":"screenshot","rect":{"x":1,"y":2,"w":3,"h":4}})",
       "capture the whole display at 1280 x 831 with the pointer", 1280, 831},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const HandsRun run = runHands(row.request);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.standardError, "");
    EXPECT_EQ(run.standardOutput, answerOf(row.width, row.height, 1512, 982));
    EXPECT_EQ(run.events,
              capturing(row.capture, "jpeg of " + std::to_string(row.width) + " x " +
                                         std::to_string(row.height) + " at quality 0.55"));
  }
}

TEST(Screenshot, HandsTheQualityToTheEncoderUnchanged) {
  const struct {
    std::string quality;
    std::string entry;
  } rows[] = {
      {"0", "jpeg of 1280 x 831 at quality 0"},
      {"1", "jpeg of 1280 x 831 at quality 1"},
      {"0.9", "jpeg of 1280 x 831 at quality 0.9"},
      {"7", "jpeg of 1280 x 831 at quality 7"},
      {"-1.5", "jpeg of 1280 x 831 at quality -1.5"},
      {"\"high\"", "jpeg of 1280 x 831 at quality 0.55"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.quality);
    const HandsRun run = runHands(R"({"do":"screenshot","quality":)" + row.quality + "}");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.events,
              capturing("capture the whole display at 1280 x 831 with the pointer", row.entry));
  }
}

TEST(Screenshot, LeavesOutTheRunningApplicationsOfTheExcludeList) {
  const struct {
    const char* name;
    std::string exclude;
    std::string filter;
  } rows[] = {
      {"in the order the system lists them; unknown ones ignored",
       R"(["com.c","com.zzz","com.a"])", "content filter of display 1 without com.a, com.c"},
      {"exact names only", R"(["COM.A","com.a ","com."])",
       "content filter of display 1 without nothing"},
      {"a number among the names excludes nothing", R"(["com.a",5])",
       "content filter of display 1 without nothing"},
      {"a string in place of a list excludes nothing", R"("com.a")",
       "content filter of display 1 without nothing"},
      {"an empty list", "[]", "content filter of display 1 without nothing"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const HandsRun run =
        runHands(R"({"do":"screenshot","exclude":)" + row.exclude + "}", [](HandsFakes& fakes) {
          fakes.screenCapture.setApplications({"com.a", "com.b", "com.c"});
        });
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.events, capturing("capture the whole display at 1280 x 831 with the pointer",
                                    "jpeg of 1280 x 831 at quality 0.55", row.filter));
  }
}

TEST(Screenshot, CapturesTheMainDisplayElseTheFirstListed) {
  const struct {
    const char* name;
    std::vector<platform::ShareableDisplay> displays;
    platform::DisplayID main;
    float scale;
    std::string request;
    Lines events;
    std::string answer;
  } rows[] = {
      {"the main display listed second",
       {{5, 800, 600}, {9, 1512, 982}},
       9,
       2,
       R"({"do":"screenshot"})",
       capturing("capture the whole display at 1280 x 831 with the pointer",
                 "jpeg of 1280 x 831 at quality 0.55",
                 "content filter of display 9 without nothing"),
       answerOf(1280, 831, 1512, 982)},
      {"no main display among them",
       {{5, 800, 600}, {9, 1512, 982}},
       3,
       2,
       R"({"do":"screenshot"})",
       capturing("capture the whole display at 1280 x 960 with the pointer",
                 "jpeg of 1280 x 960 at quality 0.55",
                 "content filter of display 5 without nothing"),
       answerOf(1280, 960, 800, 600)},
      {"a display of one pixel a point and a max beyond it",
       {{1, 1512, 982}},
       1,
       1,
       R"({"do":"screenshot","max":4000,"rect":[1400,900,400,400]})",
       capturing("capture (1400, 900, 112, 82) at 112 x 82 with the pointer",
                 "jpeg of 112 x 82 at quality 0.55"),
       answerOf(112, 82, 1512, 982)},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const HandsRun run = runHands(row.request, [&](HandsFakes& fakes) {
      fakes.screenCapture.setDisplays(row.displays);
      fakes.screenCapture.setMainDisplayID(row.main);
      fakes.screenCapture.setPointPixelScale(row.scale);
    });
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.events, row.events);
    EXPECT_EQ(run.standardOutput, row.answer);
  }
}

TEST(Screenshot, AnswersTheSizeOfTheImageItGot) {
  const HandsRun run = runHands(R"({"do":"screenshot"})", [](HandsFakes& fakes) {
    fakes.screenCapture.setImageSize(1279, 830);
  });
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.standardOutput, answerOf(1279, 830, 1512, 982));
  EXPECT_EQ(run.events.back(), "jpeg of 1279 x 830 at quality 0.55");
}

TEST(Screenshot, EndsTheRunWithTheLineOfEachFailure) {
  const Lines up_to_the_filter = {"shareable content", "main display id",
                                  "content filter of display 1 without nothing"};
  const struct {
    const char* name;
    std::string request;
    std::function<void(HandsFakes&)> script;
    std::string message;
    Lines events;
  } rows[] = {
      {"the content is refused", R"({"do":"screenshot"})",
       [](HandsFakes& fakes) {
         fakes.screenCapture.failContent("The user declined TCCs for application capture");
       },
       "mivo-hands: no screenshot: The user declined TCCs for application capture\n",
       {"shareable content"}},
      {"no display", R"({"do":"screenshot"})",
       [](HandsFakes& fakes) { fakes.screenCapture.setDisplays({}); },
       "mivo-hands: no display to see\n", {"shareable content"}},
      {"the capture fails", R"({"do":"screenshot","rect":[1,2,3,4]})",
       [](HandsFakes& fakes) { fakes.screenCapture.failCapture("Stream was interrupted"); },
       "mivo-hands: no screenshot: Stream was interrupted\n",
       {"shareable content", "main display id", "content filter of display 1 without nothing",
        "capture (1, 2, 3, 4) at 6 x 8 with the pointer"}},
      {"no JPEG", R"({"do":"screenshot"})",
       [](HandsFakes& fakes) { fakes.jpeg.refuse(); }, "mivo-hands: could not make a JPEG\n",
       capturing("capture the whole display at 1280 x 831 with the pointer",
                 "jpeg of 1280 x 831 at quality 0.55")},
      {"a rect past the right edge", R"({"do":"screenshot","rect":[1600,0,10,10]})", {},
       "mivo-hands: the rect lies outside the display\n", up_to_the_filter},
      {"a rect that begins on the bottom edge", R"({"do":"screenshot","rect":[0,982,10,10]})", {},
       "mivo-hands: the rect lies outside the display\n", up_to_the_filter},
      {"a rect that ends on the left edge", R"({"do":"screenshot","rect":[-20,0,20,10]})", {},
       "mivo-hands: the rect lies outside the display\n", up_to_the_filter},
      {"a widened rect still before the corner", R"({"do":"screenshot","rect":[-2,-2,0,0]})", {},
       "mivo-hands: the rect lies outside the display\n", up_to_the_filter},
      {"a rect outside with a negative max",
       R"({"do":"screenshot","rect":[5000,5000,10,10],"max":-1})", {},
       "mivo-hands: the rect lies outside the display\n", up_to_the_filter},
      {"a size beyond 64 bits", R"({"do":"screenshot","max":1e300})",
       [](HandsFakes& fakes) {
         fakes.screenCapture.setDisplays({{1, std::int64_t{1} << 62, 1}});
         fakes.screenCapture.setPointPixelScale(4);
       },
       "mivo-hands: the screenshot would be too large\n", up_to_the_filter},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const HandsRun run = runHands(row.request, row.script);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.standardError, row.message);
    EXPECT_EQ(run.standardOutput, "");
    EXPECT_EQ(run.events, row.events);
  }
}

}  // namespace
}  // namespace mivo::hands
