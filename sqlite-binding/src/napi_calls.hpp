#pragma once

#include <napi.h>

// Node-API calls made so that an exception that script code left pending is
// never fetched, inspected or replaced: whatever value was thrown (undefined,
// null, a Proxy) reaches the script unchanged, and an environment that is
// shutting down (a terminated worker) unwinds quietly instead of failing hard.
// node-addon-api's own error path fetches the pending value and probes it,
// which runs script code and can end the process; the module never uses it.

// Raises the failure of a Node-API call: nothing when a script exception is
// pending or script code can no longer run; otherwise an Error (a TypeError
// when a value had the wrong type) with Node-API's message for the call. Call
// it right after the failed call, before another call replaces that message.
void ThrowFailedCall(napi_env env, napi_status status);

// True for napi_ok; otherwise raises the failure as ThrowFailedCall does.
bool CheckStatus(napi_env env, napi_status status);

// Calls a script function with `this` undefined. False when the call failed:
// its exception is then pending (or the environment is shutting down).
bool CallFunction(napi_env env, napi_value function, size_t argc, const napi_value* argv,
                  napi_value* result);
