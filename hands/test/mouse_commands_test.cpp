// The pointer commands, in-process: the exact events and pauses each posts.
#include "hands/mouse_commands.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "hands/test/hands_run.h"

namespace mivo::hands {
namespace {

using platform::Position;
using Lines = std::vector<std::string>;

struct Row {
  const char* name;
  std::string request;
  Lines events;
};

// Each row runs to an {"ok":true} answer with exactly its events.
void expectOkRuns(const std::vector<Row>& rows,
                  const std::function<void(HandsFakes&)>& script = {}) {
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const HandsRun run = runHands(row.request, script);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.standardError, "");
    EXPECT_EQ(run.standardOutput, "{\"ok\":true}\n");
    EXPECT_EQ(run.events, row.events);
  }
}

struct FailingRow {
  const char* name;
  std::string request;
  std::string message;
};

// Each row ends with status 1 and its message before any event.
void expectRefusals(const std::vector<FailingRow>& rows) {
  for (const FailingRow& row : rows) {
    SCOPED_TRACE(row.name);
    const HandsRun run = runHands(row.request);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.standardError, row.message);
    EXPECT_EQ(run.standardOutput, "");
    EXPECT_EQ(run.events, Lines{});
  }
}

TEST(Cursor, AnswersThePointerPositionOrZeroWithoutOne) {
  const struct {
    const char* name;
    std::string request;
    std::optional<Position> location;
    std::string answer;
  } rows[] = {
      {"a position", R"({"do":"cursor"})", Position{12.5, -3}, "{\"x\":12.5,\"y\":-3}\n"},
      {"x and y of the request are ignored", R"({"do":"cursor","x":1,"y":2})", Position{700, 40},
       "{\"x\":700,\"y\":40}\n"},
      {"nothing to read it from", R"({"do":"cursor"})", std::nullopt, "{\"x\":0,\"y\":0}\n"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const HandsRun run = runHands(
        row.request, [&](HandsFakes& fakes) { fakes.input.setPointerLocation(row.location); });
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.standardOutput, row.answer);
    EXPECT_EQ(run.events, Lines{"pointer location"});
  }
}

TEST(Move, PostsOnePointerMove) {
  expectOkRuns({
      {"whole numbers", R"({"do":"move","x":10,"y":20})",
       {"create event source", "mouse mouseMoved at (10, 20) button left clicks 1 flags 0x0"}},
      {"fractions and negatives", R"({"do":"move","x":-0.5,"y":1e3})",
       {"create event source", "mouse mouseMoved at (-0.5, 1000) button left clicks 1 flags 0x0"}},
      {"a point under another name is not read", R"({"do":"move","x":1,"y":2,"to":[8,9]})",
       {"create event source", "mouse mouseMoved at (1, 2) button left clicks 1 flags 0x0"}},
      {"numbers beyond the float range in other members",
       R"({"do":"move","x":1,"y":2,"to":[1e400,9],"extra":1)" + std::string(400, '0') + "}",
       {"create event source", "mouse mouseMoved at (1, 2) button left clicks 1 flags 0x0"}},
  });
}

TEST(Move, NeedsNumbersXAndY) {
  expectRefusals({
      {"neither", R"({"do":"move"})", "mivo-hands: move needs x and y\n"},
      {"no y", R"({"do":"move","x":1})", "mivo-hands: move needs x and y\n"},
      {"a numeral in a string", R"({"do":"move","x":"10","y":20})",
       "mivo-hands: move needs x and y\n"},
      {"null", R"({"do":"move","x":10,"y":null})", "mivo-hands: move needs x and y\n"},
      {"a boolean", R"({"do":"move","x":true,"y":1})", "mivo-hands: move needs x and y\n"},
      {"a point", R"({"do":"move","x":[1,2],"y":1})", "mivo-hands: move needs x and y\n"},
      {"an integer no double holds", R"({"do":"move","x":9007199254740993,"y":1})",
       "mivo-hands: move needs x and y\n"},
      {"a number beyond the float range", R"({"do":"move","x":1e400,"y":1})",
       "mivo-hands: move needs x and y\n"},
      {"an integer of 401 digits", R"({"do":"move","x":1,"y":-1)" + std::string(400, '0') + "}",
       "mivo-hands: move needs x and y\n"},
      {"names differ in case", R"({"do":"move","X":1,"Y":2})", "mivo-hands: move needs x and y\n"},
  });
}

