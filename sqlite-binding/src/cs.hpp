#pragma once

#include <napi.h>

#include <unordered_map>

// The interned strings of one environment: property keys made once, so that
// building a row, a result object or an error reads a reference instead of
// making a string.
class CS {
 public:
  explicit CS(Napi::Env env);

  Napi::Reference<Napi::String> database;
  Napi::Reference<Napi::String> reader;
  Napi::Reference<Napi::String> source;
  Napi::Reference<Napi::String> memory;
  Napi::Reference<Napi::String> readonly;
  Napi::Reference<Napi::String> name;
  Napi::Reference<Napi::String> next;
  Napi::Reference<Napi::String> length;
  Napi::Reference<Napi::String> done;
  Napi::Reference<Napi::String> value;
  Napi::Reference<Napi::String> changes;
  Napi::Reference<Napi::String> lastInsertRowid;
  Napi::Reference<Napi::String> statement;
  Napi::Reference<Napi::String> column;
  Napi::Reference<Napi::String> table;
  Napi::Reference<Napi::String> type;
  Napi::Reference<Napi::String> totalPages;
  Napi::Reference<Napi::String> remainingPages;

  // Result code -> its name.
  std::unordered_map<int, Napi::Reference<Napi::String>> codes;

  // The name of a result code: the interned one, or "UNKNOWN_SQLITE_ERROR_<code>".
  Napi::String Code(Napi::Env env, int code) const;

  static void SetString(Napi::Env env, Napi::Reference<Napi::String>& reference, const char* text);

 private:
  void SetCode(Napi::Env env, int code, const char* name);
};
