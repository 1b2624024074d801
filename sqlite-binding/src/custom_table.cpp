#include "custom_table.hpp"

#include <algorithm>
#include <utility>

#include "addon.hpp"
#include "database.hpp"
#include "errors.hpp"
#include "handle_scope.hpp"
#include "napi_calls.hpp"
#include "safe_integers.hpp"

namespace {

// The plan hands the parameters to the scan as the bits of one 32-bit integer.
constexpr size_t MAX_PARAMETERS = 32;

bool ReadString(napi_env env, napi_value value, std::string* out) {
  size_t length = 0;
  if (!CheckStatus(env, napi_get_value_string_utf8(env, value, nullptr, 0, &length))) return false;
  out->assign(length, '\0');
  return CheckStatus(env, napi_get_value_string_utf8(env, value, out->data(), length + 1, &length));
}

bool ReadElement(napi_env env, napi_value object, uint32_t index, napi_value* out) {
  return CheckStatus(env, napi_get_element(env, object, index, out));
}

// The five entries of the factory's answer, read by index in order. The first
// read that fails (an answer that is not an object, an entry of another type)
// leaves its error pending, and the connect fails with it.
struct FactoryResult {
  std::string declaration;
  napi_value generator = nullptr;
  std::vector<std::string> parameter_names;
  // More names than a plan can carry: none of them is read.
  bool too_many_parameters = false;
  int32_t safe_ints = 0;
  bool direct_only = false;

  bool Read(napi_env env, napi_value answer) {
    napi_value entry = nullptr;
    return ReadElement(env, answer, 0, &entry) && ReadString(env, entry, &declaration) &&
           ReadElement(env, answer, 1, &generator) &&
           ReadElement(env, answer, 2, &entry) && ReadNames(env, entry) &&
           ReadElement(env, answer, 3, &entry) &&
           CheckStatus(env, napi_get_value_int32(env, entry, &safe_ints)) &&
           ReadElement(env, answer, 4, &entry) &&
           CheckStatus(env, napi_get_value_bool(env, entry, &direct_only));
  }

 private:
  // The length is checked before any name is read: a script's array can claim
  // 2^32-1 elements, each of which its prototype answers.
  bool ReadNames(napi_env env, napi_value names) {
    uint32_t length = 0;
    if (!CheckStatus(env, napi_get_array_length(env, names, &length))) return false;
    too_many_parameters = length > MAX_PARAMETERS;
    if (too_many_parameters) return true;
    for (uint32_t i = 0; i < length; i++) {
      napi_value name = nullptr;
      std::string text;
      if (!ReadElement(env, names, i, &name) || !ReadString(env, name, &text)) return false;
      parameter_names.push_back(std::move(text));
    }
    return true;
  }
};

}  // namespace

// Read-only tables: update, transactions, function overloading, renaming and
// savepoints are left out.
constexpr sqlite3_module CustomTable::ReadOnlyModule(decltype(sqlite3_module::xCreate) create) {
  return {
      .iVersion = 0,
      .xCreate = create,
      .xConnect = xConnect,
      .xBestIndex = xBestIndex,
      .xDisconnect = xDisconnect,
      .xDestroy = xDisconnect,
      .xOpen = xOpen,
      .xClose = xClose,
      .xFilter = xFilter,
      .xNext = xNext,
      .xEof = xEof,
      .xColumn = xColumn,
      .xRowid = xRowid,
      .xUpdate = nullptr,
      .xBegin = nullptr,
      .xSync = nullptr,
      .xCommit = nullptr,
      .xRollback = nullptr,
      .xFindFunction = nullptr,
      .xRename = nullptr,
      .xSavepoint = nullptr,
      .xRelease = nullptr,
      .xRollbackTo = nullptr,
      .xShadowName = nullptr,
      .xIntegrity = nullptr,
  };
}

const sqlite3_module CustomTable::MODULE = ReadOnlyModule(xCreate);
const sqlite3_module CustomTable::EPONYMOUS_MODULE = ReadOnlyModule(nullptr);

CustomTable::CustomTable(napi_env env, Database* db, Addon* addon, const std::string& name,
                         Napi::Function factory)
    : addon(addon), env(env), db(db), name(name), factory(Napi::Persistent(factory)) {}

void CustomTable::Destructor(void* self) { delete static_cast<CustomTable*>(self); }

int CustomTable::ScriptFailed() {
  db->was_js_error = true;
  return SQLITE_ERROR;
}

int CustomTable::xCreate(sqlite3* connection, void* data, int argc, const char* const* argv,
                         sqlite3_vtab** out, char** error) {
  return xConnect(connection, data, argc, argv, out, error);
}

