#include "statement_iterator.hpp"

#include <vector>

#include "class_definition.hpp"
#include "data.hpp"
#include "database.hpp"
#include "errors.hpp"
#include "fd_vfs.hpp"
#include "helpers.hpp"
#include "napi_calls.hpp"
#include "statement.hpp"
#include "type_safe_callback.hpp"

// Drawn at the first registration of the process.
napi_type_tag StatementIterator::TYPE_TAG;

namespace {

constexpr uint16_t MAX_ITERATORS = 65535;

// The environment's own Symbol.iterator, read from its global object.
napi_value IteratorSymbol(napi_env env) {
  napi_value global = nullptr;
  napi_value symbol_class = nullptr;
  napi_value symbol = nullptr;
  if (!CheckStatus(env, napi_get_global(env, &global)) ||
      !CheckStatus(env, napi_get_named_property(env, global, "Symbol", &symbol_class)) ||
      !CheckStatus(env, napi_get_named_property(env, symbol_class, "iterator", &symbol))) {
    return nullptr;
  }
  return symbol;
}

}  // namespace

Napi::Function StatementIterator::Init(Napi::Env env, Addon* addon) {
  napi_value symbol = IteratorSymbol(env);
  if (symbol == nullptr) return Napi::Function();
  napi_property_descriptor symbol_iterator =
      PrototypeMethod<StatementIterator, &StatementIterator::JS_symbolIterator>(nullptr, addon);
  symbol_iterator.name = symbol;
  std::vector<napi_property_descriptor> methods = {
      PrototypeMethod<StatementIterator, &StatementIterator::JS_next>("next", addon),
      PrototypeMethod<StatementIterator, &StatementIterator::JS_return>("return", addon),
      symbol_iterator,
  };
  return ::DefineClass<StatementIterator>(env, "StatementIterator", methods, addon);
}

// iterate(...parameters): the iterator is built by its constructor, which reads
// this call from the Addon's pending-construction slot.
Napi::Value Statement::JS_iterate(const Napi::CallbackInfo& info) {
  Napi::Env env = info.Env();
  Addon* addon = db->addon;
  addon->pending_construction = &info;
  Napi::Object iterator = SafeConstruct(env, addon->iterator_constructor);
  addon->pending_construction = nullptr;
  if (env.IsExceptionPending()) return env.Undefined();
  return iterator;
}

StatementIterator::StatementIterator(const Napi::CallbackInfo& info)
    : Napi::ObjectWrap<StatementIterator>(info) {
  Napi::Env env = info.Env();
  if (!CheckStatus(env, napi_type_tag_object(env, info.This(), &TYPE_TAG))) return;
  // The slot is taken at once: a construction that script code starts while
  // this one binds its values is a script's own and is refused.
  Addon* addon = static_cast<Addon*>(info.Data());
  const Napi::CallbackInfo* call = addon->pending_construction;
  addon->pending_construction = nullptr;
  if (call == nullptr) {
    ThrowTypeError(env, "Disabled constructor");
    return;
  }
  if (!Construct(env, *call)) return;
  SetFrozen(env, info.This().As<Napi::Object>(), addon->cs.statement, call->This());
}

bool StatementIterator::Construct(Napi::Env env, const Napi::CallbackInfo& call) {
  void* unwrapped = nullptr;
  if (!CheckStatus(env, napi_unwrap(env, call.This(), &unwrapped))) return false;
  Statement* stmt = static_cast<Statement*>(unwrapped);
  Database* db = stmt->db;
  if (!stmt->returns_data) {
    ThrowTypeError(env, "This statement does not return data. Use run() instead");
    return false;
  }
  if (!db->OpenGuard(env)) return false;
  if (!db->BusyGuard(env)) return false;
  if (!stmt->LockGuard(env)) return false;
  if (db->iterators == MAX_ITERATORS) {
    ThrowRangeError(env, "Too many active database iterators");
    return false;
  }
  if (!stmt->BindCall(call)) return false;
  // Script code run by the binding may have opened iterators up to the limit.
  if (db->iterators == MAX_ITERATORS) {
    stmt->ClearCallBindings();
    ThrowRangeError(env, "Too many active database iterators");
    return false;
  }

  statement = stmt;
  handle = stmt->handle;
  db_state = db;
  bound = stmt->bound;
  safe_ints = stmt->safe_ints;
  mode = stmt->mode;
  alive = true;
  logged = !db->has_logger;
  stmt->locked = true;
  db->iterators++;
  return true;
}

