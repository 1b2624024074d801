// The built program, run as the host runs it, without a display and on an
// Xvfb server of the test's own, where a window of the test's own sees what
// it posts.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

#include "hands/test/typing_texts.h"
#include "hands/test/x_test_window.h"
#include "hands/test/xvfb_server.h"
#include "see/test/run_program.h"

namespace mivo::test {
namespace {

using Lines = std::vector<std::string>;

// X state bits.
constexpr unsigned kShiftMask = 0x1;
constexpr unsigned kSuperMask = 0x40;
constexpr unsigned kButton1Mask = 0x100;

ProgramRun runMivoHands(const std::string& request, OutputTarget output = OutputTarget::captured,
                        const std::function<void(pid_t)>& meanwhile = {}) {
  return runProgram(MIVO_HANDS_BINARY, request, ".", output, meanwhile);
}

// Runs `request`, and once `window` has seen the pointer's first motion holds
// the server still, sends the program SIGTERM, and lets the server go on.
// The hold lasts far longer than the pause before a click's press (0.05 s),
// so the signal comes while the program waits for the server in the post of
// its press (in a drag, which presses right after its first motion, of the
// press or of its first step).
ProgramRun runTerminatedAfterTheFirstMotion(XTestWindow& window, const std::string& request) {
  bool sent = false;
  return runMivoHands(request, OutputTarget::captured, [&](pid_t program) {
    if (!window.watch(std::chrono::milliseconds(5)) || sent) return;
    window.grabServer();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ::kill(program, SIGTERM);
    window.ungrabServer();
    sent = true;
  });
}

std::size_t countOf(const Lines& events, const std::string& prefix) {
  std::size_t count = 0;
  for (const std::string& event : events) count += event.rfind(prefix, 0) == 0 ? 1 : 0;
  return count;
}

class WithoutDisplay : public ::testing::Test {
 protected:
  void SetUp() override { ::unsetenv("DISPLAY"); }
};

TEST_F(WithoutDisplay, ReadsNoPointerAndPostsNothing) {
  const struct {
    std::string request;
    int status;
    std::string answer;
    std::string message;
  } rows[] = {
      {R"({"do":"cursor"})", 0, "{\"x\":0,\"y\":0}\n", ""},
      {R"({"do":"move","x":1,"y":2})", 1, "",
       "mivo-hands: cannot post input events: cannot open the X display \"\"\n"},
      {R"({"do":"scroll","dy":1})", 1, "",
       "mivo-hands: cannot post input events: cannot open the X display \"\"\n"},
      {"", 1, "", "mivo-hands: give it {\"do\": …} as JSON on stdin\n"},
      {R"({"do":"Move"})", 1, "", "mivo-hands: no command Move\n"},
      // Nothing to post, so nothing needs the display.
      {R"({"do":"type","text":""})", 0, "{\"ok\":true}\n", ""},
      // Text of the request in a failure line stays on that line.
      {R"({"do":"Move\nmivo-hands: x"})", 1, "", "mivo-hands: no command Move\\nmivo-hands: x\n"},
      {R"({"do":"key","keys":"ctrl+\r\n"})", 1, "", "mivo-hands: no key called \\r\\n\n"},
      {R"({"do":"key","keys":"\u2028cmd"})", 1, "", "mivo-hands: no key called \\u2028cmd\n"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.request);
    const ProgramRun run = runMivoHands(row.request);
    EXPECT_EQ(run.status, row.status);
    EXPECT_EQ(run.standardOutput, row.answer);
    EXPECT_EQ(run.standardError, row.message);
  }
}

TEST_F(WithoutDisplay, AnAnswerThatCannotBeWrittenFailsTheRun) {
  for (const OutputTarget output : {OutputTarget::closed_pipe, OutputTarget::full_device}) {
    SCOPED_TRACE(static_cast<int>(output));
    const ProgramRun run = runMivoHands(R"({"do":"cursor"})", output);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.standardError, "mivo-hands: could not write the answer\n");
  }
}

class OnXvfb : public ::testing::Test {
 protected:
  void SetUp() override { ::setenv("DISPLAY", server_.display().c_str(), 1); }

