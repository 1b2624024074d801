// The keyboard commands, in-process: the key names, the parsing of key
// combinations, and the exact events and pauses of "key", "hold" and "type".
#include "hands/key_commands.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hands/flags.h"
#include "hands/key_codes.h"
#include "hands/test/hands_run.h"

namespace mivo::hands {
namespace {

using Lines = std::vector<std::string>;

// `count` presses of `code` with `flags`, each with its pause; the event
// source is made at the first press.
Lines presses(int count, const std::string& code, const std::string& flags) {
  Lines events;
  for (int i = 0; i < count; ++i) {
    events.push_back("hold back signals");
    if (i == 0) events.push_back("create event source");
    events.push_back("key " + code + " down flags " + flags);
    events.push_back("key " + code + " up flags " + flags);
    events.push_back("let signals through");
    events.push_back("sleep 0.03");
  }
  return events;
}

void expectOk(const HandsRun& run, const Lines& events) {
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.standardError, "");
  EXPECT_EQ(run.standardOutput, "{\"ok\":true}\n");
  EXPECT_EQ(run.events, events);
}

void expectRefusal(const HandsRun& run, const std::string& message) {
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.standardError, message);
  EXPECT_EQ(run.standardOutput, "");
  EXPECT_EQ(run.events, Lines{});
}

TEST(KeyCodes, HoldTheNinetyTwoNamesWithAliasesOnTheKeysTheyStandFor) {
  EXPECT_EQ(keyCodes().size(), 92u);
  const struct {
    std::string name;
    platform::VirtualKeyCode code;
  } rows[] = {
      {"return", 36}, {"enter", 36},     {"kp_enter", 76},
      {"delete", 51}, {"backspace", 51}, {"forwarddelete", 117},
      {"prior", 116}, {"next", 121},     {"f1", 122},
      {"f12", 111},   {"a", 0},          {"b", 11},
      {"m", 46},      {"0", 29},         {"1", 18},
      {"5", 23},      {"9", 25},         {"-", 27},
      {"=", 24},      {"[", 33},         {"]", 30},
      {";", 41},      {"'", 39},         {",", 43},
      {".", 47},      {"/", 44},         {"\\", 42},
      {"`", 50},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    ASSERT_TRUE(keyCodes().contains(row.name));
    EXPECT_EQ(keyCodes().at(row.name), row.code);
  }
  for (const char* absent : {"+", "plus", "del", "A", "F1", "cmd", "10"}) {
    SCOPED_TRACE(absent);
    EXPECT_FALSE(keyCodes().contains(absent));
  }
}

TEST(ModifierNames, AreTheTwelveNamesOfFlags) {
  EXPECT_EQ(modifierNames(),
            (std::set<std::string, std::less<>>{"cmd", "command", "super", "meta", "win", "ctrl",
                                                "control", "alt", "option", "opt", "shift", "fn"}));
}

