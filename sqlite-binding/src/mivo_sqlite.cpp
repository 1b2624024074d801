// The module's entry from the script host: one Addon per environment, the four
// classes and initialize() on the exports object, and a clean-up hook that
// closes what is still open when the environment goes away.
#include <napi.h>

#include "addon.hpp"
#include "backup.hpp"
#include "database.hpp"
#include "statement.hpp"
#include "statement_iterator.hpp"

namespace {

// A class whose definition failed has raised and stays out of the exports.
void Export(Napi::Object exports, const char* name, Napi::Function value) {
  if (!value.IsEmpty()) exports.Set(name, value);
}

void KeepConstructor(Napi::Object exports, const char* name, Napi::FunctionReference& reference) {
  Napi::Value value = exports.Get(name);
  if (!value.IsEmpty() && value.IsFunction()) reference = Napi::Persistent(value.As<Napi::Function>());
}

napi_value InitAll(napi_env raw_env, napi_value raw_exports) {
  Napi::Env env(raw_env);
  Napi::HandleScope scope(env);
  Napi::Object exports(env, raw_exports);

  Addon::ConfigureURI();
  Addon* addon = new Addon(env);
  napi_add_env_cleanup_hook(env, Addon::Cleanup, addon);

  Export(exports, "Database", Database::Init(env, addon));
  Export(exports, "Statement", Statement::Init(env, addon));
  Export(exports, "StatementIterator", StatementIterator::Init(env, addon));
  Export(exports, "Backup", Backup::Init(env, addon));
  Export(exports, "initialize", Napi::Function::New(env, Addon::JS_initialize, "initialize", addon));

  KeepConstructor(exports, "Statement", addon->statement_constructor);
  KeepConstructor(exports, "StatementIterator", addon->iterator_constructor);
  KeepConstructor(exports, "Backup", addon->backup_constructor);
  return raw_exports;
}

}  // namespace

extern "C" NAPI_MODULE_EXPORT napi_value napi_register_module_v1(napi_env env, napi_value exports) {
  return InitAll(env, exports);
}

extern "C" NAPI_MODULE_EXPORT int32_t node_api_module_get_api_version_v1(void) { return 10; }
