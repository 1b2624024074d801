#include "statement.hpp"

#include <vector>

#include "class_definition.hpp"
#include "database.hpp"
#include "errors.hpp"
#include "fd_vfs.hpp"
#include "helpers.hpp"
#include "napi_calls.hpp"
#include "sql_tail.hpp"
#include "type_safe_callback.hpp"

// Drawn at the first registration of the process.
napi_type_tag Statement::TYPE_TAG;

Napi::Function Statement::Init(Napi::Env env, Addon* addon) {
  std::vector<napi_property_descriptor> methods = {
      PrototypeMethod<Statement, &Statement::JS_run>("run", addon),
      PrototypeMethod<Statement, &Statement::JS_get>("get", addon),
      PrototypeMethod<Statement, &Statement::JS_all>("all", addon),
      PrototypeMethod<Statement, &Statement::JS_iterate>("iterate", addon),
      PrototypeMethod<Statement, &Statement::JS_bind>("bind", addon),
      PrototypeMethod<Statement, &Statement::JS_pluck>("pluck", addon),
      PrototypeMethod<Statement, &Statement::JS_expand>("expand", addon),
      PrototypeMethod<Statement, &Statement::JS_raw>("raw", addon),
      PrototypeMethod<Statement, &Statement::JS_safeIntegers>("safeIntegers", addon),
      PrototypeMethod<Statement, &Statement::JS_columns>("columns", addon),
      PrototypeMethod<Statement, &Statement::JS_toString>("toString", addon),
  };
  return ::DefineClass<Statement>(env, "Statement", methods, addon);
}

// prepare(source, database, as_reader, prebound): the statement is built by its
// constructor, which reads this call from the Addon's pending-construction slot.
Napi::Value Database::JS_prepare(const Napi::CallbackInfo& info) {
  Napi::Env env = info.Env();
  if (!info[0].IsString()) return ThrowTypeError(env, "Expected first argument to be a string");
  if (!info[1].IsObject()) return ThrowTypeError(env, "Expected second argument to be an object");
  if (!info[2].IsBoolean()) return ThrowTypeError(env, "Expected third argument to be a boolean");
  if (!info[3].IsBoolean()) return ThrowTypeError(env, "Expected fourth argument to be a boolean");
  addon->pending_construction = &info;
  Napi::Object statement = SafeConstruct(env, addon->statement_constructor);
  addon->pending_construction = nullptr;
  if (env.IsExceptionPending()) return env.Undefined();
  return statement;
}

Statement::Extras::Extras(Napi::Env env, Addon* addon, uint64_t id)
    : row_builder(env, addon->make_row_factory, addon->make_array), id(id) {}

Statement::Statement(const Napi::CallbackInfo& info) : Napi::ObjectWrap<Statement>(info) {
  Napi::Env env = info.Env();
  if (!CheckStatus(env, napi_type_tag_object(env, info.This(), &TYPE_TAG))) return;
  // The slot is taken at once, so that a construction that script code starts
  // while this one runs is a script's own and is refused.
  Addon* addon = static_cast<Addon*>(info.Data());
  const Napi::CallbackInfo* call = addon->pending_construction;
  addon->pending_construction = nullptr;
  if (call == nullptr) {
    ThrowTypeError(env, "Statements can only be constructed by the db.prepare() method");
    return;
  }
  if (!Prepare(env, *call)) return;

  Napi::Object self = info.This().As<Napi::Object>();
  const CS& cs = addon->cs;
  SetFrozen(env, self, cs.reader, Napi::Boolean::New(env, returns_data));
  SetFrozen(env, self, cs.readonly, Napi::Boolean::New(env, sqlite3_stmt_readonly(handle) != 0));
  SetFrozen(env, self, cs.source, (*call)[0]);
  SetFrozen(env, self, cs.database, (*call)[1]);
  napi_property_descriptor busy = InstanceGetter<Statement, &Statement::JS_busy>("busy", addon);
  CheckStatus(env, napi_define_properties(env, self, 1, &busy));
}

bool Statement::Prepare(Napi::Env env, const Napi::CallbackInfo& call) {
  void* unwrapped = nullptr;
  if (!CheckStatus(env, napi_unwrap(env, call.This(), &unwrapped))) return false;
  Database* database = static_cast<Database*>(unwrapped);
  std::string source;
  if (!TextWithoutNul(env, call[0].As<Napi::String>(), "Expected the SQL text to contain no NUL characters",
                      &source)) {
    return false;
  }
  if (!database->OpenGuard(env)) return false;
  if (!database->BusyGuard(env)) return false;
  bool as_reader = call[2].As<Napi::Boolean>();
  bool prebound = call[3].As<Napi::Boolean>();
  if (as_reader && !database->IteratorGuardUnlessUnsafe(env)) return false;

  // Statements that are bound for good or only read are not worth keeping
  // persistently prepared.
  unsigned int flags = !as_reader && !prebound ? SQLITE_PREPARE_PERSISTENT : 0;
  const char* tail = nullptr;
  sqlite3_stmt* prepared = nullptr;
  FdVfs::operation++;
  int rc;
  {
    Database::Preparing preparing(*database);
    rc = sqlite3_prepare_v3(database->db_handle, source.c_str(), static_cast<int>(source.size() + 1),
                            flags, &prepared, &tail);
  }
  if (rc != SQLITE_OK) {
    database->ThrowDatabaseError(env);
    return false;
  }
  // Script code ran meanwhile; a statement is only made on an open connection.
  if (!database->OpenGuard(env)) {
    sqlite3_finalize(prepared);
    return false;
  }
  if (prepared == nullptr) {
    ThrowRangeError(env, "The supplied SQL string contains no statements");
    return false;
  }
  if (!TailHasNoStatement(tail)) {
    sqlite3_finalize(prepared);
    ThrowRangeError(env, "The supplied SQL string contains more than one statement");
    return false;
  }

  Addon* addon = database->addon;
  returns_data = sqlite3_column_count(prepared) > 0 || as_reader;
  db = database;
  handle = prepared;
  extras = std::make_unique<Extras>(env, addon, addon->next_object_id++);
  bound = prebound;
  safe_ints = database->safe_ints;
  database_object = Napi::Persistent(call.This().As<Napi::Object>());
  alive = true;
  database->AddStatement(this);
  return true;
}

Statement::~Statement() {
  if (alive) {
    db->stmts.erase(this);
    alive = false;
    sqlite3_finalize(handle);
  }
  extras.reset();
}

const BindMap& Statement::BindMapOf(Napi::Env env) {
  if (!has_bind_map) {
    extras->bind_map.Build(env, handle);
    has_bind_map = true;
  }
  return extras->bind_map;
}

bool Statement::LockGuard(Napi::Env env) const {
  if (!locked) return true;
  ThrowTypeError(env, "This statement is busy executing a query");
  return false;
}