TEST(Click, DoubleRightClickWithModifiers) {
  expectOkRuns({
      {"right, twice, cmd+shift",
       R"({"do":"click","x":100,"y":200,"button":"right","count":2,"mods":"cmd+shift"})",
       {
           "create event source",
           "mouse mouseMoved at (100, 200) button left clicks 1 flags 0x0",
           "sleep 0.05",
           "hold back signals",
           "mouse rightMouseDown at (100, 200) button right clicks 1 flags 0x120000",
           "mouse rightMouseUp at (100, 200) button right clicks 1 flags 0x120000",
           "let signals through",
           "sleep 0.06",
           "hold back signals",
           "mouse rightMouseDown at (100, 200) button right clicks 2 flags 0x120000",
           "mouse rightMouseUp at (100, 200) button right clicks 2 flags 0x120000",
           "let signals through",
       }},
  });
}

TEST(Click, CountIsTruncatedAndAtLeastOne) {
  const Lines single = {
      "create event source",
      "mouse mouseMoved at (1, 2) button left clicks 1 flags 0x0",
      "sleep 0.05",
      "hold back signals",
      "mouse leftMouseDown at (1, 2) button left clicks 1 flags 0x0",
      "mouse leftMouseUp at (1, 2) button left clicks 1 flags 0x0",
      "let signals through",
  };
  const Lines twice = {
      "create event source",
      "mouse mouseMoved at (1, 2) button left clicks 1 flags 0x0",
      "sleep 0.05",
      "hold back signals",
      "mouse leftMouseDown at (1, 2) button left clicks 1 flags 0x0",
      "mouse leftMouseUp at (1, 2) button left clicks 1 flags 0x0",
      "let signals through",
      "sleep 0.06",
      "hold back signals",
      "mouse leftMouseDown at (1, 2) button left clicks 2 flags 0x0",
      "mouse leftMouseUp at (1, 2) button left clicks 2 flags 0x0",
      "let signals through",
  };
  expectOkRuns({
      {"no count", R"({"do":"click","x":1,"y":2})", single},
      {"0", R"({"do":"click","x":1,"y":2,"count":0})", single},
      {"negative", R"({"do":"click","x":1,"y":2,"count":-3})", single},
      {"0.5", R"({"do":"click","x":1,"y":2,"count":0.5})", single},
      {"far below the 64-bit range's end", R"({"do":"click","x":1,"y":2,"count":-9.2e18})", single},
      {"a numeral in a string", R"({"do":"click","x":1,"y":2,"count":"2"})", single},
      {"2.9", R"({"do":"click","x":1,"y":2,"count":2.9})", twice},
      {"3",
       R"({"do":"click","x":1,"y":2,"count":3})",
       {
           "create event source",
           "mouse mouseMoved at (1, 2) button left clicks 1 flags 0x0",
           "sleep 0.05",
           "hold back signals",
           "mouse leftMouseDown at (1, 2) button left clicks 1 flags 0x0",
           "mouse leftMouseUp at (1, 2) button left clicks 1 flags 0x0",
           "let signals through",
           "sleep 0.06",
           "hold back signals",
           "mouse leftMouseDown at (1, 2) button left clicks 2 flags 0x0",
           "mouse leftMouseUp at (1, 2) button left clicks 2 flags 0x0",
           "let signals through",
           "sleep 0.06",
           "hold back signals",
           "mouse leftMouseDown at (1, 2) button left clicks 3 flags 0x0",
           "mouse leftMouseUp at (1, 2) button left clicks 3 flags 0x0",
           "let signals through",
       }},
  });
}

// The events of one click at (1, 2).
Lines oneClick(const std::string& down, const std::string& up, const std::string& button,
               const std::string& flags) {
  return {
      "create event source",
      "mouse mouseMoved at (1, 2) button left clicks 1 flags 0x0",
      "sleep 0.05",
      "hold back signals",
      "mouse " + down + " at (1, 2) button " + button + " clicks 1 flags " + flags,
      "mouse " + up + " at (1, 2) button " + button + " clicks 1 flags " + flags,
      "let signals through",
  };
}