// Asks the factory for the table. Its arguments are SQLite's: the module name,
// the database name, the table name, then the module arguments as written.
int CustomTable::xConnect(sqlite3* connection, void* data, int argc, const char* const* argv,
                          sqlite3_vtab** out, char** error) {
  auto* self = static_cast<CustomTable*>(data);
  napi_env env = self->env;
  CallbackHandleScope scope(env);

  std::vector<napi_value> arguments(static_cast<size_t>(argc));
  for (size_t i = 0; i < arguments.size(); i++) {
    if (!CheckStatus(env, napi_create_string_utf8(env, argv[i], NAPI_AUTO_LENGTH, &arguments[i]))) {
      return self->ScriptFailed();
    }
  }
  napi_value answer = nullptr;
  if (!CallFunction(env, self->factory.Value(), arguments.size(), arguments.data(), &answer)) {
    return self->ScriptFailed();
  }
  FactoryResult result;
  if (!result.Read(env, answer)) return self->ScriptFailed();

  const char* table_name = argv[2];
  if (result.too_many_parameters) {
    *error = sqlite3_mprintf("virtual table \"%s\" has more than 32 parameters", table_name);
    return SQLITE_ERROR;
  }
  // SQLite would declare the table only up to a NUL.
  if (result.declaration.find('\0') != std::string::npos) {
    ThrowTypeError(env, "Expected the SQL text to contain no NUL characters");
    return self->ScriptFailed();
  }
  if (sqlite3_declare_vtab(connection, result.declaration.c_str()) != SQLITE_OK) {
    *error = sqlite3_mprintf("failed to declare virtual table \"%s\"", table_name);
    return SQLITE_ERROR;
  }
  if (result.direct_only && sqlite3_vtab_config(connection, SQLITE_VTAB_DIRECTONLY) != SQLITE_OK) {
    *error = sqlite3_mprintf("failed to configure virtual table \"%s\"", table_name);
    return SQLITE_ERROR;
  }
  napi_ref generator = nullptr;
  if (!CheckStatus(env, napi_create_reference(env, result.generator, 1, &generator))) {
    return self->ScriptFailed();
  }

  auto* state = new TableState{};
  state->parent = self;
  state->parameter_count = static_cast<int32_t>(result.parameter_names.size());
  state->safe_ints = ChooseSafeIntegers(result.safe_ints, self->db->safe_ints);
  state->generator = generator;
  state->parameter_names = std::move(result.parameter_names);
  *out = state;
  return SQLITE_OK;
}

// Each parameter column can only be given its value by equality. The plan sets
// bit c of idxNum for each parameter column c the scan receives, whose values
// arrive in ascending column order; a second equality on the same column is
// left to SQLite to check. Every plan with the same number of bound parameters
// costs the same.
int CustomTable::xBestIndex(sqlite3_vtab* table, sqlite3_index_info* info) {
  auto* state = static_cast<TableState*>(table);
  std::vector<std::pair<int, int>> parameters;  // (column, constraint index)
  for (int i = 0; i < info->nConstraint; i++) {
    const auto& constraint = info->aConstraint[i];
    if (constraint.op == SQLITE_INDEX_CONSTRAINT_LIMIT ||
        constraint.op == SQLITE_INDEX_CONSTRAINT_OFFSET) {
      continue;
    }
    // The rowid and the data columns are SQLite's to check.
    if (constraint.iColumn < 0 || constraint.iColumn >= state->parameter_count) continue;
    if (constraint.op != SQLITE_INDEX_CONSTRAINT_EQ) {
      sqlite3_free(table->zErrMsg);
      table->zErrMsg = sqlite3_mprintf(
          "virtual table parameter \"%s\" can only be constrained by the '=' operator",
          state->parameter_names[static_cast<size_t>(constraint.iColumn)].c_str());
      return SQLITE_ERROR;
    }
    // This plan cannot give the parameter its value: SQLite tries another.
    if (!constraint.usable) return SQLITE_CONSTRAINT;
    parameters.emplace_back(constraint.iColumn, i);
  }
  std::sort(parameters.begin(), parameters.end());

  uint32_t columns = 0;
  int bound = 0;
  for (const auto& [column, index] : parameters) {
    uint32_t bit = 1u << column;
    if ((columns & bit) != 0) continue;
    columns |= bit;
    bound++;
    info->aConstraintUsage[index].argvIndex = bound;
    info->aConstraintUsage[index].omit = 1;
  }
  info->idxNum = static_cast<int>(columns);
  sqlite3_int64 rows = 1000000000 / (bound + 1);
  info->estimatedRows = rows;
  info->estimatedCost = static_cast<double>(rows);
  return SQLITE_OK;
}

// Also the destroy entry: a table keeps nothing outside memory.
int CustomTable::xDisconnect(sqlite3_vtab* table) {
  auto* state = static_cast<TableState*>(table);
  napi_delete_reference(state->parent->env, state->generator);
  delete state;
  return SQLITE_OK;
}
