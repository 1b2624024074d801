// function(), aggregate() and table(): SQL functions, aggregates, window
// functions and virtual tables whose work script functions do. None may be
// registered while the connection runs a statement, prepares one or has an open
// iterator (unsafe mode does not lift that), since SQLite would replace a
// registration that script code called back from it may be using.
#include <string>

#include "custom_aggregate.hpp"
#include "custom_function.hpp"
#include "custom_table.hpp"
#include "database.hpp"
#include "errors.hpp"
#include "helpers.hpp"
#include "safe_integers.hpp"

namespace {

int FunctionFlags(bool deterministic, bool direct_only) {
  int flags = SQLITE_UTF8;
  if (deterministic) flags |= SQLITE_DETERMINISTIC;
  if (direct_only) flags |= SQLITE_DIRECTONLY;
  return flags;
}

// SQLite refuses some registrations (an argument count outside -1..1000, a name
// over 255 bytes) with SQLITE_MISUSE and leaves the connection's error as it
// was, stale or "not an error": the returned code's own text is reported then.
void ThrowRegistrationError(Napi::Env env, Database& db, int rc) {
  if (rc == SQLITE_MISUSE) return Database::ThrowSqliteError(env, db.addon, sqlite3_errstr(rc), rc);
  db.ThrowDatabaseError(env);
}

}  // namespace

// function(fn, name, argc, safeIntegers, deterministic, directOnly)
Napi::Value Database::JS_function(const Napi::CallbackInfo& info) {
  Napi::Env env = info.Env();
  if (!info[0].IsFunction()) return ThrowTypeError(env, "Expected first argument to be a function");
  if (!info[1].IsString()) return ThrowTypeError(env, "Expected second argument to be a string");
  if (!IsInt32(info[2])) return ThrowTypeError(env, "Expected third argument to be a 32-bit signed integer");
  if (!IsInt32(info[3])) return ThrowTypeError(env, "Expected fourth argument to be a 32-bit signed integer");
  if (!info[4].IsBoolean()) return ThrowTypeError(env, "Expected fifth argument to be a boolean");
  if (!info[5].IsBoolean()) return ThrowTypeError(env, "Expected sixth argument to be a boolean");
  if (!OpenGuard(env)) return env.Undefined();
  if (!BusyGuard(env)) return env.Undefined();
  if (!PreparingGuard(env)) return env.Undefined();
  if (!IteratorGuard(env)) return env.Undefined();

  std::string name;
  if (!TextWithoutNul(env, info[1].As<Napi::String>(), "Expected the name to contain no NUL characters", &name)) {
    return env.Undefined();
  }
  int argc = info[2].As<Napi::Number>().Int32Value();
  bool safe = ChooseSafeIntegers(info[3].As<Napi::Number>().Int32Value(), safe_ints);
  int flags = FunctionFlags(info[4].As<Napi::Boolean>(), info[5].As<Napi::Boolean>());
  auto* function = new CustomFunction(env, this, name, info[0].As<Napi::Function>(), safe);
  // From here on SQLite owns the object, also when it refuses the registration.
  int rc = sqlite3_create_function_v2(db_handle, name.c_str(), argc, flags, function,
                                      CustomFunction::xFunc, nullptr, nullptr,
                                      CustomFunction::xDestroy);
  if (rc != SQLITE_OK) ThrowRegistrationError(env, *this, rc);
  return env.Undefined();
}

// aggregate(start, step, inverse, result, name, argc, safeIntegers, deterministic, directOnly)
Napi::Value Database::JS_aggregate(const Napi::CallbackInfo& info) {
  Napi::Env env = info.Env();
  if (info.Length() < 1) return ThrowTypeError(env, "Expected a first argument");
  if (!info[1].IsFunction()) return ThrowTypeError(env, "Expected second argument to be a function");
  if (info.Length() < 3) return ThrowTypeError(env, "Expected a third argument");
  if (info.Length() < 4) return ThrowTypeError(env, "Expected a fourth argument");
  if (!info[4].IsString()) return ThrowTypeError(env, "Expected fifth argument to be a string");
  if (!IsInt32(info[5])) return ThrowTypeError(env, "Expected sixth argument to be a 32-bit signed integer");
  if (!IsInt32(info[6])) return ThrowTypeError(env, "Expected seventh argument to be a 32-bit signed integer");
  if (!info[7].IsBoolean()) return ThrowTypeError(env, "Expected eighth argument to be a boolean");
  if (!info[8].IsBoolean()) return ThrowTypeError(env, "Expected ninth argument to be a boolean");
  if (!OpenGuard(env)) return env.Undefined();
  if (!BusyGuard(env)) return env.Undefined();
  if (!PreparingGuard(env)) return env.Undefined();
  if (!IteratorGuard(env)) return env.Undefined();

  std::string name;
  if (!TextWithoutNul(env, info[4].As<Napi::String>(), "Expected the name to contain no NUL characters", &name)) {
    return env.Undefined();
  }
  int argc = info[5].As<Napi::Number>().Int32Value();
  bool safe = ChooseSafeIntegers(info[6].As<Napi::Number>().Int32Value(), safe_ints);
  int flags = FunctionFlags(info[7].As<Napi::Boolean>(), info[8].As<Napi::Boolean>());
  // Without an inverse SQLite treats the function as an ordinary aggregate only.
  bool window = info[2].IsFunction();
  auto* aggregate = new CustomAggregate(env, this, name, info[0], info[1].As<Napi::Function>(),
                                        info[2], info[3], safe);
  int rc = sqlite3_create_window_function(
      db_handle, name.c_str(), argc, flags, aggregate, CustomAggregate::xStep,
      CustomAggregate::xFinal, window ? CustomAggregate::xValue : nullptr,
      window ? CustomAggregate::xInverse : nullptr, CustomFunction::xDestroy);
  if (rc != SQLITE_OK) ThrowRegistrationError(env, *this, rc);
  return env.Undefined();
}

// table(factory, name, eponymous)
Napi::Value Database::JS_table(const Napi::CallbackInfo& info) {
  Napi::Env env = info.Env();
  if (!info[0].IsFunction()) return ThrowTypeError(env, "Expected first argument to be a function");
  if (!info[1].IsString()) return ThrowTypeError(env, "Expected second argument to be a string");
  if (!info[2].IsBoolean()) return ThrowTypeError(env, "Expected third argument to be a boolean");
  if (!OpenGuard(env)) return env.Undefined();
  if (!BusyGuard(env)) return env.Undefined();
  if (!PreparingGuard(env)) return env.Undefined();
  if (!IteratorGuard(env)) return env.Undefined();

  std::string name;
  if (!TextWithoutNul(env, info[1].As<Napi::String>(), "Expected the name to contain no NUL characters", &name)) {
    return env.Undefined();
  }
  bool eponymous = info[2].As<Napi::Boolean>();
  const sqlite3_module* module = eponymous ? &CustomTable::EPONYMOUS_MODULE : &CustomTable::MODULE;
  is_busy = true;
  auto* table = new CustomTable(env, this, addon, name, info[0].As<Napi::Function>());
  int rc = sqlite3_create_module_v2(db_handle, name.c_str(), module, table, CustomTable::Destructor);
  if (rc != SQLITE_OK) ThrowRegistrationError(env, *this, rc);
  is_busy = false;
  return env.Undefined();
}
