// backup() and the Backup it makes: SQLite's online backup of one database of
// a connection ("main", "temp" or an attached one) into the main database of a
// destination file, copied a number of pages at a time by transfer(). The source
// stays usable between two transfers; SQLite restarts or updates the copy when
// the source changes meanwhile.
#include "backup.hpp"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

#include "class_definition.hpp"
#include "database.hpp"
#include "database_files.hpp"
#include "errors.hpp"
#include "helpers.hpp"
#include "napi_calls.hpp"
#include "path_probe.hpp"
#include "type_safe_callback.hpp"

// Drawn at the first registration of the process.
napi_type_tag Backup::TYPE_TAG;

namespace {

// The largest 32-bit length; SQLite lowers it to the build's own maximum.
constexpr int LARGEST_LENGTH = 2147483647;

// How the destination is opened: read-write, created when it is missing.
constexpr int DESTINATION_FLAGS = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;

// Whether there is no file at `path`, so that opening it makes a new one, which
// a backup that cannot start takes away again. A file that cannot be looked at
// counts as there.
bool IsAbsent(const std::string& path) {
#ifdef _WIN32
  struct _stat64 status;
  return _wstat64(WidePath(path).c_str(), &status) != 0 && errno == ENOENT;
#else
  struct stat status;
  return stat(path.c_str(), &status) != 0 && errno == ENOENT;
#endif
}

void RemoveFile(const std::string& path) {
#ifdef _WIN32
  _wremove(WidePath(path).c_str());
#else
  std::remove(path.c_str());
#endif
}

// Whether the destination is the very file of the database to be copied: such a
// copy can never finish, and removing the unfinished destination would delete
// the live database.
bool IsSourceFile(sqlite3* source, const std::string& attached, const FileIdentity& destination) {
  FileIdentity identity;
  return IdentityOfDatabase(source, attached.c_str(), &identity) && identity == destination;
}

// Whether removing the file at `path` would take a database from under a
// connection of the environment.
bool IsOpenDatabasePath(const Addon& addon, const std::string& path) {
  FileIdentity identity;
  return IdentityOfPath(path, &identity) && IsOpenDatabaseFile(addon, identity);
}

// The destination's file name as SQLite knows it: absolute, symbolic links
// resolved; empty for a temporary or in-memory database.
std::string FileName(sqlite3* connection) {
  const char* name = sqlite3_db_filename(connection, "main");
  return name != nullptr ? name : "";
}

// {totalPages, remainingPages}, defined so that no setter a script put on
// Object.prototype takes them.
Napi::Value Progress(Napi::Env env, const CS& cs, sqlite3_backup* handle) {
  napi_value result = nullptr;
  napi_value total = nullptr;
  napi_value remaining = nullptr;
  bool made = CheckStatus(env, napi_create_object(env, &result)) &&
              CheckStatus(env, napi_create_double(env, sqlite3_backup_pagecount(handle), &total)) &&
              CheckStatus(env, napi_create_double(env, sqlite3_backup_remaining(handle), &remaining)) &&
              DefineDataProperty(env, result, cs.totalPages.Value(), total) &&
              DefineDataProperty(env, result, cs.remainingPages.Value(), remaining);
  return made ? Napi::Value(env, result) : Napi::Value();
}

}  // namespace

Napi::Function Backup::Init(Napi::Env env, Addon* addon) {
  std::vector<napi_property_descriptor> methods = {
      PrototypeMethod<Backup, &Backup::JS_transfer>("transfer", addon),
      PrototypeMethod<Backup, &Backup::JS_close>("close", addon),
  };
  return ::DefineClass<Backup>(env, "Backup", methods, addon);
}

// backup(database, attached, destination, unlink): the Backup is built by its
// constructor, which reads this call from the Addon's pending-construction slot
// and applies the guards; this method reads none of the connection's state.
Napi::Value Database::JS_backup(const Napi::CallbackInfo& info) {
  Napi::Env env = info.Env();
  if (!info[0].IsObject()) return ThrowTypeError(env, "Expected first argument to be an object");
  if (!info[1].IsString()) return ThrowTypeError(env, "Expected second argument to be a string");
  if (!info[2].IsString()) return ThrowTypeError(env, "Expected third argument to be a string");
  if (!info[3].IsBoolean()) return ThrowTypeError(env, "Expected fourth argument to be a boolean");
  addon->pending_construction = &info;
  Napi::Object backup = SafeConstruct(env, addon->backup_constructor);
  addon->pending_construction = nullptr;
  if (env.IsExceptionPending()) return env.Undefined();
  return backup;
}

Backup::Backup(const Napi::CallbackInfo& info) : Napi::ObjectWrap<Backup>(info) {
  Napi::Env env = info.Env();
  if (!CheckStatus(env, napi_type_tag_object(env, info.This(), &TYPE_TAG))) return;
  // The slot is taken at once, so that a construction that script code starts
  // while this one runs is a script's own and is refused.
  Addon* addon = static_cast<Addon*>(info.Data());
  const Napi::CallbackInfo* call = addon->pending_construction;
  addon->pending_construction = nullptr;
  if (call == nullptr) {
    ThrowTypeError(env, "Disabled constructor");
    return;
  }
  if (!Start(env, *call)) return;
  SetFrozen(env, info.This().As<Napi::Object>(), addon->cs.database, (*call)[0]);
}

