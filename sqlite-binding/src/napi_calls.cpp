#include "napi_calls.hpp"

namespace {

bool IsWrongType(napi_status status) {
  return status == napi_object_expected || status == napi_string_expected ||
         status == napi_boolean_expected || status == napi_number_expected;
}

}  // namespace

void ThrowFailedCall(napi_env env, napi_status status) {
  if (status == napi_ok || status == napi_pending_exception || status == napi_cannot_run_js) return;
  // The message first: every later call resets the last error information.
  const napi_extended_error_info* info = nullptr;
  const char* message = "Error in native callback";
  if (napi_get_last_error_info(env, &info) == napi_ok && info != nullptr &&
      info->error_message != nullptr) {
    message = info->error_message;
  }
  bool pending = false;
  if (napi_is_exception_pending(env, &pending) != napi_ok || pending) return;
  napi_value text = nullptr;
  napi_value error = nullptr;
  if (napi_create_string_utf8(env, message, NAPI_AUTO_LENGTH, &text) != napi_ok) return;
  napi_status created = IsWrongType(status) ? napi_create_type_error(env, nullptr, text, &error)
                                            : napi_create_error(env, nullptr, text, &error);
  if (created == napi_ok) napi_throw(env, error);
}

bool CheckStatus(napi_env env, napi_status status) {
  if (status == napi_ok) return true;
  ThrowFailedCall(env, status);
  return false;
}

bool CallFunction(napi_env env, napi_value function, size_t argc, const napi_value* argv,
                  napi_value* result) {
  napi_value self = nullptr;
  napi_status status = napi_get_undefined(env, &self);
  if (status == napi_ok) status = napi_call_function(env, self, function, argc, argv, result);
  return CheckStatus(env, status);
}
