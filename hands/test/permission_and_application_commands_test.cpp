// "check", "ask", "hide" and "show", in-process: the order in which they ask
// the system, and the one pause of "hide".
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "hands/test/hands_run.h"

namespace mivo::hands {
namespace {

using Lines = std::vector<std::string>;

TEST(Check, ReadsTheScreenThenAccessibility) {
  const struct {
    bool screen;
    bool accessibility;
    std::string answer;
  } rows[] = {
      {false, false, "{\"screen\":false,\"accessibility\":false}\n"},
      {true, false, "{\"screen\":true,\"accessibility\":false}\n"},
      {false, true, "{\"screen\":false,\"accessibility\":true}\n"},
      {true, true, "{\"screen\":true,\"accessibility\":true}\n"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.answer);
    const HandsRun run = runHands(R"({"do":"check"})", [&](HandsFakes& fakes) {
      fakes.permissions.grant(row.screen, row.accessibility);
    });
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.standardOutput, row.answer);
    EXPECT_EQ(run.events, (Lines{"preflight screen capture", "is process trusted"}));
  }
}

TEST(Ask, RequestsBothThenAnswersTheStateAfterwards) {
  const struct {
    const char* name;
    bool screen_on_request;
    bool accessibility_on_request;
    std::string answer;
  } rows[] = {
      {"both refused", false, false, "{\"screen\":false,\"accessibility\":false}\n"},
      {"the screen allowed at once", true, false, "{\"screen\":true,\"accessibility\":false}\n"},
      {"both allowed at once", true, true, "{\"screen\":true,\"accessibility\":true}\n"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const HandsRun run = runHands(R"({"do":"ask"})", [&](HandsFakes& fakes) {
      fakes.permissions.grantOnRequest(row.screen_on_request, row.accessibility_on_request);
    });
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.standardOutput, row.answer);
    EXPECT_EQ(run.events, (Lines{"request screen capture", "is process trusted with prompt",
                                 "preflight screen capture", "is process trusted"}));
  }
}

void runningApps(HandsFakes& fakes) {
  fakes.applications.run("com.a", 2);
  fakes.applications.run("com.b", 1);
  fakes.applications.run("", 1);
}

TEST(Hide, HidesEveryInstanceOfEachIdentifierThenPausesOnce) {
  const struct {
    const char* name;
    std::string request;
    Lines events;
  } rows[] = {
      {"three identifiers", R"({"do":"hide","bundles":["com.b","com.none","com.a"]})",
       {"applications \"com.b\"", "hide com.b #1", "applications \"com.none\"",
        "applications \"com.a\"", "hide com.a #1", "hide com.a #2", "sleep 0.35"}},
      {"one identifier twice", R"({"do":"hide","bundles":["com.b","com.b"]})",
       {"applications \"com.b\"", "hide com.b #1", "applications \"com.b\"", "hide com.b #1",
        "sleep 0.35"}},
      {"no bundles", R"({"do":"hide"})", {"sleep 0.35"}},
      {"an empty list", R"({"do":"hide","bundles":[]})", {"sleep 0.35"}},
      {"a number among the identifiers", R"({"do":"hide","bundles":["com.a",1]})",
       {"sleep 0.35"}},
      {"a string in place of a list", R"({"do":"hide","bundles":"com.a"})", {"sleep 0.35"}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const HandsRun run = runHands(row.request, runningApps);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.standardOutput, "{\"ok\":true}\n");
    EXPECT_EQ(run.events, row.events);
  }
}

TEST(Show, UnhidesAndActivatesEachInstanceInTurnWithNoPause) {
  const struct {
    const char* name;
    std::string request;
    Lines events;
  } rows[] = {
      {"two instances", R"({"do":"show","bundle":"com.a"})",
       {"applications \"com.a\"", "unhide com.a #1", "activate com.a #1", "unhide com.a #2",
        "activate com.a #2"}},
      {"none running", R"({"do":"show","bundle":"com.none"})", {"applications \"com.none\""}},
      {"no bundle looks up the empty identifier", R"({"do":"show"})",
       {"applications \"\"", "unhide  #1", "activate  #1"}},
      {"a list in place of a text", R"({"do":"show","bundle":["com.a"]})",
       {"applications \"\"", "unhide  #1", "activate  #1"}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const HandsRun run = runHands(row.request, runningApps);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.standardOutput, "{\"ok\":true}\n");
    EXPECT_EQ(run.events, row.events);
  }
}

}  // namespace
}  // namespace mivo::hands
