// The scans of a CustomTable: each filter calls the generator and keeps the
// iterator it returns, each step takes the iterator's next record, and each
// column is read from the current row by its index.
#include "addon.hpp"
#include "custom_table.hpp"
#include "data.hpp"
#include "database.hpp"
#include "handle_scope.hpp"
#include "napi_calls.hpp"
#include "staged_arguments.hpp"

namespace {

// Releases what `reference` held and holds `value` in its place.
bool Hold(napi_env env, napi_ref& reference, napi_value value) {
  if (reference != nullptr) napi_delete_reference(env, reference);
  reference = nullptr;
  return CheckStatus(env, napi_create_reference(env, value, 1, &reference));
}

void Release(napi_env env, napi_ref reference) {
  if (reference != nullptr) napi_delete_reference(env, reference);
}

}  // namespace

void CustomTable::TempDataConverter::PropagateJSError(sqlite3_context*) {
  status = SQLITE_ERROR;
  parent->db->was_js_error = true;
}

std::string CustomTable::TempDataConverter::GetDataErrorPrefix() {
  return "Virtual table module \"" + parent->name + "\" yielded";
}

int CustomTable::xOpen(sqlite3_vtab*, sqlite3_vtab_cursor** out) {
  *out = new CursorState{};
  return SQLITE_OK;
}

int CustomTable::xClose(sqlite3_vtab_cursor* base) {
  auto* cursor = static_cast<CursorState*>(base);
  napi_env env = static_cast<TableState*>(base->pVtab)->parent->env;
  Release(env, cursor->row);
  Release(env, cursor->next_function);
  Release(env, cursor->iterator);
  delete cursor;
  return SQLITE_OK;
}

// Starts a scan. Parameters the plan gives the scan come in ascending column
// order; the others reach the generator as undefined. A parameter that is NULL
// matches no row, so the generator is not called at all.
int CustomTable::xFilter(sqlite3_vtab_cursor* base, int idx_num, const char*, int,
                         sqlite3_value** argv) {
  auto* cursor = static_cast<CursorState*>(base);
  auto* state = static_cast<TableState*>(base->pVtab);
  CustomTable* self = state->parent;
  napi_env env = self->env;
  CallbackHandleScope scope(env);

  auto columns = static_cast<uint32_t>(idx_num);
  StagedArguments<4> arguments(static_cast<size_t>(state->parameter_count));
  size_t taken = 0;
  for (int32_t c = 0; c < state->parameter_count; c++) {
    napi_value& argument = arguments[static_cast<size_t>(c)];
    if ((columns >> c & 1u) == 0) {
      if (!CheckStatus(env, napi_get_undefined(env, &argument))) return self->ScriptFailed();
      continue;
    }
    sqlite3_value* value = argv[taken++];
    if (sqlite3_value_type(value) == SQLITE_NULL) {
      cursor->eof = true;
      return SQLITE_OK;
    }
    argument = Data::GetValueJS(Napi::Env(env), value, state->safe_ints);
    if (argument == nullptr) return self->ScriptFailed();
  }

  napi_value generator = nullptr;
  napi_value iterator = nullptr;
  napi_value next_function = nullptr;
  if (!CheckStatus(env, napi_get_reference_value(env, state->generator, &generator)) ||
      !CallFunction(env, generator, arguments.size(), arguments.data(), &iterator) ||
      !CheckStatus(env, napi_get_property(env, iterator, self->addon->cs.next.Value(), &next_function)) ||
      !Hold(env, cursor->iterator, iterator) || !Hold(env, cursor->next_function, next_function)) {
    return self->ScriptFailed();
  }
  cursor->rowid = 0;
  return xNext(base);
}

// Takes the iterator's next record; a record whose "done" is not a boolean
// fails the step, rather than counting as not done.
int CustomTable::xNext(sqlite3_vtab_cursor* base) {
  auto* cursor = static_cast<CursorState*>(base);
  CustomTable* self = static_cast<TableState*>(base->pVtab)->parent;
  napi_env env = self->env;
  CallbackHandleScope scope(env);
  const CS& cs = self->addon->cs;

  napi_value iterator = nullptr;
  napi_value next_function = nullptr;
  napi_value record = nullptr;
  napi_value done_value = nullptr;
  bool done = false;
  if (!CheckStatus(env, napi_get_reference_value(env, cursor->iterator, &iterator)) ||
      !CheckStatus(env, napi_get_reference_value(env, cursor->next_function, &next_function)) ||
      !CheckStatus(env, napi_call_function(env, iterator, next_function, 0, nullptr, &record)) ||
      !CheckStatus(env, napi_get_property(env, record, cs.done.Value(), &done_value)) ||
      !CheckStatus(env, napi_get_value_bool(env, done_value, &done))) {
    return self->ScriptFailed();
  }
  if (done) {
    cursor->eof = true;
  } else {
    napi_value row = nullptr;
    if (!CheckStatus(env, napi_get_property(env, record, cs.value.Value(), &row)) ||
        !Hold(env, cursor->row, row)) {
      return self->ScriptFailed();
    }
    cursor->eof = false;
  }
  cursor->rowid++;
  return SQLITE_OK;
}

int CustomTable::xEof(sqlite3_vtab_cursor* base) { return static_cast<CursorState*>(base)->eof; }

// A column's value is the row's element at the column's index.
int CustomTable::xColumn(sqlite3_vtab_cursor* base, sqlite3_context* context, int column) {
  auto* cursor = static_cast<CursorState*>(base);
  CustomTable* self = static_cast<TableState*>(base->pVtab)->parent;
  napi_env env = self->env;
  CallbackHandleScope scope(env);

  TempDataConverter converter(self);
  napi_value row = nullptr;
  napi_value element = nullptr;
  if (!CheckStatus(env, napi_get_reference_value(env, cursor->row, &row)) ||
      !CheckStatus(env, napi_get_element(env, row, static_cast<uint32_t>(column), &element))) {
    return self->ScriptFailed();
  }
  Data::ResultValueFromJS(Napi::Env(env), context, Napi::Value(env, element), &converter);
  return converter.status;
}

int CustomTable::xRowid(sqlite3_vtab_cursor* base, sqlite3_int64* rowid) {
  *rowid = static_cast<CursorState*>(base)->rowid;
  return SQLITE_OK;
}
