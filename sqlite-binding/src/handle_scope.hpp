#pragma once

#include <node_api.h>

// A Node-API handle scope for one SQLite callback into script code, so that the
// values made for one row are released when the callback returns. Unlike
// node-addon-api's scope it raises nothing when it cannot be opened: a callback
// then runs in the scope of the method that stepped the statement.
class CallbackHandleScope {
 public:
  explicit CallbackHandleScope(napi_env env) : env(env) {
    if (napi_open_handle_scope(env, &scope) != napi_ok) scope = nullptr;
  }
  ~CallbackHandleScope() {
    if (scope != nullptr) napi_close_handle_scope(env, scope);
  }
  CallbackHandleScope(const CallbackHandleScope&) = delete;
  CallbackHandleScope& operator=(const CallbackHandleScope&) = delete;

 private:
  napi_env env;
  napi_handle_scope scope = nullptr;
};
