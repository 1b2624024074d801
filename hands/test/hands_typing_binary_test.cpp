// The built program typing into real clients as a person sees them: xterm
// running cat on a raw terminal, a GTK entry and xedit (an Xt client), with
// and without a window manager, and runs side by side. Each client looks a
// key up in the keyboard map when it gets to it, however far behind it is.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "hands/test/gtk_entry.h"
#include "hands/test/typing_texts.h"
#include "hands/test/window_manager.h"
#include "hands/test/x_client_windows.h"
#include "hands/test/x_test_window.h"
#include "hands/test/xedit_file.h"
#include "hands/test/xterm_cat.h"
#include "hands/test/xvfb_server.h"
#include "see/test/run_program.h"

namespace mivo::test {
namespace {

std::string typeRequest(const std::string& text) {
  return nlohmann::json{{"do", "type"}, {"text", text}}.dump();
}

// Types `text`, which must succeed with {"ok":true}.
void typeWhole(const std::string& text) {
  const ProgramRun typing = runProgram(MIVO_HANDS_BINARY, typeRequest(text), ".");
  ASSERT_EQ(typing.status, 0) << typing.standardError;
  EXPECT_EQ(typing.standardOutput, "{\"ok\":true}\n");
}

// The keyboard as clients read it: the core map and the XKB description.
struct Keyboard {
  std::vector<KeySym> core;
  std::vector<unsigned long> xkb;

  bool operator==(const Keyboard&) const = default;
};

// Where two descriptions part, rather than their thousands of numbers.
void PrintTo(const Keyboard& keyboard, std::ostream* out) {
  *out << keyboard.core.size() << " core keysyms, " << keyboard.xkb.size() << " XKB numbers:";
  for (std::size_t i = 0; i < keyboard.xkb.size(); i += 20) {
    unsigned long sum = 0;
    for (std::size_t k = i; k < std::min(i + 20, keyboard.xkb.size()); ++k)
      sum = sum * 31 + keyboard.xkb[k];
    *out << " " << sum % 1000;
  }
}

Keyboard keyboardOf(const std::string& display) {
  Display* connection = XOpenDisplay(display.c_str());
  Keyboard keyboard{keyboardMapOf(connection), xkbKeyboardOf(connection)};
  XCloseDisplay(connection);
  return keyboard;
}

TEST(TypingIntoXterm, EveryTextArrivesWholeEveryTimeAndTheKeyboardMapStays) {
  const XvfbServer server;
  ::setenv("DISPLAY", server.display().c_str(), 1);
  XtermCat xterm(server.display());
  const Keyboard keyboard = keyboardOf(server.display());
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
      typeWhole(row.text);
      EXPECT_EQ(xterm.takeTyped(row.typed.size()), row.typed) << "run " << run;
      EXPECT_EQ(keyboardOf(server.display()), keyboard) << "run " << run;
    }
  }
}

// The levels of the keys are found with the locked modifiers in effect: with
// Caps Lock on, a capital letter is typed without Shift, a small one with it.
TEST(TypingIntoXterm, WhatTheKeyboardHasArrivesAsItIsWithCapsLockOn) {
  const XvfbServer server;
  ::setenv("DISPLAY", server.display().c_str(), 1);
  XtermCat xterm(server.display());
  lockCapitals(server.display(), true);
  const std::string text = "Hello, World! [a|b] " + printableAscii();
  typeWhole(text);
  EXPECT_EQ(xterm.takeTyped(text.size()), text);
}

// A letter on a spare keycode arrives as it is with Caps Lock on too, in
// clients that look keys up each their own way: Xlib's XKB tables (xterm,
// xedit), which capitalise by the lock unless the key's type takes it in, and
// GTK's, which capitalise unless the lock gives the key another keysym. The
// sharp s and the y with diaeresis have no capital in Latin-1.
TEST(TypingWithCapsLockOn, ALetterTheMapLacksArrivesAsItIsInEveryClient) {
  const std::string text =
      "\u00e9\u00df\u00e7\u00f8\u00ff\u00c9\u00d8 \u0142\u044f\u03c9\u0141 Ab";
  const struct {
    const char* client;
    std::function<std::string(const std::string&)> typeInto;
    std::string typed;
  } rows[] = {
      {"xterm",
       [&](const std::string& display) {
         XtermCat xterm(display);
         lockCapitals(display, true);
         typeWhole(text);
         return xterm.takeTyped(text.size());
       },
       text},
      {"xedit",
       [&](const std::string& display) {
         XeditFile xedit(display);
         lockCapitals(display, true);
         typeWhole(text);
         return xedit.save();
       },
       latin1Part(text)},
      {"a GTK entry",
       [&](const std::string& display) {
         GtkEntry entry(display);
         lockCapitals(display, true);
         typeWhole(text);
         return entry.enter();
       },
       text},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.client);
    const XvfbServer server;
    ::setenv("DISPLAY", server.display().c_str(), 1);
    EXPECT_EQ(row.typeInto(server.display()), row.typed);
  }
}

// GTK takes in every change of the keyboard map at some cost, and a window
// manager adds its own; a client that falls behind must still find each key
// as it was when it was pressed.
TEST(TypingIntoAGtkEntry, TheMixedTextArrivesWholeWithAndWithoutAWindowManager) {
  for (const bool managed : {false, true}) {
    SCOPED_TRACE(managed ? "under Openbox" : "without a window manager");
    const XvfbServer server;
    ::setenv("DISPLAY", server.display().c_str(), 1);
    std::optional<WindowManager> openbox;
    if (managed) openbox.emplace(server.display());
    const Keyboard keyboard = keyboardOf(server.display());
    GtkEntry entry(server.display());
    typeWhole(mixed(2000));
    EXPECT_EQ(entry.enter(), mixed(2000));
    EXPECT_EQ(keyboardOf(server.display()), keyboard);
  }
}

