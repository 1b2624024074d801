#pragma once

#include <napi.h>
#include <sqlite3.h>

#include "data_converter.hpp"

class Statement;

// Conversions between SQLite values and script values.
namespace Data {

// Row modes of a statement.
enum Mode : uint8_t { OBJECT = 0, PLUCK = 1, EXPAND = 2, RAW = 3 };

Napi::Value GetValueJS(Napi::Env env, sqlite3_stmt* handle, int column, bool safe_ints);
Napi::Value GetValueJS(Napi::Env env, sqlite3_value* value, bool safe_ints);
Napi::Value GetRowJS(Napi::Env env, Statement* statement, sqlite3_stmt* handle, bool safe_ints,
                     uint8_t mode);
Napi::Value GetExpandedRowJS(Napi::Env env, sqlite3_stmt* handle, bool safe_ints);
void ResultValueFromJS(Napi::Env env, sqlite3_context* context, Napi::Value value,
                       DataConverter* converter);

// A pointer SQLite accepts for zero bytes: a null pointer would bind or return NULL.
inline const void* Bytes(const void* data) {
  static const unsigned char EMPTY = 0;
  return data != nullptr ? data : &EMPTY;
}

}  // namespace Data
