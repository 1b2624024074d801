#pragma once

#include <napi.h>
#include <sqlite3.h>

#include <string>

#include "custom_function.hpp"

// An aggregate SQL function, and a window function when it has an inverse,
// whose work script functions do. Each group keeps its accumulated value in
// SQLite's aggregate context, from its first step (or its final call, for a
// group without rows) to its final call or its first failure.
class CustomAggregate : public CustomFunction {
 public:
  CustomAggregate(napi_env env, Database* db, const std::string& name, Napi::Value start,
                  Napi::Function step, Napi::Value inverse, Napi::Value result, bool safe_ints);

  void PropagateJSError(sqlite3_context* context) override;

  static void xStep(sqlite3_context* context, int argc, sqlite3_value** argv);
  static void xInverse(sqlite3_context* context, int argc, sqlite3_value** argv);
  static void xValue(sqlite3_context* context);
  static void xFinal(sqlite3_context* context);

 private:
  // Lives in memory that SQLite zero-fills on the group's first request and
  // frees after the final call, so it holds only plain fields.
  struct Accumulator {
    napi_ref value;  // empty once released, or when the start failed
    bool initialized;
    bool is_window;  // SQLite asked for a current value: a window's final call only releases
  };

  // The group's record, its start value taken on first use; null when SQLite
  // could not allocate it.
  Accumulator* GetAccumulator(sqlite3_context* context);
  void DestroyAccumulator(sqlite3_context* context);
  void xStepBase(sqlite3_context* context, int argc, sqlite3_value** argv,
                 const Napi::FunctionReference& which);
  void xValueBase(sqlite3_context* context, bool final);

  const bool invoke_result;
  const bool invoke_start;
  Napi::FunctionReference inverse;
  Napi::FunctionReference result;
  // Any value: every group starts from this very value, or, when it is a
  // function, from what a call of it returns.
  Napi::Reference<Napi::Value> start;
};
