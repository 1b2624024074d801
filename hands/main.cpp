#include "hands/hands.h"
#include "platform/foundation/process.h"
#include "platform/linux/posix_termination_signals.h"
#include "platform/linux/thread_sleeper.h"
#include "platform/linux/x11_input_events.h"

int main() {
  // First, before anything can take the number of a closed standard descriptor.
  mivo::foundation::startProcess();
  mivo::platform::X11InputEvents input;
  mivo::platform::ThreadSleeper sleeper;
  mivo::platform::PosixTerminationSignals signals;
  mivo::hands::Hands::main({.input = input, .sleeper = sleeper, .signals = signals});
}
