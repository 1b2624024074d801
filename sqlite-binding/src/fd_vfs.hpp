#pragma once

#include <cstdint>

// The SQLite file layer that opens databases on descriptors handed in by the host.
class FdVfs {
 public:
  // Raised once by each statement preparation and each call that steps
  // statements, just before SQLite first runs for it. A reason the layer records
  // for a refusal carries the value, so an error report uses it only for the
  // operation it was recorded in.
  static thread_local uint64_t operation;
};
