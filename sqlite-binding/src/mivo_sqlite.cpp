// The module's entry from the script host: one Addon per environment, the four
// classes and initialize() on the exports object, and a clean-up hook that
// closes what is still open when the environment goes away.
#include <napi.h>

#include <mutex>

#include "addon.hpp"
#include "backup.hpp"
#include "database.hpp"
#include "napi_calls.hpp"
#include "statement.hpp"
#include "statement_iterator.hpp"
#include "type_tags.hpp"

namespace {

// A class whose definition failed has raised and stays out of the exports.
void Export(napi_env env, napi_value exports, const char* name, Napi::Function value) {
  if (!value.IsEmpty()) CheckStatus(env, napi_set_named_property(env, exports, name, value));
}

void KeepConstructor(napi_env env, napi_value exports, const char* name,
                     Napi::FunctionReference& reference) {
  napi_value value = nullptr;
  if (!CheckStatus(env, napi_get_named_property(env, exports, name, &value))) return;
  napi_valuetype type = napi_undefined;
  if (napi_typeof(env, value, &type) == napi_ok && type == napi_function) {
    reference = Napi::Persistent(Napi::Function(env, value));
  }
}

// The classes' type tags, drawn once per process by the first registration,
// not while the library loads: on Windows that runs inside DllMain, under the
// loader lock, where calling into the system's random generator is unsafe.
// Every registration passes here first, so every thread that can call a method
// sees the tags drawn.
void DrawTypeTags() {
  static std::once_flag once;
  std::call_once(once, [] {
    Database::TYPE_TAG = DrawTypeTag();
    Statement::TYPE_TAG = DrawTypeTag();
    StatementIterator::TYPE_TAG = DrawTypeTag();
    Backup::TYPE_TAG = DrawTypeTag();
  });
}

napi_value InitAll(napi_env raw_env, napi_value raw_exports) {
  Napi::Env env(raw_env);
  Napi::HandleScope scope(env);
  napi_value exports = raw_exports;

  DrawTypeTags();
  Addon::ConfigureURI();
  Addon* addon = new Addon(env);
  napi_add_env_cleanup_hook(env, Addon::Cleanup, addon);
  addon->MakeRunResultFunction(env);

  Export(env, exports, "Database", Database::Init(env, addon));
  Export(env, exports, "Statement", Statement::Init(env, addon));
  Export(env, exports, "StatementIterator", StatementIterator::Init(env, addon));
  Export(env, exports, "Backup", Backup::Init(env, addon));
  Export(env, exports, "initialize", Napi::Function::New(env, Addon::JS_initialize, "initialize", addon));

  KeepConstructor(env, exports, "Statement", addon->statement_constructor);
  KeepConstructor(env, exports, "StatementIterator", addon->iterator_constructor);
  KeepConstructor(env, exports, "Backup", addon->backup_constructor);
  return raw_exports;
}

}  // namespace

extern "C" NAPI_MODULE_EXPORT napi_value napi_register_module_v1(napi_env env, napi_value exports) {
  return InitAll(env, exports);
}

extern "C" NAPI_MODULE_EXPORT int32_t node_api_module_get_api_version_v1(void) { return 10; }
