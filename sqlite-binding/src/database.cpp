#include "database.hpp"

#include <cstring>
#include <string>
#include <vector>

#include "class_definition.hpp"
#include "errors.hpp"
#include "fd_vfs.hpp"
#include "helpers.hpp"
#include "napi_calls.hpp"
#include "type_safe_callback.hpp"

// Drawn at the first registration of the process.
napi_type_tag Database::TYPE_TAG;

namespace {

// SQLite's own maximum is 2^31-1; the limit stays 24 bytes below 2^29 so that a
// text or blob of that length, with its terminator, still fits a script string.
constexpr int MAX_LENGTH = 536870888;

bool IsNonNegativeInt32(Napi::Value value) {
  return IsInt32(value) && value.As<Napi::Number>().Int32Value() >= 0;
}

}  // namespace

Napi::Function Database::Init(Napi::Env env, Addon* addon) {
  std::vector<napi_property_descriptor> methods = {
      PrototypeMethod<Database, &Database::JS_prepare>("prepare", addon),
      PrototypeMethod<Database, &Database::JS_exec>("exec", addon),
      PrototypeMethod<Database, &Database::JS_backup>("backup", addon),
      PrototypeMethod<Database, &Database::JS_serialize>("serialize", addon),
      PrototypeMethod<Database, &Database::JS_function>("function", addon),
      PrototypeMethod<Database, &Database::JS_aggregate>("aggregate", addon),
      PrototypeMethod<Database, &Database::JS_table>("table", addon),
      PrototypeMethod<Database, &Database::JS_loadExtension>("loadExtension", addon),
      PrototypeMethod<Database, &Database::JS_close>("close", addon),
      PrototypeMethod<Database, &Database::JS_defaultSafeIntegers>("defaultSafeIntegers", addon),
      PrototypeMethod<Database, &Database::JS_unsafeMode>("unsafeMode", addon),
  };
  return ::DefineClass<Database>(env, "Database", methods, addon);
}

Database::Database(const Napi::CallbackInfo& info)
    : Napi::ObjectWrap<Database>(info), addon(static_cast<Addon*>(info.Data())) {
  Napi::Env env = info.Env();
  Napi::Object self = info.This().As<Napi::Object>();
  if (!CheckStatus(env, napi_type_tag_object(env, self, &TYPE_TAG))) return;

  if (!info[0].IsString()) { ThrowTypeError(env, "Expected first argument to be a string"); return; }
  if (!info[1].IsString()) { ThrowTypeError(env, "Expected second argument to be a string"); return; }
  if (!info[2].IsBoolean()) { ThrowTypeError(env, "Expected third argument to be a boolean"); return; }
  if (!info[3].IsBoolean()) { ThrowTypeError(env, "Expected fourth argument to be a boolean"); return; }
  if (!info[4].IsBoolean()) { ThrowTypeError(env, "Expected fifth argument to be a boolean"); return; }
  if (!IsInt32(info[5])) { ThrowTypeError(env, "Expected sixth argument to be a 32-bit signed integer"); return; }
  if (info.Length() < 7) { ThrowTypeError(env, "Expected a seventh argument"); return; }
  if (info.Length() < 8) { ThrowTypeError(env, "Expected a eighth argument"); return; }
  if (info.Length() < 9) { ThrowTypeError(env, "Expected a ninth argument"); return; }
  if (info.Length() < 10) { ThrowTypeError(env, "Expected a tenth argument"); return; }

  bool readonly = info[3].As<Napi::Boolean>();
  bool must_exist = info[4].As<Napi::Boolean>();
  int timeout = info[5].As<Napi::Number>().Int32Value();
  Napi::Value logger_value = info[6];
  Napi::Value buffer = info[7];

  int flags = readonly     ? SQLITE_OPEN_READONLY
              : must_exist ? SQLITE_OPEN_READWRITE
                           : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;

  sqlite3* handle = nullptr;
  if (!OpenConnection(info, flags, &handle)) return;

  sqlite3_extended_result_codes(handle, 1);
  sqlite3_busy_timeout(handle, timeout);
  sqlite3_limit(handle, SQLITE_LIMIT_LENGTH, MAX_LENGTH);
  sqlite3_limit(handle, SQLITE_LIMIT_SQL_LENGTH, MAX_LENGTH);
  sqlite3_db_config(handle, SQLITE_DBCONFIG_ENABLE_LOAD_EXTENSION, 1, nullptr);
  sqlite3_db_config(handle, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);

  if (buffer.IsBuffer() && !Deserialize(env, buffer.As<Napi::Object>(), addon, handle, readonly)) {
    sqlite3_close(handle);
    return;
  }

  db_handle = handle;
  is_open = true;
  has_logger = logger_value.IsFunction();
  if (has_logger) logger = Napi::Persistent(logger_value.As<Napi::Function>());
  addon->open_databases.insert(this);

  SetFrozen(env, self, addon->cs.memory, info[2]);
  SetFrozen(env, self, addon->cs.readonly, info[3]);
  SetFrozen(env, self, addon->cs.name, info[1]);
  napi_property_descriptor open = InstanceGetter<Database, &Database::JS_open>("open", addon);
  if (!CheckStatus(env, napi_define_properties(env, self, 1, &open))) return;
  napi_property_descriptor in_transaction =
      InstanceGetter<Database, &Database::JS_inTransaction>("inTransaction", addon);
  CheckStatus(env, napi_define_properties(env, self, 1, &in_transaction));
}

