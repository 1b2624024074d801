// run(), get() and all(): bind the call's values, mark the connection busy, tell
// the logger, step, and build the result while still busy, so that no script
// code called back meanwhile can re-enter the connection. Nor do they start
// while the connection prepares a statement: a statement run from script code
// that SQLite calls during preparation could drop or detach what SQLite's
// parser is working on.
#include <cstdint>
#include <vector>

#include "binder.hpp"
#include "data.hpp"
#include "database.hpp"
#include "errors.hpp"
#include "fd_vfs.hpp"
#include "napi_calls.hpp"
#include "statement.hpp"

namespace {

constexpr size_t CHUNK = 1024;

// Hands the gathered rows to makeArray and appendToArray, at most 1024 at a
// time, so that no argument list grows with the result. Empty when a call failed.
Napi::Value MakeResultArray(Napi::Env env, Addon* addon, std::vector<napi_value>& rows) {
  size_t first = rows.size() < CHUNK ? rows.size() : CHUNK;
  napi_value array = nullptr;
  if (!CallFunction(env, addon->make_array.Value(), first, rows.data(), &array)) return Napi::Value();
  napi_value arguments[CHUNK + 1];
  arguments[0] = array;
  for (size_t start = first; start < rows.size(); start += CHUNK) {
    size_t count = rows.size() - start < CHUNK ? rows.size() - start : CHUNK;
    for (size_t i = 0; i < count; i++) arguments[i + 1] = rows[start + i];
    napi_value ignored = nullptr;
    if (!CallFunction(env, addon->append_to_array.Value(), count + 1, arguments, &ignored)) {
      return Napi::Value();
    }
  }
  return Napi::Value(env, array);
}

// The result of run(), made by the Addon's object-literal function: a literal
// defines its two properties (no setter on Object.prototype takes them) and is
// much faster to make than an object defined property by property.
Napi::Value RunResult(Napi::Env env, Addon* addon, int changes, sqlite3_int64 rowid, bool safe_ints) {
  napi_value values[2] = {};
  napi_value result = nullptr;
  bool made = CheckStatus(env, napi_create_double(env, changes, &values[0])) &&
              CheckStatus(env, safe_ints ? napi_create_bigint_int64(env, rowid, &values[1])
                                         : napi_create_double(env, static_cast<double>(rowid), &values[1])) &&
              CallFunction(env, addon->make_run_result.Value(), 2, values, &result);
  return made ? Napi::Value(env, result) : Napi::Value();
}

}  // namespace

bool Statement::BoundArgumentsGuard(const Napi::CallbackInfo& info) const {
  if (!bound || info.Length() == 0) return true;
  ThrowTypeError(info.Env(), "This statement already has bound parameters");
  return false;
}

bool Statement::BindCall(const Napi::CallbackInfo& info) {
  if (!BoundArgumentsGuard(info)) return false;
  if (bound) return true;
  Napi::Env env = info.Env();
  // Binding runs script code (getters, proxies). Meanwhile the statement counts
  // as locked, so that such code cannot run or rebind it under this call.
  locked = true;
  Binder binder(handle);
  bool ok = binder.Bind(info, static_cast<int>(info.Length()), this);
  locked = false;
  // The connection may have been closed meanwhile.
  ok = ok && db->OpenGuard(env);
  if (!ok) ClearCallBindings();
  return ok;
}

void Statement::ClearCallBindings() {
  if (!bound && alive) sqlite3_clear_bindings(handle);
}

// The common end of a failed run(), get() or all().
Napi::Value Statement::Fail(Napi::Env env) {
  db->is_busy = false;
  db->ThrowDatabaseError(env);
  ClearCallBindings();
  return env.Undefined();
}

