#pragma once

#include <napi.h>
#include <sqlite3.h>

class Statement;

// Binds the arguments of one statement call to the statement's parameters:
// arrays are spread into positional values, one plain object supplies the named
// parameters, and every other argument is one positional value.
class Binder {
 public:
  explicit Binder(sqlite3_stmt* handle);

  // True when every parameter received exactly one value; otherwise a script
  // exception is pending and the caller clears what was bound.
  bool Bind(const Napi::CallbackInfo& info, int argc, Statement* statement);

 private:
  bool BindValue(Napi::Env env, Napi::Value value, int index);
  bool BindValue(Napi::Env env, Napi::Value value, napi_valuetype type, int index);
  int BindText(Napi::Env env, Napi::Value value, int index);
  bool BindPositional(Napi::Env env, Napi::Value value, napi_valuetype type);
  bool BindArray(Napi::Env env, Napi::Array array, Statement* statement, int& count);
  bool BindNamed(Napi::Env env, Napi::Object object, Statement* statement, int& count);
  bool StillAlive(Napi::Env env, Statement* statement);
  bool Fail();

  sqlite3_stmt* handle;
  int param_count;
  int anon_index = 0;
  bool success = true;
};
