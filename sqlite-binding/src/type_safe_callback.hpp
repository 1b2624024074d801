#pragma once

#include <napi.h>

#include "addon.hpp"
#include "errors.hpp"
#include "napi_calls.hpp"

// The Node-API callback of every script-visible method and getter: it runs the
// method only when `this` carries the class's type tag, so that a method taken
// from one class and called on another object cannot misread its memory.
template <class C, Napi::Value (C::*M)(const Napi::CallbackInfo&)>
napi_value TypeSafeCallback(napi_env raw_env, napi_callback_info raw_info) {
  Napi::CallbackInfo info(raw_env, raw_info);
  napi_value self = info.This();
  // The object that passed the check last: its tag and its wrap never change.
  Addon::LastReceiver& last = static_cast<Addon*>(info.Data())->last_receivers[C::RECEIVER_SLOT];
  if (self != nullptr && !last.object.IsEmpty()) {
    napi_value cached = last.object.Value();
    bool same = false;
    if (cached != nullptr && napi_strict_equals(raw_env, cached, self, &same) == napi_ok && same) {
      return (static_cast<C*>(last.native)->*M)(info);
    }
  }
  if (self != nullptr) {
    napi_valuetype type = napi_undefined;
    bool tagged = false;
    // The tag check converts its argument to an object, so primitives are
    // refused before it rather than by the exception it would raise.
    if (napi_typeof(raw_env, self, &type) == napi_ok &&
        (type == napi_object || type == napi_function) &&
        napi_check_object_type_tag(raw_env, self, &C::TYPE_TAG, &tagged) == napi_ok && tagged) {
      void* object = nullptr;
      if (!CheckStatus(raw_env, napi_unwrap(raw_env, self, &object))) return nullptr;
      last.object = Napi::Weak(Napi::Object(raw_env, self));
      last.native = object;
      return (static_cast<C*>(object)->*M)(info);
    }
  }
  ThrowTypeError(info.Env(), "Illegal invocation");
  return nullptr;
}

// A prototype method entered through TypeSafeCallback, with the environment's
// Addon as its data.
template <class C, Napi::Value (C::*M)(const Napi::CallbackInfo&)>
napi_property_descriptor PrototypeMethod(const char* name, void* addon) {
  napi_property_descriptor descriptor{};
  descriptor.utf8name = name;
  descriptor.method = TypeSafeCallback<C, M>;
  descriptor.attributes =
      static_cast<napi_property_attributes>(napi_writable | napi_enumerable | napi_configurable);
  descriptor.data = addon;
  return descriptor;
}

// An instance getter entered through TypeSafeCallback: enumerable, not
// configurable, without setter.
template <class C, Napi::Value (C::*M)(const Napi::CallbackInfo&)>
napi_property_descriptor InstanceGetter(const char* name, void* addon) {
  napi_property_descriptor descriptor{};
  descriptor.utf8name = name;
  descriptor.getter = TypeSafeCallback<C, M>;
  descriptor.attributes = napi_enumerable;
  descriptor.data = addon;
  return descriptor;
}