// Unlocks the statement and stops counting the iteration.
void StatementIterator::End() {
  alive = false;
  statement->locked = false;
  db_state->iterators--;
}

Napi::Value StatementIterator::Return(Napi::Env env) {
  End();
  // A connection closed meanwhile has finalised the handle.
  if (!statement->alive) return NewRecord(env, env.Undefined(), db_state->addon, true);
  sqlite3_reset(handle);
  Napi::Value record = NewRecord(env, env.Undefined(), db_state->addon, true);
  if (!bound) sqlite3_clear_bindings(handle);
  return record;
}

Napi::Value StatementIterator::Throw(Napi::Env env) {
  End();
  sqlite3_reset(handle);
  // The values are cleared before the error is made: errorConstructor is script
  // code, which may close the connection or bind the now unlocked statement.
  if (!bound) sqlite3_clear_bindings(handle);
  db_state->ThrowDatabaseError(env);
  return env.Undefined();
}

Napi::Value StatementIterator::NewRecord(Napi::Env env, Napi::Value value, Addon* addon, bool done) {
  if (!done) {
    napi_value row = value;
    napi_value record = nullptr;
    if (!CallFunction(env, addon->make_iterator_record.Value(), 1, &row, &record)) return Napi::Value();
    return Napi::Value(env, record);
  }
  napi_value record = nullptr;
  napi_value done_value = nullptr;
  bool made = CheckStatus(env, napi_create_object(env, &record)) &&
              CheckStatus(env, napi_get_boolean(env, true, &done_value)) &&
              DefineDataProperty(env, record, addon->cs.value.Value(), value) &&
              DefineDataProperty(env, record, addon->cs.done.Value(), done_value);
  return made ? Napi::Value(env, record) : Napi::Value();
}

Napi::Value StatementIterator::JS_next(const Napi::CallbackInfo& info) {
  Napi::Env env = info.Env();
  Addon* addon = static_cast<Addon*>(info.Data());
  if (!db_state->BusyGuard(env)) return env.Undefined();
  // A step could change the schema under a statement SQLite is preparing.
  if (!db_state->PreparingGuard(env)) return env.Undefined();
  if (!alive) return NewRecord(env, env.Undefined(), addon, true);
  if (!statement->alive) return Return(env);

  db_state->is_busy = true;
  if (!logged) {
    logged = true;
    if (db_state->Log(env, handle)) {
      db_state->is_busy = false;
      return Throw(env);
    }
  }
  FdVfs::operation++;
  int rc = sqlite3_step(handle);
  db_state->is_busy = false;
  if (rc == SQLITE_DONE) return Return(env);
  if (rc != SQLITE_ROW) return Throw(env);
  // A failed row leaves its exception pending but does not end the iteration.
  Napi::Value row = Data::GetRowJS(env, statement, handle, safe_ints, mode);
  if (row.IsEmpty()) return env.Undefined();
  return NewRecord(env, row, addon, false);
}

Napi::Value StatementIterator::JS_return(const Napi::CallbackInfo& info) {
  Napi::Env env = info.Env();
  if (!db_state->BusyGuard(env)) return env.Undefined();
  if (alive) return Return(env);
  return NewRecord(env, env.Undefined(), static_cast<Addon*>(info.Data()), true);
}

Napi::Value StatementIterator::JS_symbolIterator(const Napi::CallbackInfo& info) { return info.This(); }
