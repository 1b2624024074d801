#pragma once

#include <optional>

namespace mivo::platform {

// The signals that end a run from outside: hang-up, interrupt, quit and
// terminate. A key or button that is down must not outlive the run, since
// the window system keeps it pressed after the program that pressed it has
// gone; so from a press to its release they are held back, a wait in between
// ends early when one comes, and the run ends as the signal would have ended
// it once the release is posted.
//
// A signal that the process was started with blocked or ignored stays so: it
// is never held back, waited for or raised here.
class TerminationSignals {
 public:
  virtual ~TerminationSignals() = default;

  // From now on such a signal waits instead of ending the run.
  virtual void holdBack() = 0;

  // While they are held back: waits `seconds` (fractions count; zero, less or
  // not a number does not wait) or until one of them comes, whichever is
  // first, and gives that signal, also one that came before the wait; none
  // when the whole time passed without one.
  virtual std::optional<int> wait(double seconds) = 0;

  // Lets them through again; one that came meanwhile ends the run now, as it
  // would have.
  virtual void letThrough() = 0;

  // Ends the run as `signal`, which `wait` gave, ends it when nothing holds
  // it back (the status a shell shows is 128 plus its number).
  [[noreturn]] virtual void endAs(int signal) = 0;
};

}  // namespace mivo::platform
