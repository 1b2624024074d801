#pragma once

#include <napi.h>

#include <string>

// Defines a read-only, enumerable, non-configurable data property.
void SetFrozen(Napi::Env env, Napi::Object object, const Napi::Reference<Napi::String>& name,
               Napi::Value value);

// Defines a writable, enumerable, configurable own data property: unlike an
// assignment it runs no setter and keeps any key, "__proto__" included. False
// when it failed, with the failure raised.
bool DefineDataProperty(napi_env env, napi_value object, napi_value key, napi_value value);

// The UTF-8 text of a string that must hold no NUL character: SQLite reads a
// text only up to its first NUL, so what follows one would be silently dropped.
// False, with the TypeError `message` raised, when the string holds one.
bool TextWithoutNul(Napi::Env env, Napi::String value, const char* message, std::string* text);

// The optional boolean first argument of a setting: no argument means true;
// anything but a boolean, an explicit undefined included, is refused with a
// TypeError. False when refused.
bool OptionalBooleanArgument(const Napi::CallbackInfo& info, bool* value);

// True for a Number holding an integer from -2^31 to 2^31-1, negative zero excluded.
bool IsInt32(Napi::Value value);

// Calls constructor with no arguments; an empty value when it failed, with
// whatever it threw left pending.
Napi::Object SafeConstruct(Napi::Env env, const Napi::FunctionReference& constructor);