TEST(Click, ButtonIsComparedExactly) {
  const Lines left = oneClick("leftMouseDown", "leftMouseUp", "left", "0x0");
  expectOkRuns({
      {"left", R"({"do":"click","x":1,"y":2,"button":"left"})", left},
      {"right", R"({"do":"click","x":1,"y":2,"button":"right"})",
       oneClick("rightMouseDown", "rightMouseUp", "right", "0x0")},
      {"middle", R"({"do":"click","x":1,"y":2,"button":"middle"})",
       oneClick("otherMouseDown", "otherMouseUp", "center", "0x0")},
      {"Right", R"({"do":"click","x":1,"y":2,"button":"Right"})", left},
      {"right with a space", R"({"do":"click","x":1,"y":2,"button":"right "})", left},
      {"center", R"({"do":"click","x":1,"y":2,"button":"center"})", left},
      {"a number", R"({"do":"click","x":1,"y":2,"button":1})", left},
  });
}

TEST(Click, ModifiersGoOnTheButtonEventsOnly) {
  const auto left = [](const std::string& flags) {
    return oneClick("leftMouseDown", "leftMouseUp", "left", flags);
  };
  expectOkRuns({
      {"cmd+shift", R"({"do":"click","x":1,"y":2,"mods":"cmd+shift"})", left("0x120000")},
      {"spaces around the plus", R"({"do":"click","x":1,"y":2,"mods":"cmd + shift"})", left("0x0")},
      {"capitals", R"({"do":"click","x":1,"y":2,"mods":"CMD"})", left("0x100000")},
      {"a piece that names nothing", R"({"do":"click","x":1,"y":2,"mods":"ctrl+hyper+alt"})",
       left("0xc0000")},
      {"empty pieces", R"({"do":"click","x":1,"y":2,"mods":"++Shift++"})", left("0x20000")},
      {"every modifier", R"({"do":"click","x":1,"y":2,"mods":"win+control+option+shift+fn"})",
       left("0x9e0000")},
      {"not a text", R"({"do":"click","x":1,"y":2,"mods":["cmd"]})", left("0x0")},
  });
}

TEST(Click, RefusesBeforeAnyEvent) {
  expectRefusals({
      {"no position", R"({"do":"click"})", "mivo-hands: click needs x and y\n"},
      {"a point in place of x and y", R"({"do":"click","from":[1,2]})",
       "mivo-hands: click needs x and y\n"},
      {"x a string", R"({"do":"click","x":"1","y":2})", "mivo-hands: click needs x and y\n"},
      {"a count past the 64-bit range", R"({"do":"click","x":1,"y":2,"count":1e19})",
       "mivo-hands: click count out of range\n"},
      {"a count below it", R"({"do":"click","x":1,"y":2,"count":-1e19})",
       "mivo-hands: click count out of range\n"},
      {"a count of 2^63", R"({"do":"click","x":1,"y":2,"count":9223372036854775808})",
       "mivo-hands: click count out of range\n"},
  });
}

TEST(Click, StopsAtAnEventTheSystemWillNotMake) {
  const HandsRun run = runHands(R"({"do":"click","x":1,"y":2,"count":2})",
                                [](HandsFakes& fakes) { fakes.input.refuseMouseEvents(); });
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.standardError, "mivo-hands: could not make a mouse event\n");
  EXPECT_EQ(run.standardOutput, "");
  EXPECT_EQ(run.events,
            (Lines{"create event source",
                   "mouse mouseMoved at (1, 2) button left clicks 1 flags 0x0 (refused)"}));
}

TEST(Events, WithoutAnEventSourceNothingIsPosted) {
  const HandsRun run = runHands(R"({"do":"move","x":1,"y":2})", [](HandsFakes& fakes) {
    fakes.input.refuseEventSources("cannot open the X display \":7\"");
  });
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.standardError,
            "mivo-hands: cannot post input events: cannot open the X display \":7\"\n");
  EXPECT_EQ(run.events, Lines{"create event source"});
}

