#include "custom_aggregate.hpp"

#include "data.hpp"
#include "handle_scope.hpp"
#include "napi_calls.hpp"
#include "staged_arguments.hpp"

namespace {

Napi::FunctionReference KeepIfFunction(Napi::Value value) {
  if (!value.IsFunction()) return Napi::FunctionReference();
  return Napi::Persistent(value.As<Napi::Function>());
}

CustomAggregate* Of(sqlite3_context* context) {
  return static_cast<CustomAggregate*>(sqlite3_user_data(context));
}

}  // namespace

CustomAggregate::CustomAggregate(napi_env env, Database* db, const std::string& name,
                                 Napi::Value start, Napi::Function step, Napi::Value inverse,
                                 Napi::Value result, bool safe_ints)
    : CustomFunction(env, db, name, step, safe_ints),
      invoke_result(result.IsFunction()),
      invoke_start(start.IsFunction()),
      inverse(KeepIfFunction(inverse)),
      result(KeepIfFunction(result)),
      start(Napi::Persistent(start)) {}

// The group's value is released first, so that its later calls do nothing.
void CustomAggregate::PropagateJSError(sqlite3_context* context) {
  DestroyAccumulator(context);
  CustomFunction::PropagateJSError(context);
}

void CustomAggregate::xStep(sqlite3_context* context, int argc, sqlite3_value** argv) {
  CustomAggregate* self = Of(context);
  self->xStepBase(context, argc, argv, self->fn);
}

void CustomAggregate::xInverse(sqlite3_context* context, int argc, sqlite3_value** argv) {
  CustomAggregate* self = Of(context);
  self->xStepBase(context, argc, argv, self->inverse);
}

void CustomAggregate::xValue(sqlite3_context* context) { Of(context)->xValueBase(context, false); }

void CustomAggregate::xFinal(sqlite3_context* context) { Of(context)->xValueBase(context, true); }

CustomAggregate::Accumulator* CustomAggregate::GetAccumulator(sqlite3_context* context) {
  auto* accumulator =
      static_cast<Accumulator*>(sqlite3_aggregate_context(context, sizeof(Accumulator)));
  if (accumulator == nullptr || accumulator->initialized) return accumulator;
  accumulator->initialized = true;
  // A start function is called for each group; any other start value is the
  // very value every group starts from, an object shared among them all.
  napi_value value = start.Value();
  if (invoke_start && !CallFunction(env, value, 0, nullptr, &value)) {
    PropagateJSError(context);
    return accumulator;
  }
  if (!CheckStatus(env, napi_create_reference(env, value, 1, &accumulator->value))) {
    PropagateJSError(context);
  }
  return accumulator;
}

void CustomAggregate::DestroyAccumulator(sqlite3_context* context) {
  auto* accumulator = static_cast<Accumulator*>(sqlite3_aggregate_context(context, 0));
  if (accumulator == nullptr || accumulator->value == nullptr) return;
  napi_delete_reference(env, accumulator->value);
  accumulator->value = nullptr;
}

// Calls the step or inverse function with the accumulated value and the SQL
// arguments. A result other than undefined becomes the accumulated value, so a
// step may also change the value in place and return nothing.
void CustomAggregate::xStepBase(sqlite3_context* context, int argc, sqlite3_value** argv,
                                const Napi::FunctionReference& which) {
  CallbackHandleScope scope(env);
  Accumulator* accumulator = GetAccumulator(context);
  // Without its record no script code runs for the group.
  if (accumulator == nullptr) return sqlite3_result_error_nomem(context);
  if (accumulator->value == nullptr) return;

  StagedArguments<5> arguments(static_cast<size_t>(argc) + 1);
  napi_value returned = nullptr;
  if (!CheckStatus(env, napi_get_reference_value(env, accumulator->value, &arguments[0])) ||
      !ConvertArguments(argc, argv, arguments.data() + 1) ||
      !CallFunction(env, which.Value(), arguments.size(), arguments.data(), &returned)) {
    return PropagateJSError(context);
  }
  napi_valuetype type = napi_undefined;
  if (!CheckStatus(env, napi_typeof(env, returned, &type))) return PropagateJSError(context);
  if (type == napi_undefined) return;
  napi_ref kept = nullptr;
  if (!CheckStatus(env, napi_create_reference(env, returned, 1, &kept))) {
    return PropagateJSError(context);
  }
  napi_delete_reference(env, accumulator->value);
  accumulator->value = kept;
}

// The current value (a window's output row) or the final one. A window's
// accumulator has given its values already, so its final call only releases it.
void CustomAggregate::xValueBase(sqlite3_context* context, bool final) {
  CallbackHandleScope scope(env);
  Accumulator* accumulator = GetAccumulator(context);
  if (accumulator == nullptr) return sqlite3_result_error_nomem(context);
  if (accumulator->value == nullptr) return;
  if (final && accumulator->is_window) return DestroyAccumulator(context);
  if (!final) accumulator->is_window = true;

  napi_value value = nullptr;
  if (!CheckStatus(env, napi_get_reference_value(env, accumulator->value, &value))) {
    return PropagateJSError(context);
  }
  if (invoke_result) {
    napi_value accumulated = value;
    if (!CallFunction(env, result.Value(), 1, &accumulated, &value)) return PropagateJSError(context);
  }
  Data::ResultValueFromJS(Napi::Env(env), context, Napi::Value(env, value), this);
  if (final) DestroyAccumulator(context);
}
