// The built program typing into xterm, a real client that looks every key up
// in the keyboard map when it gets to it, running cat on a raw terminal.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "hands/test/xterm_cat.h"
#include "hands/test/xvfb_server.h"
#include "see/test/run_program.h"

namespace mivo::test {
namespace {

// The 94 printable characters of ASCII, U+0021 to U+007E.
std::string printableAscii() {
  std::string text;
  for (char c = '!'; c <= '~'; ++c) text += c;
  return text;
}

const std::string kSentence = "Well, that's it: (almost) 100% done -- isn't it? \"Yes\"; #7 & @home.";
const std::string kAccentedLatin =
    "Gr\u00f6\u00dfe, \u00dcberma\u00df und Stra\u00dfe; Za\u017c\u00f3\u0142\u0107 "
    "g\u0119\u015bl\u0105 ja\u017a\u0144; Bl\u00e5b\u00e6rsyltet\u00f8j, \u00c6r\u00f8 og "
    "\u00d8resund.";
// 35 distinct characters, more than the spare keycodes of Xvfb's map.
const std::string kCjk =
    "\u6211\u4eec\u5728\u8fd9\u4e2a\u7f8e\u4e3d\u7684\u57ce\u5e02\u91cc\u4e00\u8d77\u5b66\u4e60"
    "\u4e2d\u6587\u548c\u65e5\u672c\u8a9e\u3001\u671d\u9bae\u8a9e\u306e\u6587\u5b57\u3092\u66f8"
    "\u304f\u7df4\u7fd2\u3092\u3057\u307e\u3059\u3002";
const std::string kEmoji =
    "\U0001F600\U0001F642\U0001F680\U0001F389\U0001F30D\U0001F44D\U0001F9EA\U0001F98A\U0001F419"
    "\U0001F355";

// The first `count` characters of the texts above, taken in turn, with a
// space after each.
std::string mixed(std::size_t count) {
  const std::string pieces[] = {printableAscii(), kSentence, kAccentedLatin, kCjk, kEmoji};
  std::string text;
  std::size_t characters = 0;
  for (std::size_t piece = 0; characters < count; ++piece) {
    const std::string& next = pieces[piece % std::size(pieces)] + " ";
    for (std::size_t i = 0; i < next.size() && characters < count; ++characters) {
      // One UTF-8 sequence: its lead byte and the continuation bytes after it.
      std::size_t end = i + 1;
      while (end < next.size() && (static_cast<unsigned char>(next[end]) & 0xC0) == 0x80) ++end;
      text += next.substr(i, end - i);
      i = end;
    }
  }
  return text;
}

TEST(TypingIntoXterm, EveryTextArrivesWholeEveryTimeAndTheKeyboardMapStays) {
  const XvfbServer server;
  ::setenv("DISPLAY", server.display().c_str(), 1);
  XtermCat xterm(server.display());
  const std::vector<KeySym> map = xterm.keyboardMap();
  const struct {
    const char* name;
    std::string text;
    std::string typed;  // Return comes as a carriage return
  } rows[] = {
      {"printable ASCII", printableAscii(), printableAscii()},
      {"a sentence", kSentence, kSentence},
      {"accented Latin", kAccentedLatin, kAccentedLatin},
      {"CJK", kCjk, kCjk},
      {"emoji", kEmoji, kEmoji},
      // The broken bar is on the fourth level of a key of the map: Shift and
      // the level-3 modifier.
      {"line ends, a tab and a broken bar", "one\r\ntwo\nthree\rfour\tfive \u00a6",
       "one\rtwo\rthree\rfour\tfive \u00a6"},
      {"2000 characters of all of them", mixed(2000), mixed(2000)},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    for (int run = 0; run < 3; ++run) {
      const ProgramRun typing = runProgram(
          MIVO_HANDS_BINARY, nlohmann::json{{"do", "type"}, {"text", row.text}}.dump(), ".");
      ASSERT_EQ(typing.status, 0) << typing.standardError;
      EXPECT_EQ(typing.standardOutput, "{\"ok\":true}\n");
      EXPECT_EQ(xterm.takeTyped(row.typed.size()), row.typed) << "run " << run;
      EXPECT_EQ(xterm.keyboardMap(), map) << "run " << run;
    }
  }
}

// The levels of the keys are found with the locked modifiers in effect: with
// Caps Lock on, a capital letter is typed without Shift, a small one with it.
TEST(TypingIntoXterm, WhatTheKeyboardHasArrivesAsItIsWithCapsLockOn) {
  const XvfbServer server;
  ::setenv("DISPLAY", server.display().c_str(), 1);
  XtermCat xterm(server.display());
  xterm.lockCapitals(true);
  const std::string text = "Hello, World! [a|b] " + printableAscii();
  const ProgramRun typing =
      runProgram(MIVO_HANDS_BINARY, nlohmann::json{{"do", "type"}, {"text", text}}.dump(), ".");
  ASSERT_EQ(typing.status, 0) << typing.standardError;
  EXPECT_EQ(xterm.takeTyped(text.size()), text);
  xterm.lockCapitals(false);
}

}  // namespace
}  // namespace mivo::test
