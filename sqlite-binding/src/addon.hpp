#pragma once

#include <napi.h>

#include <cstdint>
#include <set>

#include "cs.hpp"

class Database;

// Orders the open databases of an environment by the address of their native object.
struct CompareDatabase {
  bool operator()(const Database* a, const Database* b) const { return a < b; }
};

// The module's state in one Node-API environment.
struct Addon {
  explicit Addon(Napi::Env env) : cs(env) {}

  Napi::FunctionReference statement_constructor;
  Napi::FunctionReference iterator_constructor;
  Napi::FunctionReference backup_constructor;
  // The host functions, stored by initialize().
  Napi::FunctionReference error_constructor;
  Napi::FunctionReference make_array;
  Napi::FunctionReference append_to_array;
  Napi::FunctionReference make_row_factory;
  Napi::FunctionReference make_iterator_record;
  // The prepare(), iterate() or backup() call that is constructing its object
  // right now; the constructors tell a module construction from a script's by it.
  const Napi::CallbackInfo* pending_construction = nullptr;
  // Ids of statements and backups, drawn from one counter.
  uint64_t next_object_id = 0;
  CS cs;
  std::set<Database*, CompareDatabase> open_databases;
  // Makes the result of run(), {changes, lastInsertRowid}, from an object literal.
  Napi::FunctionReference make_run_result;
  // The receiver of the last method call of each class, held weakly, with its
  // native object: a loop calling one statement's methods checks its type tag
  // and unwraps it once instead of on every call.
  struct LastReceiver {
    Napi::Reference<Napi::Object> object;
    void* native = nullptr;
  };
  LastReceiver last_receivers[4];

  static Napi::Value JS_initialize(const Napi::CallbackInfo& info);
  void MakeRunResultFunction(Napi::Env env);
  static void ConfigureURI();
  // Whether ConfigureURI turned URI file names on; read only after it ran.
  static bool UriNamesOn();
  static void Cleanup(void* addon);
};
