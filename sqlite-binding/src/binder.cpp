#include "binder.hpp"

#include <cstdint>
#include <string>

#include "data.hpp"
#include "errors.hpp"
#include "napi_calls.hpp"
#include "statement.hpp"

namespace {

// Plain objects (literals and those with a null prototype) carry named
// parameters; class instances, dates, maps and functions do not. An exception
// left by reading a prototype stays pending.
bool IsPlainObject(Napi::Env env, napi_value object) {
  napi_value prototype = nullptr;
  if (napi_get_prototype(env, object, &prototype) != napi_ok) return false;
  napi_valuetype type;
  if (napi_typeof(env, prototype, &type) != napi_ok) return false;
  if (type == napi_null) return true;
  napi_value grand = nullptr;
  if (napi_get_prototype(env, prototype, &grand) != napi_ok) return false;
  if (napi_typeof(env, grand, &type) != napi_ok) return false;
  return type == napi_null;
}

}  // namespace

Binder::Binder(sqlite3_stmt* handle)
    : handle(handle), param_count(sqlite3_bind_parameter_count(handle)) {}

bool Binder::Fail() {
  success = false;
  return false;
}

// Getters and proxies run script code while binding; if that code closed the
// connection, the statement's handle is gone and nothing more may be bound.
bool Binder::StillAlive(Napi::Env env, Statement* statement) {
  if (statement->alive) return true;
  if (!env.IsExceptionPending()) ThrowTypeError(env, "The database connection is not open");
  return Fail();
}

bool Binder::Bind(const Napi::CallbackInfo& info, int argc, Statement* statement) {
  Napi::Env env = info.Env();
  int count = 0;
  bool named_done = false;
  for (int i = 0; i < argc; i++) {
    Napi::Value arg = info[static_cast<size_t>(i)];
    napi_valuetype type = arg.Type();
    if (type == napi_object && arg.IsArray()) {
      if (!BindArray(env, arg.As<Napi::Array>(), statement, count)) return false;
      continue;
    }
    if ((type == napi_object || type == napi_function) && !arg.IsBuffer()) {
      bool plain = IsPlainObject(env, arg);
      if (!StillAlive(env, statement)) return false;
      if (plain) {
        if (named_done) {
          ThrowTypeError(env, "You cannot specify named parameters in two different objects");
          return Fail();
        }
        if (!BindNamed(env, arg.As<Napi::Object>(), statement, count)) return false;
        named_done = true;
        continue;
      }
      if (env.IsExceptionPending()) return Fail();
      if (statement->BindMapOf(env).Length() > 0) {
        ThrowTypeError(env, "Named parameters can only be passed within plain objects");
        return Fail();
      }
    }
    if (!BindPositional(env, arg, type)) return false;
    count++;
  }
  if (count > param_count) {
    ThrowRangeError(env, "Too many parameter values were provided");
    return Fail();
  }
  if (count < param_count) {
    if (named_done || statement->BindMapOf(env).Length() == 0) {
      ThrowRangeError(env, "Too few parameter values were provided");
    } else {
      ThrowTypeError(env, "Missing named parameters");
    }
    return Fail();
  }
  return success;
}

bool Binder::BindArray(Napi::Env env, Napi::Array array, Statement* statement, int& count) {
  uint32_t length = array.Length();
  if (env.IsExceptionPending()) return Fail();
  if (length > static_cast<uint32_t>(INT32_MAX)) {
    ThrowRangeError(env, "Too many parameter values were provided");
    return Fail();
  }
  for (uint32_t i = 0; i < length; i++) {
    napi_value element = nullptr;
    if (napi_get_element(env, array, i, &element) != napi_ok) return Fail();
    if (!StillAlive(env, statement)) return false;
    Napi::Value value(env, element);
    if (!BindPositional(env, value, value.Type())) return false;
    count++;
  }
  return true;
}