// Opens the connection by file name or, when the ninth argument is a number, on
// the two descriptors through FdVfs (refused on Windows). On failure the error
// has been raised and no handle is left open.
bool Database::OpenConnection(const Napi::CallbackInfo& info, int flags, sqlite3** handle) {
  Napi::Env env = info.Env();
  const char* message = nullptr;
  int rc;
  if (info[8].IsNumber()) {
    if (!IsNonNegativeInt32(info[8]) || !IsNonNegativeInt32(info[9])) {
      ThrowTypeError(env, "Expected file descriptors to be non-negative 32-bit integers");
      return false;
    }
#ifdef _WIN32
    // There is no FdVfs on Windows.
    ThrowTypeError(env, "Opening a database from a file descriptor is not supported on Windows");
    return false;
#else
    int database_fd = info[8].As<Napi::Number>().Int32Value();
    int journal_fd = info[9].As<Napi::Number>().Int32Value();
    bool readonly = info[3].As<Napi::Boolean>();
    if (const char* refusal = FdVfs::Validate(database_fd, journal_fd, readonly)) {
      ThrowTypeError(env, refusal);
      return false;
    }
    rc = FdVfs::Open(database_fd, journal_fd, flags, handle, &message);
#endif
  } else {
    std::string path;
    if (!TextWithoutNul(env, info[0].As<Napi::String>(),
                        "Expected the database path to contain no NUL characters", &path)) {
      return false;
    }
    rc = sqlite3_open_v2(path.c_str(), handle, flags, nullptr);
  }
  if (rc == SQLITE_OK) return true;
  if (*handle == nullptr) {
    ThrowSqliteError(env, addon, message != nullptr ? message : sqlite3_errstr(rc), rc);
    return false;
  }
  if (message != nullptr) {
    ThrowSqliteError(env, addon, message, sqlite3_extended_errcode(*handle));
  } else {
    ThrowSqliteError(env, addon, *handle);
  }
  sqlite3_close(*handle);
  *handle = nullptr;
  return false;
}

// Loads a database image as the main database of a fresh connection. Any
// ArrayBufferView counts as a buffer; its bytes are read without regard to its
// element type, and an empty one loads as an empty database.
bool Database::Deserialize(Napi::Env env, Napi::Object buffer, Addon* addon, sqlite3* connection,
                           bool readonly) {
  void* data = nullptr;
  size_t length = 0;
  if (!CheckStatus(env, napi_get_buffer_info(env, buffer, &data, &length))) return false;

  unsigned char* copy = nullptr;
  if (length != 0) {
    copy = static_cast<unsigned char*>(sqlite3_malloc64(length));
    if (copy == nullptr) {
      ThrowError(env, "Out of memory");
      return false;
    }
    std::memcpy(copy, data, length);
  }
  unsigned flags = SQLITE_DESERIALIZE_FREEONCLOSE | SQLITE_DESERIALIZE_RESIZEABLE;
  if (readonly) flags |= SQLITE_DESERIALIZE_READONLY;
  auto size = static_cast<sqlite3_int64>(length);
  int rc = sqlite3_deserialize(connection, "main", copy, size, size, flags);
  if (rc == SQLITE_OK) return true;
  if (rc == SQLITE_ERROR) {
    ThrowSqliteError(env, addon, "unable to deserialize database", SQLITE_ERROR);
  } else {
    ThrowSqliteError(env, addon, sqlite3_errstr(rc), rc);
  }
  return false;
}