  // Runs one request that must succeed with {"ok":true}.
  void act(const std::string& request) {
    SCOPED_TRACE(request);
    const ProgramRun run = runMivoHands(request);
    ASSERT_EQ(run.status, 0) << run.standardError;
    EXPECT_EQ(run.standardOutput, "{\"ok\":true}\n");
  }

  XvfbServer server_;
};

TEST_F(OnXvfb, CursorReadsBackWhereMoveWent) {
  const struct {
    std::string move;
    std::string cursor;
  } rows[] = {
      {R"({"do":"move","x":100,"y":200})", "{\"x\":100,\"y\":200}\n"},
      {R"({"do":"move","x":10.4,"y":20.6})", "{\"x\":10,\"y\":21}\n"},
      {R"({"do":"move","x":0,"y":0})", "{\"x\":0,\"y\":0}\n"},
      {R"({"do":"move","x":-50,"y":5000})", "{\"x\":0,\"y\":981}\n"},
      {R"({"do":"move","x":1511.5,"y":-0.4})", "{\"x\":1511,\"y\":0}\n"},
      {R"({"do":"move","x":1e300,"y":1e300})", "{\"x\":1511,\"y\":981}\n"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.move);
    act(row.move);
    const ProgramRun cursor = runMivoHands(R"({"do":"cursor","x":3,"y":4})");
    EXPECT_EQ(cursor.status, 0);
    EXPECT_EQ(cursor.standardOutput, row.cursor);
  }
}

TEST_F(OnXvfb, AWindowSeesADoubleRightClickWithItsModifiers) {
  XTestWindow window(server_.display());
  act(R"({"do":"click","x":300,"y":400,"button":"right","count":2,"mods":"cmd+shift"})");
  EXPECT_EQ(window.takePointerEvents(), (Lines{
                                            "motion at (300, 400) state 0x0",
                                            "press 3 at (300, 400) state 0x41",
                                            "release 3 at (300, 400) state 0x441",
                                            "press 3 at (300, 400) state 0x41",
                                            "release 3 at (300, 400) state 0x441",
                                        }));
  EXPECT_EQ(window.modifierKeysDown(), Lines{});
  EXPECT_EQ(window.heldButtonsAndModifiers(), 0u);
}

TEST_F(OnXvfb, NoModifierKeyIsLeftHeld) {
  XTestWindow window(server_.display());
  act(R"({"do":"click","x":5,"y":6,"mods":"ctrl+alt+shift+cmd+fn"})");
  const Lines events = window.takePointerEvents();
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ(events[1], "press 1 at (5, 6) state 0x4d");
  EXPECT_EQ(window.modifierKeysDown(), Lines{});
  EXPECT_EQ(window.heldButtonsAndModifiers() & (kShiftMask | kSuperMask), 0u);
}

TEST_F(OnXvfb, AWindowSeesADragsMotion) {
  act(R"({"do":"move","x":20,"y":30})");
  XTestWindow window(server_.display());
  act(R"({"do":"drag","from":[100,100],"to":[300,200]})");
  Lines expected = {
      "motion at (100, 100) state 0x0",
      "press 1 at (100, 100) state 0x0",
  };
  for (int step = 1; step <= 20; ++step) {
    expected.push_back("motion at (" + std::to_string(100 + 10 * step) + ", " +
                       std::to_string(100 + 5 * step) + ") state 0x100");
  }
  expected.push_back("release 1 at (300, 200) state 0x100");
  EXPECT_EQ(window.takePointerEvents(), expected);
  EXPECT_EQ(window.heldButtonsAndModifiers(), 0u);
}

TEST_F(OnXvfb, TheLeftButtonStaysDownBetweenRuns) {
  XTestWindow window(server_.display());
  act(R"({"do":"down","x":50,"y":60})");
  EXPECT_EQ(window.heldButtonsAndModifiers(), kButton1Mask);
  act(R"({"do":"up"})");
  EXPECT_EQ(window.heldButtonsAndModifiers(), 0u);
  EXPECT_EQ(window.takePointerEvents(), (Lines{
                                            "motion at (50, 60) state 0x0",
                                            "press 1 at (50, 60) state 0x0",
                                            "release 1 at (50, 60) state 0x100",
                                        }));
}

TEST_F(OnXvfb, AWindowSeesWheelClicks) {
  XTestWindow window(server_.display());
  act(R"({"do":"scroll","x":500,"y":500,"dy":2,"dx":-1})");
  EXPECT_EQ(window.takePointerEvents(), (Lines{
                                            "motion at (500, 500) state 0x0",
                                            "press 4 at (500, 500) state 0x0",
                                            "release 4 at (500, 500) state 0x800",
                                            "press 4 at (500, 500) state 0x0",
                                            "release 4 at (500, 500) state 0x800",
                                            "press 7 at (500, 500) state 0x0",
                                            "release 7 at (500, 500) state 0x0",
                                        }));
  act(R"({"do":"scroll","dy":-1.9,"dx":1})");
  EXPECT_EQ(window.takePointerEvents(), (Lines{
                                            "press 5 at (500, 500) state 0x0",
                                            "release 5 at (500, 500) state 0x1000",
                                            "press 6 at (500, 500) state 0x0",
                                            "release 6 at (500, 500) state 0x0",
                                        }));
}

TEST_F(OnXvfb, WithStandardOutputClosedItDoesNothingAndSaysSo) {
  act(R"({"do":"move","x":10,"y":20})");
  const ProgramRun run = runMivoHands(R"({"do":"move","x":500,"y":600})", OutputTarget::closed);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.standardError, "mivo-hands: could not write the answer\n");
  EXPECT_EQ(runMivoHands(R"({"do":"cursor"})").standardOutput, "{\"x\":10,\"y\":20}\n");
}

