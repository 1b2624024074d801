#pragma once

#include <X11/Xlib.h>

#include <chrono>

namespace mivo::platform {

// Runs on one display take turns to type. A run binds spare keycodes of the
// one keyboard map that all clients share, and restores them when it ends:
// two runs at once would bind each other's keycodes anew, restore them under
// each other, and mix their texts in the window with the focus.
//
// A run's turn is the ownership of a selection, which the X server takes
// back when the run's connection closes, so that a run that dies or is
// killed frees the display at once. A run takes it only while no client owns
// it, under a grab of the server for that one look and change, so that two
// runs cannot both take it.
class X11TypingTurn {
 public:
  // How long a run waits for its turn before it gives up: far longer than a
  // run types anything a host is likely to send, and short enough that a
  // peer that hangs (stopped, say) is told of rather than waited on for ever.
  static constexpr std::chrono::seconds kLongestWait{60};

  explicit X11TypingTurn(Display* display) : display_(display) {}
  X11TypingTurn(const X11TypingTurn&) = delete;
  X11TypingTurn& operator=(const X11TypingTurn&) = delete;
  // Gives the turn up, if it was taken.
  ~X11TypingTurn();

  // Waits until the turn is this run's, looking every few milliseconds;
  // raises EventSourceError when it is not within `longest`. Nothing when
  // it is already.
  void take(std::chrono::milliseconds longest = kLongestWait);
  bool taken() const { return owner_ != None; }

  // Gives the turn to the next run.
  void giveUp();

 private:
  // Takes the turn if no one has it; whether it is this run's now.
  bool takeIfFree();

  Display* display_;
  Atom selection_ = None;
  // The window that owns the selection while the turn is this run's.
  Window owner_ = None;
};

}  // namespace mivo::platform
