#pragma once

#include <napi.h>

// Raise a TypeError, RangeError or Error with one of the module's fixed
// messages. Each returns undefined so that a method can return its result.
Napi::Value ThrowTypeError(Napi::Env env, const char* message);
Napi::Value ThrowRangeError(Napi::Env env, const char* message);
Napi::Value ThrowError(Napi::Env env, const char* message);
