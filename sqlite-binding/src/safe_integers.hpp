#pragma once

#include <cstdint>

// The safe-integers choice of a function, an aggregate or a virtual table: 0
// turns it off, 2 or more takes the database's default at that moment, and any
// other value (1, negative) turns it on.
inline bool ChooseSafeIntegers(int32_t choice, bool database_default) {
  if (choice >= 2) return database_default;
  return choice != 0;
}