TEST(DownAndUp, PressAndReleaseTheLeftButtonWhereAskedOrWhereThePointerIs) {
  expectOkRuns(
      {
          {"down at a position", R"({"do":"down","x":5,"y":6,"button":"right","mods":"cmd"})",
           {"create event source", "mouse leftMouseDown at (5, 6) button left clicks 1 flags 0x0"}},
          {"up at a position", R"({"do":"up","x":5,"y":6})",
           {"create event source", "mouse leftMouseUp at (5, 6) button left clicks 1 flags 0x0"}},
          {"down without a position", R"({"do":"down"})",
           {"pointer location", "create event source",
            "mouse leftMouseDown at (70.5, 80) button left clicks 1 flags 0x0"}},
          {"up with x alone", R"({"do":"up","x":5})",
           {"pointer location", "create event source",
            "mouse leftMouseUp at (70.5, 80) button left clicks 1 flags 0x0"}},
      },
      [](HandsFakes& fakes) { fakes.input.setPointerLocation(Position{70.5, 80}); });
  expectOkRuns({
      {"down with nothing to read the pointer from", R"({"do":"down"})",
       {"pointer location", "create event source",
        "mouse leftMouseDown at (0, 0) button left clicks 1 flags 0x0"}},
  });
}

TEST(Drag, StepsTwentyTimesAndReleasesAtTheEndItself) {
  // Each step is (end - start) * t + start with two roundings. A fused
  // multiply-add would move several of these steps by a last bit, and the
  // 20th step misses the end in both coordinates.
  expectOkRuns({
      {"from and to", R"({"do":"drag","from":[1.1,3.3],"to":[7.3,-1.7]})",
       {
           "create event source",
           "mouse mouseMoved at (1.1, 3.3) button left clicks 1 flags 0x0",
           "hold back signals",
           "mouse leftMouseDown at (1.1, 3.3) button left clicks 1 flags 0x0",
           "mouse leftMouseDragged at (1.4100000000000001, 3.05) "
           "button left clicks 1 flags 0x0",
           "wait 0.01",
           "mouse leftMouseDragged at (1.7200000000000002, 2.8) "
           "button left clicks 1 flags 0x0",
           "wait 0.01",
           "mouse leftMouseDragged at (2.03, 2.55) "
           "button left clicks 1 flags 0x0",
           "wait 0.01",
           "mouse leftMouseDragged at (2.34, 2.3) "
           "button left clicks 1 flags 0x0",
           "wait 0.01",
           "mouse leftMouseDragged at (2.65, 2.05) "
           "button left clicks 1 flags 0x0",
           "wait 0.01",
           "mouse leftMouseDragged at (2.96, 1.7999999999999998) "
           "button left clicks 1 flags 0x0",
           "wait 0.01",
           "mouse leftMouseDragged at (3.2699999999999996, 1.5499999999999998) "
           "button left clicks 1 flags 0x0",
           "wait 0.01",
           "mouse leftMouseDragged at (3.58, 1.2999999999999998) "
           "button left clicks 1 flags 0x0",
           "wait 0.01",
           "mouse leftMouseDragged at (3.8899999999999997, 1.0499999999999998) "
           "button left clicks 1 flags 0x0",
           "wait 0.01",
           "mouse leftMouseDragged at (4.199999999999999, 0.7999999999999998) "
           "button left clicks 1 flags 0x0",
           "wait 0.01",
           "mouse leftMouseDragged at (4.51, 0.5499999999999998) "
           "button left clicks 1 flags 0x0",
           "wait 0.01",
           "mouse leftMouseDragged at (4.819999999999999, 0.2999999999999998) "
           "button left clicks 1 flags 0x0",
           "wait 0.01",
           "mouse leftMouseDragged at (5.129999999999999, 0.04999999999999982) "
           "button left clicks 1 flags 0x0",
           "wait 0.01",
           "mouse leftMouseDragged at (5.4399999999999995, -0.20000000000000018) "
           "button left clicks 1 flags 0x0",
           "wait 0.01",
           "mouse leftMouseDragged at (5.75, -0.4500000000000002) "
           "button left clicks 1 flags 0x0",
           "wait 0.01",
           "mouse leftMouseDragged at (6.0600000000000005, -0.7000000000000002) "
           "button left clicks 1 flags 0x0",
           "wait 0.01",
           "mouse leftMouseDragged at (6.369999999999999, -0.9500000000000002) "
           "button left clicks 1 flags 0x0",
           "wait 0.01",
           "mouse leftMouseDragged at (6.68, -1.2000000000000002) "
           "button left clicks 1 flags 0x0",
           "wait 0.01",
           "mouse leftMouseDragged at (6.989999999999998, -1.4500000000000002) "
           "button left clicks 1 flags 0x0",
           "wait 0.01",
           "mouse leftMouseDragged at (7.299999999999999, -1.7000000000000002) "
           "button left clicks 1 flags 0x0",
           "wait 0.01",
           "mouse leftMouseUp at (7.3, -1.7) button left clicks 1 flags 0x0",
           "let signals through",
       }},
  });
}