TEST_F(OnXvfb, ASignalMidDragReleasesTheButtonAtOnceAndEndsTheRunAsItWould) {
  XTestWindow window(server_.display());
  const ProgramRun run =
      runTerminatedAfterTheFirstMotion(window, R"({"do":"drag","from":[100,100],"to":[300,200]})");
  EXPECT_EQ(run.status, 128 + SIGTERM);
  EXPECT_EQ(run.standardOutput, "");
  EXPECT_EQ(window.heldButtonsAndModifiers(), 0u);
  const Lines events = window.takePointerEvents();
  EXPECT_EQ(countOf(events, "press 1"), countOf(events, "release 1"));
  // Released within a step or two of the signal, not at the end of the drag.
  EXPECT_LT(countOf(events, "motion"), 10u);
}

TEST_F(OnXvfb, ASignalMidClickReleasesTheButtonAndEndsTheRunAsItWould) {
  XTestWindow window(server_.display());
  const ProgramRun run = runTerminatedAfterTheFirstMotion(
      window, R"({"do":"click","x":300,"y":400,"count":2,"mods":"shift"})");
  EXPECT_EQ(run.status, 128 + SIGTERM);
  EXPECT_EQ(run.standardOutput, "");
  EXPECT_EQ(window.heldButtonsAndModifiers(), 0u);
  EXPECT_EQ(window.modifierKeysDown(), Lines{});
  const Lines events = window.takePointerEvents();
  // The click under way ends; the second one never starts.
  EXPECT_LE(countOf(events, "press 1"), 1u);
  EXPECT_EQ(countOf(events, "press 1"), countOf(events, "release 1"));
}

// Runs `request`, which must succeed with {"ok":true}, while `window` takes
// in what comes, so that typed characters read by the map of their moment.
void actWatched(XTestWindow& window, const std::string& request) {
  SCOPED_TRACE(request);
  const ProgramRun run = runMivoHands(request, OutputTarget::captured,
                                      [&](pid_t) { window.watch(std::chrono::milliseconds(5)); });
  ASSERT_EQ(run.status, 0) << run.standardError;
  EXPECT_EQ(run.standardOutput, "{\"ok\":true}\n");
}

// The characters of the key presses among `events`.
std::string typedText(const Lines& events) {
  std::string text;
  for (const std::string& event : events) {
    if (event.rfind("press ", 0) != 0) continue;
    text += event.substr(6, event.rfind(" state ") - 6);
  }
  return text;
}

bool isModifierKey(const std::string& event) {
  for (const char* name : {"Shift_L", "Control_L", "Alt_L", "Super_L", "ISO_Level3_Shift"}) {
    if (event.find(std::string(" ") + name + " ") != std::string::npos) return true;
  }
  return false;
}