// Xt looks keys up in tables of its own; xedit takes every Latin-1 character
// of a text and nothing else. When a closing bracket is typed, xedit shows
// the bracket it matches and waits for input to come before it goes on (at
// most 0.5 s over the life of the process, and 40 ms after each bracket):
// the keys it has read already wait with it. The first text ends in a piece
// of 16 code units that holds "{|}~" and two letters on spare keycodes, after
// which nothing comes until the map is restored.
TEST(TypingIntoXedit, EveryLatin1CharacterArrives) {
  const XvfbServer server;
  ::setenv("DISPLAY", server.display().c_str(), 1);
  XeditFile xedit(server.display());
  const std::string texts[] = {printableAscii() + "\u00df\u00e7", kAccentedLatin,
                               "\u00e7a va, gar\u00e7on, tr\u00e8s bien. ", mixed(2000)};
  std::string all;
  for (const std::string& text : texts) {
    typeWhole(text);
    all += text;
  }
  EXPECT_EQ(xedit.save(), latin1Part(all));
}

// A second run started while the first types waits for its turn: each text
// arrives whole, the first before the second, and the map is restored.
TEST(TypingSideBySide, ARunThatStartsWhileAnotherTypesTypesAfterIt) {
  const XvfbServer server;
  ::setenv("DISPLAY", server.display().c_str(), 1);
  XtermCat xterm(server.display());
  const Keyboard keyboard = keyboardOf(server.display());
  std::string first = "1: ";
  std::string second = "2: ";
  for (int i = 0; i < 20; ++i) {
    first += kAccentedLatin;
    second += kCjk;
  }
  std::optional<ProgramRun> later;
  std::string typed;
  const ProgramRun earlier =
      runProgram(MIVO_HANDS_BINARY, typeRequest(first), ".", OutputTarget::captured, [&](pid_t) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        typed += xterm.takeTyped(0);
        // Once the first has begun to type.
        if (later || typed.empty()) return;
        later = runProgram(MIVO_HANDS_BINARY, typeRequest(second), ".");
      });
  ASSERT_EQ(earlier.status, 0) << earlier.standardError;
  ASSERT_TRUE(later);
  ASSERT_EQ(later->status, 0) << later->standardError;
  const std::string expected = first + second;
  typed += xterm.takeTyped(expected.size() - std::min(typed.size(), expected.size()));
  EXPECT_EQ(typed, expected);
  EXPECT_EQ(keyboardOf(server.display()), keyboard);
}

// The turn is a selection that the X server takes back from a client that
// goes: a run waits while another client holds it, types nothing meanwhile,
// and types once that client has gone, as a run that dies.
TEST(TypingSideBySide, ARunWaitsForTheTurnOfAnotherUntilThatOneGoes) {
  const XvfbServer server;
  ::setenv("DISPLAY", server.display().c_str(), 1);
  XtermCat xterm(server.display());
  Display* other = XOpenDisplay(server.display().c_str());
  const Window owner = XCreateSimpleWindow(other, DefaultRootWindow(other), 0, 0, 1, 1, 0, 0, 0);
  XSetSelectionOwner(other, XInternAtom(other, "_MIVO_HANDS_TYPING", False), owner, CurrentTime);
  XSync(other, False);
  const auto started = std::chrono::steady_clock::now();
  std::string typed_while_held;
  const ProgramRun typing = runProgram(
      MIVO_HANDS_BINARY, typeRequest(kAccentedLatin), ".", OutputTarget::captured, [&](pid_t) {
        if (other == nullptr) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        typed_while_held += xterm.takeTyped(0);
        if (std::chrono::steady_clock::now() - started < std::chrono::seconds(1)) return;
        XCloseDisplay(other);
        other = nullptr;
      });
  ASSERT_EQ(typing.status, 0) << typing.standardError;
  EXPECT_EQ(typed_while_held, "");
  EXPECT_EQ(xterm.takeTyped(kAccentedLatin.size()), kAccentedLatin);
}

// A signal that comes while a run waits for its turn ends it at once, as it
// would have ended it: nothing has been typed or bound.
TEST(TypingSideBySide, ASignalEndsTheWaitForATurnAtOnce) {
  const XvfbServer server;
  ::setenv("DISPLAY", server.display().c_str(), 1);
  XtermCat xterm(server.display());
  const Keyboard keyboard = keyboardOf(server.display());
  Display* other = XOpenDisplay(server.display().c_str());
  const Window owner = XCreateSimpleWindow(other, DefaultRootWindow(other), 0, 0, 1, 1, 0, 0, 0);
  XSetSelectionOwner(other, XInternAtom(other, "_MIVO_HANDS_TYPING", False), owner, CurrentTime);
  XSync(other, False);
  const auto started = std::chrono::steady_clock::now();
  bool sent = false;
  const ProgramRun typing = runProgram(
      MIVO_HANDS_BINARY, typeRequest(kAccentedLatin), ".", OutputTarget::captured,
      [&](pid_t program) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        if (sent || std::chrono::steady_clock::now() - started < std::chrono::milliseconds(500)) {
          return;
        }
        ::kill(program, SIGTERM);
        sent = true;
      });
  EXPECT_EQ(typing.status, 128 + SIGTERM);
  EXPECT_EQ(typing.standardOutput, "");
  EXPECT_EQ(xterm.takeTyped(0), "");
  EXPECT_EQ(keyboardOf(server.display()), keyboard);
  XCloseDisplay(other);
}

}  // namespace
}  // namespace mivo::test
