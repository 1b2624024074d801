#include "cs.hpp"

#include <string>

#include "napi_calls.hpp"
#include "result_codes.hpp"

CS::CS(Napi::Env env) {
  SetString(env, database, "database");
  SetString(env, reader, "reader");
  SetString(env, source, "source");
  SetString(env, memory, "memory");
  SetString(env, readonly, "readonly");
  SetString(env, name, "name");
  SetString(env, next, "next");
  SetString(env, length, "length");
  SetString(env, done, "done");
  SetString(env, value, "value");
  SetString(env, changes, "changes");
  SetString(env, lastInsertRowid, "lastInsertRowid");
  SetString(env, statement, "statement");
  SetString(env, column, "column");
  SetString(env, table, "table");
  SetString(env, type, "type");
  SetString(env, totalPages, "totalPages");
  SetString(env, remainingPages, "remainingPages");
  for (const ResultCodeName& entry : RESULT_CODE_NAMES) {
    SetCode(env, entry.code, entry.name);
  }
}

// Made as property keys (internalized strings): they serve as keys on every
// row, result and record, which then need no lookup of their own.
void CS::SetString(Napi::Env env, Napi::Reference<Napi::String>& reference, const char* text) {
  napi_value key = nullptr;
  if (!CheckStatus(env, node_api_create_property_key_utf8(env, text, NAPI_AUTO_LENGTH, &key))) return;
  reference = Napi::Persistent(Napi::String(env, key));
}

void CS::SetCode(Napi::Env env, int code, const char* name) {
  Napi::Reference<Napi::String> reference = Napi::Persistent(Napi::String::New(env, name));
  // The first entry of a code stays; the new reference is released on return.
  codes.try_emplace(code, std::move(reference));
}

Napi::String CS::Code(Napi::Env env, int code) const {
  auto entry = codes.find(code);
  if (entry != codes.end()) {
    return entry->second.Value();
  }
  return Napi::String::New(env, "UNKNOWN_SQLITE_ERROR_" + std::to_string(code));
}