// Opens the destination and starts the copy. On failure the error has been
// raised, nothing is left open or inserted, and a destination file that the
// failed start created is removed again.
bool Backup::Start(Napi::Env env, const Napi::CallbackInfo& call) {
  void* unwrapped = nullptr;
  if (!CheckStatus(env, napi_unwrap(env, call.This(), &unwrapped))) return false;
  Database* source = static_cast<Database*>(unwrapped);
  // No iterator guard: a backup only reads, and may start while iterations run.
  if (!source->OpenGuard(env)) return false;
  if (!source->BusyGuard(env)) return false;
  Addon* addon = source->addon;

  std::string attached;
  std::string destination;
  bool unlink_unfinished = call[3].As<Napi::Boolean>();
  if (!TextWithoutNul(env, call[1].As<Napi::String>(),
                      "Expected the attached name to contain no NUL characters", &attached) ||
      !TextWithoutNul(env, call[2].As<Napi::String>(),
                      "Expected the destination path to contain no NUL characters", &destination)) {
    return false;
  }
  // The file the destination names, as SQLite resolves the name (a URI's path,
  // made absolute, links followed); nothing is opened yet.
  std::string file;
  bool resolved = ProbeDatabasePath(destination, DESTINATION_FLAGS, &file);
  FileIdentity identity;
  bool exists = !file.empty() && IdentityOfPath(file, &identity);
  if (exists && IsSourceFile(source->db_handle, attached, identity)) {
    ThrowTypeError(env, "The destination is the file of the database being backed up");
    return false;
  }
  // Removing it later would delete a database from under its connection.
  if (exists && unlink_unfinished && IsOpenDatabaseFile(*addon, identity)) {
    ThrowTypeError(env, "The destination is the file of an open database");
    return false;
  }
  // Whether a failed start may take the file away again: only one that the
  // open below makes.
  bool creates_file = resolved && !file.empty() && IsAbsent(file);

  sqlite3* dest = nullptr;
  int rc = sqlite3_open_v2(destination.c_str(), &dest, DESTINATION_FLAGS, nullptr);
  if (rc != SQLITE_OK) {
    // Without memory for a connection SQLite hands back no handle to ask.
    if (dest == nullptr) {
      Database::ThrowSqliteError(env, addon, sqlite3_errstr(rc), rc);
      return false;
    }
    Database::ThrowSqliteError(env, addon, dest);
    sqlite3_close(dest);
    return false;
  }
  sqlite3_extended_result_codes(dest, 1);
  sqlite3_limit(dest, SQLITE_LIMIT_LENGTH, LARGEST_LENGTH);

  sqlite3_backup* handle = sqlite3_backup_init(dest, "main", source->db_handle, attached.c_str());
  if (handle == nullptr) {
    Database::ThrowSqliteError(env, addon, dest);
    std::string filename = FileName(dest);
    sqlite3_close(dest);
    if (creates_file) RemoveFile(filename);
    return false;
  }

  db = source;
  dest_handle = dest;
  backup_handle = handle;
  id = addon->next_object_id++;
  unlink = unlink_unfinished;
  database_object = Napi::Persistent(call.This().As<Napi::Object>());
  alive = true;
  source->backups.insert(this);
  return true;
}

Backup::~Backup() {
  if (alive) db->backups.erase(this);
  CloseHandles();
}

// Ends the copy; an unfinished destination file is removed when that was asked
// for, unless a connection of the environment has opened it as a database since.
void Backup::CloseHandles() {
  if (!alive) return;
  alive = false;
  std::string filename = FileName(dest_handle);
  sqlite3_backup_finish(backup_handle);
  sqlite3_close(dest_handle);
  if (unlink && !IsOpenDatabasePath(*db->addon, filename)) RemoveFile(filename);
}

Napi::Value Backup::JS_transfer(const Napi::CallbackInfo& info) {
  Napi::Env env = info.Env();
  if (!IsInt32(info[0])) return ThrowTypeError(env, "Expected first argument to be a 32-bit signed integer");
  if (!db->OpenGuard(env)) return env.Undefined();
  // close() has finished the backup handle, which must not be stepped again.
  if (!alive) return ThrowTypeError(env, "The backup has been closed");
  int pages = info[0].As<Napi::Number>().Int32Value();

  int rc = sqlite3_backup_step(backup_handle, pages) & 0xff;
  if (rc == SQLITE_OK || rc == SQLITE_BUSY || rc == SQLITE_DONE) {
    // A finished copy is kept, whatever happens to the Backup later.
    if (rc == SQLITE_DONE) unlink = false;
    return Progress(env, db->addon->cs, backup_handle);
  }
  Database::ThrowSqliteError(env, db->addon, sqlite3_errstr(rc), rc);
  return env.Undefined();
}

Napi::Value Backup::JS_close(const Napi::CallbackInfo& info) {
  if (alive) db->backups.erase(this);
  CloseHandles();
  return info.This();
}
