#pragma once

#include <napi.h>
#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <vector>

#include "data_converter.hpp"

struct Addon;
class Database;

// A read-only virtual-table module whose tables a script factory describes.
// Each connect calls the factory, which answers with the table's declaration, a
// generator, the names of the parameter columns (the first columns of the
// table), the safe-integers choice and the direct-only choice. Each scan calls
// the generator with the values the query gives the parameters and walks the
// iterator it returns: every value yielded is one row, indexed by column number.
//
// SQLite owns the record from its registration on and frees it through
// Destructor when the connection closes, when the name is registered again (once
// no table of it is in use), or at once when the registration fails.
class CustomTable {
 public:
  CustomTable(napi_env env, Database* db, Addon* addon, const std::string& name,
              Napi::Function factory);

  // Tables are created with CREATE VIRTUAL TABLE: xCreate is its own entry,
  // since SQLite treats a module whose xCreate is its xConnect as eponymous.
  static const sqlite3_module MODULE;
  // The table exists under the module's name and is used as a table-valued
  // function; it cannot be created.
  static const sqlite3_module EPONYMOUS_MODULE;

  static void Destructor(void* self);

 private:
  // One connected table.
  struct TableState : sqlite3_vtab {
    CustomTable* parent;
    int32_t parameter_count;
    bool safe_ints;
    napi_ref generator;
    std::vector<std::string> parameter_names;
  };

  // One open cursor: the scan in progress.
  struct CursorState : sqlite3_vtab_cursor {
    napi_ref iterator;
    napi_ref next_function;
    napi_ref row;
    bool eof;
    int64_t rowid;  // steps since the last filter: 1 for the first row
  };

  // Words the conversion errors of one column value; the failure reaches SQLite
  // through xColumn's result code.
  class TempDataConverter : public DataConverter {
   public:
    explicit TempDataConverter(CustomTable* parent) : parent(parent) {}
    void PropagateJSError(sqlite3_context* context) override;
    std::string GetDataErrorPrefix() override;

    CustomTable* parent;
    int32_t status = SQLITE_OK;
  };

  static constexpr sqlite3_module ReadOnlyModule(decltype(sqlite3_module::xCreate) create);

  // Marks the database, so that the error report of the method that runs SQLite
  // lets the pending script exception through, and fails the callback.
  int ScriptFailed();

  static int xCreate(sqlite3* connection, void* data, int argc, const char* const* argv,
                     sqlite3_vtab** out, char** error);
  static int xConnect(sqlite3* connection, void* data, int argc, const char* const* argv,
                      sqlite3_vtab** out, char** error);
  static int xBestIndex(sqlite3_vtab* table, sqlite3_index_info* info);
  static int xDisconnect(sqlite3_vtab* table);
  static int xOpen(sqlite3_vtab* table, sqlite3_vtab_cursor** out);
  static int xClose(sqlite3_vtab_cursor* cursor);
  static int xFilter(sqlite3_vtab_cursor* cursor, int idx_num, const char* idx_str, int argc,
                     sqlite3_value** argv);
  static int xNext(sqlite3_vtab_cursor* cursor);
  static int xEof(sqlite3_vtab_cursor* cursor);
  static int xColumn(sqlite3_vtab_cursor* cursor, sqlite3_context* context, int column);
  static int xRowid(sqlite3_vtab_cursor* cursor, sqlite3_int64* rowid);

  Addon* const addon;
  const napi_env env;
  Database* const db;
  const std::string name;
  Napi::FunctionReference factory;
};
