#include "row_builder.hpp"

#include <vector>

#include "data.hpp"
#include "errors.hpp"
#include "napi_calls.hpp"

namespace {

Napi::FunctionReference Keep(const Napi::FunctionReference& reference) {
  if (reference.IsEmpty()) return Napi::FunctionReference();
  return Napi::Persistent(reference.Value());
}

// The values of one row, staged on the stack for up to 16 columns.
class StagedValues {
 public:
  StagedValues(Napi::Env env, sqlite3_stmt* handle, int count, bool safe_ints) : count_(count) {
    if (count > INLINE) heap_.assign(static_cast<size_t>(count), nullptr);
    napi_value* values = data();
    for (int i = 0; i < count && complete_; i++) {
      values[i] = Data::GetValueJS(env, handle, i, safe_ints);
      complete_ = values[i] != nullptr;
    }
  }
  napi_value* data() { return count_ > INLINE ? heap_.data() : inline_; }
  size_t size() const { return static_cast<size_t>(count_); }
  // False when a value could not be made; its failure has been raised.
  bool complete() const { return complete_; }

 private:
  static constexpr int INLINE = 16;
  int count_;
  bool complete_ = true;
  napi_value inline_[INLINE] = {};
  std::vector<napi_value> heap_;
};

Napi::Value CallWithValues(Napi::Env env, napi_value function, StagedValues& values) {
  napi_value result = nullptr;
  if (!values.complete() || !CallFunction(env, function, values.size(), values.data(), &result)) {
    return Napi::Value();
  }
  return Napi::Value(env, result);
}

}  // namespace

RowBuilder::RowBuilder(Napi::Env, const Napi::FunctionReference& make_row_factory,
                       const Napi::FunctionReference& make_array)
    : make_row_factory(Keep(make_row_factory)), make_array(Keep(make_array)) {}

Napi::Value RowBuilder::GetRowJS(Napi::Env env, sqlite3_stmt* handle, bool safe_ints,
                                 const bool& alive) {
  int reprepare_count_now = sqlite3_stmt_status(handle, SQLITE_STMTSTATUS_REPREPARE, 0);
  // A factory that threw left no row function; it is asked again rather than
  // building rows from nothing.
  if (reprepare_count_now != reprepare_count || row_function.IsEmpty()) {
    MakeRowFunction(env, handle, reprepare_count_now);
    if (row_function.IsEmpty()) return Napi::Value();  // the factory's exception is pending
    if (!alive) {
      ThrowTypeError(env, "The database connection is not open");
      return Napi::Value();
    }
  }
  StagedValues values(env, handle, column_count, safe_ints);
  return CallWithValues(env, row_function.Value(), values);
}

Napi::Value RowBuilder::GetRawRowJS(Napi::Env env, sqlite3_stmt* handle, bool safe_ints) {
  StagedValues values(env, handle, sqlite3_column_count(handle), safe_ints);
  return CallWithValues(env, make_array.Value(), values);
}

void RowBuilder::MakeRowFunction(Napi::Env env, sqlite3_stmt* handle, int reprepare_count_now) {
  column_count = sqlite3_column_count(handle);
  std::vector<napi_value> names(static_cast<size_t>(column_count));
  bool named = true;
  for (int i = 0; i < column_count && named; i++) {
    napi_value& name = names[static_cast<size_t>(i)];
    named = CheckStatus(env, napi_create_string_utf8(env, sqlite3_column_name(handle, i),
                                                     NAPI_AUTO_LENGTH, &name));
  }
  napi_value result = nullptr;
  bool made = named && CallFunction(env, make_row_factory.Value(), names.size(), names.data(), &result);
  row_function = made ? Napi::Persistent(Napi::Value(env, result)) : Napi::Reference<Napi::Value>();
  reprepare_count = reprepare_count_now;
}
