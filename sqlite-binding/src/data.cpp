#include "data.hpp"

#include <cstdint>
#include <cstring>
#include <string>

#include "errors.hpp"
#include "helpers.hpp"
#include "napi_calls.hpp"
#include "statement.hpp"

namespace {

// One column of a statement's current row.
struct Column {
  sqlite3_stmt* handle;
  int index;
  int Type() const { return sqlite3_column_type(handle, index); }
  sqlite3_int64 Int64() const { return sqlite3_column_int64(handle, index); }
  double Double() const { return sqlite3_column_double(handle, index); }
  const unsigned char* Text() const { return sqlite3_column_text(handle, index); }
  const void* Blob() const { return sqlite3_column_blob(handle, index); }
  int Bytes() const { return sqlite3_column_bytes(handle, index); }
};

// A value handed to a function or a virtual table.
struct Value {
  sqlite3_value* value;
  int Type() const { return sqlite3_value_type(value); }
  sqlite3_int64 Int64() const { return sqlite3_value_int64(value); }
  double Double() const { return sqlite3_value_double(value); }
  const unsigned char* Text() const { return sqlite3_value_text(value); }
  const void* Blob() const { return sqlite3_value_blob(value); }
  int Bytes() const { return sqlite3_value_bytes(value); }
};

// Text and blobs are read before their byte count, as SQLite requires for the
// count to describe the converted form. Text keeps embedded NULs; a blob becomes
// a copy that never shares SQLite's memory.
bool IsAscii(const char* text, size_t length) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text);
  size_t i = 0;
  for (; i + 8 <= length; i += 8) {
    uint64_t word;
    std::memcpy(&word, bytes + i, 8);
    if ((word & 0x8080808080808080ULL) != 0) return false;
  }
  for (; i < length; i++) {
    if (bytes[i] >= 0x80) return false;
  }
  return true;
}

template <class Source>
Napi::Value ToJS(Napi::Env env, const Source& source, bool safe_ints) {
  napi_value result = nullptr;
  napi_status status;
  switch (source.Type()) {
    case SQLITE_INTEGER:
      status = safe_ints ? napi_create_bigint_int64(env, source.Int64(), &result)
                         : napi_create_double(env, source.Double(), &result);
      break;
    case SQLITE_FLOAT:
      status = napi_create_double(env, source.Double(), &result);
      break;
    case SQLITE_TEXT: {
      const char* text = static_cast<const char*>(Data::Bytes(source.Text()));
      auto length = static_cast<size_t>(source.Bytes());
      // ASCII text is the same in Latin-1, which is made without decoding.
      status = IsAscii(text, length) ? napi_create_string_latin1(env, text, length, &result)
                                     : napi_create_string_utf8(env, text, length, &result);
      break;
    }
    case SQLITE_BLOB: {
      const void* blob = source.Blob();
      status = napi_create_buffer_copy(env, static_cast<size_t>(source.Bytes()), Data::Bytes(blob),
                                       nullptr, &result);
      break;
    }
    default:
      status = napi_get_null(env, &result);
      break;
  }
  if (!CheckStatus(env, status)) return Napi::Value();
  return Napi::Value(env, result);
}

}  // namespace

namespace Data {

Napi::Value GetValueJS(Napi::Env env, sqlite3_stmt* handle, int column, bool safe_ints) {
  return ToJS(env, Column{handle, column}, safe_ints);
}

Napi::Value GetValueJS(Napi::Env env, sqlite3_value* value, bool safe_ints) {
  return ToJS(env, Value{value}, safe_ints);
}

Napi::Value GetRowJS(Napi::Env env, Statement* statement, sqlite3_stmt* handle, bool safe_ints,
                     uint8_t mode) {
  switch (mode) {
    case OBJECT: return statement->extras->row_builder.GetRowJS(env, handle, safe_ints, statement->alive);
    case PLUCK: return GetValueJS(env, handle, 0, safe_ints);
    case EXPAND: return GetExpandedRowJS(env, handle, safe_ints);
    case RAW: return statement->extras->row_builder.GetRawRowJS(env, handle, safe_ints);
    default: return Napi::Value();
  }
}

// Columns grouped by the table they come from ("$" for expressions), each group
// keyed by column name; a later column of the same table and name wins.
Napi::Value GetExpandedRowJS(Napi::Env env, sqlite3_stmt* handle, bool safe_ints) {
  Napi::Object row = Napi::Object::New(env);
  int count = sqlite3_column_count(handle);
  for (int i = 0; i < count; i++) {
    const char* table = sqlite3_column_table_name(handle, i);
    Napi::String group_key = Napi::String::New(env, table != nullptr ? table : "$");
    Napi::String column_key = Napi::String::New(env, sqlite3_column_name(handle, i));
    Napi::Value value = GetValueJS(env, handle, i, safe_ints);
    if (group_key.IsEmpty() || column_key.IsEmpty() || value.IsEmpty()) return Napi::Value();
    bool has_group = false;
    if (!CheckStatus(env, napi_has_own_property(env, row, group_key, &has_group))) return Napi::Value();
    napi_value group = nullptr;
    if (has_group) {
      if (!CheckStatus(env, napi_get_property(env, row, group_key, &group))) return Napi::Value();
    } else {
      if (!CheckStatus(env, napi_create_object(env, &group))) return Napi::Value();
      if (!DefineDataProperty(env, row, group_key, group)) return Napi::Value();
    }
    // Defined, not assigned, so that a name such as "__proto__" stays a key.
    if (!DefineDataProperty(env, group, column_key, value)) return Napi::Value();
  }
  return row;
}

void ResultValueFromJS(Napi::Env env, sqlite3_context* context, Napi::Value value,
                       DataConverter* converter) {
  if (value.IsEmpty()) return sqlite3_result_null(context);
  napi_valuetype type = value.Type();
  if (type == napi_number) {
    // A Number is always a REAL, also when it holds an integer.
    return sqlite3_result_double(context, value.As<Napi::Number>().DoubleValue());
  }
  if (type == napi_bigint) {
    bool lossless = false;
    int64_t integer = value.As<Napi::BigInt>().Int64Value(&lossless);
    if (lossless) return sqlite3_result_int64(context, integer);
  } else if (type == napi_string) {
    std::string text = value.As<Napi::String>().Utf8Value();
    return sqlite3_result_text64(context, static_cast<const char*>(Bytes(text.data())), text.size(),
                                 SQLITE_TRANSIENT, SQLITE_UTF8);
  } else if (value.IsBuffer()) {
    void* data = nullptr;
    size_t length = 0;
    if (CheckStatus(env, napi_get_buffer_info(env, value, &data, &length))) {
      return sqlite3_result_blob64(context, Bytes(data), length, SQLITE_TRANSIENT);
    }
    return converter->PropagateJSError(context);
  } else if (type == napi_null || type == napi_undefined) {
    return sqlite3_result_null(context);
  }
  std::string message = converter->GetDataErrorPrefix();
  if (type == napi_bigint) {
    ThrowRangeError(env, (message + " a bigint that was too big").c_str());
  } else {
    ThrowTypeError(env, (message + " an invalid value").c_str());
  }
  converter->PropagateJSError(context);
}

}  // namespace Data
