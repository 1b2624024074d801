// The statement's settings and descriptions: bind(), the row modes,
// safeIntegers(), columns(), toString() and the busy getter.
#include <iterator>
#include <string>
#include <vector>

#include "data.hpp"
#include "database.hpp"
#include "errors.hpp"
#include "helpers.hpp"
#include "napi_calls.hpp"
#include "statement.hpp"

namespace {

// One text of a column description, copied out of SQLite, or none (null).
class ColumnText {
 public:
  explicit ColumnText(const char* text) : present(text != nullptr), text(text != nullptr ? text : "") {}

  // The script value; null when it could not be made, with the failure raised.
  napi_value ToJS(napi_env env) const {
    napi_value value = nullptr;
    napi_status status = present ? napi_create_string_utf8(env, text.data(), text.size(), &value)
                                 : napi_get_null(env, &value);
    return CheckStatus(env, status) ? value : nullptr;
  }

 private:
  bool present;
  std::string text;
};

}  // namespace

bool Statement::ReturnsDataGuard(Napi::Env env, const char* message) const {
  if (returns_data) return true;
  ThrowTypeError(env, message);
  return false;
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
  if (!OptionalBooleanArgument(info, &use)) return env.Undefined();
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
  if (!OptionalBooleanArgument(info, &use)) return env.Undefined();
  safe_ints = use;
  return info.This();
}

Napi::Value Statement::JS_columns(const Napi::CallbackInfo& info) {
  Napi::Env env = info.Env();
  if (!ReturnsDataGuard(env, "The columns() method is only for statements that return data")) return env.Undefined();
  if (!db->OpenGuard(env)) return env.Undefined();
  if (!db->BusyGuard(env)) return env.Undefined();

  // The descriptions are copied out before the first assignment: a setter that
  // a script put on Object.prototype or Array.prototype may close the connection
  // and finalise the statement while the objects are filled.
  const CS& cs = db->addon->cs;
  const Napi::Reference<Napi::String>* keys[] = {&cs.name, &cs.column, &cs.table, &cs.database, &cs.type};
  std::vector<ColumnText> texts;
  int count = sqlite3_column_count(handle);
  for (int i = 0; i < count; i++) {
    texts.push_back(ColumnText(sqlite3_column_name(handle, i)));
    texts.push_back(ColumnText(sqlite3_column_origin_name(handle, i)));
    texts.push_back(ColumnText(sqlite3_column_table_name(handle, i)));
    texts.push_back(ColumnText(sqlite3_column_database_name(handle, i)));
    texts.push_back(ColumnText(sqlite3_column_decltype(handle, i)));
  }
  napi_value columns = nullptr;
  if (!CheckStatus(env, napi_create_array_with_length(env, static_cast<size_t>(count), &columns))) {
    return env.Undefined();
  }
  for (int i = 0; i < count; i++) {
    napi_value column = nullptr;
    if (!CheckStatus(env, napi_create_object(env, &column))) return env.Undefined();
    for (size_t k = 0; k < std::size(keys); k++) {
      napi_value value = texts[static_cast<size_t>(i) * std::size(keys) + k].ToJS(env);
      if (value == nullptr || !CheckStatus(env, napi_set_property(env, column, keys[k]->Value(), value))) {
        return env.Undefined();
      }
    }
    if (!CheckStatus(env, napi_set_element(env, columns, static_cast<uint32_t>(i), column))) {
      return env.Undefined();
    }
  }
  return Napi::Value(env, columns);
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
