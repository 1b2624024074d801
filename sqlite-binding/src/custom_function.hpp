#pragma once

#include <napi.h>
#include <sqlite3.h>

#include <string>

#include "data_converter.hpp"

class Database;

// A scalar SQL function whose work a script function does. SQLite owns it from
// its registration on and frees it through xDestroy: when the name and argument
// count are registered again, when the connection closes, or at once when the
// registration fails.
class CustomFunction : public DataConverter {
 public:
  CustomFunction(napi_env env, Database* db, const std::string& name, Napi::Function fn,
                 bool safe_ints);
  virtual ~CustomFunction() = default;

  void PropagateJSError(sqlite3_context* context) override;
  std::string GetDataErrorPrefix() override;

  static void xFunc(sqlite3_context* context, int argc, sqlite3_value** argv);
  static void xDestroy(void* self);

 protected:
  // Converts the SQL arguments, in order, into `out`; false when one could not
  // be made, with its failure raised.
  bool ConvertArguments(int argc, sqlite3_value** argv, napi_value* out) const;

  const std::string name;
  Database* const db;
  const napi_env env;
  // The script function; for an aggregate, its step function.
  Napi::FunctionReference fn;
  const bool safe_ints;
};