// `events` without those of the modifier keys pressed around a key.
Lines withoutModifierKeys(const Lines& events) {
  Lines kept;
  for (const std::string& event : events) {
    if (!isModifierKey(event)) kept.push_back(event);
  }
  return kept;
}

// What the keyboard has is typed on its own keys, with Shift for its second
// level, and changes no map; every other character is bound for the run,
// all that the text needs in one change, and unbound at its end in one more.
// Xvfb tells a client of each change twice (as a change of the core
// keyboard and of the device that XTest types on).
TEST_F(OnXvfb, AWindowWithFocusReceivesTypedTextWhole) {
  XTestWindow window(server_.display());
  const std::vector<KeySym> map = window.keyboardMap();
  const struct {
    const char* name;
    std::string text;  // as the request writes it
    std::string typed;
    int map_changes;  // as a client is told of them
  } rows[] = {
      {"what the keyboard has", R"(Hello, World! [a-z_0-9] ~`{}|)",
       "Hello, World! [a-z_0-9] ~`{}|", 0},
      {"several scripts and an emoji", R"(H\u00e9 \u65e5\u672c \ud83d\ude42)",
       "H\u00e9 \u65e5\u672c \U0001F642", 4},
      // U+1F642 as the 16th and 17th code units, cut between two chunks.
      {"a character cut between two chunks", R"(abcdefghijklmno\ud83d\ude42pq)",
       "abcdefghijklmno\U0001F642pq", 4},
      {"more characters than one chunk, repeated ones among them",
       R"(aaaaBBBB\u00e9\u00e9\u00e9\u00e9cccc\u00c9\u00c9\u00c9\u00c9zz)",
       "aaaaBBBB\u00e9\u00e9\u00e9\u00e9cccc\u00c9\u00c9\u00c9\u00c9zz", 4},
      // A carriage return and a line feed together end one line; the
      // second pair is cut between two chunks.
      {"line ends", R"(a\r\nb\nc\rd\n\neeeee\r\nf\t)",
       "aReturnbReturncReturndReturnReturneeeeeReturnfTab", 0},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    actWatched(window, R"({"do":"type","text":")" + row.text + R"("})");
    const Lines events = window.takeKeyEvents();
    EXPECT_EQ(typedText(withoutModifierKeys(events)), row.typed);
    EXPECT_EQ(window.takeKeyboardMapChanges(), row.map_changes);
    EXPECT_EQ(window.keysDown(), std::vector<int>{});
    EXPECT_EQ(window.keyboardMap(), map);
  }
}

// With N spare keycodes the fewest changes a text needs are one at the start
// of each stretch of it that holds N different characters the keyboard
// lacks (here every one beyond ASCII), and one to restore; 2000 characters
// of many scripts need some twenty, where a change for each character would
// be hundreds.
TEST_F(OnXvfb, TheKeyboardMapChangesAsFewTimesAsTheTextNeeds) {
  XTestWindow window(server_.display());
  int per_keycode = 0;
  Display* display = XOpenDisplay(server_.display().c_str());
  const std::vector<KeySym> map = keyboardMapOf(display, &per_keycode);
  XCloseDisplay(display);
  std::size_t spare = 0;
  for (std::size_t row = 0; row < map.size(); row += static_cast<std::size_t>(per_keycode)) {
    spare += std::all_of(map.begin() + row, map.begin() + row + per_keycode,
                         [](KeySym keysym) { return keysym == NoSymbol; });
  }
  const std::string text = mixed(2000);
  int stretches = 0;
  std::u32string stretch;
  for (const char32_t character : codePoints(text)) {
    if (character < 0x80 || stretch.find(character) != std::u32string::npos) continue;
    if (stretch.empty() || stretch.size() == spare) {
      ++stretches;
      stretch.clear();
    }
    stretch += character;
  }
  actWatched(window, nlohmann::json{{"do", "type"}, {"text", text}}.dump());
  EXPECT_EQ(typedText(withoutModifierKeys(window.takeKeyEvents())), text);
  EXPECT_EQ(window.takeKeyboardMapChanges(), 2 * (stretches + 1));
  EXPECT_EQ(window.keyboardMap(), map);
}

