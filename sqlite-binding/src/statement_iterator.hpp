#pragma once

#include <napi.h>
#include <sqlite3.h>

#include <cstdint>

#include "addon.hpp"

class Database;
class Statement;

// Steps one Statement row by row for the script's iteration protocol. While the
// iteration is under way the statement is locked and the database counts it;
// it ends when the rows run out, on return(), or when a step fails. Scripts get
// one only from iterate().
class StatementIterator : public Napi::ObjectWrap<StatementIterator> {
 public:
  static napi_type_tag TYPE_TAG;
  // This class's entry in the Addon's last_receivers.
  static constexpr int RECEIVER_SLOT = 2;

  explicit StatementIterator(const Napi::CallbackInfo& info);

  static Napi::Function Init(Napi::Env env, Addon* addon);

  // The done record, or (done false) the record makeIteratorRecord makes of value.
  static Napi::Value NewRecord(Napi::Env env, Napi::Value value, Addon* addon, bool done);

  Statement* statement = nullptr;
  sqlite3_stmt* handle = nullptr;
  // The statement's connection: its busy flag, its iterator count and its Addon.
  Database* db_state = nullptr;
  bool bound = false;
  bool safe_ints = false;
  uint8_t mode = 0;
  bool alive = false;
  bool logged = false;

 private:
  bool Construct(Napi::Env env, const Napi::CallbackInfo& call);
  Napi::Value Return(Napi::Env env);
  Napi::Value Throw(Napi::Env env);
  void End();

  Napi::Value JS_next(const Napi::CallbackInfo& info);
  Napi::Value JS_return(const Napi::CallbackInfo& info);
  Napi::Value JS_symbolIterator(const Napi::CallbackInfo& info);
};
