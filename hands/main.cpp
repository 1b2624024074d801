#include "hands/hands.h"
#include "platform/linux/thread_sleeper.h"
#include "platform/linux/x11_input_events.h"

int main() {
  mivo::platform::X11InputEvents input;
  mivo::platform::ThreadSleeper sleeper;
  mivo::hands::Hands::main({.input = input, .sleeper = sleeper});
}
