#pragma once

#include <napi.h>
#include <sqlite3.h>

#include <cstdint>
#include <set>

#include "addon.hpp"
#include "backup.hpp"
#include "statement.hpp"

// One SQLite connection, owned by its script object. It keeps the sets of its
// live statements and backups so that closing it, by close(), collection or
// environment teardown, ends them all in one step.
class Database : public Napi::ObjectWrap<Database> {
 public:
  static napi_type_tag TYPE_TAG;
  // This class's entry in the Addon's last_receivers.
  static constexpr int RECEIVER_SLOT = 0;

  explicit Database(const Napi::CallbackInfo& info);
  ~Database() override;

  static Napi::Function Init(Napi::Env env, Addon* addon);

  void CloseHandles();
  // Ends every live backup of the connection, which stays open.
  void EndBackups();
  void AddStatement(Statement* statement);
  bool Log(Napi::Env env, sqlite3_stmt* stmt);

  // The three forms of raising an SQLite failure.
  static void ThrowSqliteError(Napi::Env env, Addon* addon, const char* message, int code);
  static void ThrowSqliteError(Napi::Env env, Addon* addon, sqlite3* connection);
  void ThrowDatabaseError(Napi::Env env);

  // Guards: each raises its TypeError and answers false when it fails.
  bool OpenGuard(Napi::Env env) const;
  bool BusyGuard(Napi::Env env) const;
  bool IteratorGuard(Napi::Env env) const;
  bool IteratorGuardUnlessUnsafe(Napi::Env env) const;
  bool PreparingGuard(Napi::Env env) const;

  // Marks the connection as preparing while it lives. SQLite runs script code
  // inside sqlite3_prepare (a virtual-table factory, a deterministic function
  // with constant arguments while a query is planned); that code must not
  // close the connection, change its functions and modules or run statements
  // (a DROP or DETACH) under SQLite's parser. Preparing further statements
  // meanwhile stays allowed, so the marks nest.
  class Preparing {
   public:
    explicit Preparing(Database& db) : db(db), was_preparing(db.is_preparing) { db.is_preparing = true; }
    ~Preparing() { db.is_preparing = was_preparing; }
    Preparing(const Preparing&) = delete;
    Preparing& operator=(const Preparing&) = delete;

   private:
    Database& db;
    bool was_preparing;
  };

  struct CompareStatement {
    bool operator()(const Statement* a, const Statement* b) const { return a->Id() < b->Id(); }
  };
  struct CompareBackup {
    bool operator()(const Backup* a, const Backup* b) const { return a->id < b->id; }
  };

  // Null again once the connection is closed.
  sqlite3* db_handle = nullptr;
  // The connection state, one block that an iterator reads and writes through.
  bool is_open = false;
  bool is_busy = false;
  bool is_preparing = false;
  bool safe_ints = false;
  bool unsafe_mode = false;
  bool was_js_error = false;
  bool has_logger = false;
  uint16_t iterators = 0;
  Addon* addon;
  Napi::FunctionReference logger;
  std::set<Statement*, CompareStatement> stmts;
  std::set<Backup*, CompareBackup> backups;

 private:
  Napi::Value JS_prepare(const Napi::CallbackInfo& info);
  Napi::Value JS_exec(const Napi::CallbackInfo& info);
  Napi::Value JS_backup(const Napi::CallbackInfo& info);
  Napi::Value JS_serialize(const Napi::CallbackInfo& info);
  Napi::Value JS_loadExtension(const Napi::CallbackInfo& info);
  Napi::Value JS_function(const Napi::CallbackInfo& info);
  Napi::Value JS_aggregate(const Napi::CallbackInfo& info);
  Napi::Value JS_table(const Napi::CallbackInfo& info);
  Napi::Value JS_close(const Napi::CallbackInfo& info);
  Napi::Value JS_defaultSafeIntegers(const Napi::CallbackInfo& info);
  Napi::Value JS_unsafeMode(const Napi::CallbackInfo& info);
  Napi::Value JS_open(const Napi::CallbackInfo& info);
  Napi::Value JS_inTransaction(const Napi::CallbackInfo& info);

  // Frees the database image behind a Buffer that serialize() made.
  static void FreeSerialization(napi_env env, void* data, void* hint);
  bool OpenConnection(const Napi::CallbackInfo& info, int flags, sqlite3** handle);
  static bool Deserialize(Napi::Env env, Napi::Object buffer, Addon* addon, sqlite3* connection,
                          bool readonly);
};
