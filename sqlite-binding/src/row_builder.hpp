#pragma once

#include <napi.h>
#include <sqlite3.h>

// Builds a statement's object and raw rows with the host functions that were
// current when it was prepared. The row function that makeRowFactory makes for
// the statement's column names is cached, and made again only after SQLite has
// re-prepared the statement, whose columns may then have changed.
class RowBuilder {
 public:
  RowBuilder(Napi::Env env, const Napi::FunctionReference& make_row_factory,
             const Napi::FunctionReference& make_array);

  // `alive` is the statement's flag: making the row function runs script code,
  // which may close the connection (between an iterator's steps it is not busy).
  Napi::Value GetRowJS(Napi::Env env, sqlite3_stmt* handle, bool safe_ints, const bool& alive);
  Napi::Value GetRawRowJS(Napi::Env env, sqlite3_stmt* handle, bool safe_ints);

 private:
  void MakeRowFunction(Napi::Env env, sqlite3_stmt* handle, int reprepare_count_now);

  Napi::FunctionReference make_row_factory;
  Napi::Reference<Napi::Value> row_function;
  Napi::FunctionReference make_array;
  int column_count = -1;
  int reprepare_count = -1;
};
