// The methods that work on the connection as a whole: exec(), serialize(),
// loadExtension(), defaultSafeIntegers() and unsafeMode().
#include <sqlite3.h>

#include <string>

#include "database.hpp"
#include "errors.hpp"
#include "fd_vfs.hpp"
#include "helpers.hpp"
#include "napi_calls.hpp"

namespace {

bool IsSkippedBeforeStatement(char c) { return c == ' ' || c == ';' || (c >= 9 && c <= 13); }

}  // namespace

Napi::Value Database::JS_exec(const Napi::CallbackInfo& info) {
  Napi::Env env = info.Env();
  if (!info[0].IsString()) return ThrowTypeError(env, "Expected first argument to be a string");
  std::string sql;
  if (!TextWithoutNul(env, info[0].As<Napi::String>(),
                      "Expected the SQL text to contain no NUL characters", &sql)) {
    return env.Undefined();
  }
  if (!OpenGuard(env)) return env.Undefined();
  if (!BusyGuard(env)) return env.Undefined();
  if (!PreparingGuard(env)) return env.Undefined();
  if (!IteratorGuardUnlessUnsafe(env)) return env.Undefined();

  is_busy = true;
  FdVfs::operation++;
  const char* position = sql.c_str();
  for (;;) {
    while (IsSkippedBeforeStatement(*position)) position++;
    sqlite3_stmt* stmt = nullptr;
    const char* tail = nullptr;
    int rc;
    {
      Preparing preparing(*this);
      rc = sqlite3_prepare_v2(db_handle, position, -1, &stmt, &tail);
    }
    if (stmt == nullptr) {
      is_busy = false;
      if (rc != SQLITE_OK) ThrowDatabaseError(env);
      return env.Undefined();
    }
    position = tail;
    if (Log(env, stmt)) {
      sqlite3_finalize(stmt);
      is_busy = false;
      ThrowDatabaseError(env);
      return env.Undefined();
    }
    while (sqlite3_step(stmt) == SQLITE_ROW) {
    }
    if (sqlite3_finalize(stmt) != SQLITE_OK) {
      is_busy = false;
      ThrowDatabaseError(env);
      return env.Undefined();
    }
  }
}

void Database::FreeSerialization(napi_env, void* data, void*) { sqlite3_free(data); }

Napi::Value Database::JS_serialize(const Napi::CallbackInfo& info) {
  Napi::Env env = info.Env();
  if (!info[0].IsString()) return ThrowTypeError(env, "Expected first argument to be a string");
  // A NUL would cut the name short: the image of another database than the one named.
  std::string name;
  if (!TextWithoutNul(env, info[0].As<Napi::String>(),
                      "Expected the attached name to contain no NUL characters", &name)) {
    return env.Undefined();
  }
  if (!OpenGuard(env)) return env.Undefined();
  if (!BusyGuard(env)) return env.Undefined();
  if (!IteratorGuard(env)) return env.Undefined();

  sqlite3_int64 size = -1;
  unsigned char* data = sqlite3_serialize(db_handle, name.c_str(), &size, 0);
  // Also what a name the connection does not know gives: no data and size -1.
  if (data == nullptr && size != 0) return ThrowError(env, "Out of memory");

  napi_value buffer = nullptr;
  napi_status status = data == nullptr
      ? napi_create_buffer(env, 0, nullptr, &buffer)
      : napi_create_external_buffer(env, static_cast<size_t>(size), data, FreeSerialization, nullptr, &buffer);
  if (status == napi_no_external_buffers_allowed) {
    status = napi_create_buffer_copy(env, static_cast<size_t>(size), data, nullptr, &buffer);
    sqlite3_free(data);
  } else if (status != napi_ok) {
    sqlite3_free(data);
  }
  if (!CheckStatus(env, status)) return env.Undefined();
  return Napi::Value(env, buffer);
}

Napi::Value Database::JS_loadExtension(const Napi::CallbackInfo& info) {
  Napi::Env env = info.Env();
  if (!info[0].IsString()) return ThrowTypeError(env, "Expected first argument to be a string");
  bool has_entry_point = info.Length() >= 2;
  if (has_entry_point && !info[1].IsString()) {
    return ThrowTypeError(env, "Expected second argument to be a string");
  }
  std::string path;
  std::string entry_point;
  if (!TextWithoutNul(env, info[0].As<Napi::String>(),
                      "Expected the extension path to contain no NUL characters", &path) ||
      (has_entry_point && !TextWithoutNul(env, info[1].As<Napi::String>(),
                                          "Expected the entry point to contain no NUL characters",
                                          &entry_point))) {
    return env.Undefined();
  }
  if (!OpenGuard(env)) return env.Undefined();
  if (!BusyGuard(env)) return env.Undefined();
  // An extension registers functions and modules, which must not change under
  // SQLite's parser.
  if (!PreparingGuard(env)) return env.Undefined();
  if (!IteratorGuard(env)) return env.Undefined();

  char* message = nullptr;
  int rc = sqlite3_load_extension(db_handle, path.c_str(), has_entry_point ? entry_point.c_str() : nullptr,
                                  &message);
  if (rc != SQLITE_OK) {
    // The text can be the system's own, which on Windows ends in a line break.
    std::string text = message != nullptr ? message : sqlite3_errstr(rc);
    text.erase(text.find_last_not_of(" \t\r\n\f\v") + 1);
    ThrowSqliteError(env, addon, text.c_str(), rc);
  }
  sqlite3_free(message);
  return env.Undefined();
}

Napi::Value Database::JS_defaultSafeIntegers(const Napi::CallbackInfo& info) {
  bool use = false;
  if (OptionalBooleanArgument(info, &use)) safe_ints = use;
  return info.Env().Undefined();
}

Napi::Value Database::JS_unsafeMode(const Napi::CallbackInfo& info) {
  Napi::Env env = info.Env();
  if (!OpenGuard(env)) return env.Undefined();
  bool use = false;
  if (!OptionalBooleanArgument(info, &use)) return env.Undefined();
  unsafe_mode = use;
  // Unsafe mode turns SQLite's defensive flag off; leaving it turns it on again.
  sqlite3_db_config(db_handle, SQLITE_DBCONFIG_DEFENSIVE, unsafe_mode ? 0 : 1, nullptr);
  return env.Undefined();
}
