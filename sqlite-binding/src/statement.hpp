#pragma once

#include <napi.h>
#include <sqlite3.h>

#include <cstdint>
#include <memory>

#include "addon.hpp"
#include "bind_map.hpp"
#include "row_builder.hpp"

class Database;

// One prepared statement of a Database, prepared once and reused. Scripts get
// one only from prepare().
class Statement : public Napi::ObjectWrap<Statement> {
 public:
  static napi_type_tag TYPE_TAG;
  // This class's entry in the Addon's last_receivers.
  static constexpr int RECEIVER_SLOT = 1;

  explicit Statement(const Napi::CallbackInfo& info);
  ~Statement() override;

  static Napi::Function Init(Napi::Env env, Addon* addon);

  uint64_t Id() const { return extras->id; }
  // The named-parameter table, built on first need.
  const BindMap& BindMapOf(Napi::Env env);

  // Guard: a StatementIterator holds the statement.
  bool LockGuard(Napi::Env env) const;
  // Binds the call's own arguments unless the statement is bound for good;
  // false with an exception pending.
  bool BindCall(const Napi::CallbackInfo& info);
  // Clears the values a call bound for itself; values bound for good stay.
  void ClearCallBindings();

  struct Extras {
    Extras(Napi::Env env, Addon* addon, uint64_t id);
    BindMap bind_map;
    RowBuilder row_builder;
    uint64_t id;
  };

  Database* db = nullptr;
  sqlite3_stmt* handle = nullptr;
  std::unique_ptr<Extras> extras;
  bool alive = false;
  bool locked = false;
  bool bound = false;
  bool has_bind_map = false;
  bool safe_ints = false;
  uint8_t mode = 0;
  bool returns_data = false;
  // Keeps the Database alive for as long as the statement can reach it.
  Napi::ObjectReference database_object;

 private:
  bool Prepare(Napi::Env env, const Napi::CallbackInfo& call);
  bool ReturnsDataGuard(Napi::Env env, const char* message) const;
  bool BoundArgumentsGuard(const Napi::CallbackInfo& info) const;
  Napi::Value SetMode(const Napi::CallbackInfo& info, uint8_t own_mode, const char* message);
  Napi::Value Fail(Napi::Env env);

  Napi::Value JS_run(const Napi::CallbackInfo& info);
  Napi::Value JS_get(const Napi::CallbackInfo& info);
  Napi::Value JS_all(const Napi::CallbackInfo& info);
  Napi::Value JS_iterate(const Napi::CallbackInfo& info);
  Napi::Value JS_bind(const Napi::CallbackInfo& info);
  Napi::Value JS_pluck(const Napi::CallbackInfo& info);
  Napi::Value JS_expand(const Napi::CallbackInfo& info);
  Napi::Value JS_raw(const Napi::CallbackInfo& info);
  Napi::Value JS_safeIntegers(const Napi::CallbackInfo& info);
  Napi::Value JS_columns(const Napi::CallbackInfo& info);
  Napi::Value JS_toString(const Napi::CallbackInfo& info);
  Napi::Value JS_busy(const Napi::CallbackInfo& info);
};