Database::~Database() {
  // While open the database is still in the Addon's set, and stays there while
  // its backups end; once closed (by teardown among others) it must not reach
  // the Addon at all.
  bool was_open = is_open;
  CloseHandles();
  if (was_open) addon->open_databases.erase(this);
}

// The connection is closed last: while its backups end, its files still count
// as open databases, so that none of them is removed as an unfinished copy.
void Database::CloseHandles() {
  if (!is_open) return;
  is_open = false;
  for (Statement* statement : stmts) {
    if (statement->alive) {
      statement->alive = false;
      sqlite3_finalize(statement->handle);
    }
  }
  stmts.clear();
  EndBackups();
  sqlite3_close(db_handle);
  db_handle = nullptr;
}

void Database::EndBackups() {
  for (Backup* backup : backups) {
    backup->CloseHandles();
  }
  backups.clear();
}

void Database::AddStatement(Statement* statement) { stmts.insert(statement); }

// Hands the logger the text of a statement about to run, its parameters written
// in; answers whether the logger threw.
bool Database::Log(Napi::Env env, sqlite3_stmt* stmt) {
  if (!has_logger) return false;
  char* expanded = sqlite3_expanded_sql(stmt);
  napi_value text = nullptr;
  bool logged = CheckStatus(env, napi_create_string_utf8(
                                     env, expanded != nullptr ? expanded : sqlite3_sql(stmt),
                                     NAPI_AUTO_LENGTH, &text));
  napi_value ignored = nullptr;
  logged = logged && CallFunction(env, logger.Value(), 1, &text, &ignored);
  // A logger that could not be called (a stopping environment) fails the
  // operation too, as a throwing one does.
  was_js_error = !logged || env.IsExceptionPending();
  sqlite3_free(expanded);
  return was_js_error;
}

bool Database::OpenGuard(Napi::Env env) const {
  if (is_open) return true;
  ThrowTypeError(env, "The database connection is not open");
  return false;
}

bool Database::BusyGuard(Napi::Env env) const {
  if (!is_busy) return true;
  ThrowTypeError(env, "This database connection is busy executing a query");
  return false;
}

bool Database::IteratorGuard(Napi::Env env) const {
  if (iterators == 0) return true;
  ThrowTypeError(env, "This database connection is busy executing a query");
  return false;
}

bool Database::IteratorGuardUnlessUnsafe(Napi::Env env) const {
  if (iterators == 0 || unsafe_mode) return true;
  ThrowTypeError(env, "This database connection is busy executing a query");
  return false;
}

bool Database::PreparingGuard(Napi::Env env) const {
  if (!is_preparing) return true;
  ThrowTypeError(env, "This database connection is busy executing a query");
  return false;
}

Napi::Value Database::JS_close(const Napi::CallbackInfo& info) {
  Napi::Env env = info.Env();
  if (!is_open) return env.Undefined();
  if (!BusyGuard(env)) return env.Undefined();
  if (!PreparingGuard(env)) return env.Undefined();
  if (!IteratorGuard(env)) return env.Undefined();
  CloseHandles();
  addon->open_databases.erase(this);
  return env.Undefined();
}

Napi::Value Database::JS_open(const Napi::CallbackInfo& info) {
  return Napi::Boolean::New(info.Env(), is_open);
}

Napi::Value Database::JS_inTransaction(const Napi::CallbackInfo& info) {
  return Napi::Boolean::New(info.Env(), is_open && sqlite3_get_autocommit(db_handle) == 0);
}
