#pragma once

#include "hands/services.h"

namespace mivo::hands {

// The mivo-hands program: one command per run, from the request on standard
// input to the answer on standard output.
struct Hands {
  // The whole run, in order; every path ends the process, a successful one
  // with status 0 right after the answer.
  [[noreturn]] static void main(const Services& services);
};

}  // namespace mivo::hands
