// The statement's settings and descriptions: bind(), the row modes,
// safeIntegers(), columns(), toString() and the busy getter.
#include "data.hpp"
#include "database.hpp"
#include "errors.hpp"
#include "statement.hpp"

bool Statement::ReturnsDataGuard(Napi::Env env, const char* message) const {
  if (returns_data) return true;
  ThrowTypeError(env, message);
  return false;
}

// No argument means true; anything but a boolean, an explicit undefined
// included, is refused.
bool Statement::BooleanArgument(const Napi::CallbackInfo& info, bool* value) const {
  if (info.Length() == 0) {
    *value = true;
    return true;
  }
  if (!info[0].IsBoolean()) {
    ThrowTypeError(info.Env(), "Expected first argument to be a boolean");
    return false;
  }
  *value = info[0].As<Napi::Boolean>();
  return true;
}

Napi::Value Statement::JS_bind(const Napi::CallbackInfo& info) {
  Napi::Env env = info.Env();
  if (bound) return ThrowTypeError(env, "The bind() method can only be invoked once per statement object");
  if (!db->OpenGuard(env)) return env.Undefined();
  if (!db->BusyGuard(env)) return env.Undefined();
  if (!LockGuard(env)) return env.Undefined();
  if (!BindCall(info)) return env.Undefined();
  bound = true;
  return info.This();
}

// Turning a mode off resets to object rows only when that mode is the current
// one, so pluck(false) on a raw statement keeps it raw.
Napi::Value Statement::SetMode(const Napi::CallbackInfo& info, uint8_t own_mode, const char* message) {
  Napi::Env env = info.Env();
  if (!ReturnsDataGuard(env, message)) return env.Undefined();
  if (!db->BusyGuard(env)) return env.Undefined();
  if (!LockGuard(env)) return env.Undefined();
  bool use = false;
  if (!BooleanArgument(info, &use)) return env.Undefined();
  if (use) {
    mode = own_mode;
  } else if (mode == own_mode) {
    mode = Data::OBJECT;
  }
  return info.This();
}

Napi::Value Statement::JS_pluck(const Napi::CallbackInfo& info) {
  return SetMode(info, Data::PLUCK, "The pluck() method is only for statements that return data");
}

Napi::Value Statement::JS_expand(const Napi::CallbackInfo& info) {
  return SetMode(info, Data::EXPAND, "The expand() method is only for statements that return data");
}

Napi::Value Statement::JS_raw(const Napi::CallbackInfo& info) {
  return SetMode(info, Data::RAW, "The raw() method is only for statements that return data");
}

Napi::Value Statement::JS_safeIntegers(const Napi::CallbackInfo& info) {
  Napi::Env env = info.Env();
  if (!db->BusyGuard(env)) return env.Undefined();
  if (!LockGuard(env)) return env.Undefined();
  bool use = false;
  if (!BooleanArgument(info, &use)) return env.Undefined();
  safe_ints = use;
  return info.This();
}

Napi::Value Statement::JS_columns(const Napi::CallbackInfo& info) {
  Napi::Env env = info.Env();
  if (!ReturnsDataGuard(env, "The columns() method is only for statements that return data")) return env.Undefined();
  if (!db->OpenGuard(env)) return env.Undefined();
  if (!db->BusyGuard(env)) return env.Undefined();

  const CS& cs = db->addon->cs;
  auto text = [&](const char* value) -> Napi::Value {
    return value != nullptr ? Napi::Value(Napi::String::New(env, value)) : env.Null();
  };
  int count = sqlite3_column_count(handle);
  Napi::Array columns = Napi::Array::New(env, static_cast<size_t>(count));
  for (int i = 0; i < count; i++) {
    Napi::Object column = Napi::Object::New(env);
    column.Set(cs.name.Value(), text(sqlite3_column_name(handle, i)));
    column.Set(cs.column.Value(), text(sqlite3_column_origin_name(handle, i)));
    column.Set(cs.table.Value(), text(sqlite3_column_table_name(handle, i)));
    column.Set(cs.database.Value(), text(sqlite3_column_database_name(handle, i)));
    column.Set(cs.type.Value(), text(sqlite3_column_decltype(handle, i)));
    columns.Set(static_cast<uint32_t>(i), column);
  }
  return columns;
}

Napi::Value Statement::JS_toString(const Napi::CallbackInfo& info) {
  Napi::Env env = info.Env();
  if (alive && bound) {
    char* expanded = sqlite3_expanded_sql(handle);
    if (expanded != nullptr) {
      Napi::String text = Napi::String::New(env, expanded);
      sqlite3_free(expanded);
      return text;
    }
  }
  return info.This().As<Napi::Object>().Get(db->addon->cs.source.Value());
}

Napi::Value Statement::JS_busy(const Napi::CallbackInfo& info) {
  return Napi::Boolean::New(info.Env(), alive && locked);
}
