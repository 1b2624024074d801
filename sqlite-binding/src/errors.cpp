// Every failure reaches scripts as a thrown script exception. SQLite failures
// become instances of the host's errorConstructor, built with SQLite's message
// and the name of the result code.
#include "errors.hpp"

#include <sqlite3.h>

#include "addon.hpp"
#include "database.hpp"
#include "fd_vfs.hpp"
#include "napi_calls.hpp"

namespace {

using CreateError = napi_status (*)(napi_env, napi_value, napi_value, napi_value*);

Napi::Value Throw(Napi::Env env, CreateError create, const char* message) {
  napi_value text = nullptr;
  napi_value error = nullptr;
  napi_status status = napi_create_string_utf8(env, message, NAPI_AUTO_LENGTH, &text);
  if (status == napi_ok) status = create(env, nullptr, text, &error);
  if (status == napi_ok) status = napi_throw(env, error);
  CheckStatus(env, status);
  return env.Undefined();
}

}  // namespace

Napi::Value ThrowTypeError(Napi::Env env, const char* message) {
  return Throw(env, napi_create_type_error, message);
}

Napi::Value ThrowRangeError(Napi::Env env, const char* message) {
  return Throw(env, napi_create_range_error, message);
}

Napi::Value ThrowError(Napi::Env env, const char* message) {
  return Throw(env, napi_create_error, message);
}

void Database::ThrowSqliteError(Napi::Env env, Addon* addon, const char* message, int code) {
  Napi::EscapableHandleScope scope(env);
  napi_value args[2];
  if (!CheckStatus(env, napi_create_string_utf8(env, message, NAPI_AUTO_LENGTH, &args[0]))) return;
  args[1] = addon->cs.Code(env, code);
  if (args[1] == nullptr) return;  // making the name failed and has raised
  // Empty until initialize() has run: the failed call is raised in its place.
  napi_value constructor = addon->error_constructor.Value();
  napi_value instance = nullptr;
  // When the constructor threw, its exception stays pending and is what the script sees.
  if (!CheckStatus(env, napi_new_instance(env, constructor, 2, args, &instance))) return;
  CheckStatus(env, napi_throw(env, scope.Escape(instance)));
}

void Database::ThrowSqliteError(Napi::Env env, Addon* addon, sqlite3* connection) {
  int code = sqlite3_extended_errcode(connection);
#ifndef _WIN32
  // FdVfs's own reason for the failure, when it refused with one, says more than
  // SQLite's. Windows has no FdVfs.
  if (const char* recorded = FdVfs::TakeRecordedMessage(connection, code)) {
    ThrowSqliteError(env, addon, recorded, code);
    return;
  }
#endif
  ThrowSqliteError(env, addon, sqlite3_errmsg(connection), code);
}

void Database::ThrowDatabaseError(Napi::Env env) {
  if (was_js_error) {
    was_js_error = false;
    // The exception a script callback left pending is what the script receives;
    // without one there is nothing to let through, so the SQLite error stands.
    if (env.IsExceptionPending()) return;
  }
  ThrowSqliteError(env, addon, db_handle);
}
