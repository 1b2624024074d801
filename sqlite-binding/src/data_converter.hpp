#pragma once

#include <sqlite3.h>

#include <string>

// How a caller that returns script values to SQLite (a user-defined function,
// an aggregate, a virtual table) words conversion errors and makes its SQLite
// call fail once one has been thrown.
class DataConverter {
 public:
  // Marks the database and fails the SQLite call, so that the pending script
  // exception reaches the script.
  virtual void PropagateJSError(sqlite3_context* context) = 0;
  // The start of every conversion error message, such as
  // "User-defined function f() returned".
  virtual std::string GetDataErrorPrefix() = 0;

 protected:
  ~DataConverter() = default;
};
