// backup() and the Backup it makes: SQLite's online backup of one database of
// a connection ("main", "temp" or an attached one) into the main database of a
// destination file, copied a number of pages at a time by transfer(). The source
// stays usable between two transfers; SQLite restarts or updates the copy when
// the source changes meanwhile.
#include "backup.hpp"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <optional>
#include <string>
#include <utility>
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

// The destination's file name as SQLite knows it: absolute, symbolic links
// resolved; empty for a temporary or in-memory database.
std::string FileName(sqlite3* connection) {
  const char* name = sqlite3_db_filename(connection, "main");
  return name != nullptr ? name : "";
}

// Removes the file at `path` if it is still `own`, the file the backup had
// open, and a regular file, and no connection of the environment has it open
// as a database or may take it for a database's journal. Another file renamed
// there meanwhile, a device, or a live database's file stays.
void RemoveDestination(const Addon& addon, const std::string& path, const FileIdentity& own) {
  FileIdentity identity;
  bool regular = false;
  if (path.empty() || !IdentityOfPath(path, &identity, &regular) || !regular || identity != own) return;
  if (IsOpenDatabaseFile(addon, identity) || IsJournalOfOpenDatabase(addon, path, &identity)) return;
  RemoveFile(path);
}

// The one number that a pragma answers, if it answers.
std::optional<int> PragmaNumber(sqlite3* connection, const std::string& sql) {
  sqlite3_stmt* stmt = nullptr;
  std::optional<int> value;
  if (sqlite3_prepare_v2(connection, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK && stmt != nullptr &&
      sqlite3_step(stmt) == SQLITE_ROW) {
    value = sqlite3_column_int(stmt, 0);
  }
  sqlite3_finalize(stmt);
  return value;
}

// The page count of the source schema, read without waiting for a lock that
// another connection holds (the step has just waited for it): 0 when it cannot
// be read now. The busy timeout is set aside for that read; the module only
// ever sets a timeout, never another busy handler, so the pragma gives it back.
int SourcePageCount(sqlite3* source, const std::string& schema) {
  std::string quoted = "\"";
  for (char c : schema) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  quoted += '"';
  std::optional<int> timeout = PragmaNumber(source, "PRAGMA busy_timeout");
  if (timeout) sqlite3_busy_timeout(source, 0);
  std::optional<int> pages = PragmaNumber(source, "PRAGMA " + quoted + ".page_count");
  if (timeout) sqlite3_busy_timeout(source, *timeout);
  return pages.value_or(0);
}

// {totalPages, remainingPages}, defined so that no setter a script put on
// Object.prototype takes them.
Napi::Value Progress(Napi::Env env, const CS& cs, int total_pages, int remaining_pages) {
  napi_value result = nullptr;
  napi_value total = nullptr;
  napi_value remaining = nullptr;
  bool made = CheckStatus(env, napi_create_object(env, &result)) &&
              CheckStatus(env, napi_create_double(env, total_pages, &total)) &&
              CheckStatus(env, napi_create_double(env, remaining_pages, &remaining)) &&
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
  std::string file = ProbeDatabasePath(destination, DESTINATION_FLAGS, Addon::UriNamesOn());
  FileIdentity identity;
  bool exists = !file.empty() && IdentityOfPath(file, &identity);
  if (exists && IsSourceFile(source->db_handle, attached, identity)) {
    ThrowTypeError(env, "The destination is the file of the database being backed up");
    return false;
  }
  // A copy written into a live database's journal would spoil it, and its
  // removal later would delete a database from under its connection.
  if (!file.empty() && (IsJournalOfOpenDatabase(*addon, file, exists ? &identity : nullptr) ||
                        (exists && unlink_unfinished && IsOpenDatabaseFile(*addon, identity)))) {
    ThrowTypeError(env, "The destination is the file of an open database");
    return false;
  }
  // Whether the open below makes the file, which is then the backup's own.
  bool creates_file = !file.empty() && IsAbsent(file);

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
  FileIdentity opened;
  std::optional<FileIdentity> opened_file;
  if (IdentityOfDatabase(dest, "main", &opened)) opened_file = opened;
  sqlite3_extended_result_codes(dest, 1);
  sqlite3_limit(dest, SQLITE_LIMIT_LENGTH, LARGEST_LENGTH);

  sqlite3_backup* handle = sqlite3_backup_init(dest, "main", source->db_handle, attached.c_str());
  if (handle == nullptr) {
    Database::ThrowSqliteError(env, addon, dest);
    std::string filename = FileName(dest);
    sqlite3_close(dest);
    if (creates_file && opened_file) RemoveDestination(*addon, filename, *opened_file);
    return false;
  }

  db = source;
  dest_handle = dest;
  backup_handle = handle;
  id = addon->next_object_id++;
  unlink = unlink_unfinished;
  this->attached = std::move(attached);
  destination_file = opened_file;
  owns_destination = creates_file;
  database_object = Napi::Persistent(call.This().As<Napi::Object>());
  alive = true;
  source->backups.insert(this);
  return true;
}

Backup::~Backup() {
  if (alive) db->backups.erase(this);
  CloseHandles();
}

// Ends the copy. An unfinished destination file is removed when that was asked
// for and the file is the backup's own, unless it has become a file that a
// connection of the environment uses meanwhile (RemoveDestination).
void Backup::CloseHandles() {
  if (!alive) return;
  alive = false;
  std::string filename = FileName(dest_handle);
  sqlite3_backup_finish(backup_handle);
  sqlite3_close(dest_handle);
  if (unlink && owns_destination && destination_file) RemoveDestination(*db->addon, filename, *destination_file);
}

Napi::Value Backup::JS_transfer(const Napi::CallbackInfo& info) {
  Napi::Env env = info.Env();
  if (!IsInt32(info[0])) return ThrowTypeError(env, "Expected first argument to be a 32-bit signed integer");
  if (!db->OpenGuard(env)) return env.Undefined();
  // close() has finished the backup handle, which must not be stepped again.
  if (!alive) return ThrowTypeError(env, "The backup has been closed");
  int pages = info[0].As<Napi::Number>().Int32Value();

  int rc = sqlite3_backup_step(backup_handle, pages) & 0xff;
  int total = sqlite3_backup_pagecount(backup_handle);
  int remaining = sqlite3_backup_remaining(backup_handle);
  // Pages copied under the destination's write lock make the file the copy's.
  if (sqlite3_txn_state(dest_handle, "main") == SQLITE_TXN_WRITE && remaining < total) owns_destination = true;
  if (rc == SQLITE_OK || rc == SQLITE_BUSY || rc == SQLITE_DONE) {
    if (rc == SQLITE_DONE) {
      // A finished copy is kept, whatever happens to the Backup later.
      unlink = false;
    } else {
      // SQLite counts nothing until a step has reached both databases, which
      // would read as a finished copy.
      if (total == 0) total = remaining = std::max(SourcePageCount(db->db_handle, attached), 1);
    }
    return Progress(env, db->addon->cs, total, remaining);
  }
  Database::ThrowSqliteError(env, db->addon, sqlite3_errstr(rc), rc);
  return env.Undefined();
}

Napi::Value Backup::JS_close(const Napi::CallbackInfo& info) {
  if (alive) db->backups.erase(this);
  CloseHandles();
  return info.This();
}
