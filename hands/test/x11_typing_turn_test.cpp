// The turn to type on a display, in-process against Xvfb: only one
// connection has it at a time, and a wait for it ends with the reason after
// its longest. (A run that dies holding it: hands_typing_binary_test.cpp.)
// Google Test first: X11 defines None, a name it uses.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <chrono>
#include <string>

#include "hands/test/xvfb_server.h"
#include "platform/input_events.h"
#include "platform/linux/x11/x11_typing_turn.h"

namespace mivo::platform {
namespace {

struct Connection {
  Display* display = XOpenDisplay(nullptr);
  ~Connection() { XCloseDisplay(display); }
};

TEST(X11TypingTurn, OneConnectionHasItAtATimeAndAWaitEndsAfterItsLongest) {
  const test::XvfbServer server;
  ::setenv("DISPLAY", server.display().c_str(), 1);
  // Closed after the turns have ended.
  const Connection first;
  const Connection second;
  X11TypingTurn first_turn(first.display);
  X11TypingTurn second_turn(second.display);
  first_turn.take(std::chrono::milliseconds(0));
  EXPECT_TRUE(first_turn.taken());

  const auto started = std::chrono::steady_clock::now();
  try {
    second_turn.take(std::chrono::seconds(1));
    ADD_FAILURE() << "the second connection took the turn the first had";
  } catch (const EventSourceError& error) {
    EXPECT_EQ(std::string(error.what()),
              "another run has been typing on the X display \"" + server.display() + "\" for 1 s");
  }
  EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::seconds(1));
  EXPECT_FALSE(second_turn.taken());

  // Given up, the turn goes to the next one that asks.
  first_turn.giveUp();
  second_turn.take(std::chrono::milliseconds(0));
  EXPECT_TRUE(second_turn.taken());
  EXPECT_THROW(first_turn.take(std::chrono::milliseconds(100)), EventSourceError);
  second_turn.giveUp();
  EXPECT_FALSE(second_turn.taken());
}

}  // namespace
}  // namespace mivo::platform
