#include "platform/linux/x11/x11_typing_turn.h"

#include <string>
#include <thread>

#include "platform/input_events.h"
#include "platform/linux/x11/x11_display.h"

namespace mivo::platform {
namespace {

// Owned by the run whose turn it is.
constexpr const char* kSelectionName = "_MIVO_HANDS_TYPING";

constexpr std::chrono::milliseconds kLookAgain{20};

}  // namespace

X11TypingTurn::~X11TypingTurn() {
  if (!X11Display::lost()) giveUp();
}

void X11TypingTurn::take(std::chrono::milliseconds longest) {
  if (taken()) return;
  using Clock = std::chrono::steady_clock;
  const Clock::time_point give_up = Clock::now() + longest;
  while (!takeIfFree()) {
    if (Clock::now() >= give_up) {
      throw EventSourceError(
          "another run has been typing on the X display \"" + X11Display::name() + "\" for " +
          std::to_string(std::chrono::duration_cast<std::chrono::seconds>(longest).count()) + " s");
    }
    std::this_thread::sleep_for(kLookAgain);
  }
}

bool X11TypingTurn::takeIfFree() {
  if (selection_ == None) selection_ = XInternAtom(display_, kSelectionName, False);
  if (XGetSelectionOwner(display_, selection_) != None) return false;
  const Window root = DefaultRootWindow(display_);
  const Window window = XCreateWindow(display_, root, -1, -1, 1, 1, 0, CopyFromParent, InputOnly,
                                      CopyFromParent, 0, nullptr);
  // No other client can come between the look and the change.
  XGrabServer(display_);
  const bool free = XGetSelectionOwner(display_, selection_) == None;
  if (free) XSetSelectionOwner(display_, selection_, window, CurrentTime);
  XUngrabServer(display_);
  if (free && XGetSelectionOwner(display_, selection_) == window) {
    owner_ = window;
    return true;
  }
  XDestroyWindow(display_, window);
  return false;
}

void X11TypingTurn::giveUp() {
  if (!taken()) return;
  // Destroying the owner gives the selection up as well; saying so first
  // makes it plain.
  XSetSelectionOwner(display_, selection_, None, CurrentTime);
  XDestroyWindow(display_, owner_);
  XSync(display_, False);
  owner_ = None;
}

}  // namespace mivo::platform