TEST(Drag, FallsBackToXAndYForEachEnd) {
  // Only where it starts and ends matters here: the first and the last event.
  const struct {
    const char* name;
    std::string request;
    std::string first;
    std::string last;
  } rows[] = {
      {"x and y alone drag in place", R"({"do":"drag","x":4,"y":5})",
       "mouse mouseMoved at (4, 5) button left clicks 1 flags 0x0",
       "mouse leftMouseUp at (4, 5) button left clicks 1 flags 0x0"},
      {"from of three numbers", R"({"do":"drag","from":[1,2,3],"to":[8,9],"x":4,"y":5})",
       "mouse mouseMoved at (4, 5) button left clicks 1 flags 0x0",
       "mouse leftMouseUp at (8, 9) button left clicks 1 flags 0x0"},
      {"to with a string", R"({"do":"drag","from":[1,2],"to":[8,"9"],"x":4,"y":5})",
       "mouse mouseMoved at (1, 2) button left clicks 1 flags 0x0",
       "mouse leftMouseUp at (4, 5) button left clicks 1 flags 0x0"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const HandsRun run = runHands(row.request);
    EXPECT_EQ(run.status, 0);
    ASSERT_EQ(run.events.size(), 46u);
    EXPECT_EQ(run.events[1], row.first);
    EXPECT_EQ(run.events[run.events.size() - 2], row.last);
  }
}

TEST(Drag, InPlaceEveryStepIsAtThePoint) {
  const HandsRun run = runHands(R"({"do":"drag","x":4,"y":5})");
  EXPECT_EQ(run.status, 0);
  Lines expected = {
      "create event source",
      "mouse mouseMoved at (4, 5) button left clicks 1 flags 0x0",
      "hold back signals",
      "mouse leftMouseDown at (4, 5) button left clicks 1 flags 0x0",
  };
  for (int step = 0; step < 20; ++step) {
    expected.push_back("mouse leftMouseDragged at (4, 5) button left clicks 1 flags 0x0");
    expected.push_back("wait 0.01");
  }
  expected.push_back("mouse leftMouseUp at (4, 5) button left clicks 1 flags 0x0");
  expected.push_back("let signals through");
  EXPECT_EQ(run.events, expected);
}

TEST(Drag, ASignalReleasesTheButtonWhereThePointerIsThenEndsTheRun) {
  const HandsRun run = runHands(R"({"do":"drag","from":[0,0],"to":[200,100]})",
                                [](HandsFakes& fakes) { fakes.signals.comeDuringWait(2, 15); });
  EXPECT_EQ(run.status, 128 + 15);
  EXPECT_EQ(run.standardOutput, "");
  EXPECT_EQ(run.events, (Lines{
                            "create event source",
                            "mouse mouseMoved at (0, 0) button left clicks 1 flags 0x0",
                            "hold back signals",
                            "mouse leftMouseDown at (0, 0) button left clicks 1 flags 0x0",
                            "mouse leftMouseDragged at (10, 5) button left clicks 1 flags 0x0",
                            "wait 0.01",
                            "mouse leftMouseDragged at (20, 10) button left clicks 1 flags 0x0",
                            "wait 0.01: signal 15",
                            "mouse leftMouseUp at (20, 10) button left clicks 1 flags 0x0",
                            "end as signal 15",
                        }));
}

TEST(Drag, AStepTheSystemWillNotMakeStillReleasesTheButton) {
  const HandsRun run =
      runHands(R"({"do":"drag","from":[0,0],"to":[200,100]})", [](HandsFakes& fakes) {
        fakes.input.refuseMouseEventsOfType(platform::MouseEventType::leftMouseDragged);
      });
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.standardError, "mivo-hands: could not make a mouse event\n");
  EXPECT_EQ(run.events,
            (Lines{
                "create event source",
                "mouse mouseMoved at (0, 0) button left clicks 1 flags 0x0",
                "hold back signals",
                "mouse leftMouseDown at (0, 0) button left clicks 1 flags 0x0",
                "mouse leftMouseDragged at (10, 5) button left clicks 1 flags 0x0 (refused)",
                "mouse leftMouseUp at (10, 5) button left clicks 1 flags 0x0",
            }));
}

