#pragma once

#include <napi.h>

#include <vector>

#include "errors.hpp"
#include "napi_calls.hpp"

// The constructor callback of the module's classes, in place of node-addon-api's
// own: when the constructor body leaves an exception pending, the half-built
// native object is deleted and the very value that was thrown is thrown again,
// never wrapped, probed or replaced.
template <class T>
napi_value ConstructorCallback(napi_env env, napi_callback_info raw_info) {
  napi_value new_target = nullptr;
  if (!CheckStatus(env, napi_get_new_target(env, raw_info, &new_target))) return nullptr;
  if (new_target == nullptr) {
    ThrowTypeError(env, "Class constructors cannot be invoked without 'new'");
    return nullptr;
  }
  Napi::CallbackInfo info(env, raw_info);
  T* instance = new T(info);
  bool pending = false;
  napi_is_exception_pending(env, &pending);
  if (!pending) return info.This();
  napi_value exception = nullptr;
  napi_get_and_clear_last_exception(env, &exception);
  // Only an object whose wrap came off may lose its native half now; otherwise
  // the wrap's finalizer frees it later (an environment that is shutting down
  // refuses the removal).
  void* unwrapped = nullptr;
  if (napi_remove_wrap(env, info.This(), &unwrapped) == napi_ok) delete instance;
  napi_throw(env, exception);
  return nullptr;
}

// Defines a class with the module's constructor callback, its prototype
// methods and the Addon as class data.
template <class T>
Napi::Function DefineClass(Napi::Env env, const char* name,
                           const std::vector<napi_property_descriptor>& properties, void* addon) {
  napi_value constructor = nullptr;
  napi_status status = napi_define_class(env, name, NAPI_AUTO_LENGTH, ConstructorCallback<T>, addon,
                                         properties.size(), properties.data(), &constructor);
  if (!CheckStatus(env, status)) return Napi::Function();
  return Napi::Function(env, constructor);
}