// A client that takes pings, as GTK windows do, is asked before the keys it
// was sent change, and they change only once it has answered, however long
// it takes: it has looked them up by then.
TEST_F(OnXvfb, AClientThatTakesPingsHasAnsweredBeforeTheKeysItWasSentChange) {
  XTestWindow window(server_.display());
  // Longer than the time a client that takes no pings is given.
  window.answerPingsAfter(std::chrono::milliseconds(700));
  const std::string text = kCjk + kCjk;  // more distinct ones than spare keycodes
  actWatched(window, nlohmann::json{{"do", "type"}, {"text", text}}.dump());
  EXPECT_EQ(typedText(withoutModifierKeys(window.takeKeyEvents())), text);
  const XTestWindow::Pings pings = window.takePings();
  EXPECT_GE(pings.answered, 2);  // before keys are bound anew, and before the restore
  EXPECT_EQ(pings.map_changes_before_an_answer, 0);
}

// A hold keeps the modifiers down from the key's press to its release, as a
// person holds a combination, so that the window sees the combination held;
// "key" presses them around each of its events.
TEST_F(OnXvfb, AHoldKeepsItsModifiersDownFromThePressToTheRelease) {
  XTestWindow window(server_.display());
  const struct {
    std::string request;
    Lines events;
  } rows[] = {
      {R"({"do":"hold","keys":"shift+space","seconds":0.3})",
       {"press Shift_L state 0x0", "press   state 0x1", "release   state 0x1",
        "release Shift_L state 0x1"}},
      {R"({"do":"hold","keys":"ctrl+alt+t","seconds":0.3})",
       {"press Control_L state 0x0", "press Alt_L state 0x4", "press t state 0xc",
        "release t state 0xc", "release Alt_L state 0xc", "release Control_L state 0x4"}},
      {R"({"do":"key","keys":"shift+space"})",
       {"press Shift_L state 0x0", "press   state 0x1", "release Shift_L state 0x1",
        "press Shift_L state 0x0", "release   state 0x1", "release Shift_L state 0x1"}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.request);
    actWatched(window, row.request);
    EXPECT_EQ(window.takeKeyEvents(), row.events);
    EXPECT_EQ(window.keysDown(), std::vector<int>{});
  }
}

TEST_F(OnXvfb, AWindowWithFocusReceivesKeysWithTheirModifiers) {
  XTestWindow window(server_.display());
  const std::vector<KeySym> map = window.keyboardMap();
  const std::vector<int> repeating = window.repeatingKeys();
  ASSERT_FALSE(repeating.empty());
  const struct {
    std::string request;
    Lines events;
  } rows[] = {
      {R"({"do":"key","keys":"cmd+shift+t"})", {"press T state 0x41", "release T state 0x41"}},
      {R"({"do":"key","keys":"ctrl+c"})", {"press c state 0x4", "release c state 0x4"}},
      {R"({"do":"key","keys":"alt+f4","repeat":2})",
       {"press F4 state 0x8", "release F4 state 0x8", "press F4 state 0x8",
        "release F4 state 0x8"}},
      {R"({"do":"key","keys":"return"})", {"press Return state 0x0", "release Return state 0x0"}},
      {R"({"do":"key","keys":"="})", {"press = state 0x0", "release = state 0x0"}},
      {R"({"do":"hold","keys":"a","seconds":0.2})", {"press a state 0x0", "release a state 0x0"}},
      // Longer than the server waits before it repeats a key that is held.
      {R"({"do":"hold","keys":"cmd+a","seconds":1})",
       {"press a state 0x40", "release a state 0x40"}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.request);
    actWatched(window, row.request);
    EXPECT_EQ(withoutModifierKeys(window.takeKeyEvents()), row.events);
    EXPECT_EQ(window.keysDown(), std::vector<int>{});
    EXPECT_EQ(window.modifierKeysDown(), Lines{});
    EXPECT_EQ(window.keyboardMap(), map);
    EXPECT_EQ(window.repeatingKeys(), repeating);
  }
}