bool Binder::BindNamed(Napi::Env env, Napi::Object object, Statement* statement, int& count) {
  for (const BindMap::Pair& pair : statement->BindMapOf(env)) {
    napi_value name = pair.name.Value();
    bool has = false;
    if (napi_has_own_property(env, object, name, &has) != napi_ok) return Fail();
    if (!has) {
      std::string message = "Missing named parameter \"" + pair.name.Value().Utf8Value() + "\"";
      ThrowRangeError(env, message.c_str());
      return Fail();
    }
    napi_value value = nullptr;
    if (napi_get_property(env, object, name, &value) != napi_ok) return Fail();
    if (!StillAlive(env, statement)) return false;
    if (!BindValue(env, Napi::Value(env, value), pair.index)) return false;
    count++;
  }
  return true;
}

// Positional values fill the nameless parameters in index order. Past the last
// parameter SQLite knows no name either, so a surplus value fails with SQLITE_RANGE.
bool Binder::BindPositional(Napi::Env env, Napi::Value value, napi_valuetype type) {
  while (sqlite3_bind_parameter_name(handle, ++anon_index) != nullptr) {
  }
  return BindValue(env, value, type, anon_index);
}

// Short texts are converted into a buffer on the stack, in one pass and without
// an allocation; longer ones into a string of their exact length.
int Binder::BindText(Napi::Env env, Napi::Value value, int index) {
  char small[256];
  size_t length = 0;
  if (napi_get_value_string_utf8(env, value, small, sizeof small, &length) != napi_ok) return SQLITE_MISUSE;
  // A conversion cut short by the buffer leaves at most a 3-byte character and
  // the terminator unused, so a shorter result holds the whole text.
  if (length + 4 < sizeof small) {
    return sqlite3_bind_text64(handle, index, small, length, SQLITE_TRANSIENT, SQLITE_UTF8);
  }
  std::string text = value.As<Napi::String>().Utf8Value();
  return sqlite3_bind_text64(handle, index, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
}

bool Binder::BindValue(Napi::Env env, Napi::Value value, int index) {
  return BindValue(env, value, value.IsEmpty() ? napi_undefined : value.Type(), index);
}

// `type` is the value's type, which the caller has read already.
bool Binder::BindValue(Napi::Env env, Napi::Value value, napi_valuetype type, int index) {
  int rc;
  if (value.IsEmpty()) {
    rc = sqlite3_bind_null(handle, index);
  } else if (type == napi_number) {
    // A Number always binds as a REAL, also when it holds an integer.
    rc = sqlite3_bind_double(handle, index, value.As<Napi::Number>().DoubleValue());
  } else if (type == napi_bigint) {
    bool lossless = false;
    int64_t integer = value.As<Napi::BigInt>().Int64Value(&lossless);
    if (!lossless) {
      ThrowRangeError(env, "The bound string, buffer, or bigint is too big");
      return Fail();
    }
    rc = sqlite3_bind_int64(handle, index, integer);
  } else if (type == napi_string) {
    rc = BindText(env, value, index);
  } else if (type == napi_object && value.IsBuffer()) {
    // Any view: a Buffer, another typed array or a DataView, by its bytes.
    void* data = nullptr;
    size_t length = 0;
    if (!CheckStatus(env, napi_get_buffer_info(env, value, &data, &length))) return Fail();
    rc = sqlite3_bind_blob64(handle, index, Data::Bytes(data), length, SQLITE_TRANSIENT);
  } else if (type == napi_null || type == napi_undefined) {
    rc = sqlite3_bind_null(handle, index);
  } else {
    ThrowTypeError(env, "SQLite3 can only bind numbers, strings, bigints, buffers, and null");
    return Fail();
  }
  switch (rc) {
    case SQLITE_OK: return true;
    case SQLITE_NOMEM: ThrowError(env, "Out of memory"); break;
    case SQLITE_TOOBIG: ThrowRangeError(env, "The bound string, buffer, or bigint is too big"); break;
    case SQLITE_RANGE: ThrowRangeError(env, "Too many parameter values were provided"); break;
    default: ThrowError(env, "An unexpected error occured while trying to bind parameters"); break;
  }
  return Fail();
}
