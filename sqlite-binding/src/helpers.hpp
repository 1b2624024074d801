#pragma once

#include <napi.h>

// Defines a read-only, enumerable, non-configurable data property.
void SetFrozen(Napi::Env env, Napi::Object object, const Napi::Reference<Napi::String>& name,
               Napi::Value value);

// Defines a writable, enumerable, configurable own data property: unlike an
// assignment it runs no setter and keeps any key, "__proto__" included. False
// when it failed, with the failure raised.
bool DefineDataProperty(napi_env env, napi_value object, napi_value key, napi_value value);

// True for a Number holding an integer from -2^31 to 2^31-1, negative zero excluded.
bool IsInt32(Napi::Value value);

// Calls constructor with no arguments; an empty value when it failed, with
// whatever it threw left pending.
Napi::Object SafeConstruct(Napi::Env env, const Napi::FunctionReference& constructor);