TEST_F(OnXvfb, ASignalDuringAHoldOrRepeatedKeysReleasesTheKeyAtOnceAndEndsTheRunAsItWould) {
  for (const char* request : {R"({"do":"hold","keys":"cmd+t","seconds":10})",
                              R"({"do":"key","keys":"cmd+t","repeat":1000})"}) {
    SCOPED_TRACE(request);
    XTestWindow window(server_.display());
    bool sent = false;
    const ProgramRun run =
        runMivoHands(request, OutputTarget::captured, [&](pid_t program) {
          // Once the key's first press has come in.
          if (!window.watch(std::chrono::milliseconds(5)) || sent) return;
          ::kill(program, SIGTERM);
          sent = true;
        });
    EXPECT_EQ(run.status, 128 + SIGTERM);
    EXPECT_EQ(window.keysDown(), std::vector<int>{});
    const Lines events = withoutModifierKeys(window.takeKeyEvents());
    EXPECT_GE(countOf(events, "press t"), 1u);
    EXPECT_LT(countOf(events, "press t"), 1000u);
    EXPECT_EQ(countOf(events, "press t"), countOf(events, "release t"));
  }
}

TEST_F(OnXvfb, ASignalWhileTypingEndsTheRunWithNoKeyDownAndTheKeyboardMapRestored) {
  XTestWindow window(server_.display());
  const std::vector<KeySym> map = window.keyboardMap();
  const struct {
    const char* name;
    std::string unit;  // as the request writes it
    std::string typed;
  } rows[] = {
      {"keys of the keyboard", "t", "t"},
      {"characters bound to spare keycodes", R"(\u00e9\u00fc)", "\u00e9\u00fc"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    std::string text;
    std::string all_typed;
    for (int i = 0; i < 2000; ++i) {  // 125 chunks or more, some seconds of typing
      text += row.unit;
      all_typed += row.typed;
    }
    bool sent = false;
    const ProgramRun run = runMivoHands(R"({"do":"type","text":")" + text + R"("})",
                                        OutputTarget::captured, [&](pid_t program) {
                                          if (!window.watch(std::chrono::milliseconds(5)) || sent)
                                            return;
                                          ::kill(program, SIGTERM);
                                          sent = true;
                                        });
    EXPECT_EQ(run.status, 128 + SIGTERM);
    EXPECT_EQ(run.standardOutput, "");
    EXPECT_EQ(window.keysDown(), std::vector<int>{});
    EXPECT_EQ(window.keyboardMap(), map);
    const std::string typed = typedText(withoutModifierKeys(window.takeKeyEvents()));
    EXPECT_FALSE(typed.empty());
    EXPECT_LT(typed.size(), all_typed.size());
    EXPECT_EQ(typed, all_typed.substr(0, typed.size()));
  }
}

// The server goes away once the program has begun: typing, repeating a key,
// or holding one for longer than the run may take.
TEST(ADisplayThatGoesAway, EndsTheRunWithOurOwnLineAtOnce) {
  for (const std::string& request :
       {R"({"do":"type","text":")" + std::string(4000, 't') + R"("})",
        std::string(R"({"do":"key","keys":"t","repeat":1e6})"),
        std::string(R"({"do":"hold","keys":"t","seconds":60})")}) {
    SCOPED_TRACE(request.substr(0, 40));
    XvfbServer server;
    ::setenv("DISPLAY", server.display().c_str(), 1);
    // Closed before the server goes, which would end this process too.
    std::optional<XTestWindow> window(std::in_place, server.display());
    const auto start = std::chrono::steady_clock::now();
    const ProgramRun run = runMivoHands(request, OutputTarget::captured, [&](pid_t) {
      if (!window || !window->watch(std::chrono::milliseconds(5))) return;
      window.reset();
      server.stop();
    });
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.standardOutput, "");
    EXPECT_EQ(run.standardError, "mivo-hands: the X display is no longer there\n");
    // A hold of 60 s lasts 10: the run ended when the server did, not when
    // the key would have been released.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  }
}

TEST_F(OnXvfb, AWheelClicksAtMostAThousandTimes) {
  XTestWindow window(server_.display());
  act(R"({"do":"scroll","x":10,"y":10,"dy":-2147483648})");
  const Lines events = window.takePointerEvents();
  ASSERT_EQ(events.size(), 1u + 2 * 1000);
  EXPECT_EQ(events[1], "press 5 at (10, 10) state 0x0");
  EXPECT_EQ(events.back(), "release 5 at (10, 10) state 0x1000");
}

}  // namespace
}  // namespace mivo::test