TEST(Key, PressesTheKeyThatTheCombinationNamesWithItsModifiers) {
  const struct {
    const char* name;
    std::string keys;
    std::string code;
    std::string flags;
  } rows[] = {
      {"cmd+c", "cmd+c", "8", "0x100000"},
      {"capitals", "Cmd+Shift+T", "17", "0x120000"},
      {"blanks around the parts", R"( ctrl\t+ alt +\u00a0delete\u3000)", "51", "0xc0000"},
      {"the last part that is no modifier", "a+b", "11", "0x0"},
      {"a modifier after the key", "x+cmd", "7", "0x100000"},
      {"modifiers on both sides", "cmd+a+shift", "0", "0x120000"},
      {"empty parts", "+cmd++c+", "8", "0x100000"},
      {"F5 in capitals", "F5", "96", "0x0"},
      {"ESC", "ESC", "53", "0x0"},
      {"a digit", "5", "23", "0x0"},
      {"a punctuation character", "=", "24", "0x0"},
      {"KELVIN SIGN lower-cases to k", R"(\u212a)", "40", "0x0"},
      {"fn", "fn+left", "123", "0x800000"},
      {"every modifier", "win+control+option+shift+fn+space", "49", "0x9e0000"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    expectOk(runHands(R"({"do":"key","keys":")" + row.keys + R"("})"),
             presses(1, row.code, row.flags));
  }
}

TEST(Key, RefusesACombinationWithoutAKeyBeforeAnyEvent) {
  const struct {
    const char* name;
    std::string request;
    std::string message;
  } rows[] = {
      {"a name of no key", R"({"do":"key","keys":"ctrl+alt+del"})",
       "mivo-hands: no key called del\n"},
      {"the name keeps its case and loses its blanks", R"({"do":"key","keys":"cmd+ Del "})",
       "mivo-hands: no key called Del\n"},
      {"plus names no key", R"({"do":"key","keys":"plus"})", "mivo-hands: no key called plus\n"},
      {"a line break is not trimmed, and is written escaped", R"({"do":"key","keys":"cmd+\nc"})",
       "mivo-hands: no key called \\nc\n"},
      {"a key before the last is never looked up", R"({"do":"key","keys":"del+c+nothing"})",
       "mivo-hands: no key called nothing\n"},
      {"modifiers only", R"({"do":"key","keys":"cmd+shift"})",
       "mivo-hands: cmd+shift names no key but modifiers\n"},
      {"pluses and blanks", R"({"do":"key","keys":" + +\t"})",
       "mivo-hands:  + +\\t names no key but modifiers\n"},
      {"no keys", R"({"do":"key"})", "mivo-hands:  names no key but modifiers\n"},
      {"keys that are no text", R"({"do":"key","keys":["c"]})",
       "mivo-hands:  names no key but modifiers\n"},
      {"a repeat past the 64-bit range", R"({"do":"key","keys":"c","repeat":1e19})",
       "mivo-hands: key repeat out of range\n"},
      {"a repeat below it", R"({"do":"key","keys":"c","repeat":-9223372036854777856})",
       "mivo-hands: key repeat out of range\n"},
      {"the combination before the repeat", R"({"do":"key","keys":"del","repeat":1e19})",
       "mivo-hands: no key called del\n"},
      {"hold without keys", R"({"do":"hold"})", "mivo-hands:  names no key but modifiers\n"},
      {"hold of modifiers only", R"({"do":"hold","keys":"shift","seconds":1})",
       "mivo-hands: shift names no key but modifiers\n"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    expectRefusal(runHands(row.request), row.message);
  }
}

TEST(Key, RepeatIsTruncatedAndAtLeastOne) {
  const struct {
    const char* name;
    std::string repeat;
    int presses;
  } rows[] = {
      {"0", R"(,"repeat":0)", 1},
      {"-1", R"(,"repeat":-1)", 1},
      {"0.9", R"(,"repeat":0.9)", 1},
      {"none", "", 1},
      {"a numeral in a string", R"(,"repeat":"3")", 1},
      {"far below the range's end", R"(,"repeat":-9.2e18)", 1},
      {"3", R"(,"repeat":3)", 3},
      {"3.9", R"(,"repeat":3.9)", 3},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    expectOk(runHands(R"({"do":"key","keys":"c")" + row.repeat + "}"),
             presses(row.presses, "8", "0x0"));
  }
}

TEST(Key, AKeyTheSystemWillNotMakeEndsTheRunAfterTryingItsRelease) {
  const HandsRun run = runHands(R"({"do":"key","keys":"c","repeat":2})",
                                [](HandsFakes& fakes) { fakes.input.refuseKeyEvents(); });
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.standardError, "mivo-hands: could not make a keyboard event\n");
  EXPECT_EQ(run.events, (Lines{"hold back signals", "create event source",
                               "key 8 down flags 0x0 (refused)", "key 8 up flags 0x0 (refused)"}));
}

// A hold of cmd+t for `wait`, with the press and release around it; the
// modifiers stay down with the key.
Lines heldCommandT(const Lines& wait) {
  Lines events = {"hold back signals", "create event source",
                  "key 17 down flags 0x100000 holding its modifiers"};
  for (const std::string& event : wait) events.push_back(event);
  events.push_back("key 17 up flags 0x100000 holding its modifiers");
  events.push_back("let signals through");
  return events;
}

TEST(Hold, HoldsForTheSecondsAtMostTenWhileASignalWouldEndIt) {
  const struct {
    const char* name;
    std::string seconds;
    Lines wait;
  } rows[] = {
      {"the default", "", {"wait 0.5"}},
      {"a fraction", R"(,"seconds":1.25)", {"wait 1.25"}},
      {"60 is capped", R"(,"seconds":60)", {"wait 10"}},
      {"far beyond the float range is no number", R"(,"seconds":1e400)", {"wait 0.5"}},
      {"huge", R"(,"seconds":1e300)", {"wait 10"}},
      {"tiny", R"(,"seconds":1e-300)", {"wait 1e-300"}},
      {"0", R"(,"seconds":0)", {}},
      {"-1 releases at once", R"(,"seconds":-1)", {}},
      {"a numeral in a string", R"(,"seconds":"3")", {"wait 0.5"}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    expectOk(runHands(R"({"do":"hold","keys":"cmd+t")" + row.seconds + "}"),
             heldCommandT(row.wait));
  }
}

TEST(Hold, ASignalReleasesTheKeyAtOnceThenEndsTheRun) {
  const HandsRun run = runHands(R"({"do":"hold","keys":"cmd+t","seconds":10})",
                                [](HandsFakes& fakes) { fakes.signals.comeDuringWait(1, 2); });
  EXPECT_EQ(run.status, 128 + 2);
  EXPECT_EQ(run.standardOutput, "");
  EXPECT_EQ(run.events,
            (Lines{"hold back signals", "create event source",
                   "key 17 down flags 0x100000 holding its modifiers", "wait 10: signal 2",
                   "key 17 up flags 0x100000 holding its modifiers", "end as signal 2"}));
}

// The events of typing `whole` in `chunks`, each written as the fake quotes
// it, with their pauses; the source is made and told the whole text first.
Lines typed(const std::string& whole, const std::vector<std::string>& chunks) {
  Lines events = {"create event source", "prepare to type " + whole};
  for (const std::string& quoted : chunks) {
    events.push_back("hold back signals");
    events.push_back("text down " + quoted);
    events.push_back("text up " + quoted);
    events.push_back("let signals through");
    events.push_back("sleep 0.02");
  }
  return events;
}

TEST(Type, TypesTheTextSixteenCodeUnitsAtATime) {
  const std::string x16 = "\"" + std::string(16, 'x') + "\"";
  const std::string x8 = "\"" + std::string(8, 'x') + "\"";
  const std::string a15 = std::string(15, 'a');
  const struct {
    const char* name;
    std::string text;  // as the request writes it
    Lines events;
  } rows[] = {
      {"nothing", "", {}},
      {"one chunk", R"(H\u00e9 \/\")", typed(R"("H\u00e9 /\u0022")", {R"("H\u00e9 /\u0022")"})},
      {"40 code units: 16, 16 and 8", std::string(40, 'x'),
       typed("\"" + std::string(40, 'x') + "\"", {x16, x16, x8})},
      // Fifteen letters, then U+1F642 as the 16th and 17th code units.
      {"a surrogate pair cut between two chunks", a15 + "\U0001F642b",
       typed("\"" + a15 + R"(\ud83d\ude42b")", {"\"" + a15 + R"(\ud83d")", R"("\ude42b")"})},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    expectOk(runHands(R"({"do":"type","text":")" + row.text + R"("})"), row.events);
  }
}

TEST(Type, TextThatIsNoStringTypesNothing) {
  expectOk(runHands(R"({"do":"type","text":42})"), Lines{});
}

TEST(Type, ASourceThatCannotTypeNowEndsTheRunBeforeAnyEvent) {
  const HandsRun run = runHands(R"({"do":"type","text":"ab"})", [](HandsFakes& fakes) {
    fakes.input.refuseTyping("another run has been typing for 60 s");
  });
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.standardOutput, "");
  EXPECT_EQ(run.standardError,
            "mivo-hands: cannot post input events: another run has been typing for 60 s\n");
  EXPECT_EQ(run.events, (Lines{"create event source", R"(prepare to type "ab")"}));
}

}  // namespace
}  // namespace mivo::hands
