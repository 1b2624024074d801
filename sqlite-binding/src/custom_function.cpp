#include "custom_function.hpp"

#include "data.hpp"
#include "database.hpp"
#include "handle_scope.hpp"
#include "napi_calls.hpp"
#include "staged_arguments.hpp"

CustomFunction::CustomFunction(napi_env env, Database* db, const std::string& name,
                               Napi::Function fn, bool safe_ints)
    : name(name), db(db), env(env), fn(Napi::Persistent(fn)), safe_ints(safe_ints) {}

// The statement's step fails with an empty message; the error report of the
// method that stepped it finds the mark and lets the pending exception through.
void CustomFunction::PropagateJSError(sqlite3_context* context) {
  db->was_js_error = true;
  sqlite3_result_error(context, "", 0);
}

std::string CustomFunction::GetDataErrorPrefix() {
  return "User-defined function " + name + "() returned";
}

bool CustomFunction::ConvertArguments(int argc, sqlite3_value** argv, napi_value* out) const {
  for (int i = 0; i < argc; i++) {
    out[i] = Data::GetValueJS(Napi::Env(env), argv[i], safe_ints);
    if (out[i] == nullptr) return false;
  }
  return true;
}

void CustomFunction::xFunc(sqlite3_context* context, int argc, sqlite3_value** argv) {
  auto* self = static_cast<CustomFunction*>(sqlite3_user_data(context));
  CallbackHandleScope scope(self->env);
  StagedArguments<4> arguments(static_cast<size_t>(argc));
  napi_value result = nullptr;
  if (!self->ConvertArguments(argc, argv, arguments.data()) ||
      !CallFunction(self->env, self->fn.Value(), arguments.size(), arguments.data(), &result)) {
    return self->PropagateJSError(context);
  }
  Data::ResultValueFromJS(Napi::Env(self->env), context, Napi::Value(self->env, result), self);
}

void CustomFunction::xDestroy(void* self) {
  if (self != nullptr) delete static_cast<CustomFunction*>(self);
}