Napi::Value Statement::JS_run(const Napi::CallbackInfo& info) {
  Napi::Env env = info.Env();
  if (!db->OpenGuard(env)) return env.Undefined();
  if (!db->BusyGuard(env)) return env.Undefined();
  if (!db->PreparingGuard(env)) return env.Undefined();
  if (!LockGuard(env)) return env.Undefined();
  if (!db->IteratorGuardUnlessUnsafe(env)) return env.Undefined();
  if (!BindCall(info)) return env.Undefined();
  // Script code run by the binding may have opened an iterator.
  if (!db->IteratorGuardUnlessUnsafe(env)) {
    ClearCallBindings();
    return env.Undefined();
  }

  sqlite3* connection = db->db_handle;
  db->is_busy = true;
  if (db->Log(env, handle)) return Fail(env);
  int total_changes = sqlite3_total_changes(connection);
  FdVfs::operation++;
  sqlite3_step(handle);
  if (sqlite3_reset(handle) != SQLITE_OK) return Fail(env);

  // A statement that changed nothing reports 0, not the count of an earlier one.
  int changes = sqlite3_total_changes(connection) == total_changes ? 0 : sqlite3_changes(connection);
  sqlite3_int64 rowid = sqlite3_last_insert_rowid(connection);
  Napi::Value result = RunResult(env, db->addon, changes, rowid, safe_ints);
  db->is_busy = false;
  ClearCallBindings();
  return result;
}

Napi::Value Statement::JS_get(const Napi::CallbackInfo& info) {
  Napi::Env env = info.Env();
  if (!ReturnsDataGuard(env, "This statement does not return data. Use run() instead")) return env.Undefined();
  if (!db->OpenGuard(env)) return env.Undefined();
  if (!db->BusyGuard(env)) return env.Undefined();
  if (!db->PreparingGuard(env)) return env.Undefined();
  if (!LockGuard(env)) return env.Undefined();
  if (!BindCall(info)) return env.Undefined();

  db->is_busy = true;
  if (db->Log(env, handle)) return Fail(env);
  FdVfs::operation++;
  int rc = sqlite3_step(handle);
  if (rc == SQLITE_ROW) {
    Napi::Value row = Data::GetRowJS(env, this, handle, safe_ints, mode);
    sqlite3_reset(handle);
    db->is_busy = false;
    ClearCallBindings();
    return row;
  }
  sqlite3_reset(handle);
  if (rc != SQLITE_DONE) return Fail(env);
  db->is_busy = false;
  ClearCallBindings();
  return env.Undefined();
}

Napi::Value Statement::JS_all(const Napi::CallbackInfo& info) {
  Napi::Env env = info.Env();
  if (!ReturnsDataGuard(env, "This statement does not return data. Use run() instead")) return env.Undefined();
  if (!db->OpenGuard(env)) return env.Undefined();
  if (!db->BusyGuard(env)) return env.Undefined();
  if (!db->PreparingGuard(env)) return env.Undefined();
  if (!LockGuard(env)) return env.Undefined();
  if (!BindCall(info)) return env.Undefined();

  db->is_busy = true;
  if (db->Log(env, handle)) return Fail(env);
  FdVfs::operation++;
  std::vector<napi_value> rows;
  rows.reserve(8);
  // Stepping goes on to the end when a row cannot be built; the call then fails
  // with that row's exception, and no empty row is handed to script code.
  bool rows_built = true;
  while (sqlite3_step(handle) == SQLITE_ROW) {
    if (!rows_built) continue;
    Napi::Value row = Data::GetRowJS(env, this, handle, safe_ints, mode);
    rows_built = !row.IsEmpty();
    if (rows_built) rows.push_back(row);
  }
  if (sqlite3_reset(handle) != SQLITE_OK) return Fail(env);

  Napi::Value array;
  if (rows_built && rows.size() > UINT32_MAX) {
    ThrowRangeError(env, "Array overflow (too many rows returned)");
  } else if (rows_built) {
    array = MakeResultArray(env, db->addon, rows);
  }
  if (array.IsEmpty()) {
    db->was_js_error = true;
    return Fail(env);
  }
  db->is_busy = false;
  ClearCallBindings();
  return array;
}