TEST(Drag, NeedsBothEnds) {
  expectRefusals({
      {"nothing", R"({"do":"drag"})", "mivo-hands: drag needs from and to\n"},
      {"no end", R"({"do":"drag","from":[1,2]})", "mivo-hands: drag needs from and to\n"},
      {"no start", R"({"do":"drag","to":[1,2]})", "mivo-hands: drag needs from and to\n"},
      {"from of three numbers", R"({"do":"drag","from":[1,2,3],"to":[8,9]})",
       "mivo-hands: drag needs from and to\n"},
      {"x without y", R"({"do":"drag","from":[1,2],"x":3})",
       "mivo-hands: drag needs from and to\n"},
  });
}

TEST(Scroll, PostsOneEventByLinesMovingFirstOnlyWhenAsked) {
  expectOkRuns({
      {"with a position", R"({"do":"scroll","x":10,"y":20,"dy":2.7,"dx":-2.7})",
       {
           "create event source",
           "mouse mouseMoved at (10, 20) button left clicks 1 flags 0x0",
           "sleep 0.05",
           "scroll wheel1 2 wheel2 -2",
       }},
      {"without a position", R"({"do":"scroll","dy":-2.7})",
       {"create event source", "scroll wheel1 -2 wheel2 0"}},
      {"x alone is no position", R"({"do":"scroll","x":10,"dx":3})",
       {"create event source", "scroll wheel1 0 wheel2 3"}},
      {"no amounts", R"({"do":"scroll"})", {"create event source", "scroll wheel1 0 wheel2 0"}},
      {"amounts that are no numbers", R"({"do":"scroll","dy":"5","dx":true})",
       {"create event source", "scroll wheel1 0 wheel2 0"}},
      {"amounts beyond the float range count as none", R"({"do":"scroll","dy":1e400,"dx":-1e400})",
       {"create event source", "scroll wheel1 0 wheel2 0"}},
      {"the ends of the 32-bit range", R"({"do":"scroll","dy":2147483647.9,"dx":-2147483648.9})",
       {"create event source", "scroll wheel1 2147483647 wheel2 -2147483648"}},
  });
}

TEST(Scroll, GoesOnWhenTheSystemMakesNoScrollEvent) {
  expectOkRuns({{"refused", R"({"do":"scroll","dy":1})",
                 {"create event source", "scroll wheel1 1 wheel2 0 (refused)"}}},
               [](HandsFakes& fakes) { fakes.input.refuseScrollEvents(); });
}

TEST(Scroll, RefusesAmountsNoWheelTakesBeforeMoving) {
  expectRefusals({
      {"dy past the 32-bit range", R"({"do":"scroll","x":1,"y":2,"dy":2147483648})",
       "mivo-hands: scroll amount out of range\n"},
      {"dx below it", R"({"do":"scroll","x":1,"y":2,"dx":-2147483649})",
       "mivo-hands: scroll amount out of range\n"},
      {"far beyond", R"({"do":"scroll","dy":1e300})", "mivo-hands: scroll amount out of range\n"},
  });
}

}  // namespace
}  // namespace mivo::hands
